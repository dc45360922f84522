// Small volume tables for search tests: named files and folders with chosen times and sizes.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "index/volume_table.h"
#include "query/match.h"
#include "query/order.h"
#include "query/query.h"

namespace norvik {

// gtest prints hits as "table:entry" (with "^" when at_start, "=" when exact) in failure
// messages.
inline void PrintTo(const Hit& hit, std::ostream* out) {
    *out << int{hit.table} << ':' << hit.entry << (hit.at_start ? "^" : "")
         << (hit.exact ? "=" : "");
}

}  // namespace norvik

namespace norvik::testing {

inline uint32_t add_file(VolumeTable& table, uint32_t parent, std::string_view name,
                         uint32_t mtime = 0, uint64_t size = 0) {
    return table.add_entry(parent, name, FileFacts{.size = size, .mtime = mtime, .attributes = 0},
                           0);
}

inline uint32_t add_folder(VolumeTable& table, uint32_t parent, std::string_view name,
                           uint32_t mtime = 0) {
    return table.add_entry(
        parent, name, FileFacts{.size = 0, .mtime = mtime, .attributes = ATTRIBUTE_DIRECTORY}, 0);
}

// A table of one folder "C:\" with the given file names directly under the root; entry i + 1
// holds names[i].
inline VolumeTable flat_table(const std::vector<std::string>& names) {
    VolumeTable table = VolumeTable::with_root("C:\\");
    for (const std::string& name : names)
        add_file(table, 0, name);
    return table;
}

// Every hit of the query text over tables, matched in entry order (before any sort).
inline std::vector<Hit> match_all_entries(const Query& query,
                                          const std::vector<VolumeTable>& tables) {
    std::vector<Hit> hits;
    MatchScratch scratch;
    for (size_t t = 0; t < tables.size(); ++t) {
        for (uint32_t i = 1; i < tables[t].size(); ++i) {
            if (auto hit = match_entry(query, tables[t], static_cast<uint8_t>(t), i, scratch))
                hits.push_back(*hit);
        }
    }
    return hits;
}

// The stored names of hits, in their order.
inline std::vector<std::string> names_of(const std::vector<Hit>& hits,
                                         const std::vector<VolumeTable>& tables) {
    std::vector<std::string> names;
    for (const Hit& hit : hits)
        names.emplace_back(tables[hit.table].stored_name(hit.entry));
    return names;
}

// Parses, matches, sorts: the names in result order.
inline std::vector<std::string> search_names(const std::vector<VolumeTable>& tables,
                                             std::string_view text, uint8_t filter = 0,
                                             SortColumn column = SortColumn::Relevance,
                                             bool descending = false, bool composing = false) {
    auto query = parse(text, composing, filter);
    std::vector<Hit> hits = match_all_entries(*query, tables);
    bool sorted = sort_hits(hits, column, descending, tables);
    if (!sorted) return {"<gave up>"};
    return names_of(hits, tables);
}

}  // namespace norvik::testing
