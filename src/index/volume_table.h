// The table of one indexed root: fixed entries, one name arena, and the two side maps.
// Mutating operations run with the index lock held for writing, or while the table is still
// private to the scan that builds it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "index/entry.h"

namespace norvik {

inline constexpr size_t MAX_NAME_BYTES = 65535;
inline constexpr size_t MAX_PATH_NAMES = 4096;  // full_path stops after this many levels

struct VolumeTable {
    std::string root;            // "C:\" with its trailing backslash
    std::vector<Entry> entries;  // entry 0 is the root folder
    std::vector<char> names;     // stored names back to back, no separators
    std::unordered_map<uint32_t, std::string> display_names;  // names as found, when different
    std::unordered_map<uint32_t, std::vector<uint32_t>> late_children;  // added after the scan
    uint64_t live_count = 0;  // entries not removed, root included
    uint32_t table_id = 0;

    // A table holding only its root entry (name = root without trailing backslashes).
    static VolumeTable with_root(std::string root);

    // Appends an entry and returns its index. Capacity grows by fixed steps, not by doubling.
    uint32_t add_entry(uint32_t parent, std::string_view name, const FileFacts& facts,
                       uint32_t reparse_tag);

    // Stores name (NFC, cut to 65,535 bytes) for entry `index`, whose record is `entry` (it may
    // not be in `entries` yet); recomputes the name flags and the kind, and the display name.
    void set_name(uint32_t index, Entry& entry, std::string_view name);

    std::string_view stored_name(uint32_t index) const;
    std::string_view display_name(uint32_t index) const;

    // Live children: run members in index order, then late_children in list order.
    std::vector<uint32_t> children(uint32_t index) const;
    template <class F>
    void for_each_child(uint32_t index, F&& visit) const;

    // The first child whose display name equals name (ASCII or Unicode case-insensitive).
    std::optional<uint32_t> find_child(uint32_t parent, std::string_view name) const;
    // Walks a backslash-separated path relative to the root; "" names entry 0.
    std::optional<uint32_t> find_path(std::string_view relative_path) const;

    // Root-to-entry names joined with backslashes ("C:\dir\file.txt"); "" for a bad index.
    std::string full_path(uint32_t index, bool use_stored_names) const;

    uint32_t size() const { return static_cast<uint32_t>(entries.size()); }
    bool is_live(uint32_t index) const {
        return index < entries.size() && !entries[index].is_removed();
    }
};

template <class F>
void VolumeTable::for_each_child(uint32_t index, F&& visit) const {
    if (index >= entries.size()) return;
    const Entry& folder = entries[index];
    if (folder.is_dir() && folder.size != 0) {
        uint64_t end64 = uint64_t{folder.first_child()} + folder.child_count();
        uint32_t end = static_cast<uint32_t>(
            std::min<uint64_t>(std::min<uint64_t>(end64, 0xFFFFFFFFu), entries.size()));
        for (uint32_t i = folder.first_child(); i < end; ++i) {
            const Entry& e = entries[i];
            if (e.parent == index && !e.is_removed()) visit(i);
        }
    }
    if (auto it = late_children.find(index); it != late_children.end()) {
        for (uint32_t i : it->second) {
            if (i < entries.size() && entries[i].parent == index && !entries[i].is_removed())
                visit(i);
        }
    }
}

}  // namespace norvik
