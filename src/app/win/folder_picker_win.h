// The system's folder picker (the "Exclude a folder…" command), owned by the main window.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace norvik {

// IFileOpenDialog with FOS_PICKFOLDERS: the chosen folder's full path (UTF-8), or nothing when
// the user cancelled or the dialog could not be made. Runs a modal loop: never call it while
// App is lent out.
std::optional<std::string> pick_folder(HWND owner);

}  // namespace norvik
