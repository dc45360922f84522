#include "search/resolve_hit.h"

#include <gtest/gtest.h>

#include <vector>

#include "query/test_tables.h"

namespace norvik {
namespace {

TEST(ResolveHitTest, OnlyAHitWhoseTableIsUnchangedResolves) {
    Index index;
    index.tables.push_back(VolumeTable::with_root("C:\\"));
    index.tables.push_back(VolumeTable::with_root("D:\\"));
    testing::add_file(index.tables[1], 0, "a.txt", 1);
    index.tables[0].table_id = 7;
    index.tables[1].table_id = 9;
    const std::vector<uint32_t> ids = {7, 9};

    struct Case {
        Hit hit;
        std::vector<uint32_t> delivered;
        const VolumeTable* expected;
    };
    const Case cases[] = {
        {{1, 1, false}, ids, &index.tables[1]},  // unchanged
        {{0, 0, false}, ids, &index.tables[0]},  // the root entry itself
        {{2, 1, false}, ids, nullptr},           // entry past the table
        {{1, 1, false}, {7, 10}, nullptr},       // table rebuilt since
        {{0, 2, false}, ids, nullptr},           // position past the tables
        {{1, 1, false}, {7}, nullptr},           // position past the delivered ids
    };
    for (const Case& c : cases)
        EXPECT_EQ(resolve_hit(index, c.delivered, c.hit), c.expected)
            << "entry " << c.hit.entry << " table " << int{c.hit.table};
}

}  // namespace
}  // namespace norvik
