#include "app/win/ime_win.h"

#include "app/win/win_raii.h"

namespace norvik {

void place_ime_window(HWND window, int x, int y) {
    ImeContext context(window);
    if (!context.get()) return;
    COMPOSITIONFORM form{};
    form.dwStyle = CFS_POINT;
    form.ptCurrentPos = POINT{x, y};
    ImmSetCompositionWindow(context.get(), &form);
}

std::u16string ime_composition_string(HWND window, DWORD which) {
    ImeContext context(window);
    if (!context.get()) return {};
    const LONG bytes = ImmGetCompositionStringW(context.get(), which, nullptr, 0);
    if (bytes <= 0) return {};
    std::u16string text(static_cast<size_t>(bytes) / sizeof(char16_t), u'\0');
    const LONG read =
        ImmGetCompositionStringW(context.get(), which, text.data(), static_cast<DWORD>(bytes));
    if (read <= 0) return {};
    text.resize(std::min(text.size(), static_cast<size_t>(read) / sizeof(char16_t)));
    return text;
}

}  // namespace norvik
