// Small Win32 helpers of the updater: the system's error texts and files in the system folder,
// with hangul/wide_text.h's conversions at the API boundary. Included only by the updater's
// *_win.cpp files.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "app/updater/update_results.h"
#include "hangul/wide_text.h"

namespace norvik {

// The system's description of a Win32 error code, followed by the code: "Access is denied.
// (error 5)".
std::string system_error_text(DWORD code);

// The failure of the last Win32 call that failed on this thread (GetLastError), as the user sees
// it.
UpdateFailed last_error_failure();

// The full path of a file in the system folder (GetSystemDirectoryW: C:\Windows\System32).
// Programs the updater runs are named by such a path, never looked up from the current folder.
std::optional<std::wstring> system_folder_file(std::wstring_view name);

}  // namespace norvik
