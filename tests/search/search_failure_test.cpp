// A search that runs out of memory: this program replaces the global operator new so that, while
// a limit is set, any single allocation above it throws std::bad_alloc, as a search with millions
// of hits does on a full machine. The search must end as a failure the window can show; the
// worker must keep answering.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <new>
#include <string>

#include "query/test_tables.h"
#include "search/worker.h"

namespace {

// Bytes above which an allocation fails; 0: no limit.
std::atomic<size_t> allocation_limit{0};

void* allocate(size_t size) {
    const size_t limit = allocation_limit.load();
    if (limit != 0 && size > limit) throw std::bad_alloc();
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(size_t size) {
    return allocate(size);
}
void* operator new[](size_t size) {
    return allocate(size);
}
// The nothrow forms too (sorting's temporary buffers use them), so every form meets free().
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    const size_t limit = allocation_limit.load();
    return limit != 0 && size > limit ? nullptr : std::malloc(size == 0 ? 1 : size);
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, size_t) noexcept {
    std::free(memory);
}

namespace norvik {
namespace {

using namespace std::chrono_literals;

TEST(SearchFailureTest, TheWorkerAnswersWithAFailureAndGoesOnServing) {
    // 40,000 files named f1, f2, ...: two chunks on two search threads, each gathering far more
    // hits than one list may hold under the limit.
    Index index;
    VolumeTable table = VolumeTable::with_root("C:\\");
    for (uint32_t i = 1; i < 40'000; ++i)
        testing::add_file(table, 0, "f" + std::to_string(i), i);
    index.tables.push_back(std::move(table));
    std::mutex mutex;
    std::condition_variable delivered;
    int deliveries = 0;
    SearchWorker worker(
        index,
        [&] {
            std::lock_guard lock(mutex);
            ++deliveries;
            delivered.notify_all();
        },
        2);
    ASSERT_TRUE(worker.start());
    auto answer = [&](const std::string& text) {
        SearchRequest request{text, worker.next_generation(), false, 1, false, 0};
        std::unique_lock lock(mutex);
        const int before = deliveries;
        worker.submit(request);
        EXPECT_TRUE(delivered.wait_for(lock, 120s, [&] { return deliveries > before; }));
        return worker.take_result().value_or(SearchResult{});
    };

    allocation_limit.store(64 * 1024);  // 8,192 hits
    const SearchResult failed = answer("f");
    EXPECT_TRUE(failed.failed);
    EXPECT_TRUE(failed.hits.empty());
    EXPECT_EQ(failed.generation, worker.query_generation().load());
    EXPECT_EQ(failed.sort_column, 1);
    // The index lock was let go (a writer can take it), and a narrower search is answered.
    EXPECT_TRUE(std::unique_lock(index.lock, std::try_to_lock).owns_lock());
    const SearchResult narrow = answer("f3999");
    allocation_limit.store(0);
    EXPECT_FALSE(narrow.failed);
    EXPECT_EQ(narrow.hits.size(), 11u);  // f3999 and f39990 to f39999

    // The rows past an answer's ordered front, ordered when the window asks: out of memory
    // there is a failure of that answer too, and the worker goes on.
    const SearchResult front = answer("f");
    ASSERT_FALSE(front.failed);
    ASSERT_LT(front.ordered, front.hits.size());
    allocation_limit.store(64 * 1024);
    {
        std::unique_lock lock(mutex);
        const int before = deliveries;
        worker.order_rest(front.generation);
        EXPECT_TRUE(delivered.wait_for(lock, 120s, [&] { return deliveries > before; }));
    }
    const SearchResult rest = worker.take_result().value_or(SearchResult{});
    allocation_limit.store(0);
    EXPECT_TRUE(rest.failed);
    EXPECT_EQ(rest.generation, front.generation);
    EXPECT_EQ(rest.first_row, front.ordered);
    EXPECT_EQ(answer("f3999").hits.size(), 11u);
}

}  // namespace
}  // namespace norvik
