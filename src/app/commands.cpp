#include "app/commands.h"

namespace norvik {

void rebuild_file_list(App& app, Shell& shell) {
    // A rebuild that cannot start (shutting down, no thread) has nothing to show.
    (void)app.engine.service->rebuild_all();
    shell.invalidate();
}

}  // namespace norvik
