// Reading back what a window shows, for UI tests under Wine and Xvfb: the window's client area
// copied from the screen, so that frames drawn by Direct3D are seen as a user would see them.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace norvik::testing {

// Pixels as 0xRRGGBB, row by row from the top left.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Writes a 24-bit BMP (ImageMagick's convert makes a PNG of it); false when it cannot.
    bool save_bmp(const std::string& path) const;
};

// The client area of `window` as it is on the screen now; nothing when it cannot be read.
std::optional<Capture> capture_client(HWND window);

// A frame reaches the X server a moment after Present: captures until `ready` holds for one,
// or returns the last capture when `timeout` runs out (nothing if none could be read).
std::optional<Capture> capture_when(HWND window, const std::function<bool(const Capture&)>& ready,
                                    std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Keeps a capture for a person to look at: saved as NAME.bmp in the folder named by the
// environment variable NORVIK_UI_CAPTURE_DIR, when it is set (a Windows path, e.g. Z:\tmp\ui).
void keep_capture(const Capture& capture, const std::string& name);

}  // namespace norvik::testing
