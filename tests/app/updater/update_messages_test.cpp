#include "app/updater/update_messages.h"

#include <gtest/gtest.h>

namespace norvik {
namespace {

// The user learns whether the network, the server or its certificate failed, not a number.
TEST(CurlFailureTest, EachExitCodeSaysWhatHappened) {
    const std::string unreachable =
        "Could not reach the update server. Check the internet connection and try again.";
    const std::string server = "The update server answered with an error. Try again later.";
    const std::string unverified =
        "The update server's identity could not be verified. Check the computer's date and time.";
    const std::pair<uint32_t, std::string> cases[] = {
        {5, unreachable},       {6, unreachable},       {7, unreachable},
        {28, unreachable},      {35, unreachable},      {52, unreachable},
        {56, unreachable},      {22, server},           {47, server},
        {60, unverified},       {51, unverified},       {63, "Downloaded size mismatch"},
        {1, "Download failed"}, {2, "Download failed"}, {0xC0000005, "Download failed"},
    };
    for (const auto& [code, message] : cases)
        EXPECT_EQ(curl_failure(code).message, message) << code;
}

}  // namespace
}  // namespace norvik
