// The search worker: one long-lived thread that takes the latest request from the request slot,
// searches the index, and leaves the answer in the result slot. A newer request supersedes the
// running search, so only the answer to the latest query is ever delivered. The worker knows no
// window: it calls `result_ready` after each delivery (the Windows shell posts
// WM_APP_SEARCH_DONE from it).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "index/index.h"
#include "search/search.h"

namespace norvik {

class SearchWorker {
  public:
    using ResultReady = std::function<void()>;

    // `threads` 0 picks the count from the processors (search_thread_count).
    SearchWorker(Index& index, ResultReady result_ready, unsigned threads = 0);
    // Stops the thread: supersedes a running search and joins. The program keeps its worker
    // for its whole life; tests and tools end theirs.
    ~SearchWorker();
    SearchWorker(const SearchWorker&) = delete;
    SearchWorker& operator=(const SearchWorker&) = delete;

    // Starts the worker thread and its search threads. False when the worker could not be
    // started (search threads that cannot be started leave their share to the others).
    [[nodiscard]] bool start();

    // query_generation: incremented by the window for every request; a search whose generation
    // differs from it is superseded.
    uint64_t next_generation() { return query_generation_.fetch_add(1) + 1; }
    const std::atomic<uint64_t>& query_generation() const { return query_generation_; }

    // Puts request in the request slot, replacing one the worker has not taken yet, and wakes
    // the worker. The request's generation should come from next_generation().
    void submit(SearchRequest request);

    // Asks for the rows that the answer of `generation` left unordered (SearchResult::ordered),
    // in their order, on the search threads: they come as a second delivery (first_row set) while
    // that answer is the latest; a newer request makes the ask moot.
    void order_rest(uint64_t generation);

    // Takes the result out of the result slot, leaving it empty.
    std::optional<SearchResult> take_result();

    // A copy of the request waiting in the request slot, if the worker has not taken it yet
    // (tests of the window read what it asked for without starting the worker).
    std::optional<SearchRequest> pending_request();
    // The generation order_rest asked for, if the worker has not taken the ask yet (tests).
    std::optional<uint64_t> pending_rest();

  private:
    // The rows the last delivered answer left unordered, with what a delivery of them carries.
    struct Rest {
        SearchRequest request;
        std::vector<Hit> hits;
        size_t first_row = 0;
        std::vector<uint32_t> table_ids;
        std::shared_ptr<const Query> query;
        Elapsed elapsed;
    };

    void run();
    // Searches for request and delivers the answer, keeping its unordered rows in rest_.
    void search(const SearchRequest& request);
    // Orders rest_ and delivers it, if it belongs to `generation` and that is still the latest.
    void order_kept_rest(uint64_t generation);
    void deliver(SearchResult result);

    Index& index_;
    ResultReady result_ready_;
    unsigned threads_;
    std::atomic<uint64_t> query_generation_{0};

    std::mutex request_mutex_;  // held only to swap request_ in or out
    std::condition_variable request_wake_;
    std::optional<SearchRequest> request_;
    std::optional<uint64_t> rest_wanted_;  // the generation order_rest asked for
    uint32_t wake_count_ = 0;
    bool stopping_ = false;

    std::mutex result_mutex_;  // held only to swap result_ in or out
    std::optional<SearchResult> result_;

    std::optional<Rest> rest_;        // the worker thread's alone
    std::optional<SearchPool> pool_;  // the search threads, started with the worker
    std::thread thread_;
};

}  // namespace norvik
