#include "app/win/clipboard_win.h"

#include <algorithm>
#include <cstring>

#include "app/win/win_raii.h"

namespace norvik {

bool write_clipboard_text(HWND owner, std::u16string_view text) {
    const size_t bytes = (text.size() + 1) * sizeof(char16_t);
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory) return false;
    {
        GlobalLockGuard lock(memory.get());
        if (!lock.get()) return false;
        std::memcpy(lock.get(), text.data(), text.size() * sizeof(char16_t));
        static_cast<char16_t*>(lock.get())[text.size()] = u'\0';
    }
    ClipboardOpening clipboard(owner);
    if (!clipboard || !EmptyClipboard()) return false;
    if (!SetClipboardData(CF_UNICODETEXT, memory.get())) return false;  // still ours: freed
    memory.release();                                                   // the clipboard owns it now
    return true;
}

std::optional<std::u16string> read_clipboard_text(HWND owner, size_t limit) {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return std::nullopt;
    ClipboardOpening clipboard(owner);
    if (!clipboard) return std::nullopt;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return std::nullopt;
    GlobalLockGuard lock(data);
    if (!lock.get()) return std::nullopt;
    const size_t held = GlobalSize(data) / sizeof(char16_t);
    const char16_t* units = static_cast<const char16_t*>(lock.get());
    const size_t span = std::min(held, limit);
    const size_t length = std::find(units, units + span, u'\0') - units;
    return std::u16string(units, length);
}

}  // namespace norvik
