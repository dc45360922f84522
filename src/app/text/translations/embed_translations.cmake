# The eight translation tables go into the program as UTF-8 text. Each JSON file is configured
# with NORVIK_VENDOR_URL (its row for the vendor's page reads @NORVIK_VENDOR_URL@), so a packager
# who changes the address at configure time changes every language's page with it, and written
# into a generated header as a raw string literal. Editing a table reruns the configuration.
#
# embed_translations(TARGET): the generated header "translation_tables.h" for TARGET's sources.
function(embed_translations target)
  set(dir ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
  set(TRANSLATION_TABLES "")
  foreach(code ja zh-Hans zh-Hant es fr de pt ru)
    set(file ${dir}/${code}.json)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
    file(READ ${file} json)
    string(CONFIGURE "${json}" json @ONLY)
    if(json MATCHES "\\)json\"")
      message(FATAL_ERROR "${file} contains )json\" and cannot be embedded as a raw string")
    endif()
    string(MAKE_C_IDENTIFIER ${code} name)
    string(APPEND TRANSLATION_TABLES
      "inline constexpr std::string_view ${name} = R\"json(${json})json\";\n\n")
  endforeach()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/generated_translations)
  configure_file(${dir}/translation_tables.h.in ${out}/translation_tables.h @ONLY)
  target_include_directories(${target} PRIVATE ${out})
endfunction()
