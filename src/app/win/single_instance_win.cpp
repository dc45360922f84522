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

bool reach_first_instance(bool show, const wchar_t* window_class) {
    HWND first = FindWindowW(window_class, nullptr);
    if (!first) return false;
    if (!show) return true;
    DWORD process = 0;
    GetWindowThreadProcessId(first, &process);
    if (process) AllowSetForegroundWindow(process);
    // Sent, not posted, to learn whether it was taken: a window that is being destroyed after
    // Quit would drop a posted request, and this start would end with nothing shown.
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(first, WM_APP_SHOW, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, 1000,
                             &answer))
        return false;
    return answer == static_cast<DWORD_PTR>(SHOW_TAKEN);
}

SecondStartPorts system_second_start_ports() {
    SecondStartPorts ports;
    ports.claim_first = [] { return claim_first_instance(); };
    ports.reach_first = [](bool show) { return reach_first_instance(show); };
    ports.wait = [](std::chrono::milliseconds time) { Sleep(static_cast<DWORD>(time.count())); };
    ports.now = [] { return std::chrono::steady_clock::now(); };
    return ports;
}

}  // namespace norvik
