#include "query/order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "query/test_tables.h"

namespace norvik {
namespace {

using testing::add_file;
using testing::add_folder;

struct NameOrderCase {
    const char* a;
    const char* b;
    int sign;
};

int sign(int value) {
    return (value > 0) - (value < 0);
}

TEST(NameOrderTest, CodePointsWithoutCase) {
    const NameOrderCase cases[] = {
        {"B", "b", 0},
        {"a", "B", -1},
        {"file10", "file9", -1},
        {"README", "가나다", -1},
        {"abc", "abcd", -1},
        {"", "", 0},
        {"a", "", 1},
        {"Äb", "äa", 1},
        {"é", "f", 1},
        {"İx", "ix", 0},
        {"ΣΑΣ", "σας", 0},
        {"report.TXT", "REPORT.txt", 0},
        {"a_b", "a.b", 1},
        {"Zeta", "docs", 1},
        {"가", "까", -1},
    };
    for (const NameOrderCase& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(sign(name_order(c.a, c.b)), c.sign);
        EXPECT_EQ(sign(name_order(c.b, c.a)), -c.sign);
    }
}

// Two tables whose entries exercise every key and tie-break:
//   C:\ 1 docs/ (50)  2 docs\b.txt (100, 10 B)  3 B.txt (200, 0 B)  4 docs\a.txt (100, 10 B)
//       5 Zeta/ (300) 6 Zeta\c.txt (300, all-ones size)
//   D:\ 1 a.txt (150, 5 B)  2 b.txt (120, 10 B)
// Entries C:4 and D:2 matched at the start of their names.
class SortHitsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        VolumeTable c = VolumeTable::with_root("C:\\");
        uint32_t docs = add_folder(c, 0, "docs", 50);
        add_file(c, docs, "b.txt", 100, 10);
        add_file(c, 0, "B.txt", 200, 0);
        add_file(c, docs, "a.txt", 100, 10);
        uint32_t zeta = add_folder(c, 0, "Zeta", 300);
        add_file(c, zeta, "c.txt", 300, UINT64_MAX);
        VolumeTable d = VolumeTable::with_root("D:\\");
        add_file(d, 0, "a.txt", 150, 5);
        add_file(d, 0, "b.txt", 120, 10);
        tables_.push_back(std::move(c));
        tables_.push_back(std::move(d));
    }

    std::vector<Hit> all_hits() const {
        std::vector<Hit> hits;
        for (uint32_t i = 1; i <= 6; ++i)
            hits.push_back({i, 0, i == 4 || i == 1, i == 1});
        for (uint32_t i = 1; i <= 2; ++i)
            hits.push_back({i, 1, i == 2});
        return hits;
    }

    // The hit's flags as all_hits gave them.
    static bool at_start(const Hit& hit) {
        return hit.table == 0 ? hit.entry == 4 || hit.entry == 1 : hit.entry == 2;
    }
    static bool exact(const Hit& hit) { return hit.table == 0 && hit.entry == 1; }

    // "table:entry" of each hit, in order.
    static std::vector<std::string> spell(const std::vector<Hit>& hits) {
        std::vector<std::string> out;
        for (const Hit& hit : hits)
            out.push_back(std::to_string(hit.table) + ":" + std::to_string(hit.entry));
        return out;
    }

    std::vector<VolumeTable> tables_;
};

struct SortCase {
    SortColumn column;
    bool descending;
    std::vector<std::string> order;
};

TEST_F(SortHitsTest, EveryColumnBothDirectionsWithTieBreaks) {
    const SortCase cases[] = {
        // Relevance: the exact name (however old), then at_start, newest first within each,
        // then table and entry; direction ignored.
        {SortColumn::Relevance, false, {"0:1", "1:2", "0:4", "0:5", "0:6", "0:3", "1:1", "0:2"}},
        {SortColumn::Relevance, true, {"0:1", "1:2", "0:4", "0:5", "0:6", "0:3", "1:1", "0:2"}},
        // Name: equal names newer first in both directions.
        {SortColumn::Name, false, {"1:1", "0:4", "0:3", "1:2", "0:2", "0:6", "0:1", "0:5"}},
        {SortColumn::Name, true, {"0:5", "0:1", "0:6", "0:3", "1:2", "0:2", "1:1", "0:4"}},
        // Folder: c:\ < c:\docs < c:\zeta < d:\, names ascending within in both directions.
        {SortColumn::Folder, false, {"0:3", "0:1", "0:5", "0:4", "0:2", "0:6", "1:1", "1:2"}},
        {SortColumn::Folder, true, {"1:1", "1:2", "0:6", "0:4", "0:2", "0:3", "0:1", "0:5"}},
        // Size: folders 0, the empty file 1, the all-ones size stays all-ones.
        {SortColumn::Size, false, {"0:1", "0:5", "0:3", "1:1", "0:2", "0:4", "1:2", "0:6"}},
        {SortColumn::Size, true, {"0:6", "0:2", "0:4", "1:2", "1:1", "0:3", "0:1", "0:5"}},
        {SortColumn::DateModified, false, {"0:1", "0:2", "0:4", "1:2", "1:1", "0:3", "0:5", "0:6"}},
        {SortColumn::DateModified, true, {"0:5", "0:6", "0:3", "1:1", "1:2", "0:2", "0:4", "0:1"}},
    };
    std::mt19937 random(7);
    for (const SortCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << "column " << static_cast<int>(c.column)
                                          << (c.descending ? " descending" : " ascending"));
        for (int shuffle = 0; shuffle < 5; ++shuffle) {
            std::vector<Hit> hits = all_hits();
            std::shuffle(hits.begin(), hits.end(), random);
            ASSERT_TRUE(sort_hits(hits, c.column, c.descending, tables_));
            EXPECT_EQ(spell(hits), c.order);
            // The hits come back whole: at_start and exact travel with their entry.
            for (const Hit& hit : hits) {
                EXPECT_EQ(hit.at_start, at_start(hit));
                EXPECT_EQ(hit.exact, exact(hit));
            }
            // Only a front put in order: the same first rows, then the rest ordered after them.
            for (size_t head : {size_t{0}, size_t{1}, size_t{3}, size_t{7}}) {
                SCOPED_TRACE(head);
                std::vector<Hit> partial = all_hits();
                std::shuffle(partial.begin(), partial.end(), random);
                ASSERT_TRUE(sort_hits(partial, c.column, c.descending, tables_, {}, head));
                std::vector<std::string> front = spell(partial);
                front.resize(head);
                EXPECT_EQ(front, std::vector<std::string>(c.order.begin(), c.order.begin() + head));
                ASSERT_TRUE(
                    sort_hits(std::span(partial).subspan(head), c.column, c.descending, tables_));
                EXPECT_EQ(spell(partial), c.order);
            }
        }
    }
}

TEST_F(SortHitsTest, FolderKeyIsTheLowercasedParentPath) {
    EXPECT_EQ(folder_key(tables_[0], 2), "c:\\docs");
    EXPECT_EQ(folder_key(tables_[0], 3), "c:\\");
    EXPECT_EQ(folder_key(tables_[0], 6), "c:\\zeta");
    EXPECT_EQ(folder_key(tables_[0], 0), "");   // the root has no parent
    EXPECT_EQ(folder_key(tables_[0], 99), "");  // no such entry
    VolumeTable e = VolumeTable::with_root("E:\\");
    uint32_t upper = add_folder(e, 0, "ÄRGER");
    uint32_t greek = add_folder(e, upper, "ΟΔΥΣΣΕΑΣ");
    uint32_t file = add_file(e, greek, "x");
    EXPECT_EQ(folder_key(e, file), "e:\\ärger\\οδυσσεας");
}

TEST_F(SortHitsTest, EmptyAndSingleHitLists) {
    for (int column = 0; column < SORT_COLUMN_COUNT; ++column) {
        std::vector<Hit> none;
        EXPECT_TRUE(sort_hits(none, static_cast<SortColumn>(column), false, tables_));
        EXPECT_TRUE(none.empty());
        std::vector<Hit> one{{4, 0, true}};
        EXPECT_TRUE(sort_hits(one, static_cast<SortColumn>(column), true, tables_));
        EXPECT_EQ(one, (std::vector<Hit>{{4, 0, true}}));
    }
}

// Thousands of hits over two tables with random names, times and sizes: every column in both
// directions must give the order its keys and tie-breaks define, checked against comparisons
// written out here (large lists take the integer sorts, not the comparison sort).
TEST(SortHitsLargeTest, AgreesWithTheDefinitionOfEachColumn) {
    std::mt19937 random(99);
    const std::vector<std::string> parts = {
        "a", "B", "report", "Report", "보고서", "가", "z", "file10", "file9", "Ä", "σ", "_", "."};
    std::vector<VolumeTable> tables;
    std::vector<Hit> hits;
    for (uint8_t t = 0; t < 2; ++t) {
        VolumeTable table = VolumeTable::with_root(t == 0 ? "C:\\" : "D:\\");
        std::vector<uint32_t> folders{0};
        for (int i = 0; i < 3000; ++i) {
            std::string name;
            for (int k = 0, n = 1 + static_cast<int>(random() % 4); k < n; ++k)
                name += parts[random() % parts.size()];
            uint32_t parent = folders[random() % folders.size()];
            uint32_t mtime = static_cast<uint32_t>(random() % 50);  // many equal times
            uint32_t entry;
            if (random() % 8 == 0) {
                entry = add_folder(table, parent, name, mtime);
                folders.push_back(entry);
            } else {
                uint64_t size = random() % 5 == 0 ? UINT64_MAX - random() % 2 : random() % 100;
                entry = add_file(table, parent, name, mtime, size);
            }
            if (random() % 3 != 0) {
                const bool at_start = random() % 4 == 0;
                hits.push_back({entry, t, at_start, at_start && random() % 3 == 0});
            }
        }
        tables.push_back(std::move(table));
    }
    ASSERT_GT(hits.size(), 3000u);
    auto entry = [&](const Hit& h) -> const Entry& { return tables[h.table].entries[h.entry]; };
    auto name = [&](const Hit& h) { return tables[h.table].stored_name(h.entry); };
    auto position = [](const Hit& h) { return std::pair(h.table, h.entry); };
    auto size_key = [&](const Hit& h) -> uint64_t {
        const Entry& e = entry(h);
        if (e.is_dir()) return 0;
        return e.size == UINT64_MAX ? e.size : e.size + 1;
    };

    for (int column = 0; column < SORT_COLUMN_COUNT; ++column) {
        for (bool descending : {false, true}) {
            SCOPED_TRACE(::testing::Message()
                         << "column " << column << " descending " << descending);
            // less(a, b): a must come before b. Every column's order is total: what its keys
            // leave equal goes by table position, then entry index, so a refresh of the same
            // search never reorders rows.
            std::function<bool(const Hit&, const Hit&)> less;
            switch (static_cast<SortColumn>(column)) {
                case SortColumn::Relevance:
                    less = [&](const Hit& a, const Hit& b) {
                        auto key = [&](const Hit& h) {
                            return std::tuple(h.exact, h.at_start, entry(h).mtime);
                        };
                        return key(a) != key(b) ? key(a) > key(b) : position(a) < position(b);
                    };
                    break;
                case SortColumn::Size:
                    less = [&](const Hit& a, const Hit& b) {
                        uint64_t ka = size_key(a), kb = size_key(b);
                        if (ka != kb) return descending ? ka > kb : ka < kb;
                        return position(a) < position(b);
                    };
                    break;
                case SortColumn::DateModified:
                    less = [&](const Hit& a, const Hit& b) {
                        uint32_t ka = entry(a).mtime, kb = entry(b).mtime;
                        if (ka != kb) return descending ? ka > kb : ka < kb;
                        return position(a) < position(b);
                    };
                    break;
                case SortColumn::Name:
                    less = [&](const Hit& a, const Hit& b) {
                        int order = name_order(name(a), name(b));
                        if (order != 0) return descending ? order > 0 : order < 0;
                        if (entry(a).mtime != entry(b).mtime)
                            return entry(a).mtime > entry(b).mtime;
                        return position(a) < position(b);
                    };
                    break;
                case SortColumn::Folder:
                    less = [&](const Hit& a, const Hit& b) {
                        std::string fa = folder_key(tables[a.table], a.entry);
                        std::string fb = folder_key(tables[b.table], b.entry);
                        if (fa != fb) return descending ? fa > fb : fa < fb;
                        int order = name_order(name(a), name(b));
                        if (order != 0) return order < 0;
                        return position(a) < position(b);
                    };
                    break;
            }
            std::vector<Hit> sorted = hits;
            std::shuffle(sorted.begin(), sorted.end(), random);
            ASSERT_TRUE(sort_hits(sorted, static_cast<SortColumn>(column), descending, tables));
            std::vector<Hit> expected = hits;
            std::sort(expected.begin(), expected.end(), less);
            EXPECT_EQ(sorted, expected);
        }
    }
}

// Many hits spread over many folders: the Folder sort asks whether to give up once every 4,096
// hits while building keys, and stops as soon as it is told to.
TEST(SortHitsFolderTest, SupersededFolderSortGivesUp) {
    VolumeTable table = VolumeTable::with_root("C:\\");
    std::vector<Hit> hits;
    for (int f = 0; f < 100; ++f) {
        uint32_t folder = add_folder(table, 0, "folder" + std::to_string(f));
        for (int i = 0; i < 100; ++i)
            hits.push_back({add_file(table, folder, "file" + std::to_string(i)), 0, false});
    }
    std::vector<VolumeTable> tables;
    tables.push_back(std::move(table));
    ASSERT_EQ(hits.size(), 10000u);

    int asked = 0;
    std::vector<Hit> sorted = hits;
    EXPECT_TRUE(sort_hits(sorted, SortColumn::Folder, false, tables, [&] {
        ++asked;
        return false;
    }));
    EXPECT_EQ(asked, 3);  // at hits 0, 4096 and 8192
    EXPECT_EQ(tables[0].stored_name(sorted.front().entry), "file0");
    EXPECT_EQ(folder_key(tables[0], sorted.front().entry), "c:\\folder0");
    EXPECT_EQ(folder_key(tables[0], sorted.back().entry), "c:\\folder99");

    asked = 0;
    std::vector<Hit> given_up = hits;
    EXPECT_FALSE(
        sort_hits(given_up, SortColumn::Folder, false, tables, [&] { return ++asked == 2; }));
    EXPECT_EQ(asked, 2);

    // Other columns never ask.
    asked = 0;
    std::vector<Hit> by_name = hits;
    EXPECT_TRUE(sort_hits(by_name, SortColumn::Name, false, tables, [&] { return ++asked > 0; }));
    EXPECT_EQ(asked, 0);
}

// Parse, match and sort together: the default order puts names beginning with the first word
// first, newest first within each group.
TEST(SearchOrderTest, DefaultOrderAndFilters) {
    VolumeTable table = VolumeTable::with_root("C:\\");
    add_file(table, 0, "annual_report.pdf", 500);
    add_file(table, 0, "report.docx", 100);
    add_file(table, 0, "REPORT.TXT", 300);
    uint32_t pictures = add_folder(table, 0, "Pictures", 50);
    add_file(table, pictures, "cat.png", 20);
    add_file(table, pictures, "dog.JPG", 40);
    add_file(table, pictures, "notes.txt", 60);
    add_folder(table, pictures, "old.png", 80);
    std::vector<VolumeTable> tables;
    tables.push_back(std::move(table));

    using testing::search_names;
    using V = std::vector<std::string>;
    EXPECT_EQ(search_names(tables, "report"),
              (V{"REPORT.TXT", "report.docx", "annual_report.pdf"}));
    EXPECT_EQ(search_names(tables, "", 3), (V{"dog.JPG", "cat.png"}));
    EXPECT_EQ(search_names(tables, "", 1), (V{"old.png", "Pictures"}));
    EXPECT_EQ(search_names(tables, "ext:png"), (V{"cat.png"}));
    EXPECT_EQ(search_names(tables, "?*", 0, SortColumn::Size),
              (V{"Pictures", "old.png", "annual_report.pdf", "report.docx", "REPORT.TXT", "cat.png",
                 "dog.JPG", "notes.txt"}));
    EXPECT_EQ(search_names(tables, "report", 0, SortColumn::Name, false),
              (V{"annual_report.pdf", "report.docx", "REPORT.TXT"}));
    EXPECT_EQ(
        search_names(tables, "o", 0, SortColumn::Folder, true),
        (V{"dog.JPG", "notes.txt", "old.png", "annual_report.pdf", "report.docx", "REPORT.TXT"}));
}

// The order people look for first: names that are the words typed, however old, above the
// newer names that only begin with them. Queries that cannot spell a name keep the order by
// first word and age alone.
TEST(SearchOrderTest, ExactNamesComeFirst) {
    VolumeTable table = VolumeTable::with_root("C:\\");
    const uint32_t docs = add_folder(table, 0, "docs", 10);
    add_file(table, docs, "보고서_최종_진짜최종.hwp", 900);
    add_file(table, docs, "보고서 최종.hwp", 100);
    add_file(table, docs, "보고서 최종본.hwp", 800);
    add_file(table, docs, "reports.pdf", 700);
    add_file(table, docs, "annual report.pdf", 600);
    add_file(table, docs, "report.pdf", 200);
    add_file(table, docs, "Report", 300);
    add_folder(table, docs, "report", 150);
    std::vector<VolumeTable> tables;
    tables.push_back(std::move(table));

    using testing::search_names;
    using V = std::vector<std::string>;
    EXPECT_EQ(search_names(tables, "보고서 최종"),
              (V{"보고서 최종.hwp", "보고서_최종_진짜최종.hwp", "보고서 최종본.hwp"}));
    for (const char* text : {"REPORT", "docs\\report"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(search_names(tables, text),
                  (V{"Report", "report.pdf", "report", "reports.pdf", "annual report.pdf"}));
    }
    // A wildcard names no item: newest first, as before.
    EXPECT_EQ(search_names(tables, "report*"),
              (V{"reports.pdf", "Report", "report.pdf", "report"}));
}

// A name that the query spells in any of its readings comes first, as the same name typed in
// Hangul would: the English-layout Hangul, the initials and the English word typed in Korean
// mode. A syllable still being composed spells only itself.
TEST(SearchOrderTest, ExactNamesComeFirstInEveryReading) {
    VolumeTable table = VolumeTable::with_root("C:\\");
    const uint32_t docs = add_folder(table, 0, "docs", 10);
    add_file(table, docs, "보고서 초안.docx", 900);
    add_file(table, docs, "보고서_최종.hwpx", 800);
    add_file(table, docs, "보고서.hwp", 100);
    add_file(table, docs, "결산서류.pdf", 700);
    add_file(table, docs, "결산 보고.hwp", 600);
    add_file(table, docs, "결산서.hwp", 200);
    add_file(table, docs, "report final.pdf", 500);
    add_file(table, docs, "report.pdf", 50);
    add_file(table, docs, "한국.txt", 400);
    add_file(table, docs, "한.txt", 40);
    add_file(table, docs, "하나.txt", 300);
    std::vector<VolumeTable> tables;
    tables.push_back(std::move(table));

    using V = std::vector<std::string>;
    struct Case {
        const char* text;
        bool composing;
        V names;
    };
    const Case cases[] = {
        {"qhrhtj", false, {"보고서.hwp", "보고서 초안.docx", "보고서_최종.hwpx"}},
        {"ㅂㄱㅅ", false, {"보고서.hwp", "보고서 초안.docx", "보고서_최종.hwpx"}},
        {"ruftkstj", false, {"결산서.hwp", "결산서류.pdf"}},
        {"ㄱㅅㅅ", false, {"결산서.hwp", "결산서류.pdf"}},
        {"결산서", false, {"결산서.hwp", "결산서류.pdf"}},
        {"ㄱ데ㅐㄳ", false, {"report.pdf", "report final.pdf"}},
        // 하나 is what 한 may still become, not what it spells.
        {"한", true, {"한.txt", "한국.txt", "하나.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(
            testing::search_names(tables, c.text, 0, SortColumn::Relevance, false, c.composing),
            c.names);
    }
}

}  // namespace
}  // namespace norvik
