// norvik-cli: index folders into an index file, search it as the search box would, and show
// what a file holds. Every command runs on the calling thread (scans use their own workers) and
// returns the process exit status.
#pragma once

#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/console.h"
#include "cli/roots.h"

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

}  // namespace norvik
