// The process-wide index: every volume table, sorted by root, behind one reader-writer lock.
#pragma once

#include <cstdint>
#include <optional>
#include <shared_mutex>
#include <string_view>
#include <vector>

#include "index/volume_table.h"

namespace norvik {

class Index {
  public:
    // The index lock. Readers: search worker, painter, result actions, index-file writer.
    // Writers: the index service (publishing tables) and the change watcher (applying batches).
    // The deferred_changes mutex, where held, is always taken before this lock.
    std::shared_mutex lock;

    // Sorted by root, byte by byte (a prefix sorts first); at most one table per root.
    std::vector<VolumeTable> tables;

    // Position of the table whose root equals root exactly, or nothing. Lock held.
    std::optional<size_t> find(std::string_view root) const;

    // Puts table in place of the one with the same root (its table_id becomes the old one's + 1)
    // or inserts it in root order (then every table's table_id, the new one's included, goes up
    // by 1 so every held (position, table_id) pair goes stale). Write lock held.
    // Returns the table's position.
    size_t replace_or_insert(VolumeTable table);
};

}  // namespace norvik
