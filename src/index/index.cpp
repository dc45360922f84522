#include "index/index.h"

#include <algorithm>

namespace norvik {

std::optional<size_t> Index::find(std::string_view root) const {
    for (size_t i = 0; i < tables.size(); ++i) {
        if (tables[i].root == root) return i;
    }
    return std::nullopt;
}

size_t Index::replace_or_insert(VolumeTable table) {
    table.table_id = fresh_table_id();
    if (std::optional<size_t> at = find(table.root)) {
        tables[*at] = std::move(table);
        return *at;
    }
    // std::string compares bytes as unsigned char, so this is UTF-8 byte order with a prefix first.
    auto position = std::upper_bound(
        tables.begin(), tables.end(), table.root,
        [](const std::string& root, const VolumeTable& t) { return root < t.root; });
    size_t at = static_cast<size_t>(position - tables.begin());
    tables.insert(position, std::move(table));
    // The tables after it moved one place on: a pair held for their old position must not find
    // them, nor the table that now stands there.
    for (size_t i = at + 1; i < tables.size(); ++i)
        tables[i].table_id = fresh_table_id();
    return at;
}

void Index::replace_all(std::vector<VolumeTable> sorted) {
    tables = std::move(sorted);
    for (VolumeTable& table : tables)
        table.table_id = fresh_table_id();
}

}  // namespace norvik
