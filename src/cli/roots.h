// The folders given on norvik-cli's command line, made into table roots: absolute, normalized,
// one trailing separator, each checked before anything is scanned or written.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/console.h"

namespace norvik {

enum class RootProblem {
    Missing,     // nothing is there (a dangling link included), or the argument is empty
    NotAFolder,  // something is there, but not a folder
    NotUtf8,     // the path is not valid UTF-8: the index file could not hold it
};

// The table root for a folder given on the command line: its absolute, normalized path with one
// trailing separator ("/home/me/", "D:\Photos\", "C:\" for "C:"), or why it cannot be one.
std::variant<std::string, RootProblem> resolve_root(const std::string& folder);

// The table roots of the folders given, in order, each once. A folder that lies inside another
// one given is dropped (its items are indexed with the outer one), with a line saying so on the
// console's error stream. Nothing, after a one-line message, when a folder cannot be a root.
std::optional<std::vector<std::string>> resolve_roots(const std::vector<std::string>& folders,
                                                      Console& console);

// The folders given, as resolve_root makes them, in order, each once. Nothing, after a one-line
// message, when one cannot be a root (for --exclude too: a mistyped folder would otherwise
// quietly exclude nothing).
std::optional<std::vector<std::string>> resolve_folders(const std::vector<std::string>& folders,
                                                        Console& console);

}  // namespace norvik
