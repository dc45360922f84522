// Which folders a read of change records makes worth listing again once the disk has settled.
// A burst can lose records that no one reports (a volume that drops them quietly, a file made in
// a new folder before the system watched it), so the folders a burst touched are compared with
// the table afterwards. Ordinary reads cost nothing here but the folders that just arrived.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "index/changes.h"

namespace norvik {

// A read of this many records or more is a burst.
inline constexpr size_t BURST_RECORDS = 256;

// True when a read carried a burst: many records, or a buffer three quarters full or more.
bool is_burst_read(size_t records, size_t bytes, size_t buffer_bytes);

// The folders, relative to the root ("" is the root itself), to list again after a batch.
struct RelistFolders {
    // Each listed again: sorted, each once.
    std::vector<std::string> folders{};
    // The folders that arrived (added, or moved in with their contents), sorted, each once.
    // When more folders wait than one settle lists, the subtrees of these are listed instead
    // of each folder found inside them, rather than the whole root rescanned.
    std::vector<std::string> arrived{};

    bool empty() const { return folders.empty() && arrived.empty(); }
};

// Always the folders that arrived, whose contents may have grown before the system watched them.
// After a burst, which may have lost records inside them, also the folders walked below them,
// the folder of every item the batch names (both of a rename) and every folder renamed.
RelistFolders folders_to_relist(const std::vector<Change>& batch, bool burst);

}  // namespace norvik
