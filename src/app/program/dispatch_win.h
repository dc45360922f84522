// The message map of the main window: each message unpacked and handed to the core's handler
// for it (app/core/window_events.h, keys.h, mouse, ime.h, ...), with App in hand.
#pragma once

#include <windows.h>

#include <optional>

#include "app/core/app.h"
#include "app/win/window_proc_win.h"

namespace norvik {

// The program's handlers for the window host: the message map, menu commands, message box
// answers and painting.
WindowHandlers program_handlers();

}  // namespace norvik
