// Small Win32 helpers of the updater: the system's error texts and the updates folder, with the
// platform's conversions at the API boundary and its files in the system folder. Included only by
// the updater's *_win.cpp files.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "app/updater/update_results.h"
#include "platform/process_win.h"
#include "platform/wide_text.h"

namespace norvik {

// The system's description of a Win32 error code, followed by the code: "Access is denied.
// (error 5)".
std::string system_error_text(DWORD code);

// The failure of the last Win32 call that failed on this thread (GetLastError), as the user sees
// it.
UpdateFailed last_error_failure();

// The folder "Norvik" in the user's temporary folder, with a trailing backslash, created when
// missing (a failure shows later, when a download into it fails).
std::string updates_folder();

}  // namespace norvik
