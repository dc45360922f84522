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

TEST(FormatDateTest, LocalTimeOfTheEntryAndNothingForAnUnknownTime) {
    EXPECT_EQ(format_date(0), "");
#ifdef _WIN32
    // Wine takes its zone from the host: only the shape can be checked here.
    EXPECT_EQ(format_date(1772669220).size(), 16u);
#else
    struct Case {
        const char* zone;
        uint32_t mtime;
        const char* expected;
    };
    const Case cases[] = {
        {"UTC0", 1772669220, "2026-03-05 00:07"},
        {"KST-9", 1772669220, "2026-03-05 09:07"},  // Seoul, nine hours ahead
        {"EST5", 1772669220, "2026-03-04 19:07"},   // the day before
        {"UTC0", 1, "1970-01-01 00:00"},
        {"UTC0", 0xFFFFFFFF, "2106-02-07 06:28"},  // the last time an entry can hold
    };
    for (const Case& c : cases) {
        TimeZone zone(c.zone);
        EXPECT_EQ(format_date(c.mtime), c.expected) << c.zone << " " << c.mtime;
    }
#endif
}

}  // namespace
}  // namespace norvik
