// Starting other programs: where the system's own programs are, and the one call that starts a
// process. Windows only.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/win_handles.h"

namespace norvik {

// The full path of a file in the system folder (GetSystemDirectoryW: C:\Windows\System32).
// Programs started by the program are named by such a path, never looked up from the current
// folder.
std::optional<std::wstring> system_folder_file(std::wstring_view name);

// Starts application with command_line (the whole line, the program's quoted path first) and the
// creation flags; the new process, not waited for, or an empty handle when it did not start
// (GetLastError tells why).
KernelHandle create_process(const std::wstring& application, std::wstring command_line,
                            DWORD flags = 0);

}  // namespace norvik
