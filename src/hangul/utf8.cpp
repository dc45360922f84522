#include "hangul/utf8.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define NORVIK_UTF8_SIMD 1
#endif

namespace norvik {

namespace {

bool is_continuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

constexpr uint64_t HIGH_BITS = 0x8080808080808080ull;

}  // namespace

char32_t decode_utf8(std::string_view text, size_t& pos) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + pos;
    const size_t left = text.size() - pos;
    const unsigned char b0 = p[0];
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    // The second byte's allowed range depends on the lead byte; this is what rejects overlong
    // forms (E0 80-9F, F0 80-8F), surrogates (ED A0-BF) and values above U+10FFFF (F4 90-BF).
    int length = 0;
    unsigned char low = 0x80, high = 0xBF;
    char32_t c = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        c = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        c = b0 & 0x0F;
        if (b0 == 0xE0) low = 0xA0;
        if (b0 == 0xED) high = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        c = b0 & 0x07;
        if (b0 == 0xF0) low = 0x90;
        if (b0 == 0xF4) high = 0x8F;
    } else {
        ++pos;
        return REPLACEMENT_CHARACTER;
    }
    if (left < static_cast<size_t>(length) || p[1] < low || p[1] > high) {
        ++pos;
        return REPLACEMENT_CHARACTER;
    }
    c = (c << 6) | (p[1] & 0x3F);
    for (int i = 2; i < length; ++i) {
        if (!is_continuation(p[i])) {
            ++pos;
            return REPLACEMENT_CHARACTER;
        }
        c = (c << 6) | (p[i] & 0x3F);
    }
    pos += static_cast<size_t>(length);
    return c;
}

void append_utf8(std::string& out, char32_t c) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = REPLACEMENT_CHARACTER;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        char buf[2] = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
        out.append(buf, 2);
    } else if (c < 0x10000) {
        char buf[3] = {static_cast<char>(0xE0 | (c >> 12)),
                       static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                       static_cast<char>(0x80 | (c & 0x3F))};
        out.append(buf, 3);
    } else {
        char buf[4] = {
            static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
            static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
        out.append(buf, 4);
    }
}

bool is_ascii(std::string_view text) {
    const char* p = text.data();
    size_t n = text.size();
    // Four 8-byte words per step; memcpy keeps the loads free of alignment assumptions.
    while (n >= 32) {
        uint64_t w[4];
        std::memcpy(w, p, 32);
        if ((w[0] | w[1] | w[2] | w[3]) & HIGH_BITS) return false;
        p += 32;
        n -= 32;
    }
    unsigned char any = 0;
    for (size_t i = 0; i < n; ++i)
        any |= static_cast<unsigned char>(p[i]);
    return any < 0x80;
}

size_t cut_at_char_boundary(std::string_view text, size_t max_bytes) {
    if (text.size() <= max_bytes) return text.size();
    size_t end = max_bytes;
    while (end > 0 && is_continuation(static_cast<unsigned char>(text[end])))
        --end;
    return end;
}

std::u16string utf8_to_utf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        const auto b = static_cast<unsigned char>(text[pos]);
        if (b < 0x80) {
            out.push_back(b);
            ++pos;
            continue;
        }
        const char32_t c = decode_utf8(text, pos);
        if (c < 0x10000) {
            out.push_back(static_cast<char16_t>(c));
        } else {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    return out;
}

std::string utf16_to_utf8(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        char32_t c = u;
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
                c = 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (units[i + 1] - 0xDC00);
                ++i;
            } else {
                c = REPLACEMENT_CHARACTER;
            }
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            c = REPLACEMENT_CHARACTER;
        }
        append_utf8(out, c);
    }
    return out;
}

std::string utf32_to_utf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text)
        append_utf8(out, c);
    return out;
}

bool ascii_equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x += 'a' - 'A';
        if (y >= 'A' && y <= 'Z') y += 'a' - 'A';
        if (x != y) return false;
    }
    return true;
}

bool is_valid_utf8_bytewise(std::string_view text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    size_t i = 0;
    auto continuation = [&](size_t at) { return (s[at] & 0xC0) == 0x80; };
    while (i < n) {
        if (n - i >= 8) {
            uint64_t block;
            std::memcpy(&block, s + i, 8);
            if ((block & 0x8080808080808080ull) == 0) {
                i += 8;
                continue;
            }
        }
        unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
        } else if (c < 0xC2) {
            return false;  // a stray continuation byte, or an overlong two-byte form
        } else if (c < 0xE0) {
            if (n - i < 2 || !continuation(i + 1)) return false;
            i += 2;
        } else if (c < 0xF0) {
            if (n - i < 3 || !continuation(i + 1) || !continuation(i + 2)) return false;
            if (c == 0xE0 && s[i + 1] < 0xA0) return false;   // overlong
            if (c == 0xED && s[i + 1] >= 0xA0) return false;  // a surrogate
            i += 3;
        } else if (c < 0xF5) {
            if (n - i < 4 || !continuation(i + 1) || !continuation(i + 2) || !continuation(i + 3))
                return false;
            if (c == 0xF0 && s[i + 1] < 0x90) return false;   // overlong
            if (c == 0xF4 && s[i + 1] >= 0x90) return false;  // above U+10FFFF
            i += 4;
        } else {
            return false;
        }
    }
    return true;
}

#if NORVIK_UTF8_SIMD
namespace {

// The classes of error that a pair of neighbouring bytes can show, looked up from the high and
// low nibble of the first and the high nibble of the second; a lead byte's need for a second or
// third continuation is checked from the bytes two and three back.
constexpr uint8_t TOO_SHORT = 1 << 0;  // a lead or ASCII byte where a continuation was due
constexpr uint8_t TOO_LONG = 1 << 1;   // a continuation after ASCII
constexpr uint8_t OVERLONG_3 = 1 << 2;
constexpr uint8_t TOO_LARGE = 1 << 3;
constexpr uint8_t SURROGATE = 1 << 4;
constexpr uint8_t OVERLONG_2 = 1 << 5;
constexpr uint8_t TOO_LARGE_1000 = 1 << 6;
constexpr uint8_t OVERLONG_4 = 1 << 6;
constexpr uint8_t TWO_CONTS = 1 << 7;  // two continuations in a row: fine only inside a 3/4-byte
constexpr uint8_t CARRY = TOO_SHORT | TOO_LONG | TWO_CONTS;

#define NORVIK_TABLE(...) _mm_setr_epi8(__VA_ARGS__)
#define C(x) static_cast<char>(x)

[[gnu::target("ssse3")]] inline __m128i block_errors(__m128i input, __m128i previous) {
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i prev1 = _mm_alignr_epi8(input, previous, 15);
    const __m128i byte_1_high = _mm_shuffle_epi8(
        NORVIK_TABLE(C(TOO_LONG), C(TOO_LONG), C(TOO_LONG), C(TOO_LONG), C(TOO_LONG), C(TOO_LONG),
                     C(TOO_LONG), C(TOO_LONG), C(TWO_CONTS), C(TWO_CONTS), C(TWO_CONTS),
                     C(TWO_CONTS), C(TOO_SHORT | OVERLONG_2), C(TOO_SHORT),
                     C(TOO_SHORT | OVERLONG_3 | SURROGATE),
                     C(TOO_SHORT | TOO_LARGE | TOO_LARGE_1000 | OVERLONG_4)),
        _mm_and_si128(_mm_srli_epi16(prev1, 4), nibble));
    const __m128i byte_1_low = _mm_shuffle_epi8(
        NORVIK_TABLE(C(CARRY | OVERLONG_3 | OVERLONG_2 | OVERLONG_4), C(CARRY | OVERLONG_2),
                     C(CARRY), C(CARRY), C(CARRY | TOO_LARGE),
                     C(CARRY | TOO_LARGE | TOO_LARGE_1000), C(CARRY | TOO_LARGE | TOO_LARGE_1000),
                     C(CARRY | TOO_LARGE | TOO_LARGE_1000), C(CARRY | TOO_LARGE | TOO_LARGE_1000),
                     C(CARRY | TOO_LARGE | TOO_LARGE_1000), C(CARRY | TOO_LARGE | TOO_LARGE_1000),
                     C(CARRY | TOO_LARGE | TOO_LARGE_1000), C(CARRY | TOO_LARGE | TOO_LARGE_1000),
                     C(CARRY | TOO_LARGE | TOO_LARGE_1000 | SURROGATE),
                     C(CARRY | TOO_LARGE | TOO_LARGE_1000), C(CARRY | TOO_LARGE | TOO_LARGE_1000)),
        _mm_and_si128(prev1, nibble));
    const __m128i byte_2_high = _mm_shuffle_epi8(
        NORVIK_TABLE(
            C(TOO_SHORT), C(TOO_SHORT), C(TOO_SHORT), C(TOO_SHORT), C(TOO_SHORT), C(TOO_SHORT),
            C(TOO_SHORT), C(TOO_SHORT),
            C(TOO_LONG | OVERLONG_2 | TWO_CONTS | OVERLONG_3 | TOO_LARGE_1000 | OVERLONG_4),
            C(TOO_LONG | OVERLONG_2 | TWO_CONTS | OVERLONG_3 | TOO_LARGE),
            C(TOO_LONG | OVERLONG_2 | TWO_CONTS | SURROGATE | TOO_LARGE),
            C(TOO_LONG | OVERLONG_2 | TWO_CONTS | SURROGATE | TOO_LARGE), C(TOO_SHORT),
            C(TOO_SHORT), C(TOO_SHORT), C(TOO_SHORT)),
        _mm_and_si128(_mm_srli_epi16(input, 4), nibble));
    const __m128i special = _mm_and_si128(_mm_and_si128(byte_1_high, byte_1_low), byte_2_high);
    // Bytes two and three after a three- or four-byte lead must be continuations: exactly where
    // the table marked TWO_CONTS.
    const __m128i prev2 = _mm_alignr_epi8(input, previous, 14);
    const __m128i prev3 = _mm_alignr_epi8(input, previous, 13);
    const __m128i third = _mm_subs_epu8(prev2, _mm_set1_epi8(C(0xE0 - 0x80)));
    const __m128i fourth = _mm_subs_epu8(prev3, _mm_set1_epi8(C(0xF0 - 0x80)));
    const __m128i must_continue =
        _mm_and_si128(_mm_or_si128(third, fourth), _mm_set1_epi8(C(0x80)));
    return _mm_xor_si128(must_continue, special);
}

#undef C
#undef NORVIK_TABLE

// 16 bytes at a time; runs of ASCII cost one test per block. A block of zeros after the end
// makes a sequence cut short by the end show as TOO_SHORT.
[[gnu::target("ssse3")]] bool is_valid_utf8_ssse3(std::string_view text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    __m128i previous = _mm_setzero_si128();
    __m128i errors = _mm_setzero_si128();
    bool previous_ascii = true;
    size_t i = 0;
    auto check = [&](__m128i input) {
        const bool ascii = _mm_movemask_epi8(input) == 0;
        if (!(ascii && previous_ascii))
            errors = _mm_or_si128(errors, block_errors(input, previous));
        previous = input;
        previous_ascii = ascii;
    };
    for (; i + 16 <= n; i += 16) {
        check(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
        if ((i & 0xFFF) == 0 &&
            _mm_movemask_epi8(_mm_cmpeq_epi8(errors, _mm_setzero_si128())) != 0xFFFF)
            return false;  // a damaged file fails early
    }
    alignas(16) unsigned char tail[16] = {};
    if (i < n) {
        std::memcpy(tail, s + i, n - i);
        check(_mm_load_si128(reinterpret_cast<const __m128i*>(tail)));
        std::memset(tail, 0, sizeof tail);
    }
    check(_mm_load_si128(reinterpret_cast<const __m128i*>(tail)));
    return _mm_movemask_epi8(_mm_cmpeq_epi8(errors, _mm_setzero_si128())) == 0xFFFF;
}

}  // namespace
#endif

bool is_valid_utf8(std::string_view text) {
#if NORVIK_UTF8_SIMD
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (ssse3) return is_valid_utf8_ssse3(text);
#endif
    return is_valid_utf8_bytewise(text);
}

}  // namespace norvik
