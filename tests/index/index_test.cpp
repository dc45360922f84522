#include "index/index.h"

#include <gtest/gtest.h>

#include <random>

namespace norvik {
namespace {

std::vector<std::string> roots(const Index& index) {
    std::vector<std::string> result;
    for (const VolumeTable& t : index.tables)
        result.push_back(t.root);
    return result;
}

TEST(Index, InsertKeepsRootOrder) {
    Index index;
    EXPECT_EQ(index.replace_or_insert(VolumeTable::with_root("D:\\")), 0u);
    EXPECT_EQ(index.replace_or_insert(VolumeTable::with_root("C:\\")), 0u);
    EXPECT_EQ(index.replace_or_insert(VolumeTable::with_root("C:\\data\\")), 1u);
    EXPECT_EQ(roots(index), (std::vector<std::string>{"C:\\", "C:\\data\\", "D:\\"}));
    EXPECT_EQ(index.find("C:\\data\\"), 1u);
    EXPECT_EQ(index.find("c:\\"), std::nullopt);
    EXPECT_EQ(index.find("C:"), std::nullopt);
}

TEST(Index, ReplaceTakesThePlaceOfTheOldTable) {
    Index index;
    index.replace_or_insert(VolumeTable::with_root("C:\\"));
    index.replace_or_insert(VolumeTable::with_root("D:\\"));
    VolumeTable fresh = VolumeTable::with_root("C:\\");
    fresh.add_entry(0, "new.txt", FileFacts{}, 0);
    EXPECT_EQ(index.replace_or_insert(std::move(fresh)), 0u);
    EXPECT_EQ(roots(index), (std::vector<std::string>{"C:\\", "D:\\"}));
    EXPECT_EQ(index.tables[0].size(), 2u);
}

TEST(Index, NonAsciiRootsSortByBytes) {
    Index index;
    index.replace_or_insert(VolumeTable::with_root("Z:\\"));
    index.replace_or_insert(VolumeTable::with_root("\xC3\x84:\\"));  // a byte above 0x7F sorts last
    index.replace_or_insert(VolumeTable::with_root("A:\\"));
    EXPECT_EQ(roots(index), (std::vector<std::string>{"A:\\", "Z:\\", "\xC3\x84:\\"}));
}

// A reader keeps (position, table_id) pairs across lock releases. Whatever happens to the
// tables meanwhile (replaced, inserted before, loaded anew), a pair must never lead to another
// table than the one it was taken from; a table that stayed where it was still matches.
TEST(Index, AHeldPairMatchesOnlyTheTableItWasTakenFrom) {
    const std::vector<std::string> all_roots = {"A:\\", "B:\\", "C:\\", "D:\\", "E:\\", "F:\\"};
    struct Held {
        size_t position;
        uint32_t table_id;
        uint64_t serial;  // which table it was taken from
    };
    std::mt19937 random(4242);
    Index index;
    uint64_t serial = 0;
    // Each table the test makes carries its own serial in live_count.
    auto make = [&](const std::string& root) {
        VolumeTable table = VolumeTable::with_root(root);
        table.live_count = ++serial;
        return table;
    };
    auto matches = [&](const Held& h) {
        return h.position < index.tables.size() && index.tables[h.position].table_id == h.table_id;
    };
    std::vector<Held> held;      // every pair taken so far
    std::vector<Held> previous;  // the pairs of the step before
    for (int step = 0; step < 600; ++step) {
        size_t left_alone = 0;  // the tables below this position were neither moved nor replaced
        if (random() % 10 == 0) {
            std::vector<VolumeTable> loaded;
            for (const std::string& root : all_roots) {
                if (random() % 2) loaded.push_back(make(root));
            }
            index.replace_all(std::move(loaded));
        } else {
            left_alone = index.replace_or_insert(make(all_roots[random() % all_roots.size()]));
        }
        for (const Held& h : held) {
            if (matches(h)) {
                EXPECT_EQ(index.tables[h.position].live_count, h.serial)
                    << "step " << step << ": a stale pair matched position " << h.position;
            }
        }
        for (const Held& h : previous) {
            if (h.position < left_alone) {
                EXPECT_TRUE(matches(h)) << "step " << step;
            }
        }
        previous.clear();
        for (size_t i = 0; i < index.tables.size(); ++i)
            previous.push_back({i, index.tables[i].table_id, index.tables[i].live_count});
        held.insert(held.end(), previous.begin(), previous.end());
    }
}

}  // namespace
}  // namespace norvik
