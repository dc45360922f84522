// The clipboard's Unicode text (CF_UNICODETEXT). Each call opens the clipboard for itself and
// closes it on every path out.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace norvik {

// The most a paste reads, in UTF-16 units.
inline constexpr size_t CLIPBOARD_READ_LIMIT = 1'048'576;

// Empties the clipboard and puts text there: true when the clipboard took it. The memory block
// is freed again when the clipboard refuses it.
[[nodiscard]] bool write_clipboard_text(HWND owner, std::u16string_view text);

// The clipboard's text up to its first zero, at most `limit` units and never past the end of
// the block (another program's text need not end in a zero); nothing when the clipboard has no
// Unicode text or cannot be opened.
std::optional<std::u16string> read_clipboard_text(HWND owner, size_t limit = CLIPBOARD_READ_LIMIT);

}  // namespace norvik
