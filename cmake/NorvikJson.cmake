# norvik_json: nlohmann/json for a target of ours. Debian's package is header-only; the cross
# build takes just its folder, not the rest of the host's /usr/include. A build on Windows itself
# (MSYS2) finds the package like the native one.
include_guard(GLOBAL)
add_library(norvik_json INTERFACE)
if(CMAKE_CROSSCOMPILING)
  set(_json_include ${CMAKE_BINARY_DIR}/third_party/include)
  file(COPY /usr/include/nlohmann DESTINATION ${_json_include})
  target_include_directories(norvik_json SYSTEM INTERFACE ${_json_include})
else()
  find_package(nlohmann_json 3 REQUIRED)
  target_link_libraries(norvik_json INTERFACE nlohmann_json::nlohmann_json)
endif()
