#include "search/search.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "kinds/kinds.h"
#include "query/test_tables.h"

namespace norvik {
namespace {

using testing::add_file;
using testing::add_folder;

TEST(SearchThreadCountTest, FromProcessorCount) {
    struct Case {
        unsigned processors;
        unsigned threads;
    };
    const Case cases[] = {{0, 4}, {1, 1}, {2, 2}, {15, 15}, {16, 16}, {32, 16}, {1024, 16}};
    for (const Case& c : cases)
        EXPECT_EQ(search_thread_count(c.processors), c.threads);
}

// A table of `count` entries: the root and count - 1 files named f<i>, modified at first_mtime + i.
VolumeTable numbered_table(std::string root, uint32_t count, uint32_t first_mtime = 0) {
    VolumeTable table = VolumeTable::with_root(std::move(root));
    for (uint32_t i = 1; i < count; ++i)
        add_file(table, 0, "f" + std::to_string(i), first_mtime + i);
    return table;
}

TEST(BuildChunksTest, ChunksOfEveryTableFromEntryOne) {
    std::vector<VolumeTable> tables;
    tables.push_back(numbered_table("A:\\", 40000));
    tables.push_back(numbered_table("B:\\", 1));  // only its root: no chunk
    tables.push_back(numbered_table("C:\\", 2));
    tables.push_back(numbered_table("D:\\", 32769));
    tables.push_back(numbered_table("E:\\", 32770));
    EXPECT_EQ(build_chunks(tables), (std::vector<Chunk>{{0, 1, 32769},
                                                        {0, 32769, 40000},
                                                        {2, 1, 2},
                                                        {3, 1, 32769},
                                                        {4, 1, 32769},
                                                        {4, 32769, 32770}}));
    EXPECT_TRUE(build_chunks({}).empty());
}

TEST(SearchChunksTest, ClaimsEveryChunkThenStops) {
    std::vector<VolumeTable> tables;
    tables.push_back(numbered_table("A:\\", 70000));
    auto query = parse("f1", false, 0);
    std::vector<Chunk> chunks = build_chunks(tables);
    ASSERT_EQ(chunks.size(), 3u);
    std::atomic<size_t> next{0};
    std::atomic<uint64_t> counter{5};
    auto hits = search_chunks(*query, chunks, next, Generation{&counter, 5}, tables);
    ASSERT_TRUE(hits.has_value());
    EXPECT_GE(next.load(), chunks.size());
    // f1, f10-f19, f100-f199, f1000-f1999, f10000-f19999: 11,111 names.
    EXPECT_EQ(hits->size(), 11111u);

    std::atomic<size_t> again{0};
    counter = 6;  // superseded: nothing comes back, and only one chunk was claimed
    EXPECT_FALSE(search_chunks(*query, chunks, again, Generation{&counter, 5}, tables));
    EXPECT_EQ(again.load(), 1u);
}

SearchRequest request_for(std::string text, SortColumn column = SortColumn::Relevance,
                          bool descending = false, uint8_t filter = 0) {
    SearchRequest request;
    request.text = std::move(text);
    request.generation = 1;
    request.sort_column = static_cast<uint8_t>(column);
    request.descending = descending;
    request.filter = filter;
    return request;
}

std::vector<Hit> expected_hits(const std::vector<VolumeTable>& tables,
                               const SearchRequest& request) {
    auto query = parse(request.text, request.composing, request.filter);
    std::vector<Hit> hits = testing::match_all_entries(*query, tables);
    sort_hits(hits, static_cast<SortColumn>(request.sort_column), request.descending, tables);
    return hits;
}

// Several threads over many chunks find what one straightforward pass finds, in the same order:
// the first ORDERED_ROWS at once, every hit once order_rest has ordered the rest.
TEST(ExecuteSearchTest, ThreadsAgreeWithOnePass) {
    std::vector<VolumeTable> tables;
    tables.push_back(numbered_table("A:\\", 100000));
    // Other times than A's, so that equal names are ordered by time and the order is total.
    tables.push_back(numbered_table("B:\\", 40000, 1000000));
    tables[0].table_id = 7;
    tables[1].table_id = 9;
    for (SortColumn column : {SortColumn::Relevance, SortColumn::Name, SortColumn::DateModified}) {
        SearchRequest request = request_for("f2", column, true);
        const std::vector<Hit> expected = expected_hits(tables, request);
        for (unsigned threads : {1u, 2u, 3u, 16u}) {
            SCOPED_TRACE(threads);
            auto result = execute_search(tables, parse(request.text, false, 0), request, threads,
                                         Generation{});
            ASSERT_TRUE(result.has_value());
            ASSERT_EQ(result->hits.size(), expected.size());
            ASSERT_EQ(result->ordered, ORDERED_ROWS);
            EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + ORDERED_ROWS,
                                   result->hits.begin()));
            order_rest(result->hits, result->ordered, result->sort_column, result->descending,
                       tables);
            EXPECT_EQ(result->ordered, expected.size());
            EXPECT_EQ(result->hits, expected);
            EXPECT_EQ(result->table_ids, (std::vector<uint32_t>{7, 9}));
            EXPECT_EQ(result->sort_column, static_cast<uint8_t>(column));
            EXPECT_TRUE(result->descending);
            EXPECT_EQ(result->generation, 1u);
            ASSERT_NE(result->query, nullptr);
            EXPECT_EQ(result->query->terms.size(), 1u);
        }
    }
}

// Path words over many chunks: the threads share the search's folder answers and find what
// matching each entry on its own finds.
TEST(ExecuteSearchTest, PathWordsAgreeAcrossThreads) {
    VolumeTable table = VolumeTable::with_root("A:\\");
    std::vector<uint32_t> folders;
    for (uint32_t d = 0; d < 200; ++d)
        folders.push_back(add_folder(table, 0, "d" + std::to_string(d)));
    for (uint32_t d = 0; d < 200; ++d) {
        const uint32_t inner = add_folder(table, folders[d], "in" + std::to_string(d % 7));
        for (uint32_t f = 0; f < 300; ++f)
            add_file(table, f % 2 ? inner : folders[d], "f" + std::to_string(f), f);
    }
    // A chain of folders deeper than the memo's levels: the segments past them are matched
    // each time, with the same answers.
    VolumeTable deep = VolumeTable::with_root("B:\\");
    uint32_t parent = 0;
    std::string chain;
    for (int level = 0; level < 12; ++level) {
        parent = add_folder(deep, parent, "n" + std::to_string(level));
        chain += "n" + std::to_string(level) + "\\";
        add_file(deep, parent, "f" + std::to_string(level));
    }
    std::vector<VolumeTable> tables;
    tables.push_back(std::move(table));
    tables.push_back(std::move(deep));
    const std::string whole = chain + "f0";  // the last folder holds f11 only
    const std::string tail = chain.substr(3) + "f11";
    for (const std::string& text :
         {std::string("d1\\f2"), std::string("d1\\"), std::string("d1\\in1\\f2"),
          std::string("in3\\f1 ext:"), std::string("*\\in2/f29"), tail}) {
        SearchRequest request = request_for(text, SortColumn::DateModified);
        const std::vector<Hit> expected = expected_hits(tables, request);
        EXPECT_FALSE(expected.empty()) << text;
        for (unsigned threads : {1u, 2u, 3u}) {
            SCOPED_TRACE(text + " / " + std::to_string(threads));
            auto result = execute_search(tables, parse(request.text, false, 0), request, threads,
                                         Generation{});
            ASSERT_TRUE(result.has_value());
            order_rest(result->hits, result->ordered, result->sort_column, result->descending,
                       tables);
            EXPECT_EQ(result->hits, expected);
        }
    }
    EXPECT_TRUE(expected_hits(tables, request_for(whole)).empty());
}

// Never more threads than chunks: one table of 40,000 entries has two chunks, so two threads
// search it whatever the limit; a table of its root alone still gets one thread; an empty query
// none.
TEST(ExecuteSearchTest, ThreadsStartedFollowTheChunks) {
    struct Case {
        uint32_t entries;
        const char* text;
        unsigned limit;
        unsigned started;
    };
    const Case cases[] = {
        {40000, "f1", 16, 2}, {40000, "f1", 2, 2}, {40000, "f1", 1, 1},   {100000, "f1", 16, 4},
        {1, "f1", 16, 1},     {40000, "", 16, 0},  {40000, " * ", 16, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.entries << " entries, '" << c.text << "', limit " << c.limit);
        std::vector<VolumeTable> tables;
        tables.push_back(numbered_table("A:\\", c.entries));
        SearchRequest request = request_for(c.text);
        auto result =
            execute_search(tables, parse(c.text, false, 0), request, c.limit, Generation{});
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->search_threads, c.started);
    }
}

TEST(ExecuteSearchTest, EntryZeroIsNeverAHit) {
    std::vector<VolumeTable> tables;
    tables.push_back(VolumeTable::with_root("report\\"));  // a root whose name matches
    add_file(tables[0], 0, "report.txt");
    for (const char* text : {"report", "?*", "r*"}) {
        SCOPED_TRACE(text);
        SearchRequest request = request_for(text);
        auto result = execute_search(tables, parse(text, false, 0), request, 2, Generation{});
        ASSERT_TRUE(result.has_value());
        // Wildcards are never at_start, nor exact; "report" names report.txt exactly.
        const bool text_term = text[0] == 'r' && text[1] == 'e';
        EXPECT_EQ(result->hits, (std::vector<Hit>{{1, 0, text_term, text_term}}));
    }
    SearchRequest folders = request_for("", SortColumn::Relevance, false, TAB_FOLDERS);
    auto result = execute_search(tables, parse("", false, TAB_FOLDERS), folders, 2, Generation{});
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(result->hits.empty());
}

TEST(ExecuteSearchTest, EmptyQueryGivesAnEmptyResult) {
    std::vector<VolumeTable> tables;
    tables.push_back(numbered_table("A:\\", 100));
    tables[0].table_id = 3;
    for (const char* text : {"", "   ", "* ext:"}) {
        SearchRequest request = request_for(text);
        auto result = execute_search(tables, parse(text, false, 0), request, 4, Generation{});
        ASSERT_TRUE(result.has_value());
        EXPECT_TRUE(result->hits.empty());
        EXPECT_EQ(result->table_ids, std::vector<uint32_t>{3});
        ASSERT_NE(result->query, nullptr);
        EXPECT_TRUE(is_empty(*result->query));
    }
}

TEST(ExecuteSearchTest, SupersededSearchDeliversNothing) {
    std::vector<VolumeTable> tables;
    tables.push_back(numbered_table("A:\\", 50000));
    std::atomic<uint64_t> counter{2};
    for (SortColumn column : {SortColumn::Relevance, SortColumn::Folder}) {
        SearchRequest request = request_for("f", column);
        EXPECT_FALSE(
            execute_search(tables, parse("f", false, 0), request, 2, Generation{&counter, 1})
                .has_value());
        EXPECT_TRUE(
            execute_search(tables, parse("f", false, 0), request, 2, Generation{&counter, 2})
                .has_value());
    }
}

TEST(ExecuteSearchTest, UnknownSortColumnFallsBackToRelevance) {
    std::vector<VolumeTable> tables;
    tables.push_back(numbered_table("A:\\", 50));
    SearchRequest request = request_for("f", SortColumn::Relevance);
    request.sort_column = 77;
    auto result = execute_search(tables, parse("f", false, 0), request, 1, Generation{});
    ASSERT_TRUE(result.has_value());
    request.sort_column = 0;
    EXPECT_EQ(result->hits, expected_hits(tables, request));
}

// The command-line entry point: with the Folders filter, no text and relevance order, every
// folder but the drive roots, newest first.
TEST(RunSearchTest, FoldersNewestFirst) {
    Index index;
    VolumeTable c = VolumeTable::with_root("C:\\");
    uint32_t users = add_folder(c, 0, "Users", 100);
    add_folder(c, users, "me", 300);
    add_file(c, users, "notes.txt", 500);
    VolumeTable d = VolumeTable::with_root("D:\\");
    add_folder(d, 0, "Backup", 200);
    index.replace_or_insert(std::move(c));
    index.replace_or_insert(std::move(d));

    SearchRequest request = request_for("", SortColumn::Relevance, false, TAB_FOLDERS);
    request.generation = 42;
    SearchResult result = run_search(index, request, 2);
    std::vector<std::string> names;
    for (const Hit& hit : result.hits)
        names.emplace_back(index.tables[hit.table].stored_name(hit.entry));
    EXPECT_EQ(names, (std::vector<std::string>{"me", "Backup", "Users"}));
    EXPECT_EQ(result.generation, 42u);
    ASSERT_EQ(result.table_ids.size(), 2u);
    EXPECT_EQ(result.table_ids[0], index.tables[0].table_id);
    EXPECT_EQ(result.table_ids[1], index.tables[1].table_id);

    SearchResult text = run_search(index, request_for("NOTES"));
    ASSERT_EQ(text.hits.size(), 1u);
    EXPECT_TRUE(text.hits[0].at_start);
}

// A filter tab that finds nothing learns what the same words find in All; a tab that finds
// something, All itself and a tab with no words count nothing more.
TEST(RunSearchTest, AnEmptyFilterTabCountsWhatAllFinds) {
    Index index;
    VolumeTable c = VolumeTable::with_root("C:\\");
    const uint32_t users = add_folder(c, 0, "Users", 100);
    add_file(c, users, "report.pdf", 200);
    add_file(c, users, "report.docx", 300);
    add_file(c, users, "holiday.jpg", 400);
    index.replace_or_insert(std::move(c));
    struct Case {
        const char* text;
        uint8_t filter;
        size_t hits;
        std::optional<size_t> unfiltered;
    };
    const Case cases[] = {
        {"report", TAB_PICTURES, 0, 2},
        {"report", TAB_DOCUMENTS, 2, std::nullopt},
        {"zzz", TAB_PICTURES, 0, 0},
        {"zzz", TAB_ALL, 0, std::nullopt},
        {"", TAB_MUSIC, 0, std::nullopt},
        {"ext:pdf", TAB_PICTURES, 0, 1},
        // The count in All asks about the same folders as the search: their answers serve both.
        {"users\\report", TAB_PICTURES, 0, 2},
        {"users\\", TAB_MUSIC, 0, 3},
        {"nobody\\report", TAB_PICTURES, 0, 0},
    };
    for (const Case& c : cases) {
        const SearchResult result =
            run_search(index, request_for(c.text, SortColumn::Relevance, false, c.filter), 2);
        EXPECT_EQ(result.hits.size(), c.hits) << c.text << " " << int(c.filter);
        EXPECT_EQ(result.unfiltered_count, c.unfiltered) << c.text << " " << int(c.filter);
    }
}

TEST(ElapsedTest, SecondsAndNanoseconds) {
    Elapsed e = Elapsed::from(std::chrono::nanoseconds(3'250'000'001));
    EXPECT_EQ(e.seconds, 3u);
    EXPECT_EQ(e.nanoseconds, 250'000'001u);
    EXPECT_EQ(e.duration(), std::chrono::nanoseconds(3'250'000'001));
    EXPECT_EQ(Elapsed::from(std::chrono::nanoseconds(-5)).seconds, 0u);
}

}  // namespace
}  // namespace norvik
