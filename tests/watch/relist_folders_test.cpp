// Which reads are bursts, and which folders a batch makes worth listing again.
#include "watch/relist_folders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/fake_tree.h"
#include "watch/watcher.h"

namespace norvik {
namespace {

using testing::file_facts;
using testing::folder_facts;

TEST(IsBurstRead, ManyRecordsOrABufferThreeQuartersFull) {
    struct Case {
        size_t records, bytes, buffer;
        bool burst;
    };
    const std::vector<Case> cases = {
        {1, 40, 524288, false},
        {BURST_RECORDS - 1, 30000, 524288, false},
        {BURST_RECORDS, 30000, 524288, true},
        {10, 393216, 524288, true},  // three quarters of the buffer: long names
        {10, 393215, 524288, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(is_burst_read(c.records, c.bytes, c.buffer), c.burst)
            << c.records << " records, " << c.bytes << " bytes";
}

// A calm read names every change it carries, so only the folders that arrived are listed again
// (not each one walked inside them: a copied tree of thousands would otherwise rescan the
// drive); a burst may have lost records anywhere it touched.
TEST(FoldersToRelist, ArrivedFoldersAlwaysAndTheFoldersOfEveryChangeAfterABurst) {
    const std::vector<WalkedItem> inside = {{"new\\sub", folder_facts(1)},
                                            {"new\\sub\\f.txt", file_facts(1, 1)},
                                            {"new\\g.txt", file_facts(1, 1)}};
    const std::vector<Change> batch = {
        Change::modified("a\\b\\c.txt", file_facts(2, 2)),
        Change::added("new", folder_facts(1), inside),
        Change::added("x.txt", file_facts(1, 1)),
        Change::removed("gone\\y"),
        Change::renamed("p\\old", "q\\moved", folder_facts(1)),  // a folder moved in place
        Change::renamed("$Recycle.Bin\\r", "back", folder_facts(1),
                        {{"back\\z", folder_facts(1)}}),  // restored: arrived with contents
        Change::added("vanished", std::nullopt),
    };
    struct Case {
        bool burst;
        std::vector<std::string> folders;
    };
    const std::vector<Case> cases = {
        {false, {"back", "new"}},
        {true, {"", "a\\b", "back", "back\\z", "gone", "new", "new\\sub", "p", "q", "q\\moved"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> expected = c.folders;
        std::sort(expected.begin(), expected.end());
        RelistFolders relist = folders_to_relist(batch, c.burst);
        EXPECT_EQ(relist.folders, expected) << "burst " << c.burst;
        EXPECT_EQ(relist.arrived, (std::vector<std::string>{"back", "new"})) << "burst " << c.burst;
    }
    // Edits and removals of files in a calm read: nothing to list again.
    EXPECT_TRUE(
        folders_to_relist(
            {Change::modified("a.txt", file_facts(1, 1)), Change::removed("b\\c.txt")}, false)
            .empty());
}

TEST(RunWatcher, TellsTheFoldersToRelistAfterDeliveringTheBatch) {
    std::vector<std::byte> records =
        encode_notify_records({{ACTION_ADDED, "d"}, {ACTION_MODIFIED, "e\\f.txt"}});
    int reads = 0;
    WatcherIo io;
    io.read = [&](std::span<std::byte> buffer) -> ReadOutcome {
        if (reads++ > 0) return {ReadStatus::Stopped, 0};
        std::memcpy(buffer.data(), records.data(), records.size());
        return {ReadStatus::Events, records.size()};
    };
    io.read_facts = [](const std::string& full) {
        return std::optional(full.ends_with("d") ? folder_facts(1) : file_facts(1, 1));
    };
    io.walk = [](const std::string&, const std::string&) { return SubtreeWalk{}; };
    std::vector<std::string> log;
    WatchSink sink;
    sink.deliver = [&](const std::string&, std::vector<Change> batch) {
        log.push_back("deliver " + std::to_string(batch.size()));
    };
    sink.request_rescan = [&](const std::string&) { log.push_back("rescan"); };
    sink.relist = [&](const std::string& root, RelistFolders folders) {
        std::string line = "relist " + root + ":";
        for (const std::string& folder : folders.folders)
            line += " " + folder;
        log.push_back(line);
    };
    std::vector<std::byte> buffer(4096);
    run_watcher("C:\\", io, sink, buffer);
    // A calm read: only the folder that arrived. A tiny buffer filled past three quarters would
    // be a burst, so this one is big enough not to be.
    EXPECT_EQ(log, (std::vector<std::string>{"deliver 2", "relist C:\\: d"}));
}

}  // namespace
}  // namespace norvik
