#include "search/worker.h"

#include <shared_mutex>
#include <system_error>

#include "platform/processor_count.h"

namespace norvik {

SearchWorker::SearchWorker(Index& index, ResultReady result_ready, unsigned threads)
    : index_(index),
      result_ready_(std::move(result_ready)),
      threads_(threads == 0 ? search_thread_count(processor_count())
                            : std::min(threads, MAX_SEARCH_THREADS)) {}

SearchWorker::~SearchWorker() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(request_mutex_);
        stopping_ = true;
        ++wake_count_;
    }
    query_generation_.fetch_add(1);  // a running search gives up at its next check
    request_wake_.notify_one();
    thread_.join();
}

bool SearchWorker::start() {
    if (thread_.joinable()) return true;
    if (!pool_) pool_.emplace(threads_);
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void SearchWorker::submit(SearchRequest request) {
    {
        std::lock_guard lock(request_mutex_);
        request_ = std::move(request);
        ++wake_count_;
    }
    request_wake_.notify_one();
}

std::optional<SearchResult> SearchWorker::take_result() {
    std::lock_guard lock(result_mutex_);
    return std::exchange(result_, std::nullopt);
}

std::optional<SearchRequest> SearchWorker::pending_request() {
    std::lock_guard lock(request_mutex_);
    return request_;
}

void SearchWorker::run() {
    for (;;) {
        SearchRequest request;
        {
            std::unique_lock lock(request_mutex_);
            request_wake_.wait(lock, [this] { return stopping_ || request_.has_value(); });
            if (stopping_) return;
            request = std::move(*request_);
            request_.reset();
        }

        std::shared_ptr<const Query> query = parse(request.text, request.composing, request.filter);
        const Generation generation{&query_generation_, request.generation};

        std::optional<SearchResult> result;
        {
            // The request lock is released before the index lock is taken, and the index lock
            // before the result lock: the worker never holds two of them.
            std::shared_lock index_lock(index_.lock);
            result = execute_search(index_.tables, std::move(query), request, *pool_, generation);
        }
        if (!result) continue;  // superseded: the newer request's answer follows

        {
            std::lock_guard lock(result_mutex_);
            result_ = std::move(result);  // an untaken older result is dropped
        }
        if (result_ready_) result_ready_();
    }
}

}  // namespace norvik
