#include "query/folder_rank.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "test_tables.h"

namespace norvik {
namespace {

using testing::add_file;
using testing::add_folder;

// Random trees whose folder names begin one another ("a", "a b", "A"), differ only in case
// (folders whose contents interleave once lowercased), end in a capital sigma, or are Korean.
std::vector<VolumeTable> random_tables(std::mt19937& random, const std::vector<std::string>& roots,
                                       std::vector<Hit>& hits) {
    const std::vector<std::string> parts = {"a", " b", "A", "ΑΣ", "σ", "보고서", "Z",
                                            "z", "_",  "1", "10", ".", "é",      "É"};
    std::vector<VolumeTable> tables;
    for (size_t t = 0; t < roots.size(); ++t) {
        VolumeTable table = VolumeTable::with_root(roots[t]);
        std::vector<uint32_t> folders{0};
        for (int i = 0; i < 1500; ++i) {
            std::string name;
            for (int k = 0, n = 1 + static_cast<int>(random() % 3); k < n; ++k)
                name += parts[random() % parts.size()];
            const uint32_t parent = folders[random() % folders.size()];
            const bool folder = random() % 4 == 0;
            const uint32_t entry =
                folder ? add_folder(table, parent, name) : add_file(table, parent, name);
            if (folder) folders.push_back(entry);
            if (random() % 4 != 0) hits.push_back({entry, static_cast<uint8_t>(t), false});
        }
        tables.push_back(std::move(table));
    }
    // Hits without a folder: the root itself, and an entry and a table that are gone.
    hits.push_back({0, 0, false});
    hits.push_back({1u << 30, 0, false});
    hits.push_back({1, static_cast<uint8_t>(roots.size()), false});
    return tables;
}

// The Folder order as it is defined: the lowercased parent path, then the name ascending in
// both directions, then the position.
std::vector<Hit> folder_order(const std::vector<Hit>& hits, const std::vector<VolumeTable>& tables,
                              bool descending) {
    struct Keyed {
        std::string folder;
        std::string_view name;
        Hit hit;
    };
    std::vector<Keyed> keyed;
    for (const Hit& h : hits) {
        if (h.table < tables.size())
            keyed.push_back(
                {folder_key(tables[h.table], h.entry), tables[h.table].stored_name(h.entry), h});
        else
            keyed.push_back({"", "", h});
    }
    std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
        if (a.folder != b.folder) return descending ? a.folder > b.folder : a.folder < b.folder;
        const int order = name_order(a.name, b.name);
        if (order != 0) return order < 0;
        return a.hit.table != b.hit.table ? a.hit.table < b.hit.table : a.hit.entry < b.hit.entry;
    });
    std::vector<Hit> ordered;
    for (const Keyed& k : keyed)
        ordered.push_back(k.hit);
    return ordered;
}

TEST(FolderRankTest, FolderSortEqualsTheKeyOrderInFullAndForTheFirstRows) {
    struct Case {
        std::vector<std::string> roots;
        FolderRanking ranking;  // what the tree makes of these tables
    };
    const Case cases[] = {
        // Two drives, and a second table of the first drive: its folders merge with the first's.
        {{"C:\\", "D:\\", "c:\\"}, FolderRanking::Ranked},
        // A root written with backslashes: its folders are ordered from their built paths.
        {{"C:\\", "\\\\server\\share\\"}, FolderRanking::Unsuitable},
    };
    std::mt19937 random(21);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.roots.back());
        std::vector<Hit> hits;
        const std::vector<VolumeTable> tables = random_tables(random, c.roots, hits);
        std::shuffle(hits.begin(), hits.end(), random);
        std::vector<uint32_t> ranks;
        EXPECT_EQ(rank_folders(hits, tables, {}, ranks), c.ranking);
        for (bool descending : {false, true}) {
            SCOPED_TRACE(descending);
            const std::vector<Hit> expected = folder_order(hits, tables, descending);
            for (size_t head : {size_t{0}, size_t{1}, size_t{50}, size_t{1000}, SIZE_MAX}) {
                SCOPED_TRACE(head);
                std::vector<Hit> sorted = hits;
                ASSERT_TRUE(sort_hits(sorted, SortColumn::Folder, descending, tables, {}, head));
                const size_t front = std::min(head, sorted.size());
                EXPECT_TRUE(std::equal(sorted.begin(), sorted.begin() + front, expected.begin()));
                ASSERT_TRUE(sort_hits(std::span(sorted).subspan(front), SortColumn::Folder,
                                      descending, tables));
                EXPECT_EQ(sorted, expected);
            }
        }
    }
}

// Past the depth a path holds, full_path keeps only the lowest names; the tree gives way to the
// built paths, and the order still follows them.
TEST(FolderRankTest, ChainsDeeperThanAPathHoldsAreOrderedByTheirBuiltPaths) {
    VolumeTable table = VolumeTable::with_root("C:\\");
    std::vector<Hit> hits;
    uint32_t folder = 0;
    for (size_t depth = 0; depth < MAX_PATH_NAMES + 2; ++depth) {
        folder = add_folder(table, folder, depth % 2 ? "b" : "a");
        hits.push_back({add_file(table, folder, "x"), 0, false});
    }
    std::vector<VolumeTable> tables;
    tables.push_back(std::move(table));
    std::vector<uint32_t> ranks;
    EXPECT_EQ(rank_folders(hits, tables, {}, ranks), FolderRanking::Unsuitable);
    std::vector<Hit> sorted = hits;
    ASSERT_TRUE(sort_hits(sorted, SortColumn::Folder, false, tables));
    EXPECT_EQ(sorted, folder_order(hits, tables, false));
}

}  // namespace
}  // namespace norvik
