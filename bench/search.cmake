# A whole search over generated tables, beside a plain std::search baseline.
norvik_benchmark(search_bench SOURCES search_bench.cpp DEPS norvik_search)
