#include "search/search_pool.h"

#include <algorithm>
#include <system_error>

namespace norvik {

SearchPool::SearchPool(unsigned threads) {
    threads_.reserve(threads);
    for (unsigned i = 0; i < threads; ++i) {
        try {
            threads_.emplace_back([this, i] { serve(i); });
        } catch (const std::system_error&) {
            break;  // the threads already running take the work
        }
    }
}

SearchPool::~SearchPool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    work_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

unsigned SearchPool::run(unsigned n, const Job& job) {
    if (n == 0) return 0;
    if (threads_.empty()) {
        job(0);
        return 1;
    }
    n = std::min(n, size());
    {
        std::lock_guard lock(mutex_);
        job_ = &job;
        shares_ = n;
        running_ = n;
        ++round_;
    }
    work_.notify_all();
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return running_ == 0; });
    job_ = nullptr;
    return n;
}

void SearchPool::serve(unsigned position) {
    uint64_t seen = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
        work_.wait(lock, [&] { return stopping_ || round_ != seen; });
        if (stopping_) return;
        seen = round_;
        if (position >= shares_) continue;  // not needed this round
        const Job* job = job_;
        lock.unlock();
        (*job)(position);
        lock.lock();
        if (--running_ == 0) done_.notify_one();
    }
}

}  // namespace norvik
