// Listing folders again after a burst: the difference between a listing and the table, the cap
// on the folders waiting, and the service applying what differs once the root settles (or
// rescanning it past the cap). Threaded: the TSan run takes these.
#include "service/relist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <shared_mutex>

#include "fake_platform.h"
#include "service/index_service.h"
#include "support/temp_folder.h"

namespace norvik {
namespace {

using testing::FakePlatform;
using testing::FakeTree;
using testing::file_facts;
using testing::folder_facts;

// Every live path of a table below its root, each with its facts and flags, sorted.
std::vector<std::string> contents(const VolumeTable& table) {
    std::vector<std::string> paths;
    for (uint32_t i = 1; i < table.size(); ++i) {
        if (!table.is_live(i)) continue;
        const Entry& e = table.entries[i];
        paths.push_back(table.relative_path(i, false, '\\') + " " +
                        std::to_string(e.is_dir() ? 0 : e.size) + " " + std::to_string(e.mtime) +
                        " " + std::to_string(e.flags & (FLAG_HIDDEN | FLAG_SYSTEM)));
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<ListedItem> listing_of(FakeTree& tree, std::string_view folder) {
    std::vector<ListedItem> out;
    EXPECT_EQ(tree.lister()(native_path(tree.full_path(folder)), out), ListStatus::Listed);
    return out;
}

TEST(DiffListing, BringsTheTablesFolderToWhatTheDiskHolds) {
    struct Case {
        const char* what;
        std::function<void(FakeTree&)> change;
        const char* folder;  // listed again
        size_t changes;      // how many the diff gives
        size_t walks;        // folders it asks to walk
    };
    const std::vector<Case> cases = {
        {"nothing changed", [](FakeTree&) {}, "docs", 0, 0},
        {"a file made", [](FakeTree& t) { t.add_file("docs\\new.txt", 5, 7); }, "docs", 1, 0},
        {"a file gone", [](FakeTree& t) { t.remove("docs\\a.txt"); }, "docs", 1, 0},
        {"a file written", [](FakeTree& t) { t.modify("docs\\a.txt", file_facts(9, 1000)); },
         "docs", 1, 0},
        {"only its time", [](FakeTree& t) { t.modify("docs\\a.txt", file_facts(3, 2000)); }, "docs",
         1, 0},
        {"only hidden",
         [](FakeTree& t) {
             t.modify("docs\\a.txt", {3, 1000, ATTRIBUTE_HIDDEN});
         },
         "docs", 1, 0},
        {"a folder's time", [](FakeTree& t) { t.modify("docs\\sub", folder_facts(5)); }, "docs", 1,
         0},
        {"a folder made with contents",
         [](FakeTree& t) {
             t.add_folder("docs\\made");
             t.add_file("docs\\made\\in.txt");
         },
         "docs", 1, 1},
        {"a folder gone with contents", [](FakeTree& t) { t.remove("docs\\sub"); }, "docs", 1, 0},
        {"a file where a folder was",
         [](FakeTree& t) {
             t.remove("docs\\sub");
             t.add_file("docs\\sub", 4, 4);
         },
         "docs", 2, 0},
        {"letter case changed", [](FakeTree& t) { t.rename("docs\\a.txt", "docs\\A.txt"); }, "docs",
         2, 0},
        {"in the root", [](FakeTree& t) { t.add_file("top.txt"); }, "", 1, 0},
        {"a folder the table lacks", [](FakeTree& t) { t.add_folder("other"); }, "other", 0, 0},
    };
    for (const Case& c : cases) {
        FakeTree tree;
        tree.add_folder("docs");
        tree.add_file("docs\\a.txt", 3, 1000);
        tree.add_folder("docs\\sub");
        tree.add_file("docs\\sub\\s.txt");
        VolumeTable table = tree.scan();
        c.change(tree);

        ListingDiff diff = diff_listing(table, c.folder, listing_of(tree, c.folder));
        EXPECT_EQ(diff.changes.size(), c.changes) << c.what;
        ASSERT_EQ(diff.to_walk.size(), c.walks) << c.what;
        for (size_t position : diff.to_walk)
            diff.changes[position].walked = tree.walk(diff.changes[position].path).items;
        apply_changes(table, diff.changes);
        // A folder the table lacks is its parent's to bring.
        if (c.folder != std::string("other")) {
            EXPECT_EQ(contents(table), contents(tree.scan())) << c.what;
        }
    }
}

class RelistServiceTest : public ::testing::Test {
  protected:
    const std::string A = testing::drive('A');

    IndexService& start_service() {
        ServiceOptions options;
        options.index_file = testing::utf8_of(folder.path() / "index.bin");
        options.items_read = &items_read;
        options.exit_requested = &exit_requested;
        options.index_dirty = &dirty;
        options.relist_quiet = std::chrono::milliseconds(30);
        ServicePlatform p = platform.make();
        p.list_folder = [this](const std::string& root, const std::string& relative,
                               std::vector<ListedItem>& out) {
            ListStatus status = ListStatus::Gone;
            platform.change_disk(root, [&](FakeTree& tree) {
                status = tree.lister()(native_path(tree.full_path(relative)), out);
            });
            if (++listed == 1 && after_first_listing) after_first_listing();
            return status;
        };
        p.walk_new_folder = [this](const std::string& root, const std::string& relative,
                                   const FolderExclusions& excluded) {
            SubtreeWalk walk;
            platform.change_disk(root,
                                 [&](FakeTree& tree) { walk = tree.walk(relative, excluded); });
            return walk;
        };
        p.relisted = [this](const std::string&, size_t folders, size_t changes,
                            std::chrono::milliseconds) {
            relisted_folders += folders;
            relisted_changes += changes;
        };
        service = std::make_unique<IndexService>(index, std::move(p), options);
        return *service;
    }

    std::vector<std::string> indexed() {
        std::shared_lock lock(index.lock);
        return contents(index.tables.at(*index.find(A)));
    }
    std::vector<std::string> on_disk() {
        std::vector<std::string> paths;
        platform.change_disk(A, [&](FakeTree& tree) { paths = contents(tree.scan()); });
        return paths;
    }

    testing::TempFolder folder;
    Index index;
    std::atomic<uint64_t> items_read{0};
    std::atomic<bool> exit_requested{false};
    std::atomic<bool> dirty{false};
    std::atomic<int> listed{0};
    std::atomic<size_t> relisted_folders{0};  // as the service reports them
    std::atomic<size_t> relisted_changes{0};
    std::function<void()> after_first_listing;  // runs on the settle thread
    FakePlatform platform;
    std::unique_ptr<IndexService> service;
};

TEST_F(RelistServiceTest, WhatNoOneReportedIsAppliedOnceTheRootSettles) {
    platform.add_drive('A');
    IndexService& s = start_service();
    s.rescan({A}, false);
    // Lost without a word: a folder filled, a file gone, one made in the root.
    platform.change_disk(A, [](FakeTree& tree) {
        tree.add_folder("docs\\burst");
        tree.add_file("docs\\burst\\1.txt");
        tree.add_file("docs\\burst\\2.txt");
        tree.remove("docs\\d.txt");
        tree.add_file("late.txt");
    });
    s.relist_after_settle(A, {.folders = {"docs", ""}});
    s.relist_after_settle(A, {.folders = {"docs"}});  // asked again before it settled: listed once
    // One batch per folder that differs.
    ASSERT_TRUE(platform.wait_until([&] { return platform.count_locked("batch " + A) == 2; }));
    s.wait_for_rescans();
    EXPECT_EQ(indexed(), on_disk());
    EXPECT_EQ(listed.load(), 2);
    EXPECT_EQ(relisted_folders.load(), 2u);
    EXPECT_EQ(relisted_changes.load(), 3u);      // burst added, d.txt removed, late.txt added
    EXPECT_EQ(platform.count("scan " + A), 1u);  // no rescan
}

TEST_F(RelistServiceTest, ExcludedFoldersStayOutThoughTheListingHasThem) {
    platform.add_drive('A');
    IndexService& s = start_service();
    s.rescan({A}, false);
    s.set_excluded_folders({A + "docs\\skip", A + "docs\\burst\\inner"});
    platform.change_disk(A, [](FakeTree& tree) {
        tree.add_folder("docs\\skip");
        tree.add_file("docs\\skip\\s.txt");
        tree.add_folder("docs\\burst");
        tree.add_folder("docs\\burst\\inner");
        tree.add_file("docs\\burst\\inner\\i.txt");
        tree.add_file("docs\\burst\\b.txt");
    });
    s.relist_after_settle(A, {.folders = {"docs", "docs\\skip"}});
    ASSERT_TRUE(platform.wait_until([&] { return platform.count_locked("batch " + A) == 1; }));
    s.wait_for_rescans();
    std::vector<std::string> paths = indexed();
    EXPECT_TRUE(std::any_of(paths.begin(), paths.end(), [](const std::string& p) {
        return p.starts_with("docs\\burst\\b.txt");
    }));
    for (const std::string& path : paths) {
        EXPECT_FALSE(path.starts_with("docs\\skip")) << path;
        EXPECT_FALSE(path.starts_with("docs\\burst\\inner")) << path;
    }
    EXPECT_EQ(listed.load(), 1);  // the excluded folder itself is never listed
}

TEST_F(RelistServiceTest, PastTheCapTheRootIsRescanned) {
    platform.add_drive('A');
    IndexService& s = start_service();
    s.rescan({A}, false);
    platform.change_disk(A, [](FakeTree& tree) { tree.add_file("docs\\missed.txt"); });
    std::vector<std::string> many;
    for (size_t i = 0; i <= MAX_RELIST_FOLDERS; ++i)
        many.push_back("f" + std::to_string(i));
    s.relist_after_settle(A, {.folders = many});
    ASSERT_TRUE(platform.wait_until([&] { return platform.count_locked("scanned " + A) == 2; }));
    s.wait_for_rescans();
    EXPECT_EQ(listed.load(), 0);
    EXPECT_EQ(indexed(), on_disk());
}

// A copied tree of more folders than one settle lists one by one (a git clone, node_modules)
// is listed whole in its own subtree; the drive is not rescanned, and what the burst hid in
// it is found.
TEST_F(RelistServiceTest, AnArrivedTreePastTheCapIsListedNotRescanned) {
    platform.add_drive('A');
    IndexService& s = start_service();
    s.rescan({A}, false);
    platform.change_disk(A, [](FakeTree& tree) {
        tree.add_folder("big");
        for (size_t i = 0; i <= MAX_RELIST_FOLDERS + 100; ++i)
            tree.add_folder("big\\" + std::to_string(i));
    });
    SubtreeWalk walk;
    platform.change_disk(A, [&](FakeTree& tree) { walk = tree.walk("big"); });
    std::vector<Change> batch{Change::added("big", folder_facts(1000), std::move(walk.items))};
    const RelistFolders relist = folders_to_relist(batch, true);
    ASSERT_GT(relist.folders.size(), MAX_RELIST_FOLDERS);
    s.apply_watcher_batch(A, std::move(batch));
    // Made after the walk passed its folder; the burst lost its record.
    platform.change_disk(A, [](FakeTree& tree) { tree.add_file("big\\7\\hidden.txt"); });
    s.relist_after_settle(A, relist);
    ASSERT_TRUE(platform.wait_until([&] { return relisted_folders.load() != 0; }));
    s.wait_for_rescans();
    EXPECT_EQ(platform.count("scan " + A), 1u);                    // no rescan
    EXPECT_EQ(relisted_folders.load(), MAX_RELIST_FOLDERS + 103);  // the root, big and its folders
    EXPECT_EQ(indexed(), on_disk());
}

// Only a write to the listed folder's own root makes its listing stale: a watcher batch of
// another drive does not hold it back, a table of its root published meanwhile does (the
// rescan rightly left out what the listing still saw).
TEST_F(RelistServiceTest, OnlyWritesToItsRootBetweenListingAndApplyingHoldAListingBack) {
    struct Case {
        const char* what;
        std::function<void(IndexService&)> meanwhile;
        int listings;
    };
    const std::string B = testing::drive('B');
    const Case cases[] = {
        {"a batch of another root",
         [&](IndexService& s) { s.apply_watcher_batch(B, {Change::removed("B.txt")}); }, 1},
        {"a rescan of its root",
         [&](IndexService& s) {
             platform.change_disk(A, [](FakeTree& tree) { tree.remove("docs\\missed.txt"); });
             s.rescan({A}, true);
         },
         2},
    };
    platform.add_drive('A');
    platform.add_drive('B');
    for (const Case& c : cases) {
        IndexService& s = start_service();
        s.rescan({A, B}, false);
        platform.change_disk(A, [](FakeTree& tree) { tree.add_file("docs\\missed.txt"); });
        listed = 0;
        after_first_listing = [&] { c.meanwhile(s); };
        s.relist_after_settle(A, {.folders = {"docs"}});
        ASSERT_TRUE(platform.wait_until([&] { return relisted_folders.load() != 0; })) << c.what;
        s.wait_for_rescans();
        EXPECT_EQ(listed.load(), c.listings) << c.what;
        EXPECT_EQ(indexed(), on_disk()) << c.what;
        service.reset();
        relisted_folders = 0;
        platform.change_disk(A, [](FakeTree& tree) { tree.remove("docs\\missed.txt"); });
    }
}

TEST_F(RelistServiceTest, ARootBeingRescannedIsListedAfterItsNewTable) {
    platform.add_drive('A');
    IndexService& s = start_service();
    s.rescan({A}, false);
    platform.hold(A);
    ASSERT_TRUE(s.request_rescan(A));
    ASSERT_TRUE(platform.wait_until([&] { return platform.count_locked("scan " + A) == 2; }));
    // The walk passed the root before this file came; no record of it arrives.
    platform.after_walk(A, [&] {
        platform.change_disk(A, [](FakeTree& tree) { tree.add_file("after-walk.txt"); });
    });
    s.relist_after_settle(A, {.folders = {""}});
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // settled, but rescanning
    EXPECT_EQ(listed.load(), 0);
    platform.release(A);
    ASSERT_TRUE(platform.wait_until([&] { return platform.count_locked("batch " + A) == 1; }));
    s.wait_for_rescans();
    EXPECT_EQ(indexed(), on_disk());
}

TEST_F(RelistServiceTest, AWatcherBatchBetweenListingAndApplyingIsNeverUndone) {
    platform.add_drive('A');
    IndexService& s = start_service();
    s.rescan({A}, false);
    // Made right after the listing, and reported: the listing must not take it out again.
    after_first_listing = [&] {
        platform.change_disk(A, [](FakeTree& tree) { tree.add_file("docs\\fresh.txt", 4, 4); });
        s.apply_watcher_batch(A, {Change::added("docs\\fresh.txt", file_facts(4, 4))});
    };
    platform.change_disk(A, [](FakeTree& tree) { tree.add_file("docs\\missed.txt"); });
    s.relist_after_settle(A, {.folders = {"docs"}});
    // The first listing is dropped; the folder is listed again once the root settles anew.
    ASSERT_TRUE(platform.wait_until([&] { return listed.load() == 2; }));
    s.wait_for_rescans();
    EXPECT_EQ(indexed(), on_disk());
}

}  // namespace
}  // namespace norvik
