// Runs against ICU natively and against NormalizeString on Windows: both must agree.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "hangul/hangul.h"

namespace norvik {
namespace {

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

TEST(NormalizeNfc, ComposesOnlyWhatNeedsIt) {
    struct Case {
        const char* name;
        std::string text;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"ascii", "report.txt", std::nullopt},
        {"empty", "", std::nullopt},
        {"precomposed hangul", "보고서.hwp", std::nullopt},
        {"precomposed e acute", "\u00E9", std::nullopt},
        {"compatibility jamo", "ㅂㄱㅅ", std::nullopt},
        {"conjoining jamo", "\u1107\u1169\u1100\u1169\u1109\u1165.hwp", "보고서.hwp"},
        {"conjoining jamo with final", "\u1112\u1161\u11AB\u1100\u1173\u11AF", "한글"},
        {"syllable and trailing jamo", "\uAC00\u11A8", "각"},
        {"e and combining acute", "e\u0301", "\u00E9"},
        {"decomposed word", "re\u0301sume\u0301.txt", "r\u00E9sum\u00E9.txt"},
        {"mark with no composed form", "x\u0301", std::nullopt},
        {"lone conjoining jamo", "\u1100", std::nullopt},
        {"marks reordered", "a\u0323\u0302", "\u1EAD"},   // ậ: dot below sorts first
        {"kana voicing mark", "\u304B\u3099", "\u304C"},  // か + combining dakuten -> が
        // Composition exclusions decompose, so the result is longer than the source.
        {"result longer than source", repeat("\u0958", 12) + "e\u0301",
         repeat("\u0915\u093C", 12) + "\u00E9"},
        // Malformed bytes become U+FFFD on the way through the normalizer.
        {"malformed with trigger", "e\u0301\xFF", "\u00E9\xEF\xBF\xBD"},
        {"malformed without trigger",
         "\xFF"
         "abc",
         std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(normalize_nfc(c.text), c.expected) << c.name;
    }
}

// Every trigger range leads to the normalizer; a character just outside a range does not.
TEST(NormalizeNfc, TriggerRanges) {
    struct Case {
        std::string text;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"o\u0308", "\u00F6"},           // U+0300-036F
        {"\u1100\u1161", "\uAC00"},      // U+1100-11FF
        {"\uA960\u1161", std::nullopt},  // U+A960-A97F: old jamo, no syllable
        {"\uAC00\uD7B0", std::nullopt},  // U+D7B0-D7FF
        {"A\u20DD", std::nullopt},       // U+20D0-20FF, already NFC
        {"\u304F\u3099", "\u3050"},      // U+3099-309A
        // Without a trigger the text is kept even where NFC would change it (the Angstrom sign
        // is a singleton); with one, the whole text is normalized.
        {"\u212B", std::nullopt},
        {"\u212B\u0301", "\u01FA"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(normalize_nfc(c.text), c.expected) << c.text;
    }
}

}  // namespace
}  // namespace norvik
