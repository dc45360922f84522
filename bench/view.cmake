# One frame of the results view on the recording canvas the window's tests use.
norvik_benchmark(paint_bench SOURCES paint_bench.cpp DEPS norvik_app_view)
target_include_directories(paint_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
# The window's thread past the ordered front of about two million hits (Ctrl+End, the wheel).
norvik_benchmark(window_bench SOURCES window_bench.cpp DEPS norvik_app_core norvik_app_input)
target_include_directories(window_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
