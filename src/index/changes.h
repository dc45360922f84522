// In-place changes to a built volume table: items are appended as late children, removed by
// marking, and moved by relinking their parent, so entry indexes never change while the table
// lives. Every function here runs with the index lock held for writing, or on a table that is
// still private to the rescan that built it; none takes a lock of its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "index/entry.h"
#include "index/excluded_folders.h"
#include "index/excluded_names.h"
#include "index/volume_table.h"
#include "index/walked_item.h"

namespace norvik {

enum class ChangeType : uint8_t { Added, Removed, Modified, Renamed };

// One file-system change, in the order the file system reported it. Paths are relative to the
// table's root with backslash separators.
struct Change {
    ChangeType type = ChangeType::Added;
    std::string path;                // the item's path; for Renamed, the old path
    std::string new_path;            // Renamed only
    std::optional<FileFacts> facts;  // Added, Modified, Renamed (of the new path)
    std::vector<WalkedItem> walked;  // Added and Renamed: the subtree found below a folder

    static Change added(std::string path, std::optional<FileFacts> facts,
                        std::vector<WalkedItem> walked = {});
    static Change removed(std::string path);
    static Change modified(std::string path, std::optional<FileFacts> facts);
    static Change renamed(std::string old_path, std::string new_path,
                          std::optional<FileFacts> facts, std::vector<WalkedItem> walked = {});
};

// An entry that add_child found or made: `added` when it was appended, false when an existing
// child got the new size and time.
struct AddResult {
    uint32_t index;
    bool added;
};

// Adds name under folder `parent`, or updates the child of that name (size unless a folder,
// mtime, the hidden and system flags). parent_is_new skips the lookup for a folder that was
// itself just appended. Nothing for an empty or excluded name, a parent that is not a live
// folder, or a table that is full.
std::optional<AddResult> add_child(VolumeTable& table, uint32_t parent, std::string_view name,
                                   const FileFacts& facts, bool parent_is_new);

// Adds the item at a relative path whose parent folder is already in the table.
std::optional<AddResult> add_path(VolumeTable& table, std::string_view path,
                                  const FileFacts& facts);

// Adds the item at path and the walked items below it (folders before their contents).
void add_subtree(VolumeTable& table, std::string_view path, const FileFacts& facts,
                 const std::vector<WalkedItem>& walked);

// Marks the entry and every live descendant removed. Entry 0 is never removed.
void remove_subtree(VolumeTable& table, uint32_t index);

// Takes every excluded folder (relative to the table's root) and everything under it out of
// the table, as remove_subtree does: for a table saved before they were excluded, and for a
// folder excluded while the table lives. Including one again is add_subtree with a new walk.
void drop_excluded(VolumeTable& table, const FolderExclusions& excluded);

// Applies a batch in order.
void apply_changes(VolumeTable& table, const std::vector<Change>& changes);

}  // namespace norvik
