// The automatic update check: at most once a day, unless the user turned it off. Runs on the UI
// thread at start-up and on every TIMER_UPDATE tick; the check itself runs on its own thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "app/core/shell.h"

namespace norvik {

inline constexpr uint64_t UPDATE_CHECK_INTERVAL_SECONDS = 86'400;

// The LastUpdateCheck value: one optional leading "+", then decimal digits only. Anything else
// (nothing, empty text, a sign alone, another character, more than 64 bits) reads as 0, never.
uint64_t parse_last_update_check(const std::optional<std::string>& text);

// Whole seconds since 1970-01-01 UTC; 0 for earlier times.
uint64_t unix_seconds(std::chrono::system_clock::time_point time);

// Starts an automatic check (Shell::start_update_check(false)) when AutoUpdate is not 0 and at
// least a day has passed since LastUpdateCheck. A time in the future counts as due: a clock that
// was once set ahead must not stop the checks until it catches up. The
// new time is written before the check starts, so a failed check also waits a day.
void maybe_check_for_update(Shell& shell, uint64_t now);

}  // namespace norvik
