// Threads that nobody joins: the index service's rescans on request, which end with the process
// at the latest.
#pragma once

#include <functional>

namespace norvik {

// Runs work on a new thread of its own; false when no thread could be started. On Windows the
// thread comes from CreateThread rather than std::thread: detaching MinGW's std::thread threads
// (winpthreads) while others start can hand a new thread a null start argument, which crashes it.
[[nodiscard]] bool start_detached_thread(std::function<void()> work);

}  // namespace norvik
