// Files and folders handed to the system's shell as the file manager hands them: the shell's data
// object (CF_HDROP and the shell's item lists) for the clipboard and for a drag, the shell's own
// context menu, its file operation for deleting, its properties sheet and its folder windows.
// Every function takes full paths (UTF-8) and runs on the UI thread, which OleInitialize made a
// single-threaded apartment with OLE (the clipboard and drag and drop need it).
#pragma once

#include <windows.h>

#include <oleidl.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/shell.h"

namespace norvik {

// The shell's data object for the items; null when a path cannot be parsed by the shell.
Microsoft::WRL::ComPtr<IDataObject> items_data_object(const std::vector<std::string>& paths);

// The items on the clipboard through their data object, flushed so that they stay there after
// the program ends: true when the clipboard took them.
bool copy_files_to_clipboard(const std::vector<std::string>& paths);

// Performs a Deferred ItemsRequest owned by window: 0 when it was done or the user cancelled it
// (a dismissed menu, a "No" in the system's confirmation), else a Windows error code. Runs the
// system's modal loops (menus, dialogs, the drag): never call it while App is lent out.
uint32_t perform_items(HWND window, const ItemsRequest& request);

// While the shell's context menu is up, its owner window's procedure passes the messages that
// draw and fill its submenus ("Send to", "Open with") to it first: true with `result` set when
// the menu took the message.
bool forward_to_shell_menu(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

}  // namespace norvik
