// The window's canvas over its life, with App in hand in the message handlers: made on the first
// paint through the host's RendererFactory (window_proc_win.h), made again at most once a second
// after a failure (TIMER_RENDERER_RETRY) and at once when a frame reports its device lost,
// resized with the client area and rebuilt for a new DPI.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/core/app.h"

namespace norvik {

// Paints a frame (WM_PAINT), making the canvas first when there is none (at most once a second
// after a failure) and replacing it when the frame reports the device lost.
void paint_window(App& app, HWND window);

// The colour the window shows until its canvas's first frame: the palette's background.
void set_window_background(bool dark);

// The canvas follows the client size (WM_SIZE) and the DPI (WM_DPICHANGED).
void resize_renderer(App& app, uint32_t width, uint32_t height);
void rebuild_renderer_fonts(App& app, uint32_t dpi);

// The timer that tries to create the canvas again after a failure.
inline constexpr UINT_PTR TIMER_RENDERER_RETRY = static_cast<UINT_PTR>(Timer::RendererRetry);

}  // namespace norvik
