// What Windows's accessibility settings ask of the window: the high-contrast theme (whether one is
// on, SPI_GETHIGHCONTRAST, and its system colours) and the text size, read at start-up and
// again on WM_SETTINGCHANGE.
#pragma once

#include <cstdint>
#include <optional>

#include "app/core/app.h"

namespace norvik {

// The theme's colours while a high-contrast theme is on (or NORVIK_HIGH_CONTRAST=1, for tests);
// nothing otherwise.
std::optional<SystemColors> read_high_contrast();

// The text size in percent: TextScaleFactor under HKCU\Software\Microsoft\Accessibility, 100
// when it is missing (Windows writes it only once the user changed the size).
uint32_t read_text_scale();

}  // namespace norvik
