#include "app/view/format_date.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace norvik {
namespace {

TEST(FormatDateTest, CivilTimesAreZeroPaddedWithA24HourClock) {
    struct Case {
        CivilTime time;
        const char* expected;
    };
    const Case cases[] = {
        {{2026, 3, 5, 9, 7}, "2026-03-05 09:07"},
        {{1970, 1, 1, 0, 0}, "1970-01-01 00:00"},
        {{2106, 12, 31, 23, 59}, "2106-12-31 23:59"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(format_civil_time(c.time), c.expected);
}

#ifndef _WIN32
// Sets the process's time zone for one test (a POSIX rule, so no zone database is needed).
class TimeZone {
  public:
    explicit TimeZone(const char* rule) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        setenv("TZ", rule, 1);
        tzset();
    }
    ~TimeZone() {
        if (old_) {
            setenv("TZ", old_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

  private:
    std::optional<std::string> old_;
};
#endif

// Central European time, with summer time from the last Sunday of March to the last Sunday of
// October: a date shows with the offset of its own season, whatever today's is. The Windows
// tests run with this zone in TZ (tests/app/view/CMakeLists.txt), which Wine takes from the host.
constexpr const char* CENTRAL_EUROPE = "CET-1CEST,M3.5.0,M10.5.0/3";

TEST(FormatDateTest, LocalTimeOfTheEntryAndNothingForAnUnknownTime) {
    EXPECT_EQ(format_date(0), "");
    struct Case {
        const char* zone;
        uint32_t mtime;
        const char* expected;
    };
    const Case cases[] = {
        {CENTRAL_EUROPE, 1782907200, "2026-07-01 14:00"},  // 12:00 UTC in summer: two hours on
        {CENTRAL_EUROPE, 1768478400, "2026-01-15 13:00"},  // 12:00 UTC in winter: one hour on
        {CENTRAL_EUROPE, 1774746000, "2026-03-29 03:00"},  // the first minute of summer time
        {CENTRAL_EUROPE, 1774745940, "2026-03-29 01:59"},  // the last minute before it
#ifndef _WIN32
        {"UTC0", 1772669220, "2026-03-05 00:07"},
        {"KST-9", 1772669220, "2026-03-05 09:07"},  // Seoul, nine hours ahead
        {"EST5", 1772669220, "2026-03-04 19:07"},   // the day before
        {"UTC0", 1, "1970-01-01 00:00"},
        {"UTC0", 0xFFFFFFFF, "2106-02-07 06:28"},  // the last time an entry can hold
#endif
    };
    for (const Case& c : cases) {
#ifndef _WIN32
        TimeZone zone(c.zone);
#endif
        EXPECT_EQ(format_date(c.mtime), c.expected) << c.zone << " " << c.mtime;
    }
}

}  // namespace
}  // namespace norvik
