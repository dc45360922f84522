# Benchmarks of the change watcher's work: applying batches to a large table, reading a buffer.
norvik_benchmark(watch_bench SOURCES watch_bench.cpp DEPS norvik_watch_core norvik_changes)
