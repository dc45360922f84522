// Helpers for the window shell's tests under Wine: a plain hidden window to own things, a launcher
// that starts nothing, a window on the program's window procedure with a real shell, and the peer
// program that plays "another process" (with ui_support's message pump).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/win/launcher_win.h"
#include "app/win/registry_settings_win.h"
#include "app/win/tray_win.h"
#include "app/win/win_shell_win.h"
#include "ui_support/pump_messages.h"

namespace norvik::testing {

// A hidden top-level window with DefWindowProcW, destroyed with the object.
class TestWindow {
  public:
    TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    ~TestWindow();
    HWND get() const { return window_; }

  private:
    HWND window_ = nullptr;
};

// Opens and starts nothing, and says so: for a shell whose test never launches anything.
class NullLauncher : public Launcher {
  public:
    void shell_open(const std::wstring&) override {}
    uint32_t shell_verb(const std::wstring&, ShellVerb) override { return 0; }
    bool start_process(const std::wstring&, const std::wstring&) override { return false; }
};

// A window on the program's window procedure in the hands of a real WinShell: its settings under
// HKCU\Software\NorvikTests\<settings_key>, a tray icon and a NullLauncher. Made while the host
// has no App, so creation goes to DefWindowProcW; the host's shell is this one, and the test puts
// its App and handlers in window_host(). Going, it destroys the window, empties the host and
// deletes the settings key.
class ShellWindow {
  public:
    ShellWindow(const std::wstring& settings_key, int width, int height);
    ShellWindow(const ShellWindow&) = delete;
    ShellWindow& operator=(const ShellWindow&) = delete;
    ~ShellWindow();
    // Null when the window could not be made (and then there is no shell).
    HWND get() const { return window_; }
    WinShell& shell() { return *shell_; }

  private:
    std::wstring settings_path_;
    HWND window_ = nullptr;
    NullLauncher launcher_;
    std::unique_ptr<RegistrySettings> settings_;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<WinShell> shell_;
};

// Runs app_win_peer.exe (beside the test program) with arguments and waits for it: its exit
// code, or 255 when it could not be run.
DWORD run_peer(const std::wstring& arguments);

// The peer started without waiting; its process handle (closed by the caller's KernelHandle).
HANDLE start_peer(const std::wstring& arguments);

}  // namespace norvik::testing
