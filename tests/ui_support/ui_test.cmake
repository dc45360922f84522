# Shared pieces of the UI tests under Wine: an X display and a prefix with the window's fonts
# (wine-ui-run.sh, the tests' emulator, starts both on first use; the cleanup test ends them),
# reading a window back from the screen (screen_capture.h), a window to draw in
# (drawing_window.h) and the pump of a test's messages (pump_messages.h). A test folder includes
# this file (Windows builds only) and declares its programs with norvik_ui_test. Shell helpers for
# tests that drive the real program from outside (xdotool, screenshots, pixels) are in ui.sh
# beside this file.
include_guard(GLOBAL)

set(NORVIK_UI_SUPPORT ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "tests/ui_support")
add_library(norvik_ui_test_support STATIC
  ${NORVIK_UI_SUPPORT}/screen_capture_win.cpp ${NORVIK_UI_SUPPORT}/drawing_window_win.cpp
  ${NORVIK_UI_SUPPORT}/pump_messages_win.cpp)
target_include_directories(norvik_ui_test_support PUBLIC ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(norvik_ui_test_support PUBLIC norvik_settings gdi32 user32)

add_test(NAME ui_display_stop COMMAND ${NORVIK_UI_SUPPORT}/wine-ui-stop.sh ${CMAKE_BINARY_DIR})
set_tests_properties(ui_display_stop PROPERTIES FIXTURES_CLEANUP wine_ui LABELS wine_ui)

# norvik_ui_test(NAME SOURCES... DEPS ...): a test program that makes windows. Its cases run on
# the UI display one at a time (they share the screen, the focus and the clipboard).
function(norvik_ui_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  set(CMAKE_CROSSCOMPILING_EMULATOR ${NORVIK_UI_SUPPORT}/wine-ui-run.sh)
  norvik_test(${name} SOURCES ${ARG_SOURCES} DEPS norvik_ui_test_support ${ARG_DEPS}
    LABELS wine_ui PROPERTIES RESOURCE_LOCK wine_ui FIXTURES_REQUIRED wine_ui)
endfunction()
