// The system's folder picker (the "Exclude a folder…" command), owned by the main window.
#pragma once

#include <windows.h>

#include <shobjidl.h>

#include <optional>
#include <string>

namespace norvik {

// A dialog's chosen item as a file system path (UTF-8); nothing when it has none.
std::optional<std::string> file_system_path(IShellItem& item);

// IFileOpenDialog with FOS_PICKFOLDERS: the chosen folder's full path (UTF-8), or nothing when
// the user cancelled or the dialog could not be made. Runs a modal loop: never call it while
// App is lent out.
std::optional<std::string> pick_folder(HWND owner);

}  // namespace norvik
