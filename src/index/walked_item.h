// One item found by walking a folder's subtree: its path relative to the drive root
// (backslash-separated, UTF-8) and its file facts; and a whole walk's findings.
#pragma once

#include <string>
#include <vector>

#include "index/entry.h"

namespace norvik {

struct WalkedItem {
    std::string path;
    FileFacts facts;
};

// What a walk of a folder's subtree found, and whether that is all of it.
struct SubtreeWalk {
    std::vector<WalkedItem> items;
    // False when the walk stopped at its limit or a folder in it was there but could not be
    // listed: the items are right but some are missing, and only a rescan brings them.
    bool complete = true;
};

}  // namespace norvik
