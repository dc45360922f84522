// Writes the generator's tree of N files and folders under a folder, for the scan comparison
// (bench/scan_compare.sh). Usage: bench_tree_writer DIR ITEMS [SEED]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "table_generator.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_tree_writer DIR ITEMS [SEED]\n");
        return 2;
    }
    std::filesystem::path dir = argv[1];
    uint64_t items = std::strtoull(argv[2], nullptr, 10);
    uint64_t seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 20260101;
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (std::optional<std::string> failure = norvik::write_tree(dir, items, seed)) {
        std::fprintf(stderr, "bench_tree_writer: %s\n", failure->c_str());
        return 1;
    }
    return 0;
}
