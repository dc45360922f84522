// The search threads, kept for as long as their owner: they wait for a job, run it together and
// wait again. Starting and joining threads for every search costs about 2 ms under Wine, more
// than a short search itself; waking kept ones costs a few microseconds.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace norvik {

class SearchPool {
  public:
    using Job = std::function<void(unsigned)>;

    // Starts up to `threads` threads; one that cannot be started is left out (size() tells how
    // many run).
    explicit SearchPool(unsigned threads);
    // Wakes every thread to end and joins them. No job may be running.
    ~SearchPool();
    SearchPool(const SearchPool&) = delete;
    SearchPool& operator=(const SearchPool&) = delete;

    unsigned size() const { return static_cast<unsigned>(threads_.size()); }

    // Runs job(0) ... job(n - 1), each on its own pool thread (n is cut to size()), and returns
    // when all have returned. With no thread running, job(0) runs on the calling thread. Returns
    // how many threads ran a share. One caller at a time.
    unsigned run(unsigned n, const Job& job);

  private:
    void serve(unsigned position);

    std::mutex mutex_;
    std::condition_variable work_;  // a new round, or the end
    std::condition_variable done_;  // the last share of a round returned
    uint64_t round_ = 0;            // bumped for every job
    const Job* job_ = nullptr;
    unsigned shares_ = 0;   // threads [0, shares_) take part in the current round
    unsigned running_ = 0;  // shares of the current round not yet returned
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace norvik
