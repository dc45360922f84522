#include "hangul/unicode_case.h"

#include <gtest/gtest.h>

#include <string>

namespace norvik {
namespace {

TEST(LowerFull, MapsWholeText) {
    struct Case {
        const char* name;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"empty", "", ""},
        {"ascii", "Report.TXT", "report.txt"},
        {"ascii punctuation kept", "A-Z_[@]`{", "a-z_[@]`{"},
        {"latin-1", "ÄÖÜ Éé", "äöü éé"},
        {"hangul has no case", "보고서 ㅂㄱㅅ", "보고서 ㅂㄱㅅ"},
        {"dotted capital I", "İ", "i\u0307"},
        {"dotted capital I in a word", "İSTANBUL", "i\u0307stanbul"},
        {"titlecase digraph", "\u01C5", "\u01C6"},
        {"circled capital", "\u24B6\u24CF", "\u24D0\u24E9"},
        {"capital sharp s", "\u1E9E", "\u00DF"},
        {"ohm and kelvin signs", "\u2126\u212A", "\u03C9k"},
        {"fullwidth", "\uFF21\uFF3A", "\uFF41\uFF5A"},
        {"deseret, four bytes", "\U00010400", "\U00010428"},
        {"malformed byte",
         "A\xFF"
         "B",
         "a\xEF\xBF\xBD"
         "b"},
        {"truncated sequence", "\xEA\xB0", "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(lower_full(c.text), c.expected) << c.name;
    }
}

// Capital sigma lowercases to final sigma (U+03C2) after a cased letter, skipping
// case-ignorable characters, when no cased letter follows (again skipping case-ignorable ones).
TEST(LowerFull, FinalSigma) {
    struct Case {
        const char* name;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"word", "ΣΑΣ", "σας"},
        {"double sigma inside", "ΟΔΥΣΣΕΑΣ", "οδυσσεα\u03C2"},
        {"sigma alone", "Σ", "σ"},
        {"sigma after digit", "1Σ", "1σ"},
        {"after ascii letter", "AΣ", "a\u03C2"},
        {"between letters", "AΣB", "aσb"},
        {"each word", "ΑΣ ΒΣ", "α\u03C2 β\u03C2"},
        {"before hyphen", "ΑΣ-1", "α\u03C2-1"},
        {"apostrophe before is skipped", "A'Σ", "a'\u03C2"},
        {"combining mark before is skipped", "A\u0301Σ", "a\u0301\u03C2"},
        {"apostrophe after then end", "AΣ'", "a\u03C2'"},
        {"apostrophe after then letter", "AΣ'B", "aσ'b"},
        // A full stop is case-ignorable (it can sit inside a word), so the extension's letter
        // counts as following.
        {"before extension", "ΑΣ.TXT", "ασ.txt"},
        {"before digit extension", "ΑΣ.7z", "α\u03C2.7z"},
        {"before space", "ΑΣ .txt", "α\u03C2 .txt"},
        {"after malformed byte", "\xFFΣ", "\xEF\xBF\xBDσ"},
        {"hangul is not cased", "가Σ", "가σ"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(lower_full(c.text), c.expected) << c.name;
    }
}

TEST(LowerFull, AppendsToExistingText) {
    std::string out = "prefix:";
    append_lower_full(out, "ABC");
    append_lower_full(out, "ΣΑΣ");
    EXPECT_EQ(out, "prefix:abcσας");
}

TEST(LowerFirst, FirstCharacterOfTheMapping) {
    struct Case {
        char32_t c;
        char32_t expected;
    };
    const Case cases[] = {
        {U'A', U'a'},     {U'Z', U'z'},         {U'a', U'a'},         {U'@', U'@'},
        {U'[', U'['},     {0x00C0, 0x00E0},     {0x00DF, 0x00DF},     {0x0130, U'i'},
        {0x03A3, 0x03C3}, {0x01C4, 0x01C6},     {0x01C5, 0x01C6},     {0x24B6, 0x24D0},
        {0x2126, 0x03C9}, {0xAC00, 0xAC00},     {0x3131, 0x3131},     {0x10400, 0x10428},
        {0xD800, 0xD800}, {0x10FFFF, 0x10FFFF}, {0x110000, 0x110000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(lower_first(c.c), c.expected) << std::hex << static_cast<uint32_t>(c.c);
    }
}

TEST(ChangesWhenLowercased, UppercaseTitlecaseAndCircled) {
    struct Case {
        char32_t c;
        bool expected;
    };
    const Case cases[] = {
        {U'A', true},     {U'a', false},   {U'0', false},     {0x00C4, true},  {0x00E4, false},
        {0x00DF, false},  {0x0130, true},  {0x0131, false},   {0x03A3, true},  {0x03C2, false},
        {0x01C4, true},   {0x01C5, true},  {0x01C6, false},   {0x24B6, true},  {0x24D0, false},
        {0x2126, true},   {0x1E9E, true},  {0xAC00, false},   {0x3131, false}, {0x10400, true},
        {0x10428, false}, {0xD800, false}, {0x110000, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(changes_when_lowercased(c.c), c.expected)
            << std::hex << static_cast<uint32_t>(c.c);
    }
}

TEST(CaseClasses, CasedAndCaseIgnorable) {
    EXPECT_TRUE(is_cased(U'a'));
    EXPECT_TRUE(is_cased(U'Z'));
    EXPECT_TRUE(is_cased(0x03A3));
    EXPECT_TRUE(is_cased(0x24B6));
    EXPECT_FALSE(is_cased(U'1'));
    EXPECT_FALSE(is_cased(0xAC00));
    EXPECT_FALSE(is_cased(0x110000));
    EXPECT_TRUE(is_case_ignorable(U'\''));
    EXPECT_TRUE(is_case_ignorable(U'.'));
    EXPECT_TRUE(is_case_ignorable(0x0301));
    EXPECT_FALSE(is_case_ignorable(U'-'));
    EXPECT_FALSE(is_case_ignorable(U'a'));
    EXPECT_FALSE(is_case_ignorable(0x110000));
}

TEST(HasNonAsciiUpper, OnlyNonAsciiCharactersCount) {
    struct Case {
        std::string text;
        bool expected;
    };
    const Case cases[] = {
        {"", false},
        {"README.TXT", false},
        {"Ärger.txt", true},
        {"ärger.txt", false},
        {"straße", false},
        {"\u01C5ungla", true},
        {"\u01C6ungla", false},
        {"\u24B6.txt", true},
        {"\u24D0.txt", false},
        {"보고서.HWP", false},
        {"ΣΑΣ", true},
        {"σας", false},
        {"abcİ", true},
        {"\xFF\xFE", false},
        {std::string(40, 'A') + "Ä", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(has_non_ascii_upper(c.text), c.expected) << c.text;
    }
}

}  // namespace
}  // namespace norvik
