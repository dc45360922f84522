// The system's text size (Settings > Accessibility > Text size, kept by Windows as the percentage
// TextScaleFactor under HKCU\Software\Microsoft\Accessibility). The window is drawn as if its
// DPI were larger by that factor: fonts grow, and with them the rows, the bands of the search
// box, tabs, header and status line and the fixed columns that hold the text, so a larger text is
// never cut by a box sized for the smaller one.
#pragma once

#include <cstdint>

#include "app/core/app.h"
#include "app/core/shell.h"

namespace norvik {

// Windows offers 100 % to 225 %; anything outside is read as the nearer end.
inline constexpr uint32_t MIN_TEXT_SCALE = 100;
inline constexpr uint32_t MAX_TEXT_SCALE = 225;

// The DPI the window draws at: dpi (at least 96) times the text scale, to the nearest whole DPI.
uint32_t text_scaled_dpi(uint32_t dpi, uint32_t text_scale);

// The drawing DPI of the window now: the one its fonts are made at.
uint32_t drawing_dpi(const App& app);

// Sets the text scale (clamped) and the scale that follows from it and app.dpi; the list keeps the
// same rows in view. False when the scale did not change: the shell then keeps its fonts.
bool set_text_scale(App& app, Shell& shell, uint32_t text_scale);

}  // namespace norvik
