#include "query/highlight.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace norvik {
namespace {

struct HighlightCase {
    const char* text;
    bool composing;
    const char* name;
    std::vector<CharRange> ranges;
};

TEST(HighlightRangesTest, EachWordMarksItsLeftmostMatch) {
    const HighlightCase cases[] = {
        {"rep", false, "Report.docx", {{0, 3}}},
        {"REP", false, "Report.docx", {{0, 3}}},
        {"rep ort", false, "Report.docx", {{0, 6}}},            // touching runs merge
        {"repo port", false, "Report.docx", {{0, 6}}},          // overlapping runs merge
        {"docx rep", false, "Report.docx", {{0, 3}, {7, 11}}},  // sorted by start
        {"o", false, "Report.docx", {{3, 4}}},                  // the first occurrence only
        {"rep xyz", false, "Report.docx", {{0, 3}}},  // a word not in the name marks nothing
        {"ㅂㄱㅅ", false, "보고서.hwp", {{0, 3}}},
        {"ㄱㅅ", false, "보고서.hwp", {{1, 3}}},
        {"ㅂㄳ", false, "보고서.hwp", {{0, 3}}},
        {"qhrhtj", false, "보고서.hwp", {{0, 3}}},
        {"rhtj", false, "2026 보고서.hwp", {{6, 8}}},
        {"한", true, "하나.txt", {{0, 2}}},  // the syllable still being composed
        {"*.docx", false, "Report.docx", {}},
        {"rep *.docx", false, "Report.docx", {{0, 3}}},
        {"ext:docx", false, "Report.docx", {}},
        {"ärger", false, "ÄRGER.txt", {{0, 5}}},
        {"report", false, "\U0001F600report.txt", {{1, 7}}},
        {"ㄱ데ㅐㄳ", false, "Annual Report.docx", {{7, 13}}},  // English typed in Korean mode
        {"ㄷㅌㅊ디 2026", false, "2026 Excel.xlsx", {{0, 4}, {5, 10}}},
        {"ㄱ데ㅐㄳ", false, "ㄱ데ㅐㄳ report.txt", {{0, 4}}},  // the Hangul found as written first
        {"보고서", false, "old qhrhtj.txt", {}},  // whole syllables have no English reading
        {"문서\\보고서", false, "보고서 초안.hwp", {{0, 3}}},  // the name's part of a path word
        {"ㅂㄱㅅ\\", false, "보고서.hwp", {}},                 // the folders are not in the name
        {"ㅂㄱㅅ|report", false, "보고서 report.hwp", {{0, 3}, {4, 10}}},  // every alternative
        {"xyz|qhrhtj", false, "보고서.hwp", {{0, 3}}},
        {"보고서 !ext:tmp size:>1kb", false, "보고서.tmp", {{0, 3}}},  // filters and !words: none
        {"rep !port", false, "Report.docx", {{0, 3}}},
    };
    for (const HighlightCase& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.name);
        auto query = parse(c.text, c.composing, 0);
        EXPECT_EQ(highlight_ranges(*query, c.name), c.ranges);
    }
}

struct Utf16Case {
    const char* name;
    std::vector<CharRange> ranges;
    std::vector<Utf16Range> units;
};

TEST(ToUtf16RangesTest, CharactersAboveTheBmpCountTwo) {
    const Utf16Case cases[] = {
        {"Report.docx", {{0, 3}, {7, 11}}, {{0, 3}, {7, 4}}},
        {"보고서.hwp", {{0, 3}}, {{0, 3}}},
        {"\U0001F600report.txt", {{1, 7}}, {{2, 6}}},
        {"a\U0001F600b\U0001F600c", {{1, 4}}, {{1, 5}}},  // the run holds both halves
        {"a\xFF"
         "report",
         {{2, 8}},
         {{2, 6}}},                           // a malformed byte is one U+FFFD
        {"abc", {{1, 9}, {5, 6}}, {{1, 2}}},  // cut at the end; empty after the cut dropped
        {"", {{0, 1}}, {}},
    };
    for (const Utf16Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(to_utf16_ranges(c.name, c.ranges), c.units);
    }
}

}  // namespace
}  // namespace norvik
