#include "query/match.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "hangul/hangul.h"
#include "hangul/utf8.h"
#include "query/test_tables.h"

namespace norvik {
namespace {

using testing::add_file;
using testing::add_folder;
using testing::match_all_entries;
using testing::names_of;

// Names from everyday Korean and Western folders, each under the root unless placed in a folder.
std::vector<VolumeTable> example_tables() {
    VolumeTable table = VolumeTable::with_root("C:\\");
    const char* files[] = {
        "보고서.hwp",
        "보기",
        "까",
        "한국",
        "하나",
        "하ㄴ",
        "하",
        "가",
        "각",
        "ㄱ",
        "가나다",
        "ÄRGER.txt",
        "ΣΟΦΙΑ",
        "ΟΔΥΣΣΕΑΣ.txt",
        "ΟΔΥΣΣΕΑΣ",
        "report.docx",
        "REPORT.TXT",
        "REPORT.HWP",
        "annual_report.pdf",
        "report",
        ".gitignore",
        "archive.tar.gz",
        "abc",
        "ABC",
        "abcd",
        "라면.txt",
        "ㄳ.txt",
        "안녕하세요.txt",
        "2026 회의록.hwp",
        "2026 report.docx",
        "photo.JPG",
        "x.ÄB",
        "backup.",
        "notes",
    };
    for (const char* name : files)
        add_file(table, 0, name);
    add_folder(table, 0, "Reports");
    add_folder(table, 0, "holiday.jpg");
    return {std::move(table)};
}

struct MatchCase {
    const char* text;
    bool composing;
    uint8_t filter;
    std::vector<std::string> names;  // in entry order
};

TEST(MatchEntryTest, ExamplesFindTheirNames) {
    const std::vector<VolumeTable> tables = example_tables();
    const MatchCase cases[] = {
        {"report",
         false,
         0,
         {"report.docx", "REPORT.TXT", "REPORT.HWP", "annual_report.pdf", "report",
          "2026 report.docx", "Reports"}},
        {"Report",
         false,
         0,
         {"report.docx", "REPORT.TXT", "REPORT.HWP", "annual_report.pdf", "report",
          "2026 report.docx", "Reports"}},
        {"ㅂㄱㅅ", false, 0, {"보고서.hwp"}},
        {"qhrhtj", false, 0, {"보고서.hwp"}},
        {"dkss", false, 0, {"안녕하세요.txt"}},  // 안ㄴ: 안 then a syllable starting with ㄴ
        {"gksrnr", false, 0, {"한국"}},
        {"보고서", false, 0, {"보고서.hwp"}},
        {"ㄱ", false, 0, {"보고서.hwp", "보기", "한국", "가", "각", "ㄱ", "가나다"}},
        {"보ㄱ", false, 0, {"보고서.hwp", "보기"}},
        {"한", true, 0, {"한국", "하나", "하ㄴ"}},
        {"한", false, 0, {"한국"}},
        {"가나", true, 0, {"가나다"}},
        {"*.HWP", false, 0, {"보고서.hwp", "REPORT.HWP", "2026 회의록.hwp"}},
        {"*.hwp", false, 0, {"보고서.hwp", "REPORT.HWP", "2026 회의록.hwp"}},
        {"a?c", false, 0, {"abc", "ABC"}},
        {"r?port", false, 0, {"report"}},
        {"ärger", false, 0, {"ÄRGER.txt"}},
        {"ÄRGER", false, 0, {"ÄRGER.txt"}},
        {"σοφια", false, 0, {"ΣΟΦΙΑ"}},
        {"ΟΔΥΣΣΕΑΣ.txt", false, 0, {"ΟΔΥΣΣΕΑΣ.txt"}},
        {"ΟΔΥΣΣΕΑΣ*", false, 0, {"ΟΔΥΣΣΕΑΣ.txt", "ΟΔΥΣΣΕΑΣ"}},
        {"2026 report", false, 0, {"2026 report.docx"}},
        {"report 2026", false, 0, {"2026 report.docx"}},
        {"2026 회의록", false, 0, {"2026 회의록.hwp"}},
        {"보고서 HWP", false, 0, {"보고서.hwp"}},
        {"ext:gitignore", false, 0, {}},
        {"ext:gz", false, 0, {"archive.tar.gz"}},
        {"ext:tar.gz", false, 0, {}},
        {"ext:jpg", false, 0, {"photo.JPG"}},
        {"ext:pdf,hwp",
         false,
         0,
         {"보고서.hwp", "REPORT.HWP", "annual_report.pdf", "2026 회의록.hwp"}},
        {"ext:hwp ext:txt 보", false, 0, {"보고서.hwp"}},
        {"ext:jpg", false, 1, {}},
        {"", false, 1, {"Reports", "holiday.jpg"}},
        {"", false, 3, {"photo.JPG"}},
        {"", false, 6, {"archive.tar.gz"}},
        {"report",
         false,
         2,
         {"report.docx", "REPORT.TXT", "REPORT.HWP", "annual_report.pdf", "2026 report.docx"}},
        {"report", false, 1, {"Reports"}},
        {"rt",
         false,
         0,
         {"report.docx", "REPORT.TXT", "REPORT.HWP", "annual_report.pdf", "report",
          "2026 report.docx", "Reports"}},
        {"ext:", false, 0, {}},
        {"nothing-like-this", false, 0, {}},
        {"", false, 9, {}},  // no such tab
    };
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(c.text);
        auto query = parse(c.text, c.composing, c.filter);
        if (is_empty(*query)) {
            EXPECT_TRUE(c.names.empty());
            continue;
        }
        EXPECT_EQ(names_of(match_all_entries(*query, tables), tables), c.names);
    }
}

// The Windows Korean IME joins two consonants typed in a row into a cluster letter: ㅂ ㄱ ㅅ
// arrives as ㅂㄳ and ㄹ ㅁ as ㄻ. They still find what the separate initials find.
TEST(MatchEntryTest, ClusterLettersFromTheImeMatchTwoInitials) {
    const std::vector<VolumeTable> tables = example_tables();
    const MatchCase cases[] = {
        {"ㅂㄳ", false, 0, {"보고서.hwp"}},
        {"ㄻ", false, 0, {"라면.txt"}},
        {"ㄳ", false, 0, {"보고서.hwp", "ㄳ.txt"}},  // 고서, and the letter itself
        {"ㄳ.txt", false, 0, {"ㄳ.txt"}},
        {"ㅎㄱ", false, 0, {"한국"}},
        {"ㅀ", false, 0, {}},
    };
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(c.text);
        auto query = parse(c.text, c.composing, c.filter);
        EXPECT_EQ(names_of(match_all_entries(*query, tables), tables), c.names);
    }
}

// An English word typed while the IME was in Korean mode finds the names holding the word.
TEST(MatchEntryTest, EnglishTypedInKoreanModeFindsTheWord) {
    const std::vector<VolumeTable> tables{testing::flat_table({
        "Report.docx",
        "annual_report.pdf",
        "2026 report.docx",
        "ÄRGER REPORT.txt",  // uppercase non-ASCII: searched in its full lowercase form
        "Excel 2026.xlsx",
        "invoice_03.pdf",
        "보고서.hwp",
        "qhrhtj.txt",
        "가나.txt",
        "rk.txt",
    })};
    const MatchCase cases[] = {
        {"ㄱ데ㅐㄳ",
         false,
         0,
         {"Report.docx", "annual_report.pdf", "2026 report.docx", "ÄRGER REPORT.txt"}},
        {"ㄱ데ㅐㄱㅅ",
         false,
         0,
         {"Report.docx", "annual_report.pdf", "2026 report.docx", "ÄRGER REPORT.txt"}},
        {"ㄱ데ㅐㄱ",
         true,
         0,
         {"Report.docx", "annual_report.pdf", "2026 report.docx", "ÄRGER REPORT.txt"}},
        {"ㄷㅌㅊ디", false, 0, {"Excel 2026.xlsx"}},
        {"ㅑㅜ패ㅑㅊㄷ", false, 0, {"invoice_03.pdf"}},
        {"2026 ㄱ데ㅐㄳ", false, 0, {"2026 report.docx"}},
        {"ㄱ데ㅐㄳ ext:pdf", false, 0, {"annual_report.pdf"}},
        {"보고서", false, 0, {"보고서.hwp"}},  // whole syllables answer as before
        {"ㅂㄱㅅ", false, 0, {"보고서.hwp"}},  // consonants alone stay initials
        {"가", false, 0, {"가나.txt"}},        // rk: too short to read as English
    };
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(c.text);
        auto query = parse(c.text, c.composing, c.filter);
        EXPECT_EQ(names_of(match_all_entries(*query, tables), tables), c.names);
    }
}

// A name that lowercases with a final sigma must be found by its own text, and by the start of
// its text: typed alone, ΟΔΥΣΣΕΑΣ lowers to a final sigma that ΟΔΥΣΣΕΑΣ.txt lowers to sigma.
TEST(MatchEntryTest, NameEndingInCapitalSigmaIsFoundByItsOwnText) {
    const std::vector<VolumeTable> tables = example_tables();
    for (const char* text : {"ΟΔΥΣΣΕΑΣ", "οδυσσεας", "οδυσσεασ"}) {
        SCOPED_TRACE(text);
        auto query = parse(text, false, 0);
        EXPECT_EQ(names_of(match_all_entries(*query, tables), tables),
                  (std::vector<std::string>{"ΟΔΥΣΣΕΑΣ.txt", "ΟΔΥΣΣΕΑΣ"}));
    }
    auto query = parse("ΟΔΥΣΣΕΑΣ.txt", false, 0);
    EXPECT_EQ(names_of(match_all_entries(*query, tables), tables),
              std::vector<std::string>{"ΟΔΥΣΣΕΑΣ.txt"});
}

TEST(MatchEntryTest, ExtensionWithUppercaseNonAsciiLettersIsFoundAsTyped) {
    const std::vector<VolumeTable> tables = example_tables();
    for (const char* text : {"ext:ÄB", "ext:äb"}) {
        SCOPED_TRACE(text);
        auto query = parse(text, false, 0);
        EXPECT_EQ(names_of(match_all_entries(*query, tables), tables),
                  std::vector<std::string>{"x.ÄB"});
    }
}

struct StartCase {
    const char* text;
    const char* name;
    bool at_start;
};

TEST(MatchEntryTest, AtStartIsTheFirstTermAtTheBeginning) {
    const StartCase cases[] = {
        {"report", "report", true},
        {"report", "annual_report.pdf", false},
        {"REPORT", "Report.docx", true},
        {"ㅂㄱㅅ", "보고서.hwp", true},
        {"ㄱㅅ", "보고서.hwp", false},
        {"qhrhtj", "보고서.hwp", true},
        {"rhtj", "보고서.hwp", false},
        {"ㄳ", "보고서.hwp", false},
        {"ㅂㄳ", "보고서.hwp", true},
        {"*.hwp", "보고서.hwp", false},
        {"ärger", "ÄRGER.txt", true},
        {"rger", "ÄRGER.txt", false},
        {"2026 report", "2026 report.docx", true},
        {"report 2026", "2026 report.docx", false},
        {"*.docx report", "report.docx", false},
        {"한", "하나", true},
        {"ㄱ데ㅐㄳ", "Report.docx", true},
        {"ㄱ데ㅐㄳ", "annual_report.pdf", false},
        {"ㄱ데ㅐㄳ", "ÄRGER REPORT.txt", false},
    };
    for (const StartCase& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.name);
        std::vector<VolumeTable> tables{testing::flat_table({c.name})};
        auto query = parse(c.text, true, 0);
        MatchScratch scratch;
        auto hit = match_entry(*query, tables[0], 0, 1, scratch);
        ASSERT_TRUE(hit.has_value());
        EXPECT_EQ(hit->at_start, c.at_start);
        EXPECT_EQ(hit->entry, 1u);
    }
}

struct ExactCase {
    const char* text;
    const char* name;
    bool folder;
    bool exact;
};

TEST(MatchEntryTest, ExactIsTheWholeNameOrAFilesNameWithoutItsExtension) {
    const ExactCase cases[] = {
        {"report", "report", false, true},
        {"report", "report.pdf", false, true},
        {"REPORT", "Report.PDF", false, true},
        {"report", "reports.pdf", false, false},
        {"report", "report 2026.pdf", false, false},
        {"report", "report.tar.gz", false, false},  // its name without extension is report.tar
        {"report.tar", "report.tar.gz", false, true},
        {"보고서 최종", "보고서 최종.hwp", false, true},
        {"보고서 최종", "보고서_최종_진짜최종.hwp", false, false},
        {"보고서 최종", "보고서  최종.hwp", false, false},
        {"ärger", "ÄRGER.txt", false, true},    // a name with uppercase non-ASCII letters
        {"ΣΟΦΙΑΣ", "ΣΟΦΙΑΣ.txt", false, true},  // final sigma typed, sigma in the name
        {".gitignore", ".gitignore", false, true},
        {"report", "report", true, true},
        {"report", "report.old", true, false},  // a folder's name has no extension
        {"report.old", "report.old", true, true},
        // Every reading the matcher accepts spells a name: the English-layout Hangul, the
        // initials (one syllable for each, so not 결산서류), the keys of an English word typed
        // in Korean mode, and a word of each kind among several.
        {"qhrhtj", "보고서.hwp", false, true},
        {"ruftkstj", "결산서.hwp", false, true},
        {"ㄱㅅㅅ", "결산서.hwp", false, true},
        {"ㄱㅅㅅ", "결산서류.hwp", false, false},
        {"ㄱㅅㅅ", "결산서 1.hwp", false, false},
        {"ㄱㅅㅅ", "결산서", true, true},
        {"ㅂㄳ", "보고서.hwp", false, true},  // ㄱ and ㅅ joined by the IME
        {"ㄱ산ㅅ", "결산서.hwp", false, true},
        {"ㄱ데ㅐㄳ", "report.pdf", false, true},
        {"ㄱ데ㅐㄳ", "Report.PDF", false, true},
        {"ㄱ데ㅐㄳ", "reports.pdf", false, false},
        {"qhrhtj chlwhd", "보고서 최종.hwp", false, true},
        {"ㅂㄱㅅ 최종", "보고서 최종.hwp", false, true},
        {"qhrhtj ㅊㅈ", "보고서_최종.hwp", false, false},
        {"2026 ㄱ데ㅐㄳ", "2026 report.docx", false, true},
        {"qhrhtj", "qhrhtj.txt", false, true},  // the text itself still
    };
    for (const ExactCase& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.name);
        VolumeTable table = VolumeTable::with_root("C:\\");
        const uint32_t docs = testing::add_folder(table, 0, "docs");
        const uint32_t index = c.folder ? testing::add_folder(table, docs, c.name)
                                        : testing::add_file(table, docs, c.name);
        auto query = parse(c.text, false, 0);
        MatchScratch scratch;
        auto hit = match_entry(*query, table, 0, index, scratch);
        ASSERT_TRUE(hit.has_value());
        EXPECT_EQ(hit->exact, c.exact);
        EXPECT_TRUE(hit->at_start || !c.exact);  // an exact name begins with the first word
    }
}

// A path word checks the item's folders after its name has matched: the folders' names must not
// take the place of the item's own when its exactness is decided (names with capitals outside
// ASCII are lowered into a buffer of their own).
TEST(MatchEntryTest, ExactnessUnderPathWordsReadsTheItemsOwnName) {
    struct Case {
        const char* text;
        const char* folder;
        const char* name;
        bool exact;
    };
    const Case cases[] = {
        {"ärzte\\übersicht", "Ärzte", "Übersicht.pdf", true},
        {"übersicht\\übersicht", "Übersicht", "Übersicht 2024.pdf", false},
        {"übersicht\\übersicht", "Übersicht", "Übersicht", true},
        {"*\\übersicht", "Ärzte", "Übersicht.pdf", true},
        {"ärzte\\übersicht 2024", "Ärzte", "Übersicht 2024.pdf", true},
        {"ü*\\übersicht", "Übersicht", "Übersicht.pdf", true},  // a folder by a wildcard
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.name);
        VolumeTable table = VolumeTable::with_root("C:\\");
        const uint32_t folder = add_folder(table, 0, c.folder);
        const uint32_t index = add_file(table, folder, c.name);
        std::vector<VolumeTable> tables;
        tables.push_back(std::move(table));
        auto query = parse(c.text, false, 0);
        MatchScratch scratch;
        auto hit = match_entry(*query, tables[0], 0, index, scratch);
        ASSERT_TRUE(hit.has_value());
        EXPECT_EQ(hit->exact, c.exact);

        // The same over a range, with the search's folder memo.
        const FolderMemo memo(*query, tables);
        MatchScratch ranged;
        ranged.folders = &memo;
        std::vector<Hit> hits;
        match_range(*query, tables[0], 0, 1, tables[0].size(), ranged, hits);
        ASSERT_EQ(hits.size(), 1u);
        EXPECT_EQ(hits[0].exact, c.exact);
    }
}

TEST(MatchEntryTest, RemovedEntriesAndBadIndexesNeverMatch) {
    VolumeTable table = testing::flat_table({"report", "report"});
    table.entries[1].flags |= FLAG_REMOVED;
    auto query = parse("report", false, 0);
    MatchScratch scratch;
    EXPECT_FALSE(match_entry(*query, table, 0, 1, scratch).has_value());
    EXPECT_TRUE(match_entry(*query, table, 0, 2, scratch).has_value());
    EXPECT_FALSE(match_entry(*query, table, 0, 3, scratch).has_value());
    EXPECT_EQ(match_entry(*query, table, 4, 2, scratch)->table, 4);
}

TEST(MatchEntryTest, NameRunningPastTheArenaIsRejected) {
    VolumeTable table = testing::flat_table({"report"});
    table.entries[1].name_len = 200;  // as a damaged index file could have it
    auto query = parse("report", false, 0);
    MatchScratch scratch;
    EXPECT_FALSE(match_entry(*query, table, 0, 1, scratch).has_value());
}

// C:\ holding 문서\{2026\{보고서.hwp, 회의록.hwp}, 보고서 초안.hwp, 사진\여행.jpg},
// Docs\문서\보고서.txt, 보고서.hwp and archive\2026\report.pdf.
std::vector<VolumeTable> folder_tree() {
    VolumeTable table = VolumeTable::with_root("C:\\");
    const uint32_t documents = add_folder(table, 0, "문서");
    const uint32_t docs = add_folder(table, 0, "Docs");
    add_file(table, 0, "보고서.hwp");
    const uint32_t archive = add_folder(table, 0, "archive");
    const uint32_t year = add_folder(table, documents, "2026");
    add_file(table, documents, "보고서 초안.hwp");
    const uint32_t photos = add_folder(table, documents, "사진");
    const uint32_t inner = add_folder(table, docs, "문서");
    const uint32_t old_year = add_folder(table, archive, "2026");
    add_file(table, year, "보고서.hwp");
    add_file(table, year, "회의록.hwp");
    add_file(table, photos, "여행.jpg");
    add_file(table, inner, "보고서.txt");
    add_file(table, old_year, "report.pdf");
    return {std::move(table)};
}

// The names a query finds, entry by entry without any memo, and over the whole table at once
// with the search's folder memo: both must give the same.
TEST(MatchEntryTest, PathWordsMatchConsecutiveFolders) {
    const std::vector<VolumeTable> tables = folder_tree();
    const MatchCase cases[] = {
        {"문서\\보고서", false, 0, {"보고서 초안.hwp", "보고서.txt"}},
        {"문서/2026/보고서", false, 0, {"보고서.hwp"}},  // consecutive folders only
        {"ㅁㅅ\\ㅂㄱㅅ", false, 0, {"보고서 초안.hwp", "보고서.txt"}},
        {"ans\\qhrhtj", false, 0, {"보고서 초안.hwp", "보고서.txt"}},
        {"ㅁㅅ/2026\\", false, 0, {"보고서.hwp", "회의록.hwp"}},
        {"문서\\", false, 0, {"2026", "보고서 초안.hwp", "사진", "보고서.txt"}},
        {"문서\\", false, 1, {"2026", "사진"}},
        {"사진\\", false, 3, {"여행.jpg"}},
        {"문서\\ ext:hwp", false, 0, {"보고서 초안.hwp"}},
        {"c:\\보고서", false, 0, {"보고서.hwp"}},  // the root by its stored name
        {"C:\\문서\\", false, 0, {"2026", "보고서 초안.hwp", "사진"}},
        {"c:\\docs\\문서\\보고서", false, 0, {"보고서.txt"}},
        {"x:\\문서\\보고서", false, 0, {}},
        {"c:\\x\\c:\\문서\\보고서", false, 0, {}},  // nothing above the root
        {"docs\\*\\보고서", false, 0, {"보고서.txt"}},
        {"*\\2026\\report", false, 0, {"report.pdf"}},
        {"archive\\2026\\*.PDF", false, 0, {"report.pdf"}},
        {"2026\\ report", false, 0, {"report.pdf"}},
        {"문서\\ 2026\\", false, 0, {}},
        // The same folders asked about for two path words get an answer for each.
        {"2026\\ 문서\\2026\\", false, 0, {"보고서.hwp", "회의록.hwp"}},
        {"없는\\보고서", false, 0, {}},
        {"보고서\\", false, 0, {}},
        {"문서\\보고", true, 0, {"보고서 초안.hwp", "보고서.txt"}},
    };
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(c.text);
        auto query = parse(c.text, c.composing, c.filter);
        EXPECT_EQ(names_of(match_all_entries(*query, tables), tables), c.names);

        const FolderMemo memo(*query, tables);
        MatchScratch scratch;
        scratch.folders = &memo;
        std::vector<Hit> hits;
        match_range(*query, tables[0], 0, 1, tables[0].size(), scratch, hits);
        match_range(*query, tables[0], 0, 1, tables[0].size(), scratch, hits);  // answers known
        std::vector<std::string> twice = c.names;
        twice.insert(twice.end(), c.names.begin(), c.names.end());
        EXPECT_EQ(names_of(hits, tables), twice);
    }
}

// A search's folder answers take room near the folders it asks about, not a byte for every entry
// and segment: at 10 million entries that was up to 80 MB zeroed at every keystroke.
TEST(FolderMemoTest, TakesRoomOnlyForTheFoldersAskedAbout) {
    VolumeTable table = VolumeTable::with_root("C:\\");
    for (int i = 0; i < 60000; ++i)
        add_file(table, 0, "notes_" + std::to_string(i) + ".txt");
    const uint32_t archive = add_folder(table, 0, "archive");
    const uint32_t year = add_folder(table, archive, "2026");
    add_file(table, year, "report.pdf");
    add_file(table, archive, "report.pdf");
    std::vector<VolumeTable> tables;
    tables.push_back(std::move(table));
    const MatchCase cases[] = {
        {"archive\\report", false, 0, {"report.pdf"}},
        {"archive\\2026\\report", false, 0, {"report.pdf"}},
        {"*\\*\\report", false, 0, {"report.pdf", "report.pdf"}},
        {"c:\\notes_5999.", false, 0, {"notes_5999.txt"}},
    };
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(c.text);
        auto query = parse(c.text, false, 0);
        const FolderMemo memo(*query, tables);
        MatchScratch scratch;
        scratch.folders = &memo;
        std::vector<Hit> hits;
        match_range(*query, tables[0], 0, 1, tables[0].size(), scratch, hits);
        EXPECT_EQ(names_of(hits, tables), c.names);
        EXPECT_LT(memo.bytes(), tables[0].size() / 4);
    }
}

// Path-word hits are ordered like any others: by name, and by folder (C:\Docs\문서 before
// C:\문서).
TEST(MatchEntryTest, PathWordHitsTakeTheSortOrders) {
    const std::vector<VolumeTable> tables = folder_tree();
    struct Case {
        SortColumn column;
        bool descending;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {SortColumn::Name, false, {"2026", "보고서 초안.hwp", "보고서.txt", "사진"}},
        {SortColumn::Name, true, {"사진", "보고서.txt", "보고서 초안.hwp", "2026"}},
        {SortColumn::Folder, false, {"보고서.txt", "2026", "보고서 초안.hwp", "사진"}},
        {SortColumn::Size, false, {"2026", "사진", "보고서 초안.hwp", "보고서.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.column));
        EXPECT_EQ(testing::search_names(tables, "문서\\", 0, c.column, c.descending), c.names);
    }
}

TEST(MatchRangeTest, AppendsHitsOfTheRangeInEntryOrder) {
    VolumeTable table = testing::flat_table({"a1", "b", "a2", "a3", "a4"});
    auto query = parse("a", false, 0);
    MatchScratch scratch;
    std::vector<Hit> hits;
    match_range(*query, table, 2, 2, 5, scratch, hits);
    EXPECT_EQ(hits, (std::vector<Hit>{{3, 2, true}, {4, 2, true}}));
    match_range(*query, table, 2, 5, 100, scratch, hits);  // end past the table is cut
    EXPECT_EQ(hits.size(), 3u);
}

struct PatternCase {
    const char* text;
    bool composing;
    const char* name;
    std::optional<std::pair<size_t, size_t>> span;
};

TEST(MatchPatternTest, LeftmostSpanInCharacters) {
    using Span = std::pair<size_t, size_t>;
    const PatternCase cases[] = {
        {"ㅂㄱㅅ", false, "보고서.hwp", Span{0, 3}},
        {"ㄱㅅ", false, "보고서", Span{1, 3}},
        {"ㅂㄳ", false, "보고서", Span{0, 3}},
        {"ㄳ", false, "ㄳ", Span{0, 1}},
        {"ㄳ", false, "a고서", Span{1, 3}},
        {"ㄳ", false, "고", std::nullopt},
        {"ㄱ", false, "a가b각", Span{1, 2}},
        {"ㄱ", false, "까ㄲ", std::nullopt},
        {"한", true, "하나", Span{0, 2}},
        {"한", true, "x한", Span{1, 2}},
        {"한", true, "하ㄴ", Span{0, 2}},
        {"한", true, "xx하", std::nullopt},
        {"한", true, "하가", std::nullopt},
        {"보ㄱ", false, "보기", Span{0, 2}},
        {"ㅂreport", false, "보Report", Span{0, 7}},
        {"ΣΑΣㅂ", false, "ΣΑΣ보", Span{0, 4}},
    };
    for (const PatternCase& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.name);
        auto query = parse(c.text, c.composing, 0);
        const auto& term = std::get<TextTerm>(query->terms.at(0));
        EXPECT_EQ(match_pattern(term.pattern, name_chars(c.name)), c.span);
    }
    EXPECT_EQ(match_pattern({}, U"abc"), (std::pair<size_t, size_t>{0, 0}));
    EXPECT_EQ(match_pattern({}, U""), (std::pair<size_t, size_t>{0, 0}));
}

// An Initial element matches exactly the characters whose initial_index is its index: every
// compatibility consonant (clusters and doubles included) and the first and last syllable of
// every initial.
TEST(MatchPatternTest, InitialElementsFollowInitialIndex) {
    std::vector<char32_t> characters;
    for (char32_t c = JAMO_CONSONANT_FIRST; c <= JAMO_VOWEL_LAST; ++c)
        characters.push_back(c);
    for (int i = 0; i < 19; ++i) {
        characters.push_back(SYLLABLE_FIRST + 588 * static_cast<char32_t>(i));
        characters.push_back(SYLLABLE_FIRST + 588 * static_cast<char32_t>(i) + 587);
    }
    characters.push_back(U'a');
    for (int k = 0; k < 19; ++k) {
        PatternElement element;
        element.kind = ElementKind::Initial;
        element.initial = static_cast<uint8_t>(k);
        for (char32_t c : characters) {
            SCOPED_TRACE(::testing::Message() << "initial " << k << " character U+" << std::hex
                                              << static_cast<uint32_t>(c));
            std::optional<int> index = initial_index(c);
            std::u32string chars(1, c);
            EXPECT_EQ(match_pattern({element}, chars).has_value(), index && *index == k);
            std::string name;
            append_utf8(name, c);
            VolumeTable table = testing::flat_table({name});
            Query query;
            TextTerm term;
            term.pattern = {element};
            term.has_hangul = true;
            query.terms.push_back(term);
            MatchScratch scratch;
            EXPECT_EQ(match_entry(query, table, 0, 1, scratch).has_value(), index && *index == k);
        }
    }
}

struct GlobCase {
    const char32_t* pattern;
    const char32_t* chars;
    bool matches;
};

TEST(GlobMatchTest, AnchoredAtBothEnds) {
    const GlobCase cases[] = {
        {U"*.hwp", U"보고서.hwp", true},
        {U"*.hwp", U"보고서.hwpx", false},
        {U"a?c", U"abc", true},
        {U"a?c", U"abcd", false},
        {U"a?c", U"ac", false},
        {U"report", U"report", true},
        {U"report", U"reports", false},
        {U"*a*b", U"xaxb", true},
        {U"*a*b", U"xaxbx", false},
        {U"a*", U"a", true},
        {U"", U"", true},
        {U"", U"a", false},
        {U"*", U"", true},
        {U"**a", U"a", true},
        {U"a*b*c", U"abxbc", true},
        {U"a*b*c", U"acb", false},
        {U"?", U"", false},
        {U"a*b?cd", U"axxbzcd", true},
        {U"*aab", U"aaaab", true},
        {U"??", U"가나", true},
    };
    for (const GlobCase& c : cases) {
        EXPECT_EQ(glob_match(c.pattern, c.chars), c.matches)
            << std::u32string_view(c.pattern).size() << " / "
            << std::u32string_view(c.chars).size();
    }
}

TEST(NameCharsTest, EachCharacterLoweredOnItsOwn) {
    struct Case {
        const char* name;
        std::u32string chars;
    };
    const Case cases[] = {
        {"ÄRGER", U"ärger"},
        {"İx", U"ix"},    // only the first character of İ's mapping
        {"ΣΑΣ", U"σασ"},  // no final sigma per character
        {"ς", U"σ"},      // final sigma reads as sigma
        {"보A", U"보a"},
        {"\u212A", U"k"},       // Kelvin sign
        {"\u24B6", U"\u24D0"},  // circled capital A
        {"a\xFF"
         "b",
         U"a\uFFFDb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(name_chars(c.name), c.chars);
    }
}

// The naive folded search the fast one must agree with.
size_t naive_find_folded(std::string_view hay, std::string_view needle) {
    if (needle.size() > hay.size()) return std::string_view::npos;
    for (size_t p = 0; p + needle.size() <= hay.size(); ++p) {
        bool equal = true;
        for (size_t i = 0; i < needle.size() && equal; ++i) {
            char h = hay[p + i];
            if (h >= 'A' && h <= 'Z') h = static_cast<char>(h + 32);
            equal = h == needle[i];
        }
        if (equal) return p;
    }
    return std::string_view::npos;
}

TEST(FindFoldedTest, Examples) {
    struct Case {
        const char* hay;
        const char* needle;
        size_t at;
    };
    const Case cases[] = {
        {"REPORT.TXT", "report", 0},
        {"annual_report.pdf", "report", 7},
        {"abc", "abcd", std::string_view::npos},
        {"", "", 0},
        {"abc", "", 0},
        {"x@y", "`", std::string_view::npos},  // '@' | 0x20 is '`' but '@' is not a letter
        {"[a]", "{", std::string_view::npos},
        {"보고서.HWP", ".hwp", 9},
        {"AaAaAaAaAaAaAaAaAaAaAaAaAaAaAaAaAaAab", "aab", 34},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.hay) + " / " + c.needle);
        std::string_view hay(c.hay);
        EXPECT_EQ(find_folded(hay.data(), hay.size(), hay.size(), c.needle), c.at);
        std::string padded = std::string(hay) + std::string(64, 'a');  // room to read ahead
        EXPECT_EQ(find_folded(padded.data(), hay.size(), padded.size(), c.needle), c.at);
    }
}

// Random haystacks over a small alphabet (many near misses), searched with and without room to
// read ahead in 16-byte blocks, against the naive search.
TEST(FindFoldedTest, AgreesWithNaiveSearch) {
    std::mt19937 random(20260107);
    const std::string alphabet = "aAbB.\xCF\x83\xEB\xB3\xB4";
    auto random_text = [&](size_t length) {
        std::string text;
        for (size_t i = 0; i < length; ++i)
            text += alphabet[random() % alphabet.size()];
        return text;
    };
    for (int round = 0; round < 20000; ++round) {
        std::string hay = random_text(random() % 70);
        std::string needle = random_text(1 + random() % 5);
        for (char& c : needle)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        std::string padded = hay + random_text(random() % 40);
        size_t expected = naive_find_folded(hay, needle);
        ASSERT_EQ(find_folded(hay.data(), hay.size(), hay.size(), needle), expected)
            << hay << " / " << needle;
        ASSERT_EQ(find_folded(padded.data(), hay.size(), padded.size(), needle), expected)
            << hay << " / " << needle;
    }
}

// Names laid out back to back, asked for in arena order, in random order and again, through one
// cursor with small look-ahead windows so that window ends fall inside names and right at
// occurrences: every answer must equal a search of the name alone.
TEST(FindInNameTest, RememberedSearchAgreesWithSearchingEachName) {
    std::mt19937 random(314);
    const std::string alphabet = "abAB.";
    for (int round = 0; round < 300; ++round) {
        std::string arena;
        std::vector<std::pair<size_t, size_t>> names;  // offset, length
        for (int i = 0, n = 5 + static_cast<int>(random() % 40); i < n; ++i) {
            size_t length = random() % 9;
            names.emplace_back(arena.size(), length);
            for (size_t k = 0; k < length; ++k)
                arena += alphabet[random() % alphabet.size()];
        }
        std::string needle;
        for (size_t k = 0, m = 1 + random() % 3; k < m; ++k)
            needle += "ab."[random() % 3];
        const size_t window = random() % 12;

        std::vector<size_t> order(names.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::vector<size_t> asks = order;
        std::shuffle(order.begin(), order.end(), random);
        asks.insert(asks.end(), order.begin(), order.end());
        asks.insert(asks.end(), asks.begin(), asks.begin() + static_cast<long>(names.size()));

        ArenaCursor cursor;
        for (size_t i : asks) {
            auto [offset, length] = names[i];
            std::string_view name(arena.data() + offset, length);
            SCOPED_TRACE(::testing::Message() << "arena " << arena << " name " << name << " needle "
                                              << needle << " window " << window);
            ASSERT_EQ(
                find_in_name(arena.data(), arena.size(), offset, length, needle, &cursor, window),
                naive_find_folded(name, needle));
        }
    }
}

TEST(FindInNameTest, NameOutsideTheArenaIsNotSearched) {
    const std::string arena = "report";
    ArenaCursor cursor;
    EXPECT_EQ(find_in_name(arena.data(), arena.size(), 0, 6, "report", &cursor), 0u);
    EXPECT_EQ(find_in_name(arena.data(), arena.size(), 2, 6, "port", &cursor),
              std::string_view::npos);
    EXPECT_EQ(find_in_name(arena.data(), arena.size(), 7, 0, "", nullptr), std::string_view::npos);
}

}  // namespace
}  // namespace norvik
