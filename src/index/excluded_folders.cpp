#include "index/excluded_folders.h"

#include <algorithm>

#include "hangul/unicode_case.h"

namespace norvik {

namespace {

// path lowercased, with "\" for "/", without empty components (so without leading, trailing or
// doubled separators).
std::string comparable(std::string_view path) {
    std::string lowered = lower_full(path);
    std::string out;
    out.reserve(lowered.size());
    for (char c : lowered) {
        if (c == '/') c = '\\';
        if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
        out.push_back(c);
    }
    if (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

// Whether path is prefix or lies below it; `rest` is then what follows prefix and a separator
// (empty for prefix itself; all of path when prefix is empty).
bool strip_folder(std::string_view path, std::string_view prefix, std::string_view& rest) {
    if (prefix.empty()) {
        rest = path;
        return true;
    }
    if (path.size() < prefix.size() || path.substr(0, prefix.size()) != prefix) return false;
    if (path.size() == prefix.size()) {
        rest = {};
        return true;
    }
    if (path[prefix.size()] != '\\') return false;
    rest = path.substr(prefix.size() + 1);
    return true;
}

}  // namespace

FolderExclusions::FolderExclusions(const std::vector<std::string>& relative_paths) {
    for (const std::string& path : relative_paths)
        paths_.push_back(comparable(path));
}

bool FolderExclusions::excludes_everything() const {
    return std::any_of(paths_.begin(), paths_.end(),
                       [](const std::string& path) { return path.empty(); });
}

bool FolderExclusions::excludes_child(std::string_view name) const {
    if (paths_.empty()) return false;
    const std::string lowered = comparable(name);
    return std::find(paths_.begin(), paths_.end(), lowered) != paths_.end();
}

FolderExclusions FolderExclusions::below(std::string_view name) const {
    return below_path(name);
}

FolderExclusions FolderExclusions::below_path(std::string_view relative_path) const {
    FolderExclusions inside;
    if (paths_.empty()) return inside;
    const std::string folder = comparable(relative_path);
    for (const std::string& path : paths_) {
        // An exclusion of the folder itself, or of one above it, excludes everything inside.
        std::string_view rest;
        if (strip_folder(folder, path, rest)) return FolderExclusions({std::string()});
        if (strip_folder(path, folder, rest)) inside.paths_.emplace_back(rest);
    }
    return inside;
}

bool FolderExclusions::covers(std::string_view relative_path) const {
    if (paths_.empty()) return false;
    const std::string item = comparable(relative_path);
    std::string_view rest;
    return std::any_of(paths_.begin(), paths_.end(),
                       [&](const std::string& path) { return strip_folder(item, path, rest); });
}

namespace {

// The components of a path, split at "/" and "\", without empty ones.
std::vector<std::string_view> components(std::string_view path) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/' && path[i] != '\\') continue;
        if (i > start) parts.push_back(path.substr(start, i - start));
        start = i + 1;
    }
    return parts;
}

}  // namespace

std::optional<std::string> path_below(std::string_view root, std::string_view full_path) {
    const std::vector<std::string_view> above = components(root);
    const std::vector<std::string_view> parts = components(full_path);
    if (parts.size() < above.size()) return std::nullopt;
    for (size_t i = 0; i < above.size(); ++i) {
        if (lower_full(above[i]) != lower_full(parts[i])) return std::nullopt;
    }
    std::string relative;
    for (size_t i = above.size(); i < parts.size(); ++i) {
        if (!relative.empty()) relative.push_back('\\');
        relative += parts[i];
    }
    return relative;
}

FolderExclusions exclusions_under(std::string_view root, std::span<const std::string> full_paths) {
    std::vector<std::string> relative;
    for (const std::string& full : full_paths) {
        if (std::optional<std::string> below = path_below(root, full))
            relative.push_back(std::move(*below));
    }
    return FolderExclusions(relative);
}

}  // namespace norvik
