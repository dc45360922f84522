// Writes a few valid index files into a folder, as the fuzzer's starting corpus.
#include <cstdio>
#include <fstream>
#include <string>

#include "index/changes.h"
#include "store/index_codec.h"

using namespace norvik;

namespace {

VolumeTable sample(const char* root) {
    VolumeTable table = VolumeTable::with_root(root);
    FileFacts folder{.size = 0, .mtime = 1, .attributes = 0x10};
    FileFacts file{.size = 5, .mtime = 2, .attributes = 0};
    uint32_t docs = table.add_entry(0, "docs", folder, 0);
    table.entries[docs].set_child_span(table.size(), 2);
    table.add_entry(docs, "보고서.hwp", file, 0);
    table.add_entry(docs, "\xE1\x84\x92\xE1\x85\xA1\xE1\x86\xAB.txt", file, 0);  // decomposed
    table.entries[0].set_child_span(1, 1);
    apply_changes(table,
                  {Change::added("docs\\late.txt", file), Change::removed("docs\\보고서.hwp")});
    return table;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: index_seed_writer FOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    std::ofstream(folder + "/empty.bin", std::ios::binary) << encode_index({});
    std::ofstream(folder + "/root_only.bin", std::ios::binary)
        << encode_index({VolumeTable::with_root("C:\\")});
    std::ofstream(folder + "/two_tables.bin", std::ios::binary)
        << encode_index({sample("C:\\"), sample("D:\\")});
    return 0;
}
