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

// The folders, relative to the root ("" is the root itself), to list again after the batch:
// always the folders that arrived (added ones and the folders walked below them), whose
// contents may have grown before the system watched them; after a burst also the folder of
// every item the batch names (both of a rename) and every folder renamed. Sorted, each once.
std::vector<std::string> folders_to_relist(const std::vector<Change>& batch, bool burst);

}  // namespace norvik
