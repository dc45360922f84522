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
    if (std::optional<size_t> at = find(table.root)) {
        table.table_id = tables[*at].table_id + 1;  // wraps at 2^32
        tables[*at] = std::move(table);
        return *at;
    }
    // std::string compares bytes as unsigned char, so this is UTF-8 byte order with a prefix first.
    auto position = std::upper_bound(
        tables.begin(), tables.end(), table.root,
        [](const std::string& root, const VolumeTable& t) { return root < t.root; });
    size_t at = static_cast<size_t>(position - tables.begin());
    tables.insert(position, std::move(table));
    // Every (position, table_id) pair a reader holds must stop matching: positions moved.
    for (VolumeTable& t : tables)
        ++t.table_id;
    return at;
}

}  // namespace norvik
