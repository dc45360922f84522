// The process-wide index: every volume table, sorted by root, behind one reader-writer lock.
#pragma once

#include <atomic>
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

    // Sorted by root, byte by byte (a prefix sorts first); at most one table per root. Tables
    // enter through replace_or_insert and replace_all, which give them their table_id.
    std::vector<VolumeTable> tables;

    // Searches running now, counted by the search worker without a lock. A scan in the background
    // steps aside for them between folders (ScanOptions::searches_running): the system's
    // background mode may not do it (Wine refuses it), and a person typing during a refresh
    // should be answered as fast as without one.
    std::atomic<int> searches_running{0};

    // Position of the table whose root equals root exactly, or nothing. Lock held.
    std::optional<size_t> find(std::string_view root) const;

    // Puts table in place of the one with the same root, or inserts it in root order. The table
    // gets a fresh table_id, and so does every table the insert moved to a later position, so a
    // (position, table_id) pair held from before matches only the table it was taken from; a
    // table left where it was keeps its id. Write lock held. Returns the table's position.
    size_t replace_or_insert(VolumeTable table);

    // Makes `sorted` (in root order, one table per root) the whole list, each table with a
    // fresh table_id: loaded tables all arrive with the same id. Write lock held.
    void replace_all(std::vector<VolumeTable> sorted);

  private:
    // Ids come from one counter that only moves forward, so no id is handed out twice in a run
    // (2^32 publications would be needed). 0 is never handed out: it is what a table that never
    // entered an Index carries.
    uint32_t fresh_table_id() { return ++last_table_id_; }
    uint32_t last_table_id_ = 0;  // write lock held
};

}  // namespace norvik
