// The commands of the settings, tray and context menus, and the keys that share them.
#pragma once

#include "app/app.h"
#include "app/shell.h"

namespace norvik {

// "Rebuild the file list" and F5: rescans every volume on a new thread, then repaints.
void rebuild_file_list(App& app, Shell& shell);

}  // namespace norvik
