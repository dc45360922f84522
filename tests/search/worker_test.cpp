#include "search/worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "query/test_tables.h"

namespace norvik {
namespace {

using testing::add_file;
using namespace std::chrono_literals;

// Counts the worker's "result ready" calls and lets the test wait for them.
class Deliveries {
  public:
    void notify() {
        std::lock_guard lock(mutex_);
        ++count_;
        changed_.notify_all();
    }
    bool wait_for(int count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 120s, [&] { return count_ >= count; });
    }
    int count() {
        std::lock_guard lock(mutex_);
        return count_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
};

class SearchWorkerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        VolumeTable table = VolumeTable::with_root("C:\\");
        for (uint32_t i = 1; i < 100000; ++i)
            add_file(table, 0, "f" + std::to_string(i), i);
        add_file(table, 0, "보고서.hwp", 5);
        table.table_id = 11;
        index_.tables.push_back(std::move(table));
    }

    static SearchRequest request(SearchWorker& worker, std::string text,
                                 SortColumn column = SortColumn::Relevance) {
        SearchRequest r;
        r.text = std::move(text);
        r.generation = worker.next_generation();
        r.sort_column = static_cast<uint8_t>(column);
        return r;
    }

    // Takes results as they are announced until one of `generation` arrives.
    std::optional<SearchResult> wait_for_generation(SearchWorker& worker, uint64_t generation) {
        for (int seen = deliveries_.count(); seen < 1000;) {
            if (std::optional<SearchResult> result = worker.take_result()) {
                if (result->generation == generation) return result;
            }
            if (!deliveries_.wait_for(++seen)) return std::nullopt;
        }
        return std::nullopt;
    }

    Index index_;
    Deliveries deliveries_;
};

TEST_F(SearchWorkerTest, DeliversOneSearch) {
    SearchWorker worker(
        index_, [this] { deliveries_.notify(); }, 2);
    ASSERT_TRUE(worker.start());
    SearchRequest r = request(worker, "qhrhtj");
    worker.submit(r);
    std::optional<SearchResult> result = wait_for_generation(worker, r.generation);
    ASSERT_TRUE(result.has_value());
    ASSERT_EQ(result->hits.size(), 1u);
    EXPECT_EQ(index_.tables[0].stored_name(result->hits[0].entry), "보고서.hwp");
    EXPECT_EQ(result->table_ids, std::vector<uint32_t>{11});
    EXPECT_EQ(result->search_threads, 2u);
    EXPECT_FALSE(worker.take_result().has_value());  // taking empties the slot
}

// Typing quickly: requests pile up while the worker waits for the index; the search already
// taken is superseded and gives up (in its Folder order or earlier), and only the answer to the
// last request is delivered.
TEST_F(SearchWorkerTest, BurstOfRequestsDeliversOnlyTheLast) {
    std::optional<SearchResult> result;
    {
        SearchWorker worker(
            index_, [this] { deliveries_.notify(); }, 2);
        ASSERT_TRUE(worker.start());
        uint64_t last = 0;
        {
            std::unique_lock writer(index_.lock);  // the worker blocks before searching
            for (const char* text : {"f", "f1", "f12", "f123", "f1234"}) {
                SearchRequest r = request(worker, text, SortColumn::Folder);
                last = r.generation;
                worker.submit(std::move(r));
                std::this_thread::sleep_for(1ms);
            }
        }
        result = wait_for_generation(worker, last);
        ASSERT_TRUE(result.has_value());
    }  // the worker is joined: every delivery it made has been counted
    EXPECT_EQ(deliveries_.count(), 1);
    EXPECT_EQ(result->sort_column, static_cast<uint8_t>(SortColumn::Folder));
    EXPECT_EQ(result->hits.size(), 11u);  // f1234 and f12340-f12349
}

TEST_F(SearchWorkerTest, EmptyQueryDeliversAnEmptyResult) {
    SearchWorker worker(
        index_, [this] { deliveries_.notify(); }, 2);
    ASSERT_TRUE(worker.start());
    SearchRequest r = request(worker, "   ");
    worker.submit(r);
    std::optional<SearchResult> result = wait_for_generation(worker, r.generation);
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(result->hits.empty());
    EXPECT_EQ(result->search_threads, 0u);  // no search thread was started
    ASSERT_NE(result->query, nullptr);
    EXPECT_TRUE(is_empty(*result->query));
    EXPECT_EQ(result->table_ids, std::vector<uint32_t>{11});
}

TEST_F(SearchWorkerTest, RootEntryIsNeverAHit) {
    SearchWorker worker(
        index_, [this] { deliveries_.notify(); }, 2);
    ASSERT_TRUE(worker.start());
    for (const char* text : {"c:", "C*"}) {
        SCOPED_TRACE(text);
        SearchRequest r = request(worker, text);
        worker.submit(r);
        std::optional<SearchResult> result = wait_for_generation(worker, r.generation);
        ASSERT_TRUE(result.has_value());
        EXPECT_TRUE(result->hits.empty());
    }
}

// The table ids are read at search time: a table replaced later makes the earlier result's ids
// stale, and the next search carries the new ones.
TEST_F(SearchWorkerTest, ResultsCarryTheTableIdsOfTheirSearch) {
    SearchWorker worker(
        index_, [this] { deliveries_.notify(); }, 2);
    ASSERT_TRUE(worker.start());
    SearchRequest first = request(worker, "보고서");
    worker.submit(first);
    std::optional<SearchResult> before = wait_for_generation(worker, first.generation);
    ASSERT_TRUE(before.has_value());

    {
        std::unique_lock writer(index_.lock);
        VolumeTable replacement = VolumeTable::with_root("C:\\");
        add_file(replacement, 0, "보고서 v2.hwp", 9);
        index_.replace_or_insert(std::move(replacement));
    }
    SearchRequest second = request(worker, "보고서");
    worker.submit(second);
    std::optional<SearchResult> after = wait_for_generation(worker, second.generation);
    ASSERT_TRUE(after.has_value());

    EXPECT_EQ(before->table_ids, std::vector<uint32_t>{11});
    EXPECT_EQ(after->table_ids, std::vector<uint32_t>{index_.tables[0].table_id});
    EXPECT_NE(after->table_ids, before->table_ids);
    ASSERT_EQ(after->hits.size(), 1u);
    EXPECT_EQ(after->hits[0].entry, 1u);
}

// The window keeps submitting and taking while a writer changes the index: every search sees
// one consistent snapshot, and the last request is answered.
TEST_F(SearchWorkerTest, RequestsWhileTheIndexChanges) {
    SearchWorker worker(
        index_, [this] { deliveries_.notify(); }, 3);
    ASSERT_TRUE(worker.start());
    std::thread writer([this] {
        for (int i = 0; i < 30; ++i) {
            {
                std::unique_lock lock(index_.lock);
                add_file(index_.tables[0], 0, "new" + std::to_string(i), 1000000 + i);
            }
            std::this_thread::sleep_for(1ms);
        }
    });
    uint64_t last = 0;
    for (int i = 0; i < 30; ++i) {
        SearchRequest r = request(worker, i % 2 ? "new" : "f9", SortColumn::Name);
        last = r.generation;
        worker.submit(std::move(r));
        (void)worker.take_result();
        std::this_thread::sleep_for(1ms);
    }
    writer.join();
    SearchRequest final_request = request(worker, "new", SortColumn::DateModified);
    final_request.descending = true;
    worker.submit(final_request);
    std::optional<SearchResult> result = wait_for_generation(worker, final_request.generation);
    ASSERT_TRUE(result.has_value());
    ASSERT_EQ(result->hits.size(), 30u);
    EXPECT_EQ(index_.tables[0].stored_name(result->hits[0].entry), "new29");
    EXPECT_GT(final_request.generation, last);
}

// A search superseded while it waits for the index gives up without a result, even when no newer
// request follows at once; the next request is answered, and the worker stops when destroyed.
TEST_F(SearchWorkerTest, SupersededSearchDeliversNothing) {
    std::optional<SearchResult> result;
    uint64_t next = 0;
    {
        SearchWorker worker(
            index_, [this] { deliveries_.notify(); }, 2);
        ASSERT_TRUE(worker.start());
        {
            std::unique_lock writer(index_.lock);
            worker.submit(request(worker, "f", SortColumn::Name));
            std::this_thread::sleep_for(5ms);
            worker.next_generation();  // the window moved on
        }
        SearchRequest r = request(worker, "f99999");
        next = r.generation;
        worker.submit(r);
        result = wait_for_generation(worker, next);
    }
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->hits.size(), 1u);
    EXPECT_EQ(deliveries_.count(), 1);
}

// The answer's rows past its ordered front come, when asked for, as a second delivery in every
// order, ordered on the search threads as a whole search would order them. An ask for an answer
// that a newer request has replaced brings nothing, and the newer answer is delivered.
TEST_F(SearchWorkerTest, TheRowsPastTheOrderedFrontComeWhenAskedFor) {
    SearchWorker worker(
        index_, [this] { deliveries_.notify(); }, 3);
    ASSERT_TRUE(worker.start());
    for (const SortColumn column : {SortColumn::Relevance, SortColumn::Name, SortColumn::Folder,
                                    SortColumn::Size, SortColumn::DateModified}) {
        for (const bool descending : {false, true}) {
            SCOPED_TRACE(static_cast<int>(column) * 2 + descending);
            SearchRequest r = request(worker, "f1", column);
            r.descending = descending;
            worker.submit(r);
            std::optional<SearchResult> front = wait_for_generation(worker, r.generation);
            ASSERT_TRUE(front.has_value());
            ASSERT_EQ(front->ordered, ORDERED_ROWS);
            worker.order_rest(r.generation);
            std::optional<SearchResult> rest = wait_for_generation(worker, r.generation);
            ASSERT_TRUE(rest.has_value());
            EXPECT_EQ(rest->first_row, ORDERED_ROWS);
            EXPECT_FALSE(rest->failed);
            std::vector<Hit> rows(front->hits.begin(),
                                  front->hits.begin() + static_cast<ptrdiff_t>(ORDERED_ROWS));
            rows.insert(rows.end(), rest->hits.begin(), rest->hits.end());
            EXPECT_EQ(rows, run_search(index_, r, 1).hits);  // 11,111 hits: f1, f10-f19, ...
        }
    }

    SearchRequest old = request(worker, "f2", SortColumn::Name);
    worker.submit(old);
    ASSERT_TRUE(wait_for_generation(worker, old.generation).has_value());
    SearchRequest newer = request(worker, "f3", SortColumn::Name);
    worker.order_rest(old.generation);
    worker.submit(newer);
    std::optional<SearchResult> answer = wait_for_generation(worker, newer.generation);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->first_row, 0u);
    worker.order_rest(old.generation);  // moot: nothing comes for it
    worker.order_rest(newer.generation);
    std::optional<SearchResult> rest = wait_for_generation(worker, newer.generation);
    ASSERT_TRUE(rest.has_value());
    EXPECT_EQ(rest->first_row, ORDERED_ROWS);
}

}  // namespace
}  // namespace norvik
