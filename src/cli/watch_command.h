// norvik-cli watch [--index FILE] [--exclude FOLDER]... ROOT...: loads the index of the given
// folders (or builds it), keeps it current with the index service and the change watchers, prints
// every batch of changes as it is handled, one line per change, and saves the index file when
// interrupted (Ctrl+C). The change watcher exists in the Windows build only.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/cli_options.h"
#include "cli/console.h"
#include "index/changes.h"
#include "service/index_service.h"

namespace norvik {

struct WatchOptions {
    std::string index_file;  // empty: the program's own index_path()
    std::vector<std::string> roots;
    std::vector<std::string> excluded;  // --exclude: folders kept out, as given
    bool help = false;                  // --help: print the usage and end
    bool operator==(const WatchOptions&) const = default;
};

// args[0] is "watch".
std::variant<WatchOptions, UsageError> parse_watch_options(const std::vector<std::string>& args);

// One printed line (no newline) for a change under root: "added    C:\dir\a.txt",
// "renamed  C:\a -> C:\b", ...; a held-back change says it waits for the rescan.
std::string format_change(std::string_view root, const Change& change, BatchOutcome outcome);

// Runs the command; returns when wait_for_interrupt returns (the default waits for Ctrl+C,
// Ctrl+Break or the console closing). args[0] is "watch".
int run_watch(const std::vector<std::string>& args, Console& console,
              std::function<void()> wait_for_interrupt = {});

// Platform pieces (watch_command_win.cpp / watch_command_posix.cpp).
bool system_watcher_available();
void wait_for_console_interrupt();
// True under Wine, whose ReadDirectoryChangesW reports changes inside a folder that existed
// before the watch only after a handle was opened in it.
bool running_under_wine();

}  // namespace norvik
