#include "app/updater/automatic_check.h"

#include <gtest/gtest.h>

#include "support/fake_shell.h"

namespace norvik {
namespace {

using testing::FakeShell;

TEST(ParseLastUpdateCheckTest, PlainDecimalOrZero) {
    struct Case {
        std::optional<std::string> text;
        uint64_t value;
    };
    const Case cases[] = {
        {"1767225600", 1767225600},
        {"+42", 42},
        {"007", 7},
        {"18446744073709551615", 18446744073709551615u},
        {"18446744073709551616", 0},  // overflow
        {std::nullopt, 0},
        {"", 0},
        {"+", 0},
        {"++1", 0},
        {"-1", 0},
        {" 1", 0},
        {"1 ", 0},
        {"abc", 0},
        {"12a", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parse_last_update_check(c.text), c.value) << c.text.value_or("(none)");
}

TEST(UnixSecondsTest, WholeSecondsAndNothingBefore1970) {
    using std::chrono::system_clock;
    EXPECT_EQ(unix_seconds(system_clock::time_point(std::chrono::milliseconds(1'500))), 1u);
    EXPECT_EQ(unix_seconds(system_clock::time_point(std::chrono::seconds(-5))), 0u);
}

TEST(MaybeCheckForUpdateTest, ChecksOnlyWhenOnAndADayHasPassed) {
    constexpr uint64_t NOW = 1'767'225'600;
    struct Case {
        const char* name;
        std::optional<uint32_t> auto_update;
        std::optional<std::string> last;
        bool checks;
    };
    const Case cases[] = {
        {"never checked", std::nullopt, std::nullopt, true},
        {"a day ago", std::nullopt, std::to_string(NOW - 86'400), true},
        {"a second less than a day ago", std::nullopt, std::to_string(NOW - 86'399), false},
        {"letters read as never", std::nullopt, "yesterday", true},
        // A clock once set ahead must not stop the checks until it catches up.
        {"in the future", std::nullopt, std::to_string(NOW + 100'000), true},
        {"a second ahead", std::nullopt, std::to_string(NOW + 1), true},
        {"just now", std::nullopt, std::to_string(NOW), false},
        {"turned off", 0u, std::nullopt, false},
        {"any other value is on", 2u, std::nullopt, true},
    };
    for (const Case& c : cases) {
        FakeShell shell;
        if (c.auto_update) shell.memory_settings.dwords["AutoUpdate"] = *c.auto_update;
        if (c.last) shell.memory_settings.strings["LastUpdateCheck"] = *c.last;

        maybe_check_for_update(shell, NOW);
        if (c.checks) {
            EXPECT_EQ(shell.update_checks, std::vector<bool>{false}) << c.name;
            EXPECT_EQ(shell.memory_settings.strings["LastUpdateCheck"], std::to_string(NOW))
                << c.name;
        } else {
            EXPECT_TRUE(shell.update_checks.empty()) << c.name;
            EXPECT_EQ(shell.memory_settings.read_string("LastUpdateCheck"), c.last) << c.name;
        }
    }
}

// A check that fails or is answered No still counts: six hours later nothing is due.
TEST(MaybeCheckForUpdateTest, TheCheckedTimeIsWrittenBeforeTheCheckStarts) {
    FakeShell shell;
    maybe_check_for_update(shell, 1'000'000);
    maybe_check_for_update(shell, 1'000'000 + 6 * 3600);
    EXPECT_EQ(shell.update_checks.size(), 1u);
    maybe_check_for_update(shell, 1'000'000 + 86'400);
    EXPECT_EQ(shell.update_checks.size(), 2u);
}

}  // namespace
}  // namespace norvik
