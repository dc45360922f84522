// The program from its entry to the end of its message loop.
#pragma once

#include <string>
#include <vector>

namespace norvik {

struct StartOptions {
    bool unregister = false;  // --unregister: the uninstaller's clean-up, then exit
    bool tray = false;        // --tray: start hidden (the autostart entry)
};

// Each argument compared whole and case-sensitively; others are ignored.
StartOptions read_start_options(const std::vector<std::wstring>& arguments);

// The uninstaller's clean-up: the Run value, the settings key, the index file and its folder
// (only when empty). Every failure is ignored.
void unregister_norvik();

// Runs Norvik: single instance, window, workers, message loop. Returns the exit code; the caller
// ends the process with it without running static destructors (workers may still run).
int run_norvik(const StartOptions& options);

}  // namespace norvik
