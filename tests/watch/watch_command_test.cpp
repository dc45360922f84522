// norvik-cli watch: its command line, its lines of output, and (in the Windows build, under
// Wine) a whole run over a real folder that ends with the index saved.
#include "cli/watch_command.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "cli/cli.h"
#include "kinds/kinds.h"
#include "store/index_file.h"
#include "support/fake_tree.h"
#include "support/temp_folder.h"

namespace norvik {
namespace {

using testing::file_facts;
using testing::folder_facts;

// Output and messages kept in memory; the watcher threads write to it too.
class CapturingConsole final : public Console {
  public:
    void out(std::string_view text) override {
        std::lock_guard lock(mutex_);
        out_ += text;
    }
    void err(std::string_view text) override {
        std::lock_guard lock(mutex_);
        err_ += text;
    }
    std::string out_text() {
        std::lock_guard lock(mutex_);
        return out_;
    }
    std::string err_text() {
        std::lock_guard lock(mutex_);
        return err_;
    }

  private:
    std::mutex mutex_;
    std::string out_, err_;
};

TEST(ParseWatchOptions, Accepted) {
    struct Case {
        std::vector<std::string> args;
        WatchOptions expected;
    };
    const std::vector<Case> cases = {
        {{"watch", "a"}, {"", {"a"}, {}}},
        {{"watch", "a", "b"}, {"", {"a", "b"}, {}}},
        {{"watch", "--index", "f.bin", "a"}, {"f.bin", {"a"}, {}}},
        {{"watch", "a", "--index=f.bin"}, {"f.bin", {"a"}, {}}},
        {{"watch", "--", "-odd", "a"}, {"", {"-odd", "a"}, {}}},
        {{"watch", "-", "a"}, {"", {"-", "a"}, {}}},
        {{"watch", "--exclude", "a/x", "a", "--exclude=a/y"}, {"", {"a"}, {"a/x", "a/y"}}},
    };
    for (const Case& c : cases) {
        auto parsed = parse_watch_options(c.args);
        ASSERT_TRUE(std::holds_alternative<WatchOptions>(parsed)) << c.args.back();
        EXPECT_EQ(std::get<WatchOptions>(parsed), c.expected) << c.args.back();
    }
}

TEST(ParseWatchOptions, Refused) {
    struct Case {
        std::vector<std::string> args;
        std::string message_part;
    };
    const std::vector<Case> cases = {
        {{"watch"}, "at least one folder"},
        {{"watch", "--index", "f.bin"}, "at least one folder"},
        {{"watch", "a", "--index"}, "needs a value"},
        {{"watch", "--index=", "a"}, "invalid value"},
        {{"watch", "a", "--exclude"}, "option --exclude needs a value"},
        {{"watch", "--exclude=", "a"}, "invalid value for --exclude"},
        {{"watch", "--limit", "5", "a"}, "unknown option \"--limit\""},
        {{"watch", "--workers=2", "a"}, "unknown option \"--workers\""},
    };
    for (const Case& c : cases) {
        auto parsed = parse_watch_options(c.args);
        ASSERT_TRUE(std::holds_alternative<UsageError>(parsed)) << c.message_part;
        EXPECT_NE(std::get<UsageError>(parsed).message.find(c.message_part), std::string::npos)
            << std::get<UsageError>(parsed).message;
    }
}

TEST(FormatChange, OneLinePerChange) {
    struct Case {
        Change change;
        BatchOutcome outcome;
        std::string line;
    };
    const std::vector<Case> cases = {
        {Change::added("docs\\a.txt", file_facts(1, 1)), BatchOutcome::Applied,
         "added    C:\\docs\\a.txt"},
        {Change::added("gone.tmp", std::nullopt), BatchOutcome::Applied,
         "added    C:\\gone.tmp (gone again)"},
        {Change::added("new", folder_facts(1),
                       {{"new\\x", file_facts(1, 1)}, {"new\\y", file_facts(1, 1)}}),
         BatchOutcome::Applied, "added    C:\\new (with 2 items inside)"},
        {Change::removed("보고서.hwp"), BatchOutcome::Applied, "removed  C:\\보고서.hwp"},
        {Change::modified("big.iso", file_facts(2048, 1)), BatchOutcome::Applied,
         "modified C:\\big.iso (" + format_size(2048) + ")"},
        {Change::modified("dir", folder_facts(1)), BatchOutcome::Applied, "modified C:\\dir"},
        {Change::renamed("a.txt", "b\\a.txt", file_facts(1, 1)), BatchOutcome::Applied,
         "renamed  C:\\a.txt -> C:\\b\\a.txt"},
        {Change::removed("x"), BatchOutcome::HeldBack,
         "removed  C:\\x [held back until the rescan ends]"},
        {Change::removed("x"), BatchOutcome::NoTable, "removed  C:\\x [no table for this folder]"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(format_change("C:\\", c.change, c.outcome), c.line);
    EXPECT_EQ(format_change("/home/me", Change::removed("x"), BatchOutcome::Applied),
              "removed  /home/me\\x");
}

TEST(RunWatch, UsageErrorsGoThroughTheCli) {
    CapturingConsole console;
    EXPECT_EQ(run_cli({"watch"}, console), EXIT_USAGE);
    EXPECT_NE(console.err_text().find("usage:"), std::string::npos);
}

#ifndef _WIN32
TEST(RunWatch, NativeBuildSaysItHasNoWatcher) {
    testing::TempFolder folder;
    CapturingConsole console;
    EXPECT_EQ(run_cli({"watch", folder.root()}, console), EXIT_FAILED);
    EXPECT_NE(console.err_text().find("Windows build"), std::string::npos);
}
#else
// Waits up to 10 s for the command to say it is watching (the index is built).
void watching(CapturingConsole& console) {
    for (int i = 0; i < 2000 && console.err_text().find("watching") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

// Whether text reaches the printed changes within 10 s.
bool printed(CapturingConsole& console, const std::string& text) {
    for (int i = 0; i < 2000; ++i) {
        if (console.out_text().find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

TEST(RunWatch, KeepsTheIndexCurrentAndSavesItWhenInterrupted) {
    testing::TempFolder folder;
    testing::TempFolder data;
    folder.file("docs/a.txt", "a");
    std::string index_file = testing::utf8_of(data.path() / "index.bin");
    // The file already holds another folder (as the program's own index would): it must stay.
    std::vector<VolumeTable> before;
    before.push_back(VolumeTable::with_root("C:\\elsewhere\\"));
    ASSERT_TRUE(add_path(before[0], "kept.txt", file_facts(1, 1)));
    ASSERT_TRUE(write_index_file(index_file, before));
    CapturingConsole console;
    bool saw_line = false;
    int status = run_watch({"watch", "--index", index_file, folder.root()}, console, [&] {
        // Up to 10 s for the build, then for the change to be printed.
        watching(console);
        folder.file("docs/new.txt", "12345");
        saw_line = printed(console, "added    " + folder.root() + "docs\\new.txt");
    });
    EXPECT_EQ(status, EXIT_OK) << console.err_text();
    EXPECT_TRUE(saw_line) << console.out_text();
    EXPECT_NE(console.err_text().find("index saved to"), std::string::npos) << console.err_text();
    LoadResult saved = load_index_file(index_file);
    ASSERT_EQ(saved.tables.size(), 2u);
    EXPECT_EQ(saved.tables[0].root, "C:\\elsewhere\\");
    EXPECT_TRUE(saved.tables[0].find_path("kept.txt"));
    EXPECT_EQ(saved.tables[1].root, folder.root());
    EXPECT_TRUE(saved.tables[1].find_path("docs\\new.txt"));
}

// A folder excluded with --exclude stays out while files are made in it: nothing is printed
// for it and the saved index does not hold it.
TEST(RunWatch, AnExcludedFolderStaysOutWhileWatched) {
    testing::TempFolder folder;
    testing::TempFolder data;
    folder.file("docs/a.txt", "a");
    folder.file("build/old.o", "o");
    std::string index_file = testing::utf8_of(data.path() / "index.bin");
    CapturingConsole console;
    bool saw_line = false;
    int status = run_watch(
        {"watch", "--index", index_file, "--exclude", folder.root() + "build", folder.root()},
        console, [&] {
            watching(console);
            folder.file("build/new.o", "12345");
            folder.file("build/sub/deep.o", "1");
            // Made after the others: once it is seen, their events were handled too.
            folder.file("docs/new.txt", "12345");
            saw_line = printed(console, "docs\\new.txt");
        });
    EXPECT_EQ(status, EXIT_OK) << console.err_text();
    EXPECT_TRUE(saw_line) << console.out_text();
    EXPECT_EQ(console.out_text().find("build"), std::string::npos) << console.out_text();
    LoadResult saved = load_index_file(index_file);
    ASSERT_EQ(saved.tables.size(), 1u);
    EXPECT_TRUE(saved.tables[0].find_path("docs\\new.txt"));
    EXPECT_FALSE(saved.tables[0].find_path("build"));
    EXPECT_FALSE(saved.tables[0].find_path("build\\new.o"));
}
#endif

}  // namespace
}  // namespace norvik
