#include "cli/roots.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "cli/shown_text.h"
#include "hangul/utf8.h"

namespace norvik {

namespace {

std::filesystem::path path_of(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string text_of(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// True when root lies inside outer (or is it). Both end in a separator, so "/a/b/" is inside
// "/a/" but "/ab/" is not. Windows paths compare without ASCII case, as its file system does.
bool lies_inside(const std::string& root, const std::string& outer) {
    if (root.size() < outer.size()) return false;
#ifdef _WIN32
    return ascii_equal_ignoring_case(std::string_view(root).substr(0, outer.size()), outer);
#else
    return root.starts_with(outer);
#endif
}

std::string problem_text(const std::string& folder, RootProblem problem) {
    std::string shown = "\"" + escape_for_terminal(folder) + "\"";
    switch (problem) {
        case RootProblem::Missing:
            return folder.empty() ? "an empty folder name was given" : shown + " does not exist";
        case RootProblem::NotAFolder:
            return shown + " is not a folder";
        case RootProblem::NotUtf8:
            return shown +
                   " has a path that is not valid UTF-8, which the index file cannot hold; "
                   "rename it, or index the folders inside it";
    }
    return shown;
}

}  // namespace

std::variant<std::string, RootProblem> resolve_root(const std::string& folder) {
    if (folder.empty()) return RootProblem::Missing;
    std::string given = folder;
    const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
#ifdef _WIN32
    // "D:" alone means the drive's root here, not the current folder on D:.
    if (given.size() == 2 && given[1] == ':') given.push_back('\\');
#endif
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path_of(given), error);
    if (error) return RootProblem::Missing;
    std::filesystem::file_status status = std::filesystem::status(absolute, error);
    if (!std::filesystem::exists(status)) return RootProblem::Missing;
    if (!std::filesystem::is_directory(status)) return RootProblem::NotAFolder;
    std::string root = text_of(absolute.lexically_normal());
    while (root.size() > 1 && (root.back() == separator || root.back() == '/'))
        root.pop_back();
    if (root.back() != separator) root.push_back(separator);
    if (!is_valid_utf8(root)) return RootProblem::NotUtf8;
    return root;
}

std::optional<std::vector<std::string>> resolve_folders(const std::vector<std::string>& folders,
                                                        Console& console) {
    std::vector<std::string> paths;
    for (const std::string& folder : folders) {
        std::variant<std::string, RootProblem> resolved = resolve_root(folder);
        if (const RootProblem* problem = std::get_if<RootProblem>(&resolved)) {
            console.err("norvik-cli: " + problem_text(folder, *problem) + "\n");
            return std::nullopt;
        }
        std::string& path = std::get<std::string>(resolved);
        if (std::find(paths.begin(), paths.end(), path) == paths.end())
            paths.push_back(std::move(path));
    }
    return paths;
}

std::optional<std::vector<std::string>> resolve_roots(const std::vector<std::string>& folders,
                                                      Console& console) {
    std::optional<std::vector<std::string>> resolved = resolve_folders(folders, console);
    if (!resolved) return std::nullopt;
    std::vector<std::string>& roots = *resolved;
    // Two overlapping roots would list every item inside the inner one twice. Of two that lie
    // inside each other (one folder spelled in two letter cases on Windows), the first stays.
    std::vector<std::string> kept;
    for (size_t i = 0; i < roots.size(); ++i) {
        const std::string* outer = nullptr;
        for (size_t j = 0; j < roots.size() && !outer; ++j) {
            bool same = lies_inside(roots[j], roots[i]);
            if (j != i && lies_inside(roots[i], roots[j]) && (!same || j < i)) outer = &roots[j];
        }
        if (!outer) {
            kept.push_back(roots[i]);
        } else {
            console.err("norvik-cli: " + escape_for_terminal(roots[i]) + " lies inside " +
                        escape_for_terminal(*outer) + "; its items are indexed once, with it\n");
        }
    }
    return kept;
}

}  // namespace norvik
