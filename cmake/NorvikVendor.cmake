# The vendor's addresses and names, as build settings: a release build names the real ones
# (cmake -DNORVIK_VENDOR_URL=... ). The defaults are reserved example addresses (RFC 2606), so an
# unconfigured build can never reach anyone's real site.
set(NORVIK_VENDOR_URL "https://kastrel.example/" CACHE STRING
    "The vendor's main web page, ending in a slash; the language pages are below it (ko/, ja/, ...)")
set(NORVIK_PRODUCT_URL "${NORVIK_VENDOR_URL}norvik/" CACHE STRING "Norvik's page on the vendor's site")
set(NORVIK_MANIFEST_URL "${NORVIK_VENDOR_URL}norvik/update.json" CACHE STRING
    "The update manifest (https only)")
set(NORVIK_PUBLISHER_NAME "Kastrel Example Publisher" CACHE STRING
    "The exact subject name (simple display name) of the vendor's code-signing certificate")
set(NORVIK_SIGNER_SHA256 "" CACHE STRING
    "SHA-256 thumbprints of the vendor's code-signing certificates, separated by ';' (empty: any certificate with the publisher's name)")
# A mistyped pin would refuse every update in the field: it fails the build instead.
foreach(_thumbprint IN LISTS NORVIK_SIGNER_SHA256)
  string(LENGTH "${_thumbprint}" _length)
  if(NOT _thumbprint MATCHES "^[0-9A-Fa-f]+$" OR NOT _length EQUAL 64)
    message(FATAL_ERROR "NORVIK_SIGNER_SHA256: '${_thumbprint}' is not a SHA-256 thumbprint (64 hexadecimal digits)")
  endif()
endforeach()
set(NORVIK_MAKER_NOTICE "© 2026 Kastrel" CACHE STRING "The About box's notice line")

configure_file(${CMAKE_CURRENT_LIST_DIR}/vendor.h.in ${CMAKE_BINARY_DIR}/generated/vendor.h @ONLY)
add_library(norvik_vendor INTERFACE)
target_include_directories(norvik_vendor INTERFACE ${CMAKE_BINARY_DIR}/generated)
