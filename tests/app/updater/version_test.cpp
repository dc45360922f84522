#include "app/updater/version.h"

#include <gtest/gtest.h>

namespace norvik {
namespace {

TEST(ParseVersionTest, NumbersOfEachPiece) {
    struct Case {
        const char* text;
        std::vector<uint32_t> numbers;
    };
    const Case cases[] = {
        {"0.1.0", {0, 1, 0}},
        {"  v0.2\t\n", {0, 2}},
        {"vvv1.2", {1, 2}},
        {"V1.2", {0, 2}},  // only a lower-case v is dropped
        {"+1.+02", {1, 2}},
        {"1..2.", {1, 0, 2, 0}},  // empty pieces count as 0
        {"", {0}},
        {"1.2-beta", {1, 0}},
        {"4294967295.4294967296", {4294967295u, 0}},  // overflow reads as 0
        {"1.++2", {1, 0}},
        {"1.-2", {1, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parse_version(c.text), c.numbers) << c.text;
}

TEST(VersionNewerTest, ComparesNumberByNumberPaddedWithZeros) {
    struct Case {
        const char* offered;
        const char* running;
        bool newer;
    };
    const Case cases[] = {
        {"0.2", "0.1.0", true},      {"0.1.0.0", "0.1.0", false},
        {"0.1.0", "0.1.0.0", false}, {"0.10.0", "0.9.9", true},
        {"0.9.9", "0.10.0", false},  {"0.1.0.1", "0.1.0", true},
        {"0.01.0", "0.1.0", false},  {"1", "0.99.99", true},
        {"0.1.0", "0.1.0", false},   {"4294967295", "4294967294", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(version_newer(c.offered, c.running), c.newer) << c.offered << " vs " << c.running;
}

}  // namespace
}  // namespace norvik
