# Benchmarks of the index model.
norvik_benchmark(add_entry_bench SOURCES add_entry_bench.cpp DEPS norvik_index)
