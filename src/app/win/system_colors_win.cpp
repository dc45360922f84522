#include "app/win/system_colors_win.h"

#include <windows.h>

#include "platform/folders.h"

namespace norvik {

namespace {

Color system_color(int index) {
    const COLORREF c = GetSysColor(index);
    return Color{GetRValue(c) / 255.0f, GetGValue(c) / 255.0f, GetBValue(c) / 255.0f, 1.0f};
}

}  // namespace

std::optional<SystemColors> read_high_contrast() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    const bool on = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
                    (contrast.dwFlags & HCF_HIGHCONTRASTON);
    // For the tests under Wine, whose SPI_GETHIGHCONTRAST never reports a theme on (and whose
    // SPI_SETHIGHCONTRAST fails): the system colours there follow HKCU\Control Panel\Colors.
    if (!on && environment_value("NORVIK_HIGH_CONTRAST") != "1") return std::nullopt;
    return SystemColors{system_color(COLOR_WINDOW),    system_color(COLOR_WINDOWTEXT),
                        system_color(COLOR_HIGHLIGHT), system_color(COLOR_HIGHLIGHTTEXT),
                        system_color(COLOR_GRAYTEXT),  system_color(COLOR_HOTLIGHT)};
}

uint32_t read_text_scale() {
    DWORD percent = 0;
    DWORD size = sizeof percent;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Accessibility", L"TextScaleFactor",
                     RRF_RT_REG_DWORD, nullptr, &percent, &size) != ERROR_SUCCESS)
        return 100;
    return percent;
}

}  // namespace norvik
