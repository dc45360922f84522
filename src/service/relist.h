// Listing folders again after a burst: the difference between a folder's listing and what its
// table holds for it, as the changes that bring the table to the disk, and the folders waiting
// for their root to settle.
#pragma once

#include <chrono>
#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "index/changes.h"
#include "index/list_directory.h"
#include "index/volume_table.h"
#include "watch/relist_folders.h"

namespace norvik {

// At most this many folders are listed again one by one per settle; more, and the folders that
// arrived are listed whole instead of each folder inside them; still more, and the root is
// rescanned.
inline constexpr size_t MAX_RELIST_FOLDERS = 1000;
// A root has settled once no watcher batch came for it this long.
inline constexpr std::chrono::milliseconds RELIST_QUIET{1000};

struct ListingDiff {
    std::vector<Change> changes;
    // Positions in changes of the Added folders to walk (links are never entered).
    std::vector<size_t> to_walk;
};

// The changes that make the table's children of folder (relative to the root, "" for the
// root) what listing says: Removed for a child the disk no longer has, Modified for one whose
// size (files), time or hidden and system flags differ, Added for an item the table lacks (a folder
// without its contents: the caller walks it). Removals come first, so a name whose letter case
// changed is taken out and added anew. Nothing when the folder is not a live, enterable folder of
// the table.
ListingDiff diff_listing(const VolumeTable& table, std::string_view folder,
                         const std::vector<ListedItem>& listing);

// The folders of table at or below folder (relative to the root, "" for the root itself) that
// a listing can enter: live, and not links. Nothing when folder is not one of them.
std::vector<std::string> folders_within(const VolumeTable& table, std::string_view folder);

// The folders one root waits to list again, gathered until it settles.
struct RelistRequest {
    std::set<std::string> folders;
    // The folders that arrived meanwhile (RelistFolders::arrived).
    std::set<std::string> arrived;
    // More folders were asked for than one settle lists: the arrived folders are listed whole
    // (each folder the table then holds below them) and `folders` keeps only those outside them.
    bool whole_arrivals = false;
    // Even so, more than one settle lists: the root is rescanned instead, and no more are kept.
    bool over_cap = false;
    std::chrono::steady_clock::time_point last_activity;

    void add(const RelistFolders& more, size_t cap = MAX_RELIST_FOLDERS);
};

}  // namespace norvik
