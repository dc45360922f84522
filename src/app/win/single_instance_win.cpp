#include "app/win/single_instance_win.h"

#include <windows.h>

#include "app/core/messages.h"

namespace norvik {

bool claim_first_instance(const wchar_t* mutex_name) {
    // Never closed: the mutex marks this process as the first until it ends.
    HANDLE mutex = CreateMutexW(nullptr, TRUE, mutex_name);
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    return true;
}

void hand_off_to_first_instance(const wchar_t* window_class) {
    HWND first = FindWindowW(window_class, nullptr);
    if (!first) return;
    DWORD process = 0;
    GetWindowThreadProcessId(first, &process);
    if (process) AllowSetForegroundWindow(process);
    PostMessageW(first, WM_APP_SHOW, 0, 0);
}

}  // namespace norvik
