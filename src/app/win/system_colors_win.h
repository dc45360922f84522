// The high-contrast theme as Windows reports it: whether one is on (SPI_GETHIGHCONTRAST) and its
// system colours, read at start-up and again on WM_SETTINGCHANGE.
#pragma once

#include <optional>

#include "app/core/app.h"

namespace norvik {

// The theme's colours while a high-contrast theme is on; nothing otherwise.
std::optional<SystemColors> read_high_contrast();

}  // namespace norvik
