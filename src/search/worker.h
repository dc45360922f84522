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

    // Takes the result out of the result slot, leaving it empty.
    std::optional<SearchResult> take_result();

    // A copy of the request waiting in the request slot, if the worker has not taken it yet
    // (tests of the window read what it asked for without starting the worker).
    std::optional<SearchRequest> pending_request();

  private:
    void run();

    Index& index_;
    ResultReady result_ready_;
    unsigned threads_;
    std::atomic<uint64_t> query_generation_{0};

    std::mutex request_mutex_;  // held only to swap request_ in or out
    std::condition_variable request_wake_;
    std::optional<SearchRequest> request_;
    uint32_t wake_count_ = 0;
    bool stopping_ = false;

    std::mutex result_mutex_;  // held only to swap result_ in or out
    std::optional<SearchResult> result_;

    std::optional<SearchPool> pool_;  // the search threads, started with the worker
    std::thread thread_;
};

}  // namespace norvik
