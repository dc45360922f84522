#include "search/worker.h"

#include <atomic>
#include <exception>
#include <shared_mutex>
#include <system_error>

#include "platform/processor_count.h"

namespace norvik {
namespace {

// Counted in the index's searches_running while it lasts: a scan in the background waits for it.
class RunningSearch {
  public:
    explicit RunningSearch(std::atomic<int>& running) : running_(running) {
        running_.fetch_add(1, std::memory_order_relaxed);
    }
    ~RunningSearch() { running_.fetch_sub(1, std::memory_order_relaxed); }
    RunningSearch(const RunningSearch&) = delete;
    RunningSearch& operator=(const RunningSearch&) = delete;

  private:
    std::atomic<int>& running_;
};

// The answer to a search that could not finish: no hits, marked failed.
SearchResult failed_search(const SearchRequest& request) {
    SearchResult result;
    result.generation = request.generation;
    result.descending = request.descending;
    result.sort_column = request.sort_column;
    result.failed = true;
    return result;
}

}  // namespace

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

void SearchWorker::order_rest(uint64_t generation) {
    {
        std::lock_guard lock(request_mutex_);
        rest_wanted_ = generation;
        ++wake_count_;
    }
    request_wake_.notify_one();
}

std::optional<uint64_t> SearchWorker::pending_rest() {
    std::lock_guard lock(request_mutex_);
    return rest_wanted_;
}

void SearchWorker::run() {
    for (;;) {
        std::optional<SearchRequest> request;
        std::optional<uint64_t> rest_wanted;
        {
            std::unique_lock lock(request_mutex_);
            request_wake_.wait(lock, [this] {
                return stopping_ || request_.has_value() || rest_wanted_.has_value();
            });
            if (stopping_) return;
            // A new query comes first: it makes any ask for an older answer's rest moot.
            request = std::exchange(request_, std::nullopt);
            if (!request) rest_wanted = std::exchange(rest_wanted_, std::nullopt);
        }
        if (request) {
            search(*request);
        } else {
            order_kept_rest(*rest_wanted);
        }
    }
}

void SearchWorker::search(const SearchRequest& request) {
    rest_.reset();  // an older answer's rows are not wanted any more
    std::optional<SearchResult> result;
    try {
        std::shared_ptr<const Query> query = parse(request.text, request.composing, request.filter);
        const Generation generation{&query_generation_, request.generation};
        // The request lock is released before the index lock is taken, and the index lock
        // before the result lock: the worker never holds two of them.
        std::shared_lock index_lock(index_.lock);
        const RunningSearch running(index_.searches_running);
        result = execute_search(index_.tables, std::move(query), request, *pool_, generation);
        // The unordered rows stay here until the window wants them in order; the window keeps
        // its own copy to count and scroll through.
        if (result && result->ordered < result->hits.size()) {
            const auto from = result->hits.begin() + static_cast<ptrdiff_t>(result->ordered);
            rest_ = Rest{request,         std::vector<Hit>(from, result->hits.end()),
                         result->ordered, result->table_ids,
                         result->query,   result->elapsed};
        }
    } catch (const std::exception&) {
        // Out of memory, as millions of hits can make it: this search ends, the index lock
        // and the memory are let go, and the worker stays for the next request. The window
        // is told, unless a newer request has made the answer moot.
        rest_.reset();
        if (query_generation_.load() == request.generation) result = failed_search(request);
    }
    if (result) deliver(std::move(*result));  // else superseded: the newer answer follows
}

void SearchWorker::order_kept_rest(uint64_t generation) {
    if (!rest_ || rest_->request.generation != generation) return;
    Rest rest = std::move(*rest_);
    rest_.reset();
    const Generation current{&query_generation_, generation};
    std::optional<SearchResult> result;
    try {
        bool ordered = false;
        {
            std::shared_lock index_lock(index_.lock);
            const RunningSearch running(index_.searches_running);
            ordered = order_rest_on(rest.hits, rest.request.sort_column, rest.request.descending,
                                    index_.tables, *pool_, current);
        }
        if (!ordered || current.superseded()) return;
        result.emplace();
        result->hits = std::move(rest.hits);
        result->first_row = rest.first_row;
        result->table_ids = std::move(rest.table_ids);
        result->query = std::move(rest.query);
        result->elapsed = rest.elapsed;
        result->generation = generation;
        result->descending = rest.request.descending;
        result->sort_column = rest.request.sort_column;
    } catch (const std::exception&) {
        // Out of memory while ordering: the window says so, as for a search; its rows past
        // the ordered front stay blank.
        if (current.superseded()) return;
        result = failed_search(rest.request);
        result->first_row = rest.first_row;
    }
    deliver(std::move(*result));
}

void SearchWorker::deliver(SearchResult result) {
    {
        std::lock_guard lock(result_mutex_);
        result_ = std::move(result);  // an untaken older result is dropped
    }
    if (result_ready_) result_ready_();
}

}  // namespace norvik
