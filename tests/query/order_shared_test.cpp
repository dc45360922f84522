// sort_hits_shared: the same order as sort_hits, whatever the threads and pieces, and given up
// when superseded.
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "query/order.h"
#include "query/test_tables.h"

namespace norvik {
namespace {

// Shares on threads of their own, as a search lends its threads.
void run_on_threads(unsigned n, const std::function<void(unsigned)>& share) {
    std::vector<std::thread> threads;
    for (unsigned i = 0; i < n; ++i)
        threads.emplace_back(share, i);
    for (std::thread& thread : threads)
        thread.join();
}

// 30,000 files in 40 folders, names, sizes and times drawn with a fixed seed (with repeats, so
// the ties decide too), as hits in a shuffled order.
struct Shuffled {
    std::vector<VolumeTable> tables;
    std::vector<Hit> hits;

    Shuffled() {
        std::mt19937 random(2026);
        VolumeTable table = VolumeTable::with_root("C:\\");
        std::vector<uint32_t> folders;
        for (int i = 0; i < 40; ++i)
            folders.push_back(testing::add_folder(table, 0, "d" + std::to_string(i % 25)));
        for (uint32_t i = 0; i < 30'000; ++i) {
            const std::string name = "n" + std::to_string(random() % 5000) + ".txt";
            const uint32_t entry = testing::add_file(table, folders[random() % folders.size()],
                                                     name, random() % 100, random() % 50);
            hits.push_back(Hit{entry, 0, random() % 3 == 0, random() % 7 == 0});
        }
        tables.push_back(std::move(table));
        std::shuffle(hits.begin(), hits.end(), random);
    }
};

TEST(SortHitsSharedTest, OrdersAsSortHitsOnAnyNumberOfThreads) {
    const Shuffled shuffled;
    for (int column = 0; column < SORT_COLUMN_COUNT; ++column) {
        for (const bool descending : {false, true}) {
            std::vector<Hit> expected = shuffled.hits;
            sort_hits(expected, static_cast<SortColumn>(column), descending, shuffled.tables);
            for (const unsigned shares : {1u, 3u, 4u}) {
                SCOPED_TRACE(std::to_string(column) + (descending ? " descending, " : ", ") +
                             std::to_string(shares) + " threads");
                std::vector<Hit> hits = shuffled.hits;
                EXPECT_TRUE(sort_hits_shared(hits, static_cast<SortColumn>(column), descending,
                                             shuffled.tables, {}, run_on_threads, shares));
                EXPECT_EQ(hits, expected);
            }
        }
    }
}

TEST(SortHitsSharedTest, GivesUpWhenSuperseded) {
    const Shuffled shuffled;
    for (int column = 0; column < SORT_COLUMN_COUNT; ++column) {
        SCOPED_TRACE(column);
        std::vector<Hit> hits = shuffled.hits;
        // Superseded from the second question on: in the middle of the work for the Name and
        // Folder orders, after it for the key orders.
        std::atomic<int> asked{0};
        EXPECT_FALSE(sort_hits_shared(
            hits, static_cast<SortColumn>(column), false, shuffled.tables,
            [&asked] { return ++asked > 1; }, run_on_threads, 4));
    }
}

}  // namespace
}  // namespace norvik
