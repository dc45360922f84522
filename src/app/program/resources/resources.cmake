# Norvik.exe's resources, compiled by windres: the icon group 1, the version information
# (PROJECT_VERSION; the company and notice from the vendor settings) and the manifest
# (per-monitor DPI v2, UTF-8 code page, long paths, Common Controls 6, Windows 10+, asInvoker).
# Gives the object library norvik_resources: link it into the program.
# The icon is drawn by tools/make_icon.py: /usr/bin/python3 tools/make_icon.py src/app/program/resources/norvik.ico
include_guard(GLOBAL)
enable_language(RC)

set(NORVIK_RESOURCES_DIR ${CMAKE_CURRENT_LIST_DIR})
set(NORVIK_MANIFEST ${CMAKE_BINARY_DIR}/generated/norvik.manifest)
# Quotes would end the resource script's strings.
string(REPLACE "\"" "'" NORVIK_RC_PUBLISHER "${NORVIK_PUBLISHER_NAME}")
string(REPLACE "\"" "'" NORVIK_RC_NOTICE "${NORVIK_MAKER_NOTICE}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/norvik.manifest.in ${NORVIK_MANIFEST} @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/norvik.rc.in ${CMAKE_BINARY_DIR}/generated/norvik.rc @ONLY)

add_library(norvik_resources OBJECT ${CMAKE_BINARY_DIR}/generated/norvik.rc)
# Rebuilt when the icon or the manifest changes.
set_source_files_properties(${CMAKE_BINARY_DIR}/generated/norvik.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_CURRENT_LIST_DIR}/norvik.ico;${NORVIK_MANIFEST}")
