#include "search/resolve_hit.h"

namespace norvik {

const VolumeTable* resolve_hit(const Index& index, std::span<const uint32_t> table_ids,
                               const Hit& hit) {
    if (hit.table >= index.tables.size() || hit.table >= table_ids.size()) return nullptr;
    const VolumeTable& table = index.tables[hit.table];
    if (table.table_id != table_ids[hit.table] || hit.entry >= table.size()) return nullptr;
    return &table;
}

}  // namespace norvik
