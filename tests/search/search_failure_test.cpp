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
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
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

// Sets the allocation limit for one scope.
class AllocationLimit {
  public:
    explicit AllocationLimit(size_t bytes) { allocation_limit.store(bytes); }
    ~AllocationLimit() { allocation_limit.store(0); }
};

// 40,000 files whose names all hold "f": two chunks, so two search threads, each gathering far
// more hits than the limit lets one list hold.
Index many_files() {
    Index index;
    VolumeTable table = VolumeTable::with_root("C:\\");
    for (uint32_t i = 1; i < 40'000; ++i)
        testing::add_file(table, 0, "f" + std::to_string(i), i);
    table.table_id = 3;
    index.tables.push_back(std::move(table));
    return index;
}

constexpr size_t LIMIT = 64 * 1024;  // 8,192 hits

TEST(SearchFailureTest, RunningOutOfMemoryOnASearchThreadReachesTheCaller) {
    Index index = many_files();
    SearchRequest request;
    request.text = "f";
    AllocationLimit limit(LIMIT);
    for (unsigned threads : {1u, 2u}) {
        EXPECT_THROW((void)execute_search(index.tables, parse("f", false, 0), request, threads, {}),
                     std::bad_alloc)
            << threads << " threads";
    }
}

TEST(SearchFailureTest, TheWorkerAnswersWithAFailureAndGoesOnServing) {
    Index index = many_files();
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
        SearchRequest request;
        request.text = text;
        request.generation = worker.next_generation();
        request.sort_column = 1;
        std::unique_lock lock(mutex);
        const int before = deliveries;
        worker.submit(request);
        EXPECT_TRUE(delivered.wait_for(lock, 120s, [&] { return deliveries > before; }));
        std::optional<SearchResult> result = worker.take_result();
        EXPECT_TRUE(result.has_value());
        if (result) EXPECT_EQ(result->generation, request.generation);
        return result.value_or(SearchResult{});
    };

    AllocationLimit limit(LIMIT);
    const SearchResult failed = answer("f");
    EXPECT_TRUE(failed.failed);
    EXPECT_TRUE(failed.hits.empty());
    EXPECT_EQ(failed.sort_column, 1);

    // The index lock was let go (a writer can take it) and the next, narrower search is answered.
    EXPECT_TRUE(std::unique_lock(index.lock, std::try_to_lock).owns_lock());
    const SearchResult narrow = answer("f3999");
    EXPECT_FALSE(narrow.failed);
    ASSERT_EQ(narrow.hits.size(), 11u);  // f3999 and f39990 to f39999
}

}  // namespace
}  // namespace norvik
