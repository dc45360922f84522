// A bare top-level window for UI tests, shown at the top left of the screen with a client area
// of exactly the asked size, and destroyed with its owner. Tests under Wine draw into it and
// read it back with screen_capture.h; run them one at a time (windows overlap otherwise).
#pragma once

#include <windows.h>

namespace norvik::testing {

class DrawingWindow {
  public:
    DrawingWindow(int width, int height);
    DrawingWindow(const DrawingWindow&) = delete;
    DrawingWindow& operator=(const DrawingWindow&) = delete;
    ~DrawingWindow();

    // Null when the window could not be made: with no X display, CreateWindowExW fails.
    HWND get() const { return window_; }
    // Handles what is queued for the window (its size and paint messages), without waiting.
    void pump() const;

  private:
    HWND window_ = nullptr;
};

// The message a test prints when it finds no window: how to give it a display.
inline constexpr const char* NO_DISPLAY_HINT =
    "no window: UI tests need an X display; ctest gives them one (tests/ui_support/wine-ui-run.sh)";

}  // namespace norvik::testing
