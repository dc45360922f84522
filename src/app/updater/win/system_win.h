// Small Win32 helpers of the updater: the system's error texts, with the platform's conversions at
// the API boundary and its files in the system folder. Included only by the updater's *_win.cpp
// files.
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

}  // namespace norvik
