// The two process-wide values every scan shares with the index service and the window.
// items_read: items listed by all running scans (the scans add to it; the index service resets it
// when a rescan ends; the window shows it). exit_requested: set by the window when the program
// quits; scans stop at their next queue check and drop their tables. Both are read without locks.
#pragma once

#include <atomic>
#include <cstdint>

namespace norvik {

extern std::atomic<uint64_t> items_read;
extern std::atomic<bool> exit_requested;

}  // namespace norvik
