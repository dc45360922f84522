// Windows' wide strings (UTF-16 in a 16-bit wchar_t) to and from the UTF-8 the rest of the
// program speaks, at the Win32 API boundary. Included only by *_win.cpp files and the shell's
// Windows headers.
#pragma once

#include <string>
#include <string_view>

#include "hangul/utf8.h"

namespace norvik {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide strings are UTF-16 only on Windows");

// Malformed UTF-8 bytes become U+FFFD.
inline std::wstring to_wide(std::string_view utf8) {
    const std::u16string units = utf8_to_utf16(utf8);
    return std::wstring(units.begin(), units.end());
}

// Unpaired surrogates become U+FFFD.
inline std::string from_wide(std::wstring_view wide) {
    return utf16_to_utf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace norvik
