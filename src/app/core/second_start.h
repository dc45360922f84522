// A start that finds Norvik already running hands over to the running one. The running one may
// not have its window yet (it is starting) or no longer (it is saving the index after Quit), so
// the hand-over is tried again for a while, and a start that finds the other one gone runs as
// the first after all: a second start never ends without a Norvik to show for it, unless the
// other one stays unreachable for the whole wait.
#pragma once

#include <chrono>
#include <functional>

namespace norvik {

// How long a second start keeps trying, and how often.
inline constexpr std::chrono::milliseconds SECOND_START_PATIENCE{3000};
inline constexpr std::chrono::milliseconds SECOND_START_RETRY{50};

// The system's side of the hand-over.
struct SecondStartPorts {
    // Takes the single-instance mutex: true when this process is now the first.
    std::function<bool()> claim_first;
    // Finds the running instance's window and, when `show`, asks it to show itself: true when a
    // window answered (took the request).
    std::function<bool(bool show)> reach_first;
    std::function<void(std::chrono::milliseconds)> wait;
    std::function<std::chrono::steady_clock::time_point()> now;
};

enum class SecondStart {
    HandedOver,  // the running instance has it: this process ends
    RunAsFirst,  // the other instance ended meanwhile: this process is the first now
    GaveUp,      // nothing answered within SECOND_START_PATIENCE: this process ends
};

// After claim_first failed once. `tray` (a start for the notification area) only checks that the
// running instance is there and never shows its window.
SecondStart settle_second_start(const SecondStartPorts& ports, bool tray);

}  // namespace norvik
