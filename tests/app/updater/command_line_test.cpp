#include "app/updater/command_line.h"

#include <random>

#include <gtest/gtest.h>

#include "app/updater/curl_command.h"

namespace norvik {
namespace {

// The arguments CommandLineToArgvW reads from a command line (a slow oracle written from its
// rules, independent of the quoting): the program up to the next quote when it starts with one;
// then arguments split at spaces and tabs outside quotes, where 2n backslashes before a quote
// give n and the quote toggles quoting, 2n+1 give n and a literal quote, and backslashes before
// anything else are literal.
std::vector<std::string> split_command_line(std::string_view line) {
    std::vector<std::string> argv;
    size_t i = 0;
    if (!line.empty() && line[0] == '"') {
        const size_t end = line.find('"', 1);
        argv.emplace_back(line.substr(1, end - 1));
        i = end == std::string_view::npos ? line.size() : end + 1;
    } else {
        i = std::min(line.find_first_of(" \t"), line.size());
        argv.emplace_back(line.substr(0, i));
    }
    for (;;) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i == line.size()) break;
        std::string argument;
        bool quoted = false;
        while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
            if (line[i] == '\\') {
                size_t n = 0;
                while (i < line.size() && line[i] == '\\') {
                    ++n;
                    ++i;
                }
                if (i < line.size() && line[i] == '"') {
                    argument.append(n / 2, '\\');
                    if (n % 2 == 1) {
                        argument += '"';
                        ++i;
                    }
                } else {
                    argument.append(n, '\\');
                }
            } else if (line[i] == '"') {
                quoted = !quoted;
                ++i;
            } else {
                argument += line[i++];
            }
        }
        argv.push_back(std::move(argument));
    }
    return argv;
}

std::vector<std::string> round_trip(std::string_view program,
                                    const std::vector<std::string>& arguments) {
    std::vector<std::string_view> views(arguments.begin(), arguments.end());
    std::optional<std::string> line = build_command_line(program, views);
    if (!line) return {"(refused)"};
    return split_command_line(*line);
}

TEST(QuoteArgumentTest, QuotesOnlyWhereNeeded) {
    struct Case {
        const char* argument;
        const char* written;
    };
    const Case cases[] = {
        {"/SILENT", "/SILENT"},
        {"C:\\path\\", "C:\\path\\"},  // no quotes, so the trailing backslash stays single
        {"", "\"\""},
        {"a b", "\"a b\""},
        {"a\"b", "\"a\\\"b\""},
        {"a\\\"b", "\"a\\\\\\\"b\""},
        {"C:\\Temp dir\\", "\"C:\\Temp dir\\\\\""},
        {"tab\there", "\"tab\there\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(quote_argument(c.argument), c.written) << c.argument;
}

TEST(BuildCommandLineTest, HostileArgumentsComeBackWhole) {
    const std::string program = "C:\\Users\\Kim Min\\AppData\\Local\\Temp\\Norvik\\setup.exe";
    const std::vector<std::string> arguments = {
        "https://a.example/x\" -o \"C:\\evil.exe",
        "https://a.example/x\\\" --config \\\\server\\share\\k",
        "https://a.example/a b\\",
        "\\\\\\\"",
        "\"",
        "",
        " ",
        "-o",
        "C:\\Users\\Kim Min\\AppData\\Local\\Temp\\Norvik\\update.json",
        "보고서 \\ \"끝\"",
        "line\nfeed",
    };
    std::vector<std::string> expected = {program};
    expected.insert(expected.end(), arguments.begin(), arguments.end());
    EXPECT_EQ(round_trip(program, arguments), expected);
}

TEST(BuildCommandLineTest, RandomArgumentsRoundTrip) {
    std::mt19937 random(20260501);
    const std::string alphabet = " \t\"\\\\\\ab-/=&%^\n";
    for (int trial = 0; trial < 2000; ++trial) {
        std::vector<std::string> arguments(random() % 4);
        for (std::string& argument : arguments) {
            const size_t length = random() % 8;
            for (size_t i = 0; i < length; ++i)
                argument += alphabet[random() % alphabet.size()];
        }
        std::vector<std::string> expected = {"C:\\p q\\curl.exe"};
        expected.insert(expected.end(), arguments.begin(), arguments.end());
        ASSERT_EQ(round_trip("C:\\p q\\curl.exe", arguments), expected);
    }
}

TEST(BuildCommandLineTest, RefusesWhatACommandLineCannotCarry) {
    EXPECT_EQ(round_trip("", {}), std::vector<std::string>{"(refused)"});
    EXPECT_EQ(round_trip("C:\\a\"b.exe", {}), std::vector<std::string>{"(refused)"});
    EXPECT_EQ(round_trip("C:\\a.exe", {std::string("x\0y", 3)}),
              std::vector<std::string>{"(refused)"});
}

// -q only works as the very first argument; --globoff keeps "[1-1000000000]" in an address
// from becoming a billion downloads.
TEST(CurlArgumentsTest, EveryArgumentInOrderWithTheSizeLimit) {
    EXPECT_EQ(
        curl_arguments("https://a.example/u.json?v=0.1.0&lang=ko", "C:\\T\\update.json", 1024),
        (std::vector<std::string>{"-q", "-fsSL", "--proto", "=https", "--globoff", "--max-time",
                                  "600", "--max-filesize", "1024", "-o", "C:\\T\\update.json",
                                  "https://a.example/u.json?v=0.1.0&lang=ko"}));
}

TEST(InstallerDownloadCapTest, TheManifestsSizeButNeverMoreThanOurLimit) {
    const std::pair<uint64_t, uint64_t> cases[] = {
        {0, INSTALLER_MAX_BYTES},  // not given
        {1, 1},
        {1234, 1234},
        {INSTALLER_MAX_BYTES, INSTALLER_MAX_BYTES},
        {INSTALLER_MAX_BYTES + 1, INSTALLER_MAX_BYTES},
        {UINT64_MAX, INSTALLER_MAX_BYTES},
    };
    for (const auto& [size, cap] : cases)
        EXPECT_EQ(installer_download_cap(size), cap) << size;
}

}  // namespace
}  // namespace norvik
