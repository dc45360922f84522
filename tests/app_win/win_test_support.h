// Helpers for the window shell's tests under Wine: a plain hidden window to own things, and the
// peer program that plays "another process".
#pragma once

#include <windows.h>

#include <string>

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

// Runs app_win_peer.exe (beside the test program) with arguments and waits for it: its exit
// code, or 255 when it could not be run.
DWORD run_peer(const std::wstring& arguments);

// The peer started without waiting; its process handle (closed by the caller's KernelHandle).
HANDLE start_peer(const std::wstring& arguments);

// Dispatches this thread's waiting messages.
void pump_messages();

}  // namespace norvik::testing
