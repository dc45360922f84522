// One item found by walking a folder's subtree: its path relative to the drive root
// (backslash-separated, UTF-8) and its file facts.
#pragma once

#include <string>

#include "index/entry.h"

namespace norvik {

struct WalkedItem {
    std::string path;
    FileFacts facts;
};

}  // namespace norvik
