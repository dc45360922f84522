#include "hangul/grapheme.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace norvik {
namespace {

TEST(GraphemeTest, ClustersAreWhatAReaderSeesAsOneCharacter) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<size_t> starts;
    };
    const Case cases[] = {
        {"empty", "", {0}},
        {"ASCII", "ab", {0, 1, 2}},
        {"CR LF", "a\r\nb", {0, 1, 3, 4}},
        {"base and combining acute", "e\u0301x", {0, 3, 4}},
        {"two combining marks", "a\u0308\u0301", {0, 5}},
        {"a mark alone at the start", "\u0301a", {0, 2, 3}},
        {"conjoining jamo", "\u1100\u1161\u11A8\u1100", {0, 9, 12}},
        {"precomposed syllable and a trailing jamo", "\uAC00\u11A8", {0, 6}},
        {"family (ZWJ sequence)", "\U0001F468\u200D\U0001F469\u200D\U0001F467x", {0, 18, 19}},
        {"skin tone", "\U0001F44D\U0001F3FDx", {0, 8, 9}},
        {"emoji, variation selector, ZWJ, emoji", "\u2764\uFE0F\u200D\U0001F525", {0, 13}},
        {"ZWJ after a letter joins nothing", "a\u200D\U0001F525", {0, 4, 8}},
        {"two ZWJs join nothing", "\U0001F468\u200D\u200D\U0001F469", {0, 10, 14}},
        {"two flags", "\U0001F1F0\U0001F1F7\U0001F1EF\U0001F1F5", {0, 8, 16}},
        {"three regional indicators", "\U0001F1F0\U0001F1F7\U0001F1EF", {0, 8, 12}},
        {"prepend", "\u0600a", {0, 3}},
        {"spacing mark", "\u0915\u093F", {0, 6}},
        {"control then mark", "\t\u0301", {0, 1, 3}},
        {"malformed byte", "a\xFF\u0301", {0, 1, 4}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(grapheme_starts(c.text), c.starts) << c.what;
        EXPECT_EQ(grapheme_count(c.text), c.starts.size() - 1) << c.what;
    }
}

}  // namespace
}  // namespace norvik
