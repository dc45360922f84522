#include "search/search_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace norvik {
namespace {

// The thread ids that ran each share of one round, by share.
std::vector<std::thread::id> run_round(SearchPool& pool, unsigned n, unsigned& ran) {
    std::vector<std::thread::id> ids(n);
    ran = pool.run(n, [&](unsigned i) { ids[i] = std::this_thread::get_id(); });
    ids.resize(ran);
    return ids;
}

TEST(SearchPoolTest, SharesRunOnceEachOnThreadsKeptAcrossRounds) {
    struct Case {
        unsigned threads;
        unsigned asked;
        unsigned expected;
    };
    const Case cases[] = {{2, 2, 2}, {4, 2, 2}, {2, 5, 2}, {3, 1, 1}, {3, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.threads << " threads, " << c.asked << " asked");
        SearchPool pool(c.threads);
        ASSERT_EQ(pool.size(), c.threads);
        std::set<std::thread::id> seen;
        for (int round = 0; round < 50; ++round) {
            unsigned ran = 0;
            std::vector<std::thread::id> ids = run_round(pool, c.asked, ran);
            ASSERT_EQ(ran, c.expected);
            std::set<std::thread::id> distinct(ids.begin(), ids.end());
            EXPECT_EQ(distinct.size(), c.expected);  // one thread per share
            EXPECT_EQ(distinct.count(std::this_thread::get_id()), 0u);
            seen.insert(distinct.begin(), distinct.end());
        }
        // Every round ran on the same kept threads: no new thread per round.
        EXPECT_EQ(seen.size(), c.expected);
    }
}

TEST(SearchPoolTest, WithoutThreadsTheCallerRunsTheOnlyShare) {
    SearchPool pool(0);
    EXPECT_EQ(pool.size(), 0u);
    unsigned ran = 0;
    std::vector<std::thread::id> ids = run_round(pool, 3, ran);
    ASSERT_EQ(ran, 1u);
    EXPECT_EQ(ids[0], std::this_thread::get_id());
}

TEST(SearchPoolTest, RunReturnsOnlyAfterEveryShareFinished) {
    SearchPool pool(2);
    for (int round = 0; round < 200; ++round) {
        std::atomic<unsigned> finished{0};
        pool.run(2, [&](unsigned i) {
            if (i == 1) std::this_thread::yield();
            finished.fetch_add(1);
        });
        ASSERT_EQ(finished.load(), 2u);
    }
}

}  // namespace
}  // namespace norvik
