#include "app/win/trace_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace norvik {
namespace {

// Two threads tracing at once (the UI thread and the search worker do) leave every line whole:
// its time, its event and its whole text, one line each.
TEST(TraceTest, LinesFromTwoThreadsStayWhole) {
    wchar_t folder[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
    const std::filesystem::path file = std::filesystem::path(folder) / L"norvik-trace-test.txt";
    std::filesystem::remove(file);
    ASSERT_TRUE(SetEnvironmentVariableW(L"NORVIK_TRACE", file.c_str()));
    start_trace();
    ASSERT_TRUE(tracing());

    constexpr int LINES = 2000;
    const std::string text(300, 'x');
    const auto write = [&](std::string_view event) {
        for (int i = 0; i < LINES; ++i)
            trace_text(event, text);
    };
    std::thread ui([&] { write("ui"); });
    std::thread worker([&] { write("worker"); });
    ui.join();
    worker.join();

    std::ifstream in(file, std::ios::binary);
    std::string line;
    int lines = 0;
    while (std::getline(in, line)) {
        ++lines;
        const size_t space = line.find(' ');
        ASSERT_NE(space, std::string::npos) << line;
        ASSERT_TRUE(line.substr(space + 1) == "ui " + text ||
                    line.substr(space + 1) == "worker " + text)
            << "line " << lines << " is garbled";
    }
    EXPECT_EQ(lines, 2 * LINES);
    SetEnvironmentVariableW(L"NORVIK_TRACE", nullptr);
}

}  // namespace
}  // namespace norvik
