// The native build has no change watcher: norvik-cli watch says so and ends.
#include "cli/watch_command.h"

namespace norvik {

bool system_watcher_available() {
    return false;
}

void wait_for_console_interrupt() {}

bool running_under_wine() {
    return false;
}

}  // namespace norvik
