#include "app/view/elide.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "hangul/grapheme.h"
#include "hangul/utf8.h"

namespace norvik {
namespace {

// Ten pixels a character; a count of the texts measured.
struct Ruler {
    size_t asked = 0;
    MeasureText measure() {
        return [this](std::string_view text) {
            ++asked;
            size_t scalars = 0;
            for (size_t pos = 0; pos < text.size(); ++scalars)
                decode_utf8(text, pos);
            return 10.0f * static_cast<float>(scalars);
        };
    }
};

// Never skips measuring: no text surely fits at this advance.
constexpr float NO_SHORTCUT = 1e9f;

TEST(ElideTest, LongNamesKeepTheirExtensionAndTheLettersBeforeIt) {
    const std::string long_name = "very long report of the quarter final name.pdf";  // 46
    const std::string two_thirty = std::string(220, 'a') + "_end_5.docx";            // 231
    struct Case {
        const char* what;
        std::string name;
        float room;  // pixels; a character is 10
        std::string shown;
        bool shortened;
    };
    const Case cases[] = {
        {"fits whole", "report.pdf", 101, "report.pdf", false},
        {"one pixel short of whole", "report.pdf", 100, "re…rt.pdf", true},
        {"the stem's last word and the extension", long_name, 201, "very long … name.pdf", true},
        {"a 230-character name", two_thirty, 301, std::string(18, 'a') + "…_end_5.docx", true},
        {"no room for the stem's end: the extension alone", long_name, 71, "ve….pdf", true},
        {"without an extension its last six are kept", "abcdefghijklmnopqrst", 121, "abcde…opqrst",
         true},
        {"a far dot starts no extension", "v2.0 of the very long draft that ran on", 121,
         "v2.0 of … on", true},
        {"a leading dot starts no extension", ".gitignore-long", 71, ".…-long", true},
        {"Hangul counts by characters", "깊은폴더의아주긴보고서최종본.hwp", 111,
         "깊은…서최종본.hwp", true},
        {"not even the extension fits: the canvas trims it", "abcdef.longextension", 51,
         "abcdef.longextension", true},
    };
    for (const Case& c : cases) {
        Ruler ruler;
        const Elided shown = elide_name(c.name, c.room, NO_SHORTCUT, ruler.measure());
        EXPECT_EQ(shown.text, c.shown) << c.what;
        EXPECT_EQ(shown.shortened, c.shortened) << c.what;
        // Halving: a handful of candidates, never one per length.
        EXPECT_LE(ruler.asked, 20u) << c.what;
    }
}

TEST(ElideTest, FolderPathsKeepTheDriveTheFirstFolderAndTheNearestOnes) {
    std::string deep = "D:\\깊은폴더1";
    for (int level = 2; level <= 10; ++level)
        deep += "\\level" + std::to_string(level);  // 10 levels, 77 characters
    struct Case {
        const char* what;
        std::string path;
        float room;
        std::string shown;
    };
    const Case cases[] = {
        {"fits whole", "C:\\Users", 81, "C:\\Users"},
        {"a 10-level path, two last folders", deep, 301, "D:\\깊은폴더1\\…\\level9\\level10"},
        {"a 10-level path, three last folders", deep, 371,
         "D:\\깊은폴더1\\…\\level8\\level9\\level10"},
        {"only the last folder fits beside the head", deep, 201, "D:\\깊은폴더1\\…\\level10"},
        {"then the drive alone before it", deep, 131, "D:\\…\\level10"},
        {"a network share keeps \\\\server\\share", "\\\\server\\share\\projects\\2026\\q1\\draft",
         351, "\\\\server\\share\\projects\\…\\q1\\draft"},
        {"nothing fits: the canvas trims it", deep, 51, deep},
    };
    for (const Case& c : cases) {
        Ruler ruler;
        const Elided shown = elide_path(c.path, c.room, NO_SHORTCUT, ruler.measure());
        EXPECT_EQ(shown.text, c.shown) << c.what;
        EXPECT_EQ(shown.shortened, c.shown != c.path || c.room < 10 * c.path.size()) << c.what;
        EXPECT_LE(ruler.asked, 10u) << c.what;
    }
}

// No cut, in a name, a path or a tooltip's lines, falls inside a grapheme cluster: emoji joined
// by ZWJs, a flag, skin tones, letters with combining accents and conjoining jamo stay whole.
TEST(ElideTest, CutsFallBetweenGraphemeClusters) {
    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";  // 5 scalars
    std::string emoji_name;
    for (int i = 0; i < 12; ++i)
        emoji_name += family + (i % 3 == 0 ? "\U0001F1F0\U0001F1F7" : "\U0001F44D\U0001F3FD");
    emoji_name += ".png";
    const std::string accents =
        "cafe\u0301 re\u0301sume\u0301 na\u0308i\u0308ve "
        "\u1100\u1161\u11A8\u1100\u1161\u11A8 e\u0301te\u0301.txt";
    const std::string path = "D:\\" + family + family + "\\" + emoji_name + "\\" + accents +
                             "\\\u0301mark\\" + family + "\\end";
    enum Kind { NAME, PATH, LINES };
    struct Case {
        const char* what;
        Kind kind;
        std::string text;
    };
    const Case cases[] = {
        {"emoji name", NAME, emoji_name},
        {"accented name", NAME, accents},
        {"path", PATH, path},
        {"tooltip lines", LINES, emoji_name + accents},
    };
    for (const Case& c : cases) {
        const std::vector<size_t> starts = grapheme_starts(c.text);
        const auto is_start = [&](size_t at) {
            return std::binary_search(starts.begin(), starts.end(), at);
        };
        for (float room = 31; room < 600; room += 10) {
            Ruler ruler;
            if (c.kind == LINES) {
                size_t at = 0;
                for (const std::string& line : wrap_lines(c.text, room, 50, ruler.measure())) {
                    at += line.size();
                    EXPECT_TRUE(is_start(at)) << c.what << " at " << room;
                }
                continue;
            }
            const Elided shown = c.kind == NAME
                                     ? elide_name(c.text, room, NO_SHORTCUT, ruler.measure())
                                     : elide_path(c.text, room, NO_SHORTCUT, ruler.measure());
            if (!shown.cut()) continue;
            EXPECT_TRUE(is_start(shown.head_end)) << c.what << " at " << room;
            EXPECT_TRUE(is_start(shown.tail_begin)) << c.what << " at " << room;
        }
    }
}

TEST(ElideTest, ATextThatSurelyFitsIsNotMeasured) {
    Ruler ruler;
    EXPECT_EQ(elide_name("report.pdf", 200, 15, ruler.measure()).text, "report.pdf");
    EXPECT_EQ(elide_path("C:\\Users", 200, 15, ruler.measure()).text, "C:\\Users");
    EXPECT_EQ(ruler.asked, 0u);
    elide_name("report.pdf", 120, 15, ruler.measure());  // 150 at the widest: measured
    EXPECT_EQ(ruler.asked, 1u);
}

TEST(ElideTest, AWholeTextIsWrappedIntoLinesThatFit) {
    struct Case {
        const char* what;
        std::string text;
        float room;
        size_t most;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"one line", "short name.txt", 200, 8, {"short name.txt"}},
        {"broken after a space",
         "quarterly planning notes.txt",
         151,
         8,
         {"quarterly ", "planning ", "notes.txt"}},
        {"broken after a backslash",
         "D:\\projects\\2026\\final",
         121,
         8,
         {"D:\\projects\\", "2026\\final"}},
        {"no break in the second half: cut where it fills",
         "abcdefghijklmnopqrstuvwxyz",
         101,
         8,
         {"abcdefghij", "klmnopqrst", "uvwxyz"}},
        {"at most two lines: the last keeps the rest",
         "abcdefghijklmnopqrstuvwxyz",
         101,
         2,
         {"abcdefghij", "klmnopqrstuvwxyz"}},
        {"too narrow for one character: one a line", "abc", 5, 8, {"a", "b", "c"}},
    };
    for (const Case& c : cases) {
        Ruler ruler;
        EXPECT_EQ(wrap_lines(c.text, c.room, c.most, ruler.measure()), c.lines) << c.what;
    }
}

TEST(ElideTest, HighlightsFollowTheTextAroundTheCut) {
    // "ab😀cdefgh.txt" cut to "ab😀c…gh.txt": head 5 units, the cut "def" 3 units.
    const std::string name = "ab😀cdefgh.txt";
    const Elided shown{"ab😀c…gh.txt", 7, 10, true};
    struct Case {
        const char* what;
        std::vector<TextRange> ranges;
        std::vector<TextRange> moved;
    };
    const Case cases[] = {
        {"in the head", {{0, 2}}, {{0, 2}}},
        {"in the tail, shifted left by the cut less the ellipsis", {{9, 2}}, {{7, 2}}},
        {"inside the cut: gone", {{6, 1}}, {}},
        {"across the cut: both ends kept", {{4, 5}}, {{4, 1}, {6, 1}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(elided_ranges(name, shown, c.ranges), c.moved) << c.what;
    const std::vector<TextRange> same{{1, 3}};
    EXPECT_EQ(elided_ranges(name, Elided{name, name.size(), name.size(), false}, same), same);
}

}  // namespace
}  // namespace norvik
