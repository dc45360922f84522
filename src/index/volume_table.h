// The table of one indexed root: fixed entries, one name arena, and the two side maps.
// Mutating operations run with the index lock held for writing, or while the table is still
// private to the scan that builds it.
//
// Big folders get a name lookup for their children, built on the first non-const find_child in
// them and kept only in memory (never saved; a loaded or freshly scanned table has none). The
// lookup is mutable state, so it follows the same rule as every other write: it is built and
// changed only through non-const functions, under the write lock or on a private table. The
// const find_child and find_path, which readers may call under the read lock, only read it.
// Every change that lists a child in a folder or renames one goes through add_late_child,
// move_entry or set_name, which keep the folder's lookup current; code that writes
// late_children, an entry's parent or its name in any other way must call drop_child_lookups.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "index/child_lookup.h"
#include "index/entry.h"
#include "index/uninitialized_allocator.h"

namespace norvik {

inline constexpr size_t MAX_NAME_BYTES = 65535;
inline constexpr size_t MAX_PATH_NAMES = 4096;  // full_path stops after this many levels
// What add_entry returns when the table is full; never an entry index.
inline constexpr uint32_t NO_ENTRY = 0xFFFFFFFF;

// How much a table may hold: entry indexes and name offsets are 32-bit, so at most 2^32 - 1
// entries (NO_ENTRY is never an index) and 4 GiB of name bytes. Tests lower them.
struct TableLimits {
    uint64_t entries = NO_ENTRY;
    uint64_t name_bytes = uint64_t{1} << 32;
};

struct VolumeTable {
    std::string root;  // "C:\" with its trailing backslash
    // Entry 0 is the root folder. Grown without zeroing: every record is written when added.
    std::vector<Entry, UninitializedAllocator<Entry>> entries;
    // Stored names back to back, no separators; grown without zeroing.
    std::vector<char, UninitializedAllocator<char>> names;
    std::unordered_map<uint32_t, std::string> display_names;  // names as found, when different
    std::unordered_map<uint32_t, std::vector<uint32_t>> late_children;  // added after the scan
    uint64_t live_count = 0;  // entries not removed, root included
    uint32_t table_id = 0;
    TableLimits limits;  // in memory only

    // A table holding only its root entry (name = root without trailing backslashes).
    static VolumeTable with_root(std::string root, TableLimits limits = {});

    // Size `entries` (or `names`) for a table being loaded, with one growth step of room beyond,
    // so that the first additions (a watcher batch, under the write lock) do not move everything
    // the table holds. New records and bytes are left unwritten, for the loader to fill.
    void size_entries_for_load(size_t count);
    void size_names_for_load(size_t bytes);

    // Appends an entry and returns its index, or NO_ENTRY (and adds nothing) when the table has
    // no room left for it under `limits`. Capacity grows by fixed steps, not by doubling.
    // The entry is not listed in its parent yet: the scan gives the parent a run, later additions
    // call add_late_child.
    uint32_t add_entry(uint32_t parent, std::string_view name, const FileFacts& facts,
                       uint32_t reparse_tag);

    // Stores name (NFC, cut to 65,535 bytes) for entry `index`, whose record is `entry` (it may
    // not be in `entries` yet); recomputes the name flags and the kind, and the display name.
    // An entry already in the table must be listed in its parent, whose lookup learns the name.
    // False, changing nothing, when the name arena has no room left for it under `limits`.
    bool set_name(uint32_t index, Entry& entry, std::string_view name);

    // Lists child, whose parent is already folder, at the end of folder's late_children.
    void add_late_child(uint32_t folder, uint32_t child);

    // Makes folder the parent of entry index, and lists it there unless the folder lists it
    // already (in its run, or in late_children from an earlier move).
    void move_entry(uint32_t index, uint32_t folder);

    // Forgets every folder's name lookup; they are built again as lookups need them. Runs
    // (Entry::set_child_span) are set while a table is built, before any lookup; one set later
    // needs this call too.
    void drop_child_lookups() { child_lookups_.clear(); }

    std::string_view stored_name(uint32_t index) const;
    std::string_view display_name(uint32_t index) const;

    // Live children: run members in index order, then late_children in list order.
    std::vector<uint32_t> children(uint32_t index) const;
    template <class F>
    void for_each_child(uint32_t index, F&& visit) const;
    // The first live child, in children order, that wanted(child) accepts.
    template <class F>
    std::optional<uint32_t> first_child_where(uint32_t index, F&& wanted) const;

    // True when folder lists child in its run or in its late_children list (whatever the
    // child's parent and removal say now).
    bool is_listed_under(uint32_t folder, uint32_t child) const;

    // The first live child, in children order, whose display name equals name: ASCII
    // case-insensitive for an ASCII name, else equal after full Unicode lowercasing. The const
    // form uses the folder's lookup if it has one; the other first builds one for a big folder.
    std::optional<uint32_t> find_child(uint32_t parent, std::string_view name) const;
    std::optional<uint32_t> find_child(uint32_t parent, std::string_view name);
    // Walks a backslash-separated path relative to the root; "" names entry 0. Each step is a
    // find_child of the same constness.
    std::optional<uint32_t> find_path(std::string_view relative_path) const;
    std::optional<uint32_t> find_path(std::string_view relative_path);

    // Root-to-entry names joined with backslashes ("C:\dir\file.txt"); "" for a bad index.
    std::string full_path(uint32_t index, bool use_stored_names) const;
    // The names below the root down to the entry, joined with separator ("dir/file.txt"); ""
    // for the root and for a bad index.
    std::string relative_path(uint32_t index, bool use_stored_names, char separator) const;

    uint32_t size() const { return static_cast<uint32_t>(entries.size()); }
    bool is_live(uint32_t index) const {
        return index < entries.size() && !entries[index].is_removed();
    }

    // Folders with a name lookup, and the bytes those lookups take.
    size_t child_lookup_count() const { return child_lookups_.size(); }
    size_t child_lookup_bytes() const;

  private:
    // The names from index up to the root entry (included) or to entry `stop` (excluded), at
    // most MAX_PATH_NAMES of them, joined from the top down with separator.
    std::string join_path(uint32_t index, bool use_stored_names, char separator,
                          uint32_t stop) const;
    // Builds (or rebuilds, sized for the children listed now) folder's lookup.
    ChildLookup& build_child_lookup(uint32_t folder);
    // Adds child, listed in folder under display name `display`, to folder's lookup if the
    // folder has one.
    void register_child(uint32_t folder, uint32_t child, std::string_view display);
    // folder's late_children list, or null. folder must be in the table.
    const std::vector<uint32_t>* late_list(uint32_t folder) const;
    // How many children folder lists (run and late list), an upper bound of its live children.
    uint64_t listed_count(uint32_t folder, const std::vector<uint32_t>* late) const;
    // first_child_where once folder's late_children list (or null) is known; folder must be in
    // the table.
    template <class F>
    std::optional<uint32_t> first_child_in(uint32_t folder, const std::vector<uint32_t>* late,
                                           F&& wanted) const;
    // find_child once the late list and the lookup (null when the folder has none) are known.
    std::optional<uint32_t> find_child_in(uint32_t parent, std::string_view name,
                                          const std::vector<uint32_t>* late,
                                          const ChildLookup* lookup) const;

    std::unordered_map<uint32_t, ChildLookup> child_lookups_;  // folder -> lookup, big folders
};

template <class F>
std::optional<uint32_t> VolumeTable::first_child_in(uint32_t index,
                                                    const std::vector<uint32_t>* late,
                                                    F&& wanted) const {
    const Entry& folder = entries[index];
    if (folder.is_dir() && folder.size != 0) {
        // A damaged span may run past the table, or past the 32-bit indexes.
        uint64_t end64 = uint64_t{folder.first_child()} + folder.child_count();
        uint32_t end = static_cast<uint32_t>(
            std::min<uint64_t>(std::min<uint64_t>(end64, 0xFFFFFFFFu), entries.size()));
        for (uint32_t i = folder.first_child(); i < end; ++i) {
            const Entry& e = entries[i];
            if (e.parent == index && !e.is_removed() && wanted(i)) return i;
        }
    }
    if (late) {
        for (uint32_t i : *late) {
            if (i < entries.size() && entries[i].parent == index && !entries[i].is_removed() &&
                wanted(i))
                return i;
        }
    }
    return std::nullopt;
}

template <class F>
std::optional<uint32_t> VolumeTable::first_child_where(uint32_t index, F&& wanted) const {
    if (index >= entries.size()) return std::nullopt;
    auto it = late_children.find(index);
    return first_child_in(index, it == late_children.end() ? nullptr : &it->second, wanted);
}

template <class F>
void VolumeTable::for_each_child(uint32_t index, F&& visit) const {
    (void)first_child_where(index, [&](uint32_t child) {
        visit(child);
        return false;  // on to the next
    });
}

}  // namespace norvik
