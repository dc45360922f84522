// The index service's life cycle over fake drives: first start, start with a saved index, the
// logon start, rescans on request, changes held back during a rescan, quitting mid-build, and
// the table_id rules. Threaded: the TSan run takes these.
#include "service/index_service.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <shared_mutex>
#include <thread>

#include "fake_platform.h"
#include "store/index_file.h"
#include "support/temp_folder.h"

namespace norvik {
namespace {

using testing::drive;
using testing::FakePlatform;
using testing::FakeTree;
using testing::file_facts;
using testing::TempFolder;

const std::string A = drive('A');
const std::string B = drive('B');
const std::string C = drive('C');

class IndexServiceTest : public ::testing::Test {
  protected:
    void SetUp() override { index_file = testing::utf8_of(folder.path() / "Norvik" / "index.bin"); }

    // The options of start_service, with these folders excluded.
    ServiceOptions options_excluding(std::vector<std::string> excluded) {
        ServiceOptions options;
        options.index_file = index_file;
        options.items_read = &items_read;
        options.exit_requested = &exit_requested;
        options.index_dirty = &dirty;
        options.keep_other_roots = keep_other_roots;
        options.excluded_folders = std::move(excluded);
        return options;
    }

    IndexService& start_service() {
        service = std::make_unique<IndexService>(index, platform.make(),
                                                 options_excluding(excluded_folders));
        return *service;
    }

    // Saves tables as a previous run would have left them.
    void save_previous_run(const std::vector<VolumeTable>& tables) {
        ASSERT_TRUE(write_index_file(index_file, tables));
    }

    bool file_exists() const { return std::filesystem::exists(testing::u8path(index_file)); }

    std::vector<std::string> saved_roots() const {
        LoadResult loaded = load_index_file(index_file);
        EXPECT_EQ(loaded.status, LoadStatus::Loaded);
        std::vector<std::string> roots;
        for (const VolumeTable& t : loaded.tables)
            roots.push_back(t.root);
        return roots;
    }

    std::vector<std::string> indexed_roots() {
        std::shared_lock lock(index.lock);
        std::vector<std::string> roots;
        for (const VolumeTable& t : index.tables)
            roots.push_back(t.root);
        return roots;
    }

    bool indexed(const std::string& root, std::string_view path) {
        std::shared_lock lock(index.lock);
        std::optional<size_t> at = index.find(root);
        return at && index.tables[*at].find_path(path).has_value();
    }

    // The position in the log of the first line equal to line (the log's size when absent).
    static size_t position(const std::vector<std::string>& log, const std::string& line) {
        return static_cast<size_t>(std::find(log.begin(), log.end(), line) - log.begin());
    }

    TempFolder folder;
    std::string index_file;
    Index index;
    std::atomic<uint64_t> items_read{0};
    std::atomic<bool> exit_requested{false};
    std::atomic<bool> dirty{false};
    bool keep_other_roots = false;
    std::vector<std::string> excluded_folders;
    FakePlatform platform;
    std::unique_ptr<IndexService> service;  // last: goes first, while the rest is whole
};

TEST_F(IndexServiceTest, FirstStartIsNotReadyUntilTheFirstTableIsPublished) {
    platform.add_drive('A');
    platform.add_drive('B');
    platform.hold(A);
    platform.hold(B);
    IndexService& s = start_service();
    std::thread service_thread([&] { s.run_index_service(false); });

    ASSERT_TRUE(platform.wait_until([&] { return platform.count_locked("scan ") == 2; }));
    EXPECT_FALSE(s.index_ready.load());
    EXPECT_EQ(s.scans_in_progress.load(), 2u);
    EXPECT_TRUE(indexed_roots().empty());
    // Watching starts before the walk; the first build runs at normal priority.
    std::vector<std::string> log = platform.log();
    EXPECT_LT(position(log, "watch " + A), position(log, "scan " + A + " fg 2"));
    EXPECT_LT(position(log, "watch " + B), position(log, "scan " + B + " fg 2"));

    platform.release(A);
    ASSERT_TRUE(platform.wait_until([&] { return s.index_ready.load(); }));
    EXPECT_EQ(indexed_roots(), std::vector<std::string>{A});
    EXPECT_EQ(items_read.load(), 3u);  // A's three items; the status line shows them climbing
    EXPECT_FALSE(file_exists()) << "written only once all roots are done";

    platform.release(B);
    service_thread.join();
    EXPECT_EQ(saved_roots(), (std::vector<std::string>{A, B}));
    EXPECT_EQ(s.scans_in_progress.load(), 0u);
    EXPECT_EQ(items_read.load(), 0u);
    EXPECT_FALSE(dirty.load());
    EXPECT_EQ(platform.notes(), (std::vector<IndexChange>{IndexChange::Now, IndexChange::Debounced,
                                                          IndexChange::Now, IndexChange::Now}));
    EXPECT_EQ(s.index_generation.load(), 4u);
}

TEST_F(IndexServiceTest, SavedIndexIsSearchableAtOnceThenRefreshedInTheBackground) {
    FakeTree& a = platform.add_drive('A');
    platform.add_drive('B');
    VolumeTable saved_a = a.scan();
    ASSERT_TRUE(add_path(saved_a, "only-in-the-saved-index.txt", file_facts(1, 1)));
    VolumeTable gone = VolumeTable::with_root(C);  // a drive that is no longer there
    save_previous_run({saved_a, gone});
    platform.hold(A);
    platform.hold(B);

    IndexService& s = start_service();
    std::thread service_thread([&] { s.run_index_service(false); });
    ASSERT_TRUE(platform.wait_until([&] { return platform.count_locked("scan ") == 2; }));
    EXPECT_TRUE(s.index_ready.load());
    EXPECT_EQ(indexed_roots(), std::vector<std::string>{A});
    EXPECT_TRUE(indexed(A, "only-in-the-saved-index.txt"));
    EXPECT_EQ(platform.notes().front(), IndexChange::Now);
    EXPECT_EQ(platform.count("scan " + A + " bg 2"), 1u);
    EXPECT_EQ(platform.count("scan " + B + " bg 2"), 1u);

    platform.release(A);
    platform.release(B);
    service_thread.join();
    EXPECT_EQ(indexed_roots(), (std::vector<std::string>{A, B}));
    EXPECT_FALSE(indexed(A, "only-in-the-saved-index.txt"));
    EXPECT_TRUE(indexed(A, "docs\\d.txt"));
    EXPECT_EQ(saved_roots(), (std::vector<std::string>{A, B}));
}

TEST_F(IndexServiceTest, LogonStartScansANewDriveAtOnceAndTheKnownOnesAfterTheWait) {
    FakeTree& a = platform.add_drive('A');
    FakeTree& b = platform.add_drive('B');
    platform.add_drive('C');  // attached since the last run
    save_previous_run({a.scan(), b.scan()});
    std::set<std::string> completed_during_wait;
    platform.on_wait([&] { completed_during_wait = service->completed_roots(); });

    IndexService& s = start_service();
    s.run_index_service(true);

    std::vector<std::string> log = platform.log();
    size_t wait = position(log, "wait");
    ASSERT_LT(wait, log.size());
    EXPECT_LT(position(log, "watch " + A), position(log, "scan " + C + " fg 3"));
    EXPECT_LT(position(log, "watch " + B), position(log, "scan " + C + " fg 3"));
    EXPECT_LT(position(log, "scanned " + C), wait);
    EXPECT_EQ(completed_during_wait, std::set<std::string>{C});
    EXPECT_GT(position(log, "scan " + A + " bg 2"), wait);
    EXPECT_GT(position(log, "scan " + B + " bg 2"), wait);
    EXPECT_LT(position(log, "scan " + B + " bg 2"), log.size());
    EXPECT_EQ(indexed_roots(), (std::vector<std::string>{A, B, C}));
    EXPECT_EQ(saved_roots(), (std::vector<std::string>{A, B, C}));
}

TEST_F(IndexServiceTest, LogonStartDoesNotRefreshARootRescannedDuringTheWait) {
    FakeTree& a = platform.add_drive('A');
    FakeTree& b = platform.add_drive('B');
    save_previous_run({a.scan(), b.scan()});
    platform.on_wait([&] {
        ASSERT_TRUE(service->request_rescan(A));  // a watcher lost events meanwhile
        service->wait_for_rescans();
    });
    start_service().run_index_service(true);
    EXPECT_EQ(platform.count("scan " + A), 1u);
    EXPECT_EQ(platform.count("scan " + B), 1u);
    std::vector<std::string> log = platform.log();
    EXPECT_LT(position(log, "scanned " + A), position(log, "scan " + B + " bg 3"));
}

TEST_F(IndexServiceTest, LogonStartWithoutASavedIndexBuildsAtOnceAtNormalPriority) {
    platform.add_drive('A');
    start_service().run_index_service(true);
    EXPECT_EQ(platform.count("wait"), 0u);
    EXPECT_EQ(platform.count("scan " + A + " fg 3"), 1u);
    EXPECT_EQ(saved_roots(), std::vector<std::string>{A});
}

TEST_F(IndexServiceTest, QuittingDuringTheLogonWaitSkipsTheRefresh) {
    FakeTree& a = platform.add_drive('A');
    save_previous_run({a.scan()});
    platform.on_wait([&] { exit_requested.store(true); });
    start_service().run_index_service(true);
    EXPECT_EQ(platform.count("scan "), 0u);
    EXPECT_EQ(indexed_roots(), std::vector<std::string>{A});
}

TEST_F(IndexServiceTest, PressingRebuildTwiceQuicklyScansOnce) {
    platform.add_drive('A');
    platform.add_drive('B');
    IndexService& s = start_service();
    s.rescan({A, B}, false);
    platform.hold(A);
    platform.hold(B);

    ASSERT_TRUE(s.rebuild_all());
    ASSERT_TRUE(platform.wait_until([&] { return platform.count_locked("scan ") == 4; }));
    uint64_t generation = s.index_generation.load();
    size_t notes = platform.notes().size();

    ASSERT_TRUE(s.rebuild_all());
    ASSERT_TRUE(platform.wait_until([&] { return s.rescans_running() == 1; }));
    EXPECT_EQ(s.index_generation.load(), generation);
    EXPECT_EQ(platform.notes().size(), notes);
    EXPECT_EQ(s.scans_in_progress.load(), 2u);

    platform.release(A);
    platform.release(B);
    s.wait_for_rescans();
    EXPECT_EQ(platform.count("scan "), 4u);
    EXPECT_EQ(platform.count("scan " + A + " bg 2"), 1u);
    EXPECT_EQ(s.scans_in_progress.load(), 0u);
}

TEST_F(IndexServiceTest, AChangeHeldBackDuringARescanIsThereAfterPublication) {
    platform.add_drive('A');
    IndexService& s = start_service();
    s.rescan({A}, false);
    FileFacts late = file_facts(7, 700);
    BatchOutcome outcome = BatchOutcome::NoTable;
    // The walk has passed docs; then a file appears there and the watcher reports it.
    platform.after_walk(A, [&] {
        platform.change_disk(A, [&](FakeTree& tree) { tree.add("docs\\late.txt", late); });
        outcome = s.apply_watcher_batch(A, {Change::added("docs\\late.txt", late)});
        EXPECT_FALSE(indexed(A, "docs\\late.txt")) << "held back, not applied to the old table";
    });
    size_t notes = platform.notes().size();
    s.rescan({A}, true);
    EXPECT_EQ(outcome, BatchOutcome::HeldBack);
    EXPECT_TRUE(indexed(A, "docs\\late.txt"));
    EXPECT_FALSE(s.is_rescanning(A));
    // No message for the held-back batch: only the rescan's start and its publication.
    std::vector<IndexChange> all = platform.notes();
    std::vector<IndexChange> after(all.begin() + notes, all.end());
    EXPECT_EQ(after, (std::vector<IndexChange>{IndexChange::Debounced, IndexChange::Now}));
}

// A watcher that lost events (or whose read failed) asks for a rescan of a root that is being
// scanned. The walk may have passed the folders those events named, so the root is scanned once
// more after this scan has published, and once only however often it was asked; that scan
// watches the root again, for a watcher that ended.
TEST_F(IndexServiceTest, ARescanAskedForDuringTheRootsScanRunsOnceMoreAfterIt) {
    platform.add_drive('A');
    IndexService& s = start_service();
    platform.after_walk(A, [&] {
        // Behind the walk's back, and unreported: a folder full of files.
        platform.change_disk(A, [](FakeTree& tree) {
            tree.add_folder("burst");
            tree.add_file("burst\\f.txt", 3, 300);
        });
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(s.request_rescan(A));
        ASSERT_TRUE(platform.wait_until([&] { return s.rescans_running() == 0; }));
    });
    s.rescan({A}, false);
    s.wait_for_rescans();
    EXPECT_TRUE(indexed(A, "burst\\f.txt"));
    const std::string scan = "scan " + A + " fg 3";
    EXPECT_EQ(platform.log(), (std::vector<std::string>{"watch " + A, scan, "scanned " + A,
                                                        "watch " + A, scan, "scanned " + A}));
    EXPECT_FALSE(s.is_rescanning(A));
    EXPECT_EQ(s.scans_in_progress.load(), 0u);
}

TEST_F(IndexServiceTest, WatcherBatchesOutsideARescanAreAppliedAtOnce) {
    platform.add_drive('A');
    IndexService& s = start_service();
    s.rescan({A}, false);
    ASSERT_FALSE(dirty.load());
    uint64_t generation = s.index_generation.load();

    EXPECT_EQ(s.apply_watcher_batch(
                  A, {Change::added("new.txt", file_facts(1, 1)), Change::removed("docs\\d.txt")}),
              BatchOutcome::Applied);
    EXPECT_TRUE(indexed(A, "new.txt"));
    EXPECT_FALSE(indexed(A, "docs\\d.txt"));
    EXPECT_TRUE(dirty.load());
    EXPECT_EQ(s.index_generation.load(), generation + 1);
    EXPECT_EQ(platform.notes().back(), IndexChange::Debounced);

    dirty.store(false);
    EXPECT_EQ(s.apply_watcher_batch(B, {Change::removed("x")}), BatchOutcome::NoTable);
    EXPECT_FALSE(dirty.load());
    EXPECT_EQ(s.index_generation.load(), generation + 2);
}

TEST_F(IndexServiceTest, QuittingDuringTheFirstBuildSavesOnlyPublishedTables) {
    platform.add_drive('A');
    platform.add_drive('B');
    platform.hold(B);
    IndexService& s = start_service();
    std::thread service_thread([&] { s.run_index_service(false); });
    ASSERT_TRUE(platform.wait_until([&] { return s.index_ready.load(); }));
    ASSERT_TRUE(platform.wait_until([&] { return platform.count_locked("scan " + B) == 1; }));
    EXPECT_EQ(s.apply_watcher_batch(B, {Change::added("x", file_facts(1, 1))}),
              BatchOutcome::HeldBack);

    exit_requested.store(true);
    platform.release(B);
    service_thread.join();
    EXPECT_EQ(indexed_roots(), std::vector<std::string>{A});
    EXPECT_EQ(saved_roots(), std::vector<std::string>{A});
    EXPECT_FALSE(s.is_rescanning(B)) << "the dropped scan's held-back changes went with it";
    EXPECT_EQ(s.scans_in_progress.load(), 0u);
}

TEST_F(IndexServiceTest, QuittingBeforeAnyTableWasPublishedWritesNoFile) {
    platform.add_drive('A');
    platform.add_drive('B');
    platform.hold(A);
    platform.hold(B);
    IndexService& s = start_service();
    std::thread service_thread([&] { s.run_index_service(false); });
    ASSERT_TRUE(platform.wait_until([&] { return platform.count_locked("scan ") == 2; }));
    exit_requested.store(true);
    platform.release(A);
    platform.release(B);
    service_thread.join();
    EXPECT_FALSE(file_exists());
    EXPECT_FALSE(s.index_ready.load());
    EXPECT_TRUE(indexed_roots().empty());
    EXPECT_EQ(platform.notes().back(), IndexChange::Now);  // each dropped scan still reports
}

// A row the window holds is (position, table_id): after each publication it must still find
// its table when that table stayed where it was, and find nothing when its table was replaced or
// moved by an insert (B between A and C moves C).
TEST_F(IndexServiceTest, PublishingMakesPairsOfReplacedAndMovedTablesStale) {
    platform.add_drive('A');
    platform.add_drive('B');
    platform.add_drive('C');
    IndexService& s = start_service();
    struct Step {
        std::string root;
        std::vector<std::string> still_valid;  // roots whose pair from before the step matches
    };
    const std::vector<Step> steps = {
        {A, {}},      // the first table
        {A, {}},      // replaced
        {C, {A}},     // inserted after A
        {B, {A}},     // inserted between: C moved
        {B, {A, C}},  // replaced: only its own pair goes stale
    };
    using Pairs = std::map<std::string, std::pair<size_t, uint32_t>>;
    auto pairs = [&] {
        std::shared_lock lock(index.lock);
        Pairs result;
        for (size_t i = 0; i < index.tables.size(); ++i)
            result[index.tables[i].root] = {i, index.tables[i].table_id};
        return result;
    };
    std::vector<Pairs> every_earlier;
    for (const Step& step : steps) {
        Pairs before = pairs();
        s.rescan({step.root}, true);
        Pairs after = pairs();
        std::vector<std::string> valid;
        for (const auto& [root, pair] : before) {
            if (after.contains(root) && after[root] == pair) valid.push_back(root);
        }
        EXPECT_EQ(valid, step.still_valid) << "after publishing " << step.root;
        // No pair ever taken leads to another root's table.
        for (const Pairs& earlier : every_earlier) {
            for (const auto& [root, pair] : earlier) {
                for (const auto& [other, now] : after)
                    EXPECT_FALSE(other != root && now == pair) << root << " matched " << other;
            }
        }
        every_earlier.push_back(after);
    }
}

TEST_F(IndexServiceTest, AScanThatThrowsDropsItsRootOnly) {
    platform.add_drive('A');
    platform.add_drive('B');
    platform.fail_scan(A);
    IndexService& s = start_service();
    s.rescan({A, B}, false);
    EXPECT_EQ(indexed_roots(), std::vector<std::string>{B});
    EXPECT_FALSE(s.is_rescanning(A));
    EXPECT_EQ(s.scans_in_progress.load(), 0u);
    s.rescan({A}, false);  // not stuck: the next rescan of A runs
    EXPECT_EQ(indexed_roots(), (std::vector<std::string>{A, B}));
}

TEST_F(IndexServiceTest, AChangeHeldBackDuringAFailedRescanReachesTheTableThatStays) {
    platform.add_drive('A');
    IndexService& s = start_service();
    s.rescan({A}, false);
    platform.hold(A);
    platform.fail_scan(A);
    ASSERT_TRUE(s.request_rescan(A));
    ASSERT_TRUE(platform.wait_until([&] { return platform.count_locked("scan " + A) == 2; }));
    EXPECT_EQ(s.apply_watcher_batch(A, {Change::added("docs\\late.txt", file_facts(7, 700))}),
              BatchOutcome::HeldBack);
    platform.release(A);
    s.wait_for_rescans();
    EXPECT_EQ(platform.count("scanned " + A), 1u) << "the second scan failed";
    EXPECT_TRUE(indexed(A, "docs\\late.txt"));
    EXPECT_EQ(s.apply_watcher_batch(A, {Change::removed("docs\\late.txt")}), BatchOutcome::Applied);
}

// A rescan that fails before its scans start (out of memory while starting the watchers) must
// not leave its roots marked as being rescanned: their changes would be held back for good.
TEST_F(IndexServiceTest, ARescanThatFailsBeforeItsScansStartLeavesNoRootBehind) {
    platform.add_drive('A');
    platform.add_drive('B');
    IndexService& s = start_service();
    s.rescan({A}, false);
    platform.fail_next_watch();
    s.rescan({A, B}, true);
    EXPECT_FALSE(s.is_rescanning(A));
    EXPECT_FALSE(s.is_rescanning(B));
    EXPECT_EQ(s.scans_in_progress.load(), 0u);
    EXPECT_EQ(s.apply_watcher_batch(A, {Change::added("new.txt", file_facts(1, 1))}),
              BatchOutcome::Applied);
    s.rescan({A, B}, true);  // the next rescan runs
    EXPECT_EQ(indexed_roots(), (std::vector<std::string>{A, B}));
}

TEST_F(IndexServiceTest, ARootNamedTwiceInOneRequestIsScannedOnce) {
    platform.add_drive('A');
    IndexService& s = start_service();
    s.rescan({A, A}, false);
    EXPECT_EQ(platform.count("scan " + A), 1u);
    EXPECT_EQ(s.scans_in_progress.load(), 0u);
}

TEST_F(IndexServiceTest, RequestedRescansRunDetachedInTheBackground) {
    platform.add_drive('A');
    IndexService& s = start_service();
    platform.hold(A);
    ASSERT_TRUE(s.request_rescan(A));
    ASSERT_TRUE(platform.wait_until([&] { return platform.count_locked("scan ") == 1; }));
    EXPECT_TRUE(s.is_rescanning(A));
    EXPECT_EQ(s.rescans_running(), 1u);
    platform.release(A);
    s.wait_for_rescans();
    EXPECT_EQ(platform.count("scan " + A + " bg 3"), 1u);
    EXPECT_EQ(saved_roots(), std::vector<std::string>{A});
}

TEST_F(IndexServiceTest, DestroyingTheServiceWaitsForItsRescans) {
    platform.add_drive('A');
    IndexService& s = start_service();
    platform.hold(A);
    ASSERT_TRUE(s.request_rescan(A));
    ASSERT_TRUE(platform.wait_until([&] { return platform.count_locked("scan ") == 1; }));
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        platform.release(A);
    });
    service.reset();
    EXPECT_EQ(platform.count("scanned " + A), 1u);
    releaser.join();
}

// Watcher batches, rescans, searches and saves all at once: every file the "watcher" reported
// is in the index at the end, whether its batch was applied to an old table, held back during a
// rescan, or found by the walk itself. TSan checks the lock order on the way.
TEST_F(IndexServiceTest, NoChangeIsLostAcrossConcurrentRescans) {
    platform.add_drive('A');
    IndexService& s = start_service();
    s.rescan({A}, false);
    constexpr int FILES = 300;
    std::atomic<bool> done{false};

    std::thread reader([&] {
        while (!done.load()) {
            std::shared_lock lock(index.lock);
            for (const VolumeTable& t : index.tables)
                (void)t.live_count;
        }
    });
    std::mt19937 random(1517);
    for (int i = 0; i < FILES; ++i) {
        std::string path = "docs\\f" + std::to_string(i) + ".txt";
        FileFacts facts = file_facts(i, 1000 + i);
        platform.change_disk(A, [&](FakeTree& tree) { tree.add(path, facts); });
        s.apply_watcher_batch(A, {Change::added(path, facts)});
        if (random() % 25 == 0) (void)s.request_rescan(A);
        if (random() % 50 == 0) (void)save_index(index, dirty, index_file);
    }
    s.wait_for_rescans();
    done.store(true);
    reader.join();
    for (int i = 0; i < FILES; ++i)
        EXPECT_TRUE(indexed(A, "docs\\f" + std::to_string(i) + ".txt")) << i;
}

// norvik-cli watch follows a few folders of an index file that may hold many more (the
// program's own index): the others must stay in the index and in the file it saves.
TEST_F(IndexServiceTest, KeepingOtherRootsLeavesTheirTablesInTheSavedFile) {
    FakeTree& a = platform.add_drive('A');
    FakeTree other(C);
    other.add_file("kept.txt");
    save_previous_run({a.scan(), other.scan()});
    keep_other_roots = true;
    IndexService& s = start_service();
    s.run_index_service(false);
    EXPECT_EQ(indexed_roots(), (std::vector<std::string>{A, C}));
    EXPECT_TRUE(indexed(C, "kept.txt"));
    EXPECT_EQ(platform.count("scan " + C), 0u);
    EXPECT_EQ(platform.count("watch " + C), 0u);
    EXPECT_EQ(saved_roots(), (std::vector<std::string>{A, C}));
}

// An excluded folder is gone from a table saved before it was excluded as soon as the table is
// loaded, and the rescans never bring it back.
TEST_F(IndexServiceTest, ExcludedFoldersLeaveTheSavedTablesAndStayOutOfScans) {
    FakeTree& a = platform.add_drive('A');
    platform.add_drive('B');
    save_previous_run({a.scan()});
    excluded_folders = {A + "DOCS", B + "missing"};
    platform.hold(A);
    IndexService& s = start_service();
    EXPECT_FALSE(s.exclusions_for(A).empty());
    std::thread service_thread([&] { s.run_index_service(false); });
    ASSERT_TRUE(platform.wait_until([&] { return platform.count_locked("scan " + A) == 1; }));
    EXPECT_TRUE(indexed(A, "A.txt"));
    EXPECT_FALSE(indexed(A, "docs"));
    platform.release(A);
    service_thread.join();
    EXPECT_TRUE(indexed(A, "A.txt"));
    EXPECT_FALSE(indexed(A, "docs\\d.txt"));
    EXPECT_TRUE(indexed(B, "docs\\d.txt"));
}

// Excluding a folder while the program runs takes it out of its table at once, and including
// it again walks it back in; the table is patched, not replaced, so entries keep their indexes.
// During a rescan the change waits for the new table like a watcher's.
TEST_F(IndexServiceTest, ExclusionsMadeWhileRunningApplyAtOnce) {
    FakeTree& a = platform.add_drive('A');
    a.add_folder("docs\\inner");
    a.add_file("docs\\inner\\i.txt");
    IndexService& s = start_service();
    s.run_index_service(false);
    auto entry_of = [&](std::string_view path) {
        std::shared_lock lock(index.lock);
        return index.tables[0].find_path(path);
    };
    const std::optional<uint32_t> file = entry_of("A.txt");
    ASSERT_TRUE(file);

    s.set_excluded_folders({A + "docs", A + "docs/inner"});
    EXPECT_FALSE(indexed(A, "docs"));
    EXPECT_EQ(entry_of("A.txt"), file);
    s.set_excluded_folders({A + "docs/inner"});  // docs comes back, docs\inner stays out
    s.wait_for_rescans();                        // the walk back in is detached
    EXPECT_TRUE(indexed(A, "docs\\d.txt"));
    EXPECT_FALSE(indexed(A, "docs\\inner"));
    s.set_excluded_folders({});
    s.wait_for_rescans();
    EXPECT_TRUE(indexed(A, "docs\\inner\\i.txt"));
    EXPECT_EQ(entry_of("A.txt"), file);
    EXPECT_TRUE(s.index_dirty());

    platform.hold(A);
    ASSERT_TRUE(s.rebuild_all());
    ASSERT_TRUE(platform.wait_until([&] { return s.is_rescanning(A); }));
    s.set_excluded_folders({A + "DOCS"});
    EXPECT_EQ(platform.count("batch " + A + " held back"), 1u);
    platform.release(A);
    s.wait_for_rescans();
    EXPECT_TRUE(indexed(A, "A.txt"));
    EXPECT_FALSE(indexed(A, "docs"));
}

// Including a folder again walks it on a thread of the service, not the caller's (the window's);
// a walk that could not find everything asks for a rescan of the root, which brings the rest.
TEST_F(IndexServiceTest, AFolderIncludedAgainIsWalkedOffTheCallersThread) {
    struct Case {
        size_t walk_limit;
        size_t scans;  // of A, the first one included
    };
    const Case cases[] = {{WALK_LIMIT, 1}, {1, 2}};
    for (const Case& c : cases) {
        FakePlatform fakes;
        FakeTree& a = fakes.add_drive('A');
        a.add_folder("docs\\inner");
        a.add_file("docs\\inner\\i.txt");
        fakes.limit_walks(c.walk_limit);
        Index own;
        IndexService s(own, fakes.make(), options_excluding({A + "docs"}));
        s.rescan({A}, false);
        s.set_excluded_folders({});
        s.wait_for_rescans();
        const std::vector<std::thread::id> threads = fakes.walk_threads();
        ASSERT_EQ(threads.size(), 1u) << c.walk_limit;
        EXPECT_NE(threads[0], std::this_thread::get_id()) << c.walk_limit;
        EXPECT_EQ(fakes.count("scanned " + A), c.scans) << c.walk_limit;
        std::shared_lock lock(own.lock);
        EXPECT_TRUE(own.tables.at(0).find_path("docs\\inner\\i.txt")) << c.walk_limit;
    }
}

// A table published after a folder was excluded or included again (the first scan of its root
// was running) follows the new list, not the one its scan began with.
TEST_F(IndexServiceTest, ExclusionsChangedDuringTheFirstScanReachItsTable) {
    struct Case {
        std::vector<std::string> before, after;
        bool docs_indexed;
    };
    const Case cases[] = {{{}, {A + "docs"}, false}, {{A + "docs"}, {}, true}};
    for (const Case& c : cases) {
        std::filesystem::remove(testing::u8path(index_file));  // the first start: no saved index
        FakePlatform fakes;
        fakes.add_drive('A');
        fakes.hold(A);
        Index own;
        IndexService s(own, fakes.make(), options_excluding(c.before));
        std::thread service_thread([&] { s.run_index_service(false); });
        ASSERT_TRUE(fakes.wait_until([&] { return fakes.count_locked("scan " + A) == 1; }));
        s.set_excluded_folders(c.after);
        fakes.release(A);
        service_thread.join();
        s.wait_for_rescans();
        std::shared_lock lock(own.lock);
        EXPECT_EQ(own.tables.at(0).find_path("docs\\d.txt").has_value(), c.docs_indexed)
            << c.after.size();
    }
}

TEST(KeepCurrentTables, KeepsCurrentRootsOncePerRootInRootOrder) {
    struct Case {
        const char* what;
        std::vector<std::string> saved;  // roots in file order
        std::vector<std::string> current;
        std::vector<std::string> kept;
    };
    const std::vector<Case> cases = {
        {"all current", {"C:\\", "D:\\"}, {"C:\\", "D:\\"}, {"C:\\", "D:\\"}},
        {"a drive that is gone is dropped", {"C:\\", "E:\\"}, {"C:\\", "D:\\"}, {"C:\\"}},
        {"nothing saved", {}, {"C:\\"}, {}},
        {"no current drives", {"C:\\"}, {}, {}},
        {"roots compare exactly", {"C:", "c:\\", "C:\\\\"}, {"C:\\"}, {}},
        {"a repeated root keeps its first table", {"C:\\", "C:\\"}, {"C:\\"}, {"C:\\"}},
        {"a misordered file is put in root order",
         {"D:\\", "C:\\"},
         {"C:\\", "D:\\"},
         {"C:\\", "D:\\"}},
    };
    for (const Case& c : cases) {
        std::vector<VolumeTable> saved;
        for (size_t i = 0; i < c.saved.size(); ++i) {
            saved.push_back(VolumeTable::with_root(c.saved[i]));
            saved.back().live_count = 100 + i;  // tells repeated roots apart
        }
        std::vector<VolumeTable> kept = keep_current_tables(std::move(saved), c.current);
        std::vector<std::string> roots;
        for (const VolumeTable& t : kept)
            roots.push_back(t.root);
        EXPECT_EQ(roots, c.kept) << c.what;
        if (std::string(c.what).find("repeated") != std::string::npos) {
            ASSERT_EQ(kept.size(), 1u);
            EXPECT_EQ(kept[0].live_count, 100u);
        }
    }
}

}  // namespace
}  // namespace norvik
