#include "app/win/win_test_support.h"

#include "app/win/window_proc_win.h"

namespace norvik::testing {
namespace {

// A top-level window whose class, class_name of this module, runs procedure. The class is
// registered on every call: registering a name again fails and changes nothing.
HWND create_window(const wchar_t* class_name, WNDPROC procedure, const wchar_t* title, int width,
                   int height) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = class_name;
    RegisterClassExW(&window_class);
    return CreateWindowExW(0, class_name, title, WS_OVERLAPPEDWINDOW, 0, 0, width, height, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

std::wstring peer_path() {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"app_win_peer.exe";
}

}  // namespace

TestWindow::TestWindow()
    : window_(create_window(L"NorvikTestWindow", DefWindowProcW, L"test", 200, 100)) {}

TestWindow::~TestWindow() {
    if (window_) DestroyWindow(window_);
}

ShellWindow::ShellWindow(const std::wstring& settings_key, int width, int height)
    : settings_path_(L"Software\\NorvikTests\\" + settings_key),
      window_(create_window(L"NorvikShellTestWindow", main_window_proc, L"Norvik", width, height)) {
    if (!window_) return;
    RegistryPaths paths;
    paths.settings = settings_path_;
    settings_ = std::make_unique<RegistrySettings>(paths);
    tray_ = std::make_unique<TrayIcon>(window_);
    shell_ = std::make_unique<WinShell>(window_, *settings_, launcher_, *tray_);
    window_host().shell = shell_.get();
}

ShellWindow::~ShellWindow() {
    WindowHost& host = window_host();
    if (IsWindow(window_)) DestroyWindow(window_);
    host.app.reset();
    host.handlers = {};
    host.renderers = {};
    host.held.clear();
    host.renderer_failed_at.reset();
    host.shell = nullptr;
    RegDeleteTreeW(HKEY_CURRENT_USER, settings_path_.c_str());
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
