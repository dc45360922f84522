// UTF-8 and UTF-16 conversions used everywhere a name crosses a boundary.
// Invalid UTF-8 decodes to U+FFFD one byte at a time; unpaired surrogates become U+FFFD.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace norvik {

inline constexpr char32_t REPLACEMENT_CHARACTER = 0xFFFD;

// True for strict UTF-8, the bytes decode_utf8 reads without a replacement: no overlong forms,
// no surrogates, nothing above U+10FFFF.
// Checks 16 bytes at a time where the processor allows (SSSE3).
bool is_valid_utf8(std::string_view text);
// The same answer one sequence at a time: the fallback, and the reference the fast one is
// tested against.
bool is_valid_utf8_bytewise(std::string_view text);

// Decodes the code point starting at text[pos] and advances pos past it. Malformed or
// truncated sequences (and overlong forms, surrogates, values above U+10FFFF) yield U+FFFD
// and advance by one byte. pos must be below text.size().
char32_t decode_utf8(std::string_view text, size_t& pos);

// Appends the UTF-8 form of c (U+FFFD for surrogates and values above U+10FFFF).
void append_utf8(std::string& out, char32_t c);

// UTF-8 from scalar values (surrogates and values above U+10FFFF become U+FFFD).
std::string utf32_to_utf8(std::u32string_view text);

// True when every byte is below 0x80. Checks 32-byte blocks at a time.
bool is_ascii(std::string_view text);

// True when a and b have the same length and differ only in the case of ASCII letters A-Z.
bool ascii_equal_ignoring_case(std::string_view a, std::string_view b);

// Length of the longest prefix of text that is at most max_bytes long and ends on a character
// boundary (a position whose byte is not a UTF-8 continuation byte, or the end).
size_t cut_at_char_boundary(std::string_view text, size_t max_bytes);

// UTF-16 from UTF-8 (malformed bytes become U+FFFD).
std::u16string utf8_to_utf16(std::string_view text);

// UTF-8 from UTF-16 units; unpaired surrogates become U+FFFD.
std::string utf16_to_utf8(std::u16string_view units);

}  // namespace norvik
