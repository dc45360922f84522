// UTF-16 from the clipboard, the IME and WM_CHAR, as scalar values for the text buffer.
#pragma once

#include <string>
#include <string_view>

namespace norvik {

constexpr bool is_high_surrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool is_low_surrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
// The character a high and a low surrogate stand for together.
constexpr char32_t combine_surrogates(char16_t high, char16_t low) {
    return 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) +
           (static_cast<char32_t>(low) - 0xDC00);
}

// Pairs surrogates; an unpaired surrogate becomes U+FFFD.
std::u32string decode_utf16(std::u16string_view units);

}  // namespace norvik
