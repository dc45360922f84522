// Ctrl+C for norvik-cli watch, and telling Wine apart from Windows.
#include <windows.h>

#include "cli/watch_command.h"
#include "platform/win_handles.h"

namespace norvik {

namespace {

// Set by the console's control handler (its own thread); the command waits on it.
KernelHandle& interrupted() {
    static KernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    return event;
}

BOOL WINAPI on_console_control(DWORD) {
    SetEvent(interrupted().get());
    // The process ends when this returns for a closing console; give the save a moment.
    Sleep(5000);
    return TRUE;
}

}  // namespace

bool system_watcher_available() {
    return true;
}

void wait_for_console_interrupt() {
    if (!interrupted() || !SetConsoleCtrlHandler(on_console_control, TRUE)) return;
    WaitForSingleObject(interrupted().get(), INFINITE);
}

bool running_under_wine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace norvik
