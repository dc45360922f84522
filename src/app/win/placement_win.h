// Where the main window appears: the saved placement on the first show, else centred on its
// monitor's work area; and saving the placement when it hides.
#pragma once

#include <windows.h>

#include "app/core/shell.h"

namespace norvik {

// First show: the saved 44-byte Placement (its normal size rescaled from the DPI it was saved at
// to the window's DPI on its monitor, then moved and if need be shrunk into that monitor's work
// area), applied hidden and then shown maximised or normal,
// or without one the 960 x 640 (scaled) window centred on the work area. Later shows restore a
// minimised window or show it as it was. Then the window comes to the front with the focus.
void show_main(HWND window, SettingsStore& settings, bool first_time);

// GetWindowPlacement, written to Placement when it succeeds, and the window's DPI to
// PlacementDpi.
void save_window_placement(HWND window, SettingsStore& settings);

// The window's DPI (values below 97, and a failed query, count as 96).
uint32_t window_dpi(HWND window);

}  // namespace norvik
