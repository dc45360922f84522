// The input method, as the search box uses it: where its composition window sits and what it
// has composed.
#pragma once

#include <windows.h>

#include <string>

namespace norvik {

// Puts the composition window of `window` at client pixel (x, y) (CFS_POINT).
void place_ime_window(HWND window, int x, int y);

// ImmGetCompositionStringW(which) as UTF-16: GCS_RESULTSTR or GCS_COMPSTR. Empty when the
// window has no input context or the IME has no such string.
std::u16string ime_composition_string(HWND window, DWORD which);

}  // namespace norvik
