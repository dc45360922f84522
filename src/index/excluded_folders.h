// The folders the user keeps out of the index, each named by its full path: nothing in them is
// scanned, walked, watched or kept from an older index file. Apart from the two names Windows
// keeps for itself (excluded_names.h), which are left out everywhere without being asked.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace norvik {

// The excluded folders at or below one folder, as paths relative to it (backslash-separated).
// Names compare as the file system compares them: after full lowercasing, so that D:\Games
// excludes d:\games as Windows would. Cheap to copy when empty, as nearly every folder's is.
class FolderExclusions {
  public:
    FolderExclusions() = default;
    // Paths relative to the folder; "/" is read as "\", and empty components are dropped. An
    // empty path stands for the folder itself.
    explicit FolderExclusions(const std::vector<std::string>& relative_paths);

    bool empty() const { return paths_.empty(); }
    // The folder itself is excluded: nothing below it belongs in the index.
    bool excludes_everything() const;
    // Whether the child of the folder named `name` is excluded.
    bool excludes_child(std::string_view name) const;
    // The exclusions below the child named `name`, relative to it.
    FolderExclusions below(std::string_view name) const;
    // The exclusions below the backslash-separated relative path, relative to it; everything
    // when that path is itself excluded or lies inside an excluded folder.
    FolderExclusions below_path(std::string_view relative_path) const;
    // Whether the item at the backslash-separated relative path is excluded or lies inside an
    // excluded folder.
    bool covers(std::string_view relative_path) const;
    // The excluded paths, lowercased, in the order given.
    const std::vector<std::string>& paths() const { return paths_; }

  private:
    std::vector<std::string> paths_;
};

// The folders of `full_paths` that are `root` (a table root: "C:\", "/home/me/") or lie below
// it, relative to it. Separators compare as one ("/" and "\"), letters after full lowercasing;
// trailing separators do not count.
FolderExclusions exclusions_under(std::string_view root, std::span<const std::string> full_paths);

// The path of full_path below root, compared as exclusions_under compares, backslash-separated
// and in full_path's own letter case ("Games\Steam" for D:/Games/Steam/ under D:\); empty for
// root itself; nothing when full_path is not at or below root.
std::optional<std::string> path_below(std::string_view root, std::string_view full_path);

}  // namespace norvik
