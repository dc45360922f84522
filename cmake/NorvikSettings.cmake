# Build settings shared by every target of ours: warnings, Windows macros, sanitizers.
# Third-party targets (GoogleTest built from source) do not get -Werror.

# -O2 rather than -O3 for Release: GCC 12's -O3 inlining raises false -Wrestrict errors inside
# std::string (GCC bug 105329), and -O3 buys nothing measurable on the search loops.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "" FORCE)
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "" FORCE)

add_library(norvik_settings INTERFACE)
target_compile_options(norvik_settings INTERFACE -Wall -Wextra -Werror)
target_compile_features(norvik_settings INTERFACE cxx_std_20)

if(WIN32)
  target_compile_definitions(norvik_settings INTERFACE
    UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0A00 WINVER=0x0A00)
  # Statically linked so Norvik.exe and the test programs run with no MinGW DLLs beside them.
  target_link_options(norvik_settings INTERFACE -static -static-libgcc -static-libstdc++)
endif()

if(NORVIK_SANITIZE AND NOT WIN32)
  string(REPLACE ";" "," _norvik_san "${NORVIK_SANITIZE}")
  set(_san_flags -fsanitize=${_norvik_san} -fno-omit-frame-pointer)
  if("undefined" IN_LIST NORVIK_SANITIZE)
    list(APPEND _san_flags -fno-sanitize-recover=undefined)
  endif()
  target_compile_options(norvik_settings INTERFACE ${_san_flags} -g)
  target_link_options(norvik_settings INTERFACE ${_san_flags})
endif()

# platform_twins(OUT base...): the platform's twin of each portable file, base_win.cpp on
# Windows and base_posix.cpp elsewhere.
function(platform_twins out)
  if(WIN32)
    set(suffix _win.cpp)
  else()
    set(suffix _posix.cpp)
  endif()
  list(TRANSFORM ARGN APPEND ${suffix} OUTPUT_VARIABLE files)
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# norvik_library(NAME SOURCES... [DEPS ...]): a static library of ours with the shared settings.
function(norvik_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/common/src)
  target_link_libraries(${name} PUBLIC norvik_settings ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()
