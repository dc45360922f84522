# Benchmarks of the change watcher's work: applying batches to a large table, reading a buffer,
# listing folders again after a burst.
norvik_benchmark(watch_bench SOURCES watch_bench.cpp
  DEPS norvik_watch_core norvik_changes norvik_service norvik_scan)
