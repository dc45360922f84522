#include "app_win/win_test_support.h"

namespace norvik::testing {
namespace {

const wchar_t* test_window_class() {
    static const wchar_t* name = [] {
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof window_class;
        window_class.lpfnWndProc = DefWindowProcW;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.lpszClassName = L"NorvikTestWindow";
        RegisterClassExW(&window_class);
        return L"NorvikTestWindow";
    }();
    return name;
}

std::wstring peer_path() {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"app_win_peer.exe";
}

}  // namespace

TestWindow::TestWindow()
    : window_(CreateWindowExW(0, test_window_class(), L"test", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {}

TestWindow::~TestWindow() {
    if (window_) DestroyWindow(window_);
}

HANDLE start_peer(const std::wstring& arguments) {
    const std::wstring program = peer_path();
    std::wstring command_line = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

DWORD run_peer(const std::wstring& arguments) {
    HANDLE process = start_peer(arguments);
    if (!process) return 255;
    WaitForSingleObject(process, 30000);
    DWORD code = 255;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code;
}

}  // namespace norvik::testing
