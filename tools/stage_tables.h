// What the Unicode table generators share: a value per code point stored as two stages (the high
// bits pick a block of 2^block_shift values, the low bits the value within it; identical blocks
// stored once), the versions of the ICU the data comes from, and the C++ text of both stages.
#pragma once

#include <unicode/uchar.h>
#include <unicode/uversion.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace norvik::tools {

inline constexpr uint32_t CODE_POINT_END = 0x110000;

struct StageTables {
    std::vector<uint32_t> stage1;               // a block number per block of code points
    std::vector<std::vector<uint32_t>> blocks;  // the distinct blocks, in first-use order
};

// values (one per code point) split into blocks of 2^block_shift.
inline StageTables split_into_blocks(const std::vector<uint32_t>& values, int block_shift) {
    const uint32_t block_size = 1u << block_shift;
    std::map<std::vector<uint32_t>, uint32_t> block_ids;
    StageTables tables;
    for (uint32_t start = 0; start < values.size(); start += block_size) {
        std::vector<uint32_t> block(values.begin() + start, values.begin() + start + block_size);
        auto [it, inserted] = block_ids.emplace(block, static_cast<uint32_t>(tables.blocks.size()));
        if (inserted) tables.blocks.push_back(block);
        tables.stage1.push_back(it->second);
    }
    return tables;
}

// The versions of the running ICU and of the Unicode data it carries, as "72.1" and "15.0".
struct IcuVersions {
    std::string icu;
    std::string unicode;
};

inline IcuVersions icu_versions() {
    char icu[U_MAX_VERSION_STRING_LENGTH];
    char unicode[U_MAX_VERSION_STRING_LENGTH];
    UVersionInfo v;
    u_getVersion(v);
    u_versionToString(v, icu);
    u_getUnicodeVersion(v);
    u_versionToString(v, unicode);
    return IcuVersions{icu, unicode};
}

// Writes the two stages as `constexpr uint16_t <stage1_name>[]` and `constexpr uint8_t
// <stage2_name>[]`, sixteen values a line. Every value must fit its type.
inline void write_stages(FILE* out, const StageTables& tables, const char* stage1_name,
                         const char* stage2_name) {
    const auto write_line_item = [out](size_t i, uint32_t value) {
        std::fprintf(out, "%s%u,%s", i % 16 ? " " : "    ", value, i % 16 == 15 ? "\n" : "");
    };
    std::fprintf(out, "constexpr uint16_t %s[%zu] = {\n", stage1_name, tables.stage1.size());
    for (size_t i = 0; i < tables.stage1.size(); ++i)
        write_line_item(i, tables.stage1[i]);
    std::fprintf(out, "};\n\n");
    const size_t block_size = tables.blocks.empty() ? 0 : tables.blocks.front().size();
    std::fprintf(out, "constexpr uint8_t %s[%zu] = {\n", stage2_name,
                 tables.blocks.size() * block_size);
    for (const std::vector<uint32_t>& block : tables.blocks)
        for (size_t i = 0; i < block.size(); ++i)
            write_line_item(i, block[i]);
    std::fprintf(out, "};\n");
}

}  // namespace norvik::tools
