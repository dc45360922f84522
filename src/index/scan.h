// The drive scan: builds a fresh volume table for one root by walking its tree with several
// threads, and the single-threaded subtree walk the change watcher uses for folders that appear
// while the program runs.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "index/excluded_folders.h"
#include "index/list_directory.h"
#include "index/scan_state.h"
#include "index/volume_table.h"
#include "index/walked_item.h"

namespace norvik {

// walk_subtree stops once it has found this many items.
inline constexpr size_t WALK_LIMIT = 300000;

// What a scan could not put into its table; the table itself is sound either way.
struct ScanReport {
    // Folders that are there but could not be listed (access denied): entries without children.
    std::vector<uint32_t> unreadable_folders;
    // Items not added because the table reached its limits (TableLimits).
    uint64_t left_out = 0;
};

struct ScanOptions {
    unsigned workers = 2;     // at least 1 is used
    bool background = false;  // workers run in the system's background mode (Windows)
    // Where the scan counts listed items and looks for the request to stop; the process-wide
    // ones unless a caller (a test, a tool) brings its own.
    std::atomic<uint64_t>* items_read = &norvik::items_read;
    const std::atomic<bool>* exit_requested = &norvik::exit_requested;
    // When set, a scan in the background lists no folder while this is above zero (for at most
    // half a second in a row): searches running on the index.
    const std::atomic<int>* searches_running = nullptr;
    ListDirectoryFn list;          // empty: list_directory
    ScanReport* report = nullptr;  // filled when the scan returns a table
    TableLimits limits;            // the new table's
    // Folders below the root that the scan never enters nor lists (exclusions_under the root).
    FolderExclusions excluded;
};

// Walks root ("C:\", or an absolute folder path ending in its separator) into a new table whose
// every folder's children form one contiguous run. Nothing when exit_requested was seen: a
// stopped scan's partial table is never handed out. A folder that cannot be listed is an entry
// without children.
std::optional<VolumeTable> scan_root(const std::string& root, const ScanOptions& options);
std::optional<VolumeTable> scan_root(const std::string& root, unsigned workers, bool background);

// The items below the folder at full_path (UTF-8), each with its path relative to the root
// (relative_path, then a backslash and the names below it), every folder before the items inside
// it; links are listed but not entered. Stops once `limit` items are found. Incomplete when it
// stopped with something left, or a folder in it (the top one included) is there but cannot be
// listed; a folder that is gone counts as empty. Excluded folders (relative to the one walked)
// are neither listed nor entered.
SubtreeWalk walk_subtree(std::string_view full_path, std::string_view relative_path,
                         const ListDirectoryFn& list = {}, size_t limit = WALK_LIMIT,
                         const FolderExclusions& excluded = {});

// Workers per root when `roots` roots start scanning together on `processors` processors:
// a budget of min(P, 8) (2 for one processor, 4 when the count is unknown) shared out, at least 2.
unsigned worker_count_for(unsigned processors, size_t roots);
unsigned worker_count(size_t roots);

// Moves the calling thread into the system's background mode (lower CPU, disk and memory
// priority) and back; where the system refuses that mode (Wine), the thread's priority is lowered
// to idle (or the lowest granted) and restored instead. Failures are ignored: the scan runs
// either way.
void begin_background_mode();
void end_background_mode();

}  // namespace norvik
