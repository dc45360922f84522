// Helpers for the window shell's tests under Wine: a plain hidden window to own things, a launcher
// that starts nothing, and the peer program that plays "another process" (with ui_support's
// message pump).
#pragma once

#include <windows.h>

#include <string>

#include "app/launcher_win.h"
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
    bool start_process(const std::wstring&, const std::wstring&) override { return false; }
};

// Runs app_win_peer.exe (beside the test program) with arguments and waits for it: its exit
// code, or 255 when it could not be run.
DWORD run_peer(const std::wstring& arguments);

// The peer started without waiting; its process handle (closed by the caller's KernelHandle).
HANDLE start_peer(const std::wstring& arguments);

}  // namespace norvik::testing
