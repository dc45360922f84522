#include "index/index.h"

#include <gtest/gtest.h>

namespace norvik {
namespace {

std::vector<std::string> roots(const Index& index) {
    std::vector<std::string> result;
    for (const VolumeTable& t : index.tables)
        result.push_back(t.root);
    return result;
}

std::vector<uint32_t> ids(const Index& index) {
    std::vector<uint32_t> result;
    for (const VolumeTable& t : index.tables)
        result.push_back(t.table_id);
    return result;
}

TEST(Index, InsertKeepsRootOrderAndInvalidatesEveryTableId) {
    Index index;
    EXPECT_EQ(index.replace_or_insert(VolumeTable::with_root("D:\\")), 0u);
    EXPECT_EQ(index.replace_or_insert(VolumeTable::with_root("C:\\")), 0u);
    EXPECT_EQ(index.replace_or_insert(VolumeTable::with_root("C:\\data\\")), 1u);
    EXPECT_EQ(roots(index), (std::vector<std::string>{"C:\\", "C:\\data\\", "D:\\"}));
    // D: saw three inserts, C: two, C:\data one.
    EXPECT_EQ(ids(index), (std::vector<uint32_t>{2, 1, 3}));
    EXPECT_EQ(index.find("C:\\data\\"), 1u);
    EXPECT_EQ(index.find("c:\\"), std::nullopt);
    EXPECT_EQ(index.find("C:"), std::nullopt);
}

TEST(Index, ReplaceTakesThePlaceAndStepsOnlyThatTableId) {
    Index index;
    index.replace_or_insert(VolumeTable::with_root("C:\\"));
    index.replace_or_insert(VolumeTable::with_root("D:\\"));
    VolumeTable fresh = VolumeTable::with_root("C:\\");
    fresh.add_entry(0, "new.txt", FileFacts{}, 0);
    fresh.table_id = 77;  // ignored: the id follows the replaced table
    EXPECT_EQ(index.replace_or_insert(std::move(fresh)), 0u);
    EXPECT_EQ(ids(index), (std::vector<uint32_t>{3, 1}));
    EXPECT_EQ(index.tables[0].size(), 2u);

    index.tables[1].table_id = 0xFFFFFFFF;
    index.replace_or_insert(VolumeTable::with_root("D:\\"));
    EXPECT_EQ(index.tables[1].table_id, 0u);  // wraps
}

TEST(Index, NonAsciiRootsSortByBytes) {
    Index index;
    index.replace_or_insert(VolumeTable::with_root("Z:\\"));
    index.replace_or_insert(VolumeTable::with_root("\xC3\x84:\\"));  // a byte above 0x7F sorts last
    index.replace_or_insert(VolumeTable::with_root("A:\\"));
    EXPECT_EQ(roots(index), (std::vector<std::string>{"A:\\", "Z:\\", "\xC3\x84:\\"}));
}

}  // namespace
}  // namespace norvik
