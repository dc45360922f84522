#include "hangul/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace norvik {
namespace {

std::vector<char32_t> decode_all(std::string_view text) {
    std::vector<char32_t> out;
    size_t pos = 0;
    while (pos < text.size())
        out.push_back(decode_utf8(text, pos));
    return out;
}

constexpr char32_t R = REPLACEMENT_CHARACTER;

TEST(DecodeUtf8, WellFormedAndMalformedSequences) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<char32_t> expected;
    };
    const Case cases[] = {
        {"ascii", "aZ~", {'a', 'Z', '~'}},
        {"nul", std::string("\0", 1), {0}},
        {"two bytes lowest", "\xC2\x80", {0x80}},
        {"two bytes", "\xC3\xA9", {0xE9}},
        {"two bytes highest", "\xDF\xBF", {0x7FF}},
        {"three bytes lowest", "\xE0\xA0\x80", {0x800}},
        {"hangul syllable", "\xEA\xB0\x80", {0xAC00}},
        {"before surrogates", "\xED\x9F\xBF", {0xD7FF}},
        {"after surrogates", "\xEE\x80\x80", {0xE000}},
        {"three bytes highest", "\xEF\xBF\xBF", {0xFFFF}},
        {"replacement character itself", "\xEF\xBF\xBD", {0xFFFD}},
        {"four bytes lowest", "\xF0\x90\x80\x80", {0x10000}},
        {"emoji", "\xF0\x9F\x98\x80", {0x1F600}},
        {"highest scalar", "\xF4\x8F\xBF\xBF", {0x10FFFF}},
        {"lone continuation", "\x80", {R}},
        {"continuations after ascii", "a\x80\xBF", {'a', R, R}},
        {"invalid lead C0", "\xC0\xAF", {R, R}},
        {"invalid lead C1", "\xC1\xBF", {R, R}},
        {"overlong three bytes", "\xE0\x80\xAF", {R, R, R}},
        {"overlong four bytes", "\xF0\x80\x80\xAF", {R, R, R, R}},
        {"surrogate", "\xED\xA0\x80", {R, R, R}},
        {"low surrogate", "\xED\xBF\xBF", {R, R, R}},
        {"above U+10FFFF", "\xF4\x90\x80\x80", {R, R, R, R}},
        {"lead F5", "\xF5\x80\x80\x80", {R, R, R, R}},
        {"five-byte form", "\xF8\x88\x80\x80\x80", {R, R, R, R, R}},
        {"byte FF", "\xFF", {R}},
        {"truncated at end", "\xE4\xB8", {R, R}},
        {"truncated four bytes", "\xF0\x9F\x98", {R, R, R}},
        {"truncated before ascii",
         "\xE4\xB8"
         "a",
         {R, R, 'a'}},
        {"lead then lead", "\xC3\xC3\xA9", {R, 0xE9}},
        {"third byte not continuation",
         "\xEA\xB0"
         "A",
         {R, R, 'A'}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decode_all(c.bytes), c.expected) << c.name;
    }
}

TEST(DecodeUtf8, AdvancesPastWholeSequence) {
    const std::string text = "a\xEA\xB0\x80\xF0\x9F\x98\x80";
    size_t pos = 0;
    EXPECT_EQ(decode_utf8(text, pos), U'a');
    EXPECT_EQ(pos, 1u);
    EXPECT_EQ(decode_utf8(text, pos), U'가');
    EXPECT_EQ(pos, 4u);
    EXPECT_EQ(decode_utf8(text, pos), char32_t{0x1F600});
    EXPECT_EQ(pos, 8u);
}

TEST(AppendUtf8, EveryScalarValueRoundTrips) {
    std::string buf;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c == 0xD800) c = 0xE000;
        buf.clear();
        append_utf8(buf, c);
        const size_t expected_len = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        ASSERT_EQ(buf.size(), expected_len) << std::hex << static_cast<uint32_t>(c);
        size_t pos = 0;
        ASSERT_EQ(decode_utf8(buf, pos), c) << std::hex << static_cast<uint32_t>(c);
        ASSERT_EQ(pos, buf.size());
    }
}

TEST(AppendUtf8, SurrogatesAndOutOfRangeBecomeReplacement) {
    for (char32_t c : {char32_t{0xD800}, char32_t{0xDBFF}, char32_t{0xDC00}, char32_t{0xDFFF},
                       char32_t{0x110000}, char32_t{0xFFFFFFFF}}) {
        std::string buf;
        append_utf8(buf, c);
        EXPECT_EQ(buf, "\xEF\xBF\xBD") << std::hex << static_cast<uint32_t>(c);
    }
}

TEST(Utf32ToUtf8, WholeTextsOneSequenceEach) {
    struct Case {
        std::u32string text;
        std::string utf8;
    };
    const Case cases[] = {
        {U"", ""},
        {U"a.txt", "a.txt"},
        {U"보고서 ㄱ", "보고서 ㄱ"},
        {U"x\U0001F600y", "x\xF0\x9F\x98\x80y"},
        {std::u32string{U'a', char32_t{0xD800}, U'b'},
         "a\xEF\xBF\xBD"
         "b"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(utf32_to_utf8(c.text), c.utf8) << c.utf8;
}

TEST(IsAscii, HighByteAtEveryPositionAcrossBlocks) {
    for (size_t length = 0; length <= 100; ++length) {
        std::string text(length, 'x');
        EXPECT_TRUE(is_ascii(text)) << length;
        for (size_t at = 0; at < length; ++at) {
            std::string marked = text;
            marked[at] = '\x80';
            EXPECT_FALSE(is_ascii(marked)) << length << " " << at;
        }
    }
    EXPECT_TRUE(is_ascii(std::string_view()));
    EXPECT_TRUE(is_ascii(std::string(64, '\x7F')));
}

// Every kind of sequence, sound and broken, placed at every offset of a text of ASCII around
// it, so that each straddles the 16-byte blocks of the fast check in every way; the fast check
// must give the bytewise answer, and the bytewise one the known answer.
TEST(IsValidUtf8, FastCheckAgreesAtEveryOffset) {
    struct Case {
        std::string bytes;
        bool valid;
    };
    const std::vector<Case> cases = {
        {"a", true},
        {"\xC3\xA4", true},          // ä
        {"\xEB\xB3\xB4", true},      // 보
        {"\xF0\x9F\x98\x80", true},  // U+1F600
        {"\xEF\xBF\xBF", true},      // U+FFFF
        {"\xF4\x8F\xBF\xBF", true},  // U+10FFFF
        {"\xED\x9F\xBF", true},      // U+D7FF, just below the surrogates
        {"\x80", false},             // a stray continuation
        {"\xC0\xAF", false},         // overlong two-byte form
        {"\xC1\xBF", false},
        {"\xE0\x9F\xBF", false},      // overlong three-byte form
        {"\xED\xA0\x80", false},      // a surrogate
        {"\xF0\x8F\xBF\xBF", false},  // overlong four-byte form
        {"\xF4\x90\x80\x80", false},  // above U+10FFFF
        {"\xF5\x80\x80\x80", false},
        {"\xFF", false},
        {"\xC3", false},  // cut short
        {"\xEB\xB3", false},
        {"\xF0\x9F\x98", false},
        {"\xC3\xA4\xA4", false},  // one continuation too many
        {"\xEB\xB3\xB4\x80", false},
        {"\xEB"
         "a\xB4",
         false},  // ASCII inside a sequence
    };
    for (const Case& c : cases) {
        for (size_t before = 0; before < 40; ++before) {
            for (size_t after : {size_t{0}, size_t{1}, size_t{15}, size_t{33}}) {
                SCOPED_TRACE(testing::Message() << testing::PrintToString(c.bytes) << " after "
                                                << before << " bytes, " << after << " after");
                const std::string text =
                    std::string(before, 'x') + c.bytes + std::string(after, 'y');
                EXPECT_EQ(is_valid_utf8_bytewise(text), c.valid);
                EXPECT_EQ(is_valid_utf8(text), c.valid);
                // Beside a sound multi-byte text, so no block is skipped as ASCII.
                const std::string mixed = std::string(before / 3, 'x') + "\xEB\xB3\xB4" + c.bytes +
                                          "\xC3\xA4" + std::string(after, 'y');
                EXPECT_EQ(is_valid_utf8(mixed), c.valid);
            }
        }
    }
    EXPECT_TRUE(is_valid_utf8(""));
}

TEST(CutAtCharBoundary, KeepsWholeCharacters) {
    struct Case {
        std::string text;
        size_t max_bytes;
        size_t expected;
    };
    const Case cases[] = {
        {"", 0, 0},
        {"abc", 0, 0},
        {"abc", 2, 2},
        {"abc", 3, 3},
        {"abc", 10, 3},
        {"가나", 6, 6},
        {"가나", 5, 3},
        {"가나", 4, 3},
        {"가나", 3, 3},
        {"가나", 2, 0},
        {"a가", 3, 1},
        {"a가", 4, 4},
        {"\xF0\x9F\x98\x80z", 3, 0},
        {"\xF0\x9F\x98\x80z", 4, 4},
        // A position holding a stray continuation byte is no boundary, even after ASCII.
        {"ab\x80\x80", 3, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cut_at_char_boundary(c.text, c.max_bytes), c.expected)
            << c.text << " " << c.max_bytes;
    }
}

TEST(CutAtCharBoundary, LongNameLosesTheCharacterAcrossTheLimit) {
    const size_t limit = 65535;
    std::string name(limit - 1, 'a');
    name += "가";  // bytes 65534..65536: the limit falls inside it
    EXPECT_EQ(cut_at_char_boundary(name, limit), limit - 1);
    std::string exact(limit - 3, 'a');
    exact += "가";
    EXPECT_EQ(cut_at_char_boundary(exact + "b", limit), limit);
}

TEST(Utf16, UnpairedSurrogatesBecomeReplacement) {
    struct Case {
        const char* name;
        std::u16string units;
        std::string expected;
    };
    const Case cases[] = {
        {"empty", u"", ""},
        {"ascii", u"Report.txt", "Report.txt"},
        {"hangul", u"보고서", "보고서"},
        {"pair", std::u16string{0xD83D, 0xDE00}, "\xF0\x9F\x98\x80"},
        {"lone high at end", std::u16string{'a', 0xD83D}, "a\xEF\xBF\xBD"},
        {"lone low", std::u16string{0xDE00, 'b'},
         "\xEF\xBF\xBD"
         "b"},
        {"high then ascii", std::u16string{0xD83D, 'x'}, "\xEF\xBF\xBDx"},
        {"reversed pair", std::u16string{0xDE00, 0xD83D}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"two highs then low", std::u16string{0xD83D, 0xD83D, 0xDE00},
         "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf16_to_utf8(c.units), c.expected) << c.name;
    }
}

TEST(Utf16, WellFormedTextRoundTrips) {
    const std::string texts[] = {"",
                                 "plain",
                                 "é è",
                                 "보고서.hwp",
                                 "\xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF",
                                 "mixed 가 \xC2\x80 \xEF\xBF\xBF"};
    for (const std::string& text : texts) {
        EXPECT_EQ(utf16_to_utf8(utf8_to_utf16(text)), text) << text;
    }
    EXPECT_EQ(utf8_to_utf16("\xF0\x9F\x98\x80"), (std::u16string{0xD83D, 0xDE00}));
    EXPECT_EQ(utf8_to_utf16("\xF4\x8F\xBF\xBF"), (std::u16string{0xDBFF, 0xDFFF}));
}

TEST(Utf16, MalformedUtf8BecomesReplacement) {
    EXPECT_EQ(utf8_to_utf16("a\xFF"
                            "b"),
              (std::u16string{'a', 0xFFFD, 'b'}));
    EXPECT_EQ(utf8_to_utf16("\xED\xA0\x80"), (std::u16string{0xFFFD, 0xFFFD, 0xFFFD}));
}

}  // namespace
}  // namespace norvik
