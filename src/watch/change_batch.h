// Turning one read's raw events into the batch of Changes that apply_changes takes: collapsing
// repeats, dropping excluded names, pairing the two halves of a rename, and reading the facts
// and subtrees the changes carry. The file system is reached only through the two functions
// given, so all of this runs on bytes and fakes in tests.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "index/changes.h"
#include "index/entry.h"
#include "index/walked_item.h"
#include "watch/notify_records.h"

namespace norvik {

// The facts of the item at a full path (GetFileAttributesExW), or nothing when it vanished or
// cannot be read.
using FactReader = std::function<std::optional<FileFacts>(const std::string& full_path)>;

// The items below the folder at full_path, with paths starting at relative_path (walk_subtree).
using SubtreeWalker = std::function<std::vector<WalkedItem>(const std::string& full_path,
                                                            const std::string& relative_path)>;

// root without its trailing backslashes, one backslash, then the relative name.
std::string event_full_path(std::string_view root, std::string_view relative);

// The batch for events read under root, in order. Facts are read only for added, modified and
// renamed items, after repeats were collapsed; folders that arrive (added, or renamed in from an
// excluded folder) are walked.
std::vector<Change> build_batch(std::string_view root, const std::vector<RawEvent>& events,
                                const FactReader& read_facts, const SubtreeWalker& walk);

}  // namespace norvik
