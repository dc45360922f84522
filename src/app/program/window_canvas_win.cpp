#include "app/program/window_canvas_win.h"

#include <algorithm>
#include <cmath>

#include "app/core/text_scale.h"
#include "app/view/paint.h"

#include "app/win/trace_win.h"
#include "app/win/window_proc_win.h"

namespace norvik {

namespace {

// A canvas for the window unless it has one; `now` skips the once-a-second limit on retries.
bool ensure_renderer(App& app, HWND window, bool now) {
    if (app.renderer) return true;
    WindowHost& host = window_host();
    const uint64_t tick = GetTickCount64();
    if (!now && host.renderer_failed_at && tick - *host.renderer_failed_at < 1000) {
        SetTimer(window, TIMER_RENDERER_RETRY, 1000, nullptr);
        return false;
    }
    if (host.renderers.create) app.renderer = host.renderers.create(window, drawing_dpi(app));
    if (!app.renderer) {
        host.renderer_failed_at = tick;
        SetTimer(window, TIMER_RENDERER_RETRY, 1000, nullptr);
        return false;
    }
    host.renderer_failed_at.reset();
    return true;
}

}  // namespace

void paint_window(App& app, HWND window) {
    // Validated before drawing, so that a rebuild's request for a new frame is not wiped.
    ValidateRect(window, nullptr);
    WindowHost& host = window_host();
    set_window_background(app.dark);
    // The first frame waits for Direct2D's start and the fonts: the window is the background's
    // colour meanwhile, and while no canvas can be made.
    if (!host.frame_shown) fill_client(window, nullptr, host.background);
    if (!ensure_renderer(app, window, false)) return;
    trace_event("paint-begin", app.result_generation);
    const bool lost = host.handlers.paint && host.handlers.paint(app);
    trace_event("paint-end", app.result_generation);
    host.frame_shown = !lost;
    if (!lost) return;
    // The old swap chain holds the window: it goes before the new one is made.
    app.renderer.reset();
    (void)ensure_renderer(app, window, true);
    InvalidateRect(window, nullptr, FALSE);
}

void set_window_background(bool dark) {
    const Color background = palette(dark).background;
    const auto byte = [](float channel) { return static_cast<BYTE>(std::lround(channel * 255)); };
    window_host().background = RGB(byte(background.r), byte(background.g), byte(background.b));
}

void resize_renderer(App& app, uint32_t width, uint32_t height) {
    const RendererFactory& renderers = window_host().renderers;
    if (app.renderer && renderers.resize)
        renderers.resize(*app.renderer, std::max(width, 1u), std::max(height, 1u));
}

void rebuild_renderer_fonts(App& app, uint32_t dpi) {
    const RendererFactory& renderers = window_host().renderers;
    if (app.renderer && renderers.rebuild_fonts) renderers.rebuild_fonts(*app.renderer, dpi);
}

}  // namespace norvik
