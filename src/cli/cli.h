// norvik-cli: index folders into an index file, search it as the search box would, and show
// what a file holds. Every command runs on the calling thread (scans use their own workers) and
// returns the process exit status.
#pragma once

#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/console.h"

namespace norvik {

inline constexpr int EXIT_OK = 0;
inline constexpr int EXIT_FAILED = 1;         // a folder or the output could not be used
inline constexpr int EXIT_USAGE = 2;          // the command line was wrong
inline constexpr int EXIT_INDEX_MISSING = 3;  // the index file is missing or damaged

// args are the arguments after the program name, in UTF-8.
int run_cli(const std::vector<std::string>& args, Console& console);

int run_index(const CliOptions& options, Console& console);
int run_search(const CliOptions& options, Console& console);
int run_stats(const CliOptions& options, Console& console);

// The table root for a folder given on the command line: its absolute, normalized path with one
// trailing separator ("/home/me/", "D:\Photos\", "C:\" for "C:"), or nothing when it is not a
// folder.
std::optional<std::string> resolve_root(const std::string& folder);

// The distinct table roots of the folders given, in order; nothing (after a one-line message on
// the console's error stream) when one of them is not a folder.
std::optional<std::vector<std::string>> resolve_roots(const std::vector<std::string>& folders,
                                                      Console& console);

}  // namespace norvik
