# Benchmarks of the index file, and the tree writer behind the scan comparison (scan_compare.sh).
norvik_benchmark(store_bench SOURCES store_bench.cpp DEPS norvik_store norvik_hangul)

add_executable(bench_tree_writer bench_tree_writer.cpp)
target_link_libraries(bench_tree_writer PRIVATE norvik_settings norvik_bench_tables)
