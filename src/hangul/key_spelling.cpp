#include "hangul/key_spelling.h"

#include <cstddef>
#include <iterator>

#include "hangul/hangul.h"
#include "hangul/utf8.h"

namespace norvik {

namespace {

struct JamoKeys {
    char32_t jamo;
    const char* keys;
};

// Every compatibility jamo in code point order, U+3131 to U+3163, with the keys that type it.
constexpr JamoKeys JAMO_KEYS[] = {
    {U'ㄱ', "r"},  {U'ㄲ', "r"},  {U'ㄳ', "rt"}, {U'ㄴ', "s"},  {U'ㄵ', "sw"}, {U'ㄶ', "sg"},
    {U'ㄷ', "e"},  {U'ㄸ', "e"},  {U'ㄹ', "f"},  {U'ㄺ', "fr"}, {U'ㄻ', "fa"}, {U'ㄼ', "fq"},
    {U'ㄽ', "ft"}, {U'ㄾ', "fx"}, {U'ㄿ', "fv"}, {U'ㅀ', "fg"}, {U'ㅁ', "a"},  {U'ㅂ', "q"},
    {U'ㅃ', "q"},  {U'ㅄ', "qt"}, {U'ㅅ', "t"},  {U'ㅆ', "t"},  {U'ㅇ', "d"},  {U'ㅈ', "w"},
    {U'ㅉ', "w"},  {U'ㅊ', "c"},  {U'ㅋ', "z"},  {U'ㅌ', "x"},  {U'ㅍ', "v"},  {U'ㅎ', "g"},
    {U'ㅏ', "k"},  {U'ㅐ', "o"},  {U'ㅑ', "i"},  {U'ㅒ', "o"},  {U'ㅓ', "j"},  {U'ㅔ', "p"},
    {U'ㅕ', "u"},  {U'ㅖ', "p"},  {U'ㅗ', "h"},  {U'ㅘ', "hk"}, {U'ㅙ', "ho"}, {U'ㅚ', "hl"},
    {U'ㅛ', "y"},  {U'ㅜ', "n"},  {U'ㅝ', "nj"}, {U'ㅞ', "np"}, {U'ㅟ', "nl"}, {U'ㅠ', "b"},
    {U'ㅡ', "m"},  {U'ㅢ', "ml"}, {U'ㅣ', "l"},
};

constexpr bool in_code_point_order() {
    for (size_t i = 0; i < std::size(JAMO_KEYS); ++i) {
        if (JAMO_KEYS[i].jamo != JAMO_CONSONANT_FIRST + i) return false;
    }
    return std::size(JAMO_KEYS) == JAMO_VOWEL_LAST - JAMO_CONSONANT_FIRST + 1;
}
static_assert(in_code_point_order(), "JAMO_KEYS is looked up by code point");

void append_keys(std::string& out, char32_t jamo) {
    out += JAMO_KEYS[jamo - JAMO_CONSONANT_FIRST].keys;
}

}  // namespace

std::optional<std::string> key_spelling(std::string_view text) {
    std::string keys;
    for (size_t pos = 0; pos < text.size();) {
        const char32_t c = decode_utf8(text, pos);
        if (const std::optional<SyllableParts> parts = syllable_parts(c)) {
            append_keys(keys, INITIALS[parts->initial]);
            append_keys(keys, JAMO_VOWEL_FIRST + static_cast<char32_t>(parts->medial));
            if (parts->final != 0) append_keys(keys, FINALS[parts->final]);
        } else if (is_compat_jamo(c)) {
            append_keys(keys, c);
        } else {
            return std::nullopt;
        }
    }
    return keys;
}

}  // namespace norvik
