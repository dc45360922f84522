#include "app/core/second_start.h"

#include <gtest/gtest.h>

#include <optional>

namespace norvik {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;

TEST(SecondStartTest, RetriesForThreeSecondsThenHandsOverRunsOrGivesUp) {
    struct Case {
        const char* what;
        std::optional<milliseconds> window_from;  // the running one's window answers from then
        std::optional<milliseconds> gone_from;    // it has ended, the mutex free, from then
        bool tray;
        SecondStart end;
        milliseconds waited;
        int shows;
    };
    const Case cases[] = {
        {"running: shown at once", 0ms, {}, false, SecondStart::HandedOver, 0ms, 1},
        {"starting: its window comes", 1000ms, {}, false, SecondStart::HandedOver, 1000ms, 1},
        {"saving after Quit, then gone", {}, 1200ms, false, SecondStart::RunAsFirst, 1200ms, 0},
        {"window at the last moment", 2950ms, {}, false, SecondStart::HandedOver, 2950ms, 1},
        {"unreachable for good", {}, {}, false, SecondStart::GaveUp, 3000ms, 0},
        {"tray start, one running", 0ms, {}, true, SecondStart::HandedOver, 0ms, 0},
        {"tray start, the other gone", {}, 400ms, true, SecondStart::RunAsFirst, 400ms, 0},
    };
    for (const Case& c : cases) {
        milliseconds clock{0};
        int shows = 0;
        const SecondStartPorts ports{[&] { return c.gone_from && clock >= *c.gone_from; },
                                     [&](bool show) {
                                         const bool there =
                                             c.window_from && clock >= *c.window_from;
                                         shows += there && show;
                                         return there;
                                     },
                                     [&](milliseconds time) { clock += time; },
                                     [&] { return std::chrono::steady_clock::time_point(clock); }};
        EXPECT_EQ(settle_second_start(ports, c.tray), c.end) << c.what;
        EXPECT_EQ(clock, c.waited) << c.what;
        EXPECT_EQ(shows, c.shows) << c.what;
    }
}

}  // namespace
}  // namespace norvik
