# One frame of the results view on the recording canvas the window's tests use.
norvik_benchmark(paint_bench SOURCES paint_bench.cpp DEPS norvik_app_view)
target_include_directories(paint_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
