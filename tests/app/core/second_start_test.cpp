#include "app/core/second_start.h"

#include <gtest/gtest.h>

#include <optional>

namespace norvik {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;

// The running instance as a second start sees it over time: its window can be reached from
// `window_from` on (never when unset), and it has ended, freeing the mutex, from `gone_from` on.
struct Other {
    std::optional<milliseconds> window_from;
    std::optional<milliseconds> gone_from;
};

struct Outcome {
    SecondStart end;
    milliseconds waited;
    int shows_asked;
};

Outcome second_start(const Other& other, bool tray) {
    milliseconds clock{0};
    int shows = 0;
    SecondStartPorts ports;
    ports.now = [&] { return std::chrono::steady_clock::time_point(clock); };
    ports.wait = [&](milliseconds ms) { clock += ms; };
    ports.claim_first = [&] { return other.gone_from && clock >= *other.gone_from; };
    ports.reach_first = [&](bool show) {
        const bool there = other.window_from && clock >= *other.window_from &&
                           !(other.gone_from && clock >= *other.gone_from);
        if (there && show) ++shows;
        return there;
    };
    const SecondStart end = settle_second_start(ports, tray);
    return Outcome{end, clock, shows};
}

TEST(SecondStartTest, RetriesForThreeSecondsThenHandsOverRunsOrGivesUp) {
    struct Case {
        const char* what;
        Other other;
        bool tray;
        SecondStart end;
        milliseconds waited;
        int shows;
    };
    const Case cases[] = {
        {"running: shown at once", {0ms, {}}, false, SecondStart::HandedOver, 0ms, 1},
        {"starting: its window comes", {1000ms, {}}, false, SecondStart::HandedOver, 1000ms, 1},
        {"saving after Quit, then gone", {{}, 1200ms}, false, SecondStart::RunAsFirst, 1200ms, 0},
        {"window to the last moment", {2950ms, {}}, false, SecondStart::HandedOver, 2950ms, 1},
        {"unreachable for good", {{}, {}}, false, SecondStart::GaveUp, 3000ms, 0},
        {"tray start, one running", {0ms, {}}, true, SecondStart::HandedOver, 0ms, 0},
        {"tray start, the other gone", {{}, 400ms}, true, SecondStart::RunAsFirst, 400ms, 0},
    };
    for (const Case& c : cases) {
        const Outcome outcome = second_start(c.other, c.tray);
        EXPECT_EQ(outcome.end, c.end) << c.what;
        EXPECT_EQ(outcome.waited, c.waited) << c.what;
        EXPECT_EQ(outcome.shows_asked, c.shows) << c.what;
    }
}

}  // namespace
}  // namespace norvik
