// A hit names an entry by (table position, entry index) as the index stood when its search ran.
// Tables are replaced, inserted and moved since, so a held hit means the same entry only while
// the table at its position still carries the table_id delivered with the result. Every reader
// of held hits (the window's rows and actions, norvik-cli's printing) resolves them here.
#pragma once

#include <cstdint>
#include <span>

#include "index/index.h"
#include "index/volume_table.h"
#include "query/match.h"

namespace norvik {

// The table that hit still refers to, or null when its table was rebuilt, moved or dropped since
// the search (its position is past the tables or the delivered ids, or the ids differ), or the
// entry index is past the table's entries. `table_ids` are the ids delivered with the result
// (SearchResult::table_ids). The caller holds index.lock, for reading at least, while it uses the
// table.
const VolumeTable* resolve_hit(const Index& index, std::span<const uint32_t> table_ids,
                               const Hit& hit);

}  // namespace norvik
