#include "app/win/placement_win.h"

#include <cstring>
#include <optional>

#include "app/core/settings.h"
#include "app/core/text_scale.h"
#include "app/view/layout.h"
#include "app/win/system_colors_win.h"

namespace norvik {
namespace {

static_assert(sizeof(WINDOWPLACEMENT) == PLACEMENT_BYTES);

// The work area of the monitor nearest to the window (the primary one when that fails).
std::optional<PixelRect> work_area_of(HWND window, DWORD fallback) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(window, fallback), &monitor)) return std::nullopt;
    const RECT& work = monitor.rcWork;
    return PixelRect{work.left, work.top, work.right - work.left, work.bottom - work.top};
}

// A placement saved on another screen, at another scale or before the taskbar moved can put the
// window partly off its monitor, with the status line or the menu button out of reach: the
// (still hidden) window is moved, and shrunk if need be, into the work area.
void keep_in_work_area(HWND window) {
    const std::optional<PixelRect> work = work_area_of(window, MONITOR_DEFAULTTONEAREST);
    RECT rect;
    if (!work || !GetWindowRect(window, &rect)) return;
    const PixelRect now{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
    const PixelRect fitted = fit_into_work_area(now, *work);
    if (fitted == now) return;
    SetWindowPos(window, nullptr, fitted.x, fitted.y, fitted.width, fitted.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// SetWindowPlacement shows the window unless the show command says hidden, so the saved one is
// applied hidden and the window is shown afterwards. Twice: the first call moves the window to
// the placement's monitor, where its DPI may differ from the one it was saved at; the second
// settles the placement at that monitor's scale, the same size in DIPs as when it was saved.
bool apply_saved_placement(HWND window, SettingsStore& settings) {
    std::optional<std::vector<uint8_t>> saved = saved_placement(settings);
    if (!saved) return false;
    WINDOWPLACEMENT placement;
    std::memcpy(&placement, saved->data(), sizeof placement);
    const UINT saved_show = placement.showCmd;
    placement.length = sizeof placement;
    placement.flags = 0;
    placement.showCmd = SW_HIDE;
    SetWindowPlacement(window, &placement);
    if (const std::optional<uint32_t> saved_dpi = saved_placement_dpi(settings)) {
        const uint32_t dpi = window_dpi(window);
        RECT& normal = placement.rcNormalPosition;
        normal.right =
            normal.left + rescale_placement_length(normal.right - normal.left, *saved_dpi, dpi);
        normal.bottom =
            normal.top + rescale_placement_length(normal.bottom - normal.top, *saved_dpi, dpi);
    }
    SetWindowPlacement(window, &placement);
    keep_in_work_area(window);
    ShowWindow(window, saved_show == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    return true;
}

// Where layout's first_show_rect puts it on the work area of the window's monitor.
void show_centred(HWND window) {
    if (const std::optional<PixelRect> work = work_area_of(window, MONITOR_DEFAULTTOPRIMARY)) {
        // A larger text opens a larger window, so the same rows and columns fit.
        const PixelRect rect =
            first_show_rect(text_scaled_dpi(window_dpi(window), read_text_scale()), *work);
        SetWindowPos(window, nullptr, rect.x, rect.y, rect.width, rect.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(window, SW_SHOWNORMAL);
}

}  // namespace

uint32_t window_dpi(HWND window) {
    const UINT dpi = GetDpiForWindow(window);
    return dpi < 97 ? 96 : dpi;
}

void show_main(HWND window, SettingsStore& settings, bool first_time) {
    if (first_time) {
        if (!apply_saved_placement(window, settings)) show_centred(window);
    } else {
        ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOW);
    }
    SetForegroundWindow(window);
    SetFocus(window);
}

void save_window_placement(HWND window, SettingsStore& settings) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement)) return;
    (void)settings.write_binary(
        SETTING_PLACEMENT,
        std::span(reinterpret_cast<const uint8_t*>(&placement), sizeof placement));
    (void)settings.write_dword(SETTING_PLACEMENT_DPI, window_dpi(window));
}

}  // namespace norvik
