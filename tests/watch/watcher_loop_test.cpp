// The watcher loop over a scripted system: what each kind of read leads to, and the watched-root
// set.
#include "watch/watcher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "support/fake_tree.h"

namespace norvik {
namespace {

using testing::file_facts;

TEST(ClassifyRead, SuccessFailureAndLostEvents) {
    struct Case {
        bool succeeded;
        uint32_t bytes;
        uint32_t error;
        ReadStatus status;
        size_t result_bytes;
    };
    const std::vector<Case> cases = {
        {true, 120, 0, ReadStatus::Events, 120},
        {true, 0, 0, ReadStatus::Lost, 0},       // Windows: the system's buffer overflowed
        {false, 0, 1022, ReadStatus::Lost, 0},   // Wine: ERROR_NOTIFY_ENUM_DIR
        {false, 0, 5, ReadStatus::Failed, 0},    // access denied
        {false, 0, 995, ReadStatus::Failed, 0},  // operation aborted
        {false, 0, 21, ReadStatus::Failed, 0},   // device not ready: the drive went away
        {false, 64, 1022, ReadStatus::Lost, 0},  // bytes of a failed call mean nothing
    };
    for (const Case& c : cases) {
        ReadOutcome outcome = classify_read(c.succeeded, c.bytes, c.error);
        EXPECT_EQ(outcome.status, c.status) << c.succeeded << " " << c.bytes << " " << c.error;
        EXPECT_EQ(outcome.bytes, c.result_bytes);
    }
}

// A system that answers reads from a script, then fails (or stops) when the script runs out.
struct ScriptedSystem {
    struct Read {
        ReadStatus status;
        std::vector<RawEvent> events;
    };
    std::deque<Read> script;
    ReadStatus at_end = ReadStatus::Failed;
    bool folders = false;  // every item is a folder
    std::vector<const std::byte*> buffers_seen;

    std::vector<std::string> log;  // "deliver: <changes>", "rescan <root>"

    WatcherIo io() {
        WatcherIo io;
        io.read = [this](std::span<std::byte> buffer) -> ReadOutcome {
            buffers_seen.push_back(buffer.data());
            if (script.empty()) return {at_end, 0};
            Read read = std::move(script.front());
            script.pop_front();
            if (read.status != ReadStatus::Events) return {read.status, 0};
            std::vector<std::byte> bytes = encode_notify_records(read.events);
            EXPECT_LE(bytes.size(), buffer.size());
            std::memcpy(buffer.data(), bytes.data(), bytes.size());
            return {ReadStatus::Events, bytes.size()};
        };
        io.read_facts = [this](const std::string&) {
            return std::optional(folders ? testing::folder_facts(1) : file_facts(1, 1));
        };
        // Folders whose name starts with "locked" cannot be listed.
        io.walk = [](const std::string&, const std::string& relative) {
            return SubtreeWalk{.items = {}, .complete = !relative.starts_with("locked")};
        };
        return io;
    }
    WatchSink sink() {
        WatchSink sink;
        sink.deliver = [this](const std::string& root, std::vector<Change> batch) {
            std::string text = "deliver " + root + ":";
            for (const Change& c : batch)
                text += " " + c.path;
            log.push_back(text);
        };
        sink.request_rescan = [this](const std::string& root) { log.push_back("rescan " + root); };
        sink.ended = [this](const std::string& root) { log.push_back("ended " + root); };
        return sink;
    }
};

TEST(RunWatcher, DeliversBatchesAndRescansAfterLostEventsUntilAReadFails) {
    ScriptedSystem system;
    system.script = {
        {ReadStatus::Events, {{1, "a.txt"}, {3, "a.txt"}}},
        {ReadStatus::Lost, {}},
        {ReadStatus::Events, {{1, "$Recycle.Bin\\x"}}},  // nothing left after filtering
        {ReadStatus::Events, {{2, "b.txt"}}},
    };
    std::vector<std::byte> buffer(NOTIFY_BUFFER_BYTES);
    run_watcher("C:\\", system.io(), system.sink(), buffer);
    // The end is told before the rescan is asked for, so the rescan watches the root again.
    EXPECT_EQ(system.log,
              (std::vector<std::string>{"deliver C:\\: a.txt a.txt", "rescan C:\\",
                                        "deliver C:\\: b.txt", "ended C:\\", "rescan C:\\"}));
    // Five reads (the last one failed), all into the one buffer.
    ASSERT_EQ(system.buffers_seen.size(), 5u);
    for (const std::byte* seen : system.buffers_seen)
        EXPECT_EQ(seen, buffer.data());
}

TEST(RunWatcher, AnArrivedFolderThatCannotBeReadIsDeliveredThenRescanned) {
    ScriptedSystem system;
    system.script = {{ReadStatus::Events, {{1, "locked"}, {2, "x"}}}};
    system.at_end = ReadStatus::Stopped;
    system.folders = true;
    std::vector<std::byte> buffer(4096);
    run_watcher("C:\\", system.io(), system.sink(), buffer);
    EXPECT_EQ(system.log, (std::vector<std::string>{"deliver C:\\: locked x", "rescan C:\\"}));
}

// The sink's exclusions are asked for at every read: one made while watching holds from the
// next read on.
TEST(RunWatcher, DropsChangesInsideTheFoldersExcludedAtEachRead) {
    ScriptedSystem system;
    system.script = {
        {ReadStatus::Events, {{1, "build\\a.o"}, {1, "src\\b.c"}}},
        {ReadStatus::Events, {{1, "build\\c.o"}, {1, "src\\d.c"}}},
    };
    system.at_end = ReadStatus::Stopped;
    WatchSink sink = system.sink();
    int reads = 0;
    sink.excluded = [&](const std::string& root) {
        EXPECT_EQ(root, "C:\\");
        return ++reads == 1 ? FolderExclusions({"build"}) : FolderExclusions({"src"});
    };
    std::vector<std::byte> buffer(4096);
    run_watcher("C:\\", system.io(), sink, buffer);
    EXPECT_EQ(system.log,
              (std::vector<std::string>{"deliver C:\\: src\\b.c", "deliver C:\\: build\\c.o"}));
}

TEST(RunWatcher, StoppedEndsWithoutARescan) {
    ScriptedSystem system;
    system.script = {{ReadStatus::Events, {{2, "x"}}}};
    system.at_end = ReadStatus::Stopped;
    std::vector<std::byte> buffer(4096);
    run_watcher("D:\\", system.io(), system.sink(), buffer);
    EXPECT_EQ(system.log, std::vector<std::string>{"deliver D:\\: x"});
}

TEST(RunWatcher, AReadClaimingMoreThanTheBufferIsCutToIt) {
    std::vector<std::byte> records = encode_notify_records({{2, "abc"}, {2, "defgh"}});
    std::vector<std::byte> buffer(records.size() - 3);  // the second name does not fit
    bool first = true;
    WatcherIo io;
    io.read = [&](std::span<std::byte> b) -> ReadOutcome {
        if (!first) return {ReadStatus::Stopped, 0};
        first = false;
        std::memcpy(b.data(), records.data(), b.size());
        return {ReadStatus::Events, records.size() + 1000};
    };
    std::vector<std::string> delivered;
    WatchSink sink;
    sink.deliver = [&](const std::string&, std::vector<Change> batch) {
        for (const Change& c : batch)
            delivered.push_back(c.path);
    };
    sink.request_rescan = [](const std::string&) { FAIL() << "no rescan expected"; };
    run_watcher("C:\\", io, sink, buffer);
    EXPECT_EQ(delivered, std::vector<std::string>{"abc"});
}

TEST(WatchedRoots, StartsEachRootOnceAndRetriesOnlyRootsThatFailedToOpen) {
    std::vector<std::string> started;
    bool e_opens = false;
    WatchedRoots roots([&](const std::string& root) {
        started.push_back(root);
        return root != "E:\\" || e_opens;
    });
    roots.watch_roots({"C:\\", "D:\\", "E:\\"});
    roots.watch_roots({"D:\\", "C:\\"});
    EXPECT_EQ(started, (std::vector<std::string>{"C:\\", "D:\\", "E:\\"}));
    EXPECT_TRUE(roots.contains("C:\\"));
    EXPECT_FALSE(roots.contains("E:\\"));

    e_opens = true;
    roots.watch_roots({"E:\\", "E:\\"});
    EXPECT_EQ(started, (std::vector<std::string>{"C:\\", "D:\\", "E:\\", "E:\\"}));
    EXPECT_TRUE(roots.contains("E:\\"));
}

// A watcher whose read failed (the drive went away, the handle broke) asks for a rescan; that
// rescan's watch_roots must start a new watcher, or the root would silently go unwatched. A root
// whose watchers keep ending is not restarted without end.
TEST(WatchedRoots, ARootWhoseWatcherEndedIsWatchedAgain) {
    int starts = 0;
    WatchedRoots roots([&](const std::string&) {
        ++starts;
        return true;
    });
    roots.watch_roots({"C:\\"});
    roots.watcher_ended("C:\\");
    EXPECT_FALSE(roots.contains("C:\\"));
    roots.watch_roots({"C:\\"});
    EXPECT_EQ(starts, 2);
    EXPECT_TRUE(roots.contains("C:\\"));

    for (int i = 0; i < 10; ++i) {
        roots.watcher_ended("C:\\");
        roots.watch_roots({"C:\\"});
    }
    EXPECT_EQ(starts, MAX_WATCHER_STARTS);
    EXPECT_FALSE(roots.contains("C:\\"));
}

}  // namespace
}  // namespace norvik
