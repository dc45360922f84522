// Turning one read's raw events into the batch of Changes that apply_changes takes: collapsing
// repeats, dropping excluded names, pairing the two halves of a rename, and reading the facts
// and subtrees the changes carry. The file system is reached only through the two functions
// given, so all of this runs on bytes and fakes in tests.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "index/changes.h"
#include "index/entry.h"
#include "index/excluded_folders.h"
#include "index/list_directory.h"
#include "index/walked_item.h"
#include "watch/notify_records.h"

namespace norvik {

// The facts of the item at a full path (GetFileAttributesExW), or nothing when it vanished or
// cannot be read.
using FactReader = std::function<std::optional<FileFacts>(const std::string& full_path)>;

// The items below the folder at full_path, with paths starting at relative_path (walk_subtree);
// incomplete when some of them could not be read.
using SubtreeWalker =
    std::function<SubtreeWalk(const std::string& full_path, const std::string& relative_path)>;

// root without its trailing backslashes, one backslash, then the relative name.
std::string event_full_path(std::string_view root, std::string_view relative);

struct Batch {
    std::vector<Change> changes;
    // A folder arrived whose contents could not all be read (a subfolder denied listing, or more
    // than the walk's limit). The changes are applied all the same; the root needs a rescan, or
    // what is missing would stay missing until the next one.
    bool incomplete = false;
};

// The batch for events read under root, in order. Facts are read only for added, modified and
// renamed items, after repeats were collapsed. Folders that arrive are walked: added ones, and
// renamed ones whose old name the table cannot know: excluded (out of the Recycle Bin), or added
// earlier in the same read (made, filled and renamed into place before the events were read,
// when the walk of the old name found nothing). A folder renamed in place is not walked.
// Changes inside the excluded folders (relative to root) are dropped like those inside the
// Recycle Bin: an item moved out of one arrives with its contents, one moved into one leaves.
Batch build_batch(std::string_view root, const std::vector<RawEvent>& events,
                  const FactReader& read_facts, const SubtreeWalker& walk,
                  const FolderExclusions& excluded = {});

// The walk of a folder that has just arrived. Whoever made or moved it may still hold it open
// for a moment, and listing it fails until they let go (under Wine every time a folder is
// moved: the mover's handle refuses the lister's share mode). So the folder itself is listed
// first, and tried again after each pause in `pauses`; then walk_subtree (with list) does the
// rest. A folder that is gone by then has no items; one that is there and still cannot be listed
// gives an incomplete, empty walk.
SubtreeWalk walk_arrived_folder(const std::string& full_path, const std::string& relative_path,
                                const ListDirectoryFn& list, const FactReader& read_facts,
                                const std::function<void(std::chrono::milliseconds)>& pause);

// The pauses walk_arrived_folder makes between its tries: 10, 20, 40 and 80 ms.
inline constexpr int ARRIVED_FOLDER_TRIES = 5;

}  // namespace norvik
