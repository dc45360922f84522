// The scan over an in-memory tree (through an injected listing), and the pure pieces under it.
#include "index/scan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "index/list_directory.h"
#include "index/volumes.h"
#include "platform/long_path.h"
#include "support/fake_tree.h"

namespace norvik {
namespace {

using testing::expect_contiguous_runs;
using testing::FakeTree;
using testing::file_facts;
using testing::folder_facts;
using testing::snapshot;

TEST(LongPath, Conversions) {
    struct Case {
        const char* path;
        const char16_t* expected;
    };
    const Case cases[] = {
        {"C:\\", u"\\\\?\\C:"},
        {"C:\\Users\\a", u"\\\\?\\C:\\Users\\a"},
        {"C:/Users/a/", u"\\\\?\\C:\\Users\\a"},
        {"C:\\Users\\a\\\\\\", u"\\\\?\\C:\\Users\\a"},
        {"\\\\server\\share\\dir", u"\\\\?\\UNC\\server\\share\\dir"},
        {"//server/share", u"\\\\?\\UNC\\server\\share"},
        {"\\\\?\\D:\\x", u"\\\\?\\D:\\x"},
        {"\\\\?\\UNC\\s\\x", u"\\\\?\\UNC\\s\\x"},
        {"D:\\보고서\\한글.txt", u"\\\\?\\D:\\보고서\\한글.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(to_long_path(c.path), c.expected) << c.path;
    EXPECT_EQ(to_long_path("C:\\").c_str()[6], u'\0');
}

TEST(WorkerCount, SharesTheBudgetAmongRoots) {
    struct Case {
        unsigned processors;
        size_t roots;
        unsigned expected;
    };
    const Case cases[] = {
        {8, 1, 8}, {8, 3, 2}, {16, 1, 8}, {4, 10, 2}, {0, 1, 4}, {0, 2, 2},
        {1, 1, 2}, {2, 1, 2}, {6, 2, 3},  {8, 4, 2},  {8, 9, 2}, {64, 2, 4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(worker_count_for(c.processors, c.roots), c.expected)
            << c.processors << " processors, " << c.roots << " roots";
    }
    EXPECT_GE(worker_count(1), 2u);
}

TEST(Listing, FileTimes) {
    constexpr uint64_t SECOND = 10000000;
    constexpr uint64_t UNIX_EPOCH = 11644473600 * SECOND;
    struct Case {
        uint64_t filetime;
        uint32_t expected;
    };
    const Case cases[] = {
        {0, 0},
        {UNIX_EPOCH - 1, 0},
        {UNIX_EPOCH, 0},
        {UNIX_EPOCH + SECOND - 1, 0},
        {UNIX_EPOCH + SECOND, 1},
        {UNIX_EPOCH + 1700000000 * SECOND + 9999999, 1700000000},
        {UNIX_EPOCH + 0xFFFFFFFEull * SECOND, 0xFFFFFFFE},
        {UNIX_EPOCH + 0xFFFFFFFFull * SECOND, 0xFFFFFFFF},
        {~uint64_t{0}, 0xFFFFFFFF},
    };
    for (const Case& c : cases)
        EXPECT_EQ(filetime_to_unix(c.filetime), c.expected) << c.filetime;
}

TEST(Listing, LinksAndTheWineTagZeroFolder) {
    constexpr uint32_t DIR = ATTRIBUTE_DIRECTORY;
    constexpr uint32_t REPARSE = ATTRIBUTE_REPARSE_POINT;
    constexpr uint32_t CLOUD = 0x9000001A;
    struct Case {
        uint32_t attributes;
        uint32_t tag;
        uint32_t effective_tag;
        bool walkable;
    };
    const Case cases[] = {
        {DIR, 0, 0, true},                                                         // a plain folder
        {DIR | REPARSE, REPARSE_TAG_MOUNT_POINT, REPARSE_TAG_MOUNT_POINT, false},  // junction
        {DIR | REPARSE, REPARSE_TAG_SYMLINK, REPARSE_TAG_SYMLINK, false},
        {DIR | REPARSE, 0, REPARSE_TAG_SYMLINK, false},  // a Linux folder link under Wine
        {DIR | REPARSE, CLOUD, CLOUD, true},             // placeholders are walked
        {REPARSE, 0, 0, false},                          // a file reparse point is no folder
        {0, 0, 0, false},
    };
    for (const Case& c : cases) {
        uint32_t tag = effective_reparse_tag(c.attributes, c.tag);
        EXPECT_EQ(tag, c.effective_tag) << std::hex << c.attributes << " " << c.tag;
        EXPECT_EQ(is_walkable_folder(c.attributes, tag), c.walkable)
            << std::hex << c.attributes << " " << c.tag;
    }
}

TEST(Volumes, FixedNtfsAndRefsOnly) {
    EXPECT_EQ(roots_from_drive_mask(0), std::vector<std::string>{});
    EXPECT_EQ(roots_from_drive_mask(0b101 | (1u << 25) | (1u << 26) | (1u << 31)),
              (std::vector<std::string>{"A:\\", "C:\\", "Z:\\"}));
    struct Case {
        uint32_t type;
        const char16_t* file_system;
        bool kept;
    };
    const Case cases[] = {
        {3, u"NTFS", true},   {3, u"ReFS", true},  {3, u"FAT32", false},
        {3, u"exFAT", false}, {3, u"ntfs", false}, {3, u"REFS", false},
        {3, u"NTFS ", false}, {3, u"", false},     {2, u"NTFS", false},  // removable
        {4, u"NTFS", false},                                             // network
        {5, u"NTFS", false},                                             // optical
        {6, u"NTFS", false},                                             // RAM disk
    };
    for (const Case& c : cases) {
        EXPECT_EQ(is_indexed_volume(c.type, c.file_system), c.kept);
    }
}

FakeTree random_tree(uint32_t seed, int items) {
    std::mt19937 random(seed);
    FakeTree tree;
    std::vector<std::string> folders{""};
    for (int i = 0; i < items; ++i) {
        const std::string& parent = folders[random() % folders.size()];
        std::string path = (parent.empty() ? "" : parent + "\\") + "n" + std::to_string(i);
        if (random() % 4 == 0) {
            tree.add_folder(path, 100 + i);
            folders.push_back(path);
        } else {
            tree.add_file(path, random() % 5000, 100 + i);
        }
    }
    return tree;
}

TEST(ScanRoot, EveryFolderChildrenFormOneRun) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        for (unsigned workers : {1u, 2u, 8u}) {
            FakeTree tree = random_tree(seed, 3000);
            VolumeTable table = tree.scan(workers);
            EXPECT_EQ(table.size(), 3001u);
            EXPECT_EQ(table.live_count, 3001u);
            expect_contiguous_runs(table);
            // Same items whatever the number of workers.
            EXPECT_EQ(snapshot(table), snapshot(tree.scan(1)));
        }
    }
}

TEST(ScanRoot, RootEntryAndCounts) {
    FakeTree tree;
    tree.add_folder("a", 5);
    tree.add_file("a\\f.txt", 12, 6);
    tree.add_folder("empty", 7);
    ScanOptions options;
    std::atomic<uint64_t> items{0};
    std::atomic<bool> stop{false};
    options.items_read = &items;
    options.exit_requested = &stop;
    options.list = tree.lister();
    std::optional<VolumeTable> table = scan_root(tree.root(), options);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->root, tree.root());
    EXPECT_EQ(table->entries[0].parent, NO_PARENT);
    EXPECT_TRUE(table->entries[0].is_dir());
    EXPECT_EQ(table->entries[0].mtime, 0u);
    EXPECT_EQ(items.load(), 3u);
    uint32_t empty = *table->find_path("empty");
    EXPECT_EQ(table->entries[empty].size, 0u);  // no child span
    EXPECT_EQ(table->entries[empty].mtime, 7u);
    uint32_t file = *table->find_path("a\\f.txt");
    EXPECT_EQ(table->entries[file].size, 12u);
    EXPECT_EQ(table->entries[file].mtime, 6u);
    EXPECT_EQ(tree.listings(), 3);  // root, a, empty
}

TEST(ScanRoot, UnlistableFolderIsAnEntryWithoutChildren) {
    FakeTree tree;
    tree.add_folder("locked");
    tree.add_file("locked\\secret.txt");
    tree.add_folder("open");
    tree.add_file("open\\visible.txt");
    tree.fail_listing("locked");
    VolumeTable table = tree.scan();
    uint32_t locked = *table.find_path("locked");
    EXPECT_EQ(table.entries[locked].size, 0u);
    EXPECT_TRUE(table.children(locked).empty());
    EXPECT_TRUE(table.find_path("open\\visible.txt"));
    expect_contiguous_runs(table);
}

// What a scan leaves out is reported: folders it could not read, and items that did not fit.
TEST(ScanRoot, ReportsUnreadableFoldersAndWhatDidNotFit) {
    FakeTree tree;
    tree.add_folder("locked");
    tree.add_file("locked\\secret.txt");
    tree.add_folder("open");
    for (int i = 0; i < 6; ++i)
        tree.add_file("open\\f" + std::to_string(i) + ".txt");
    tree.fail_listing("locked");
    ScanReport report;
    ScanOptions options;
    options.list = tree.lister();
    std::atomic<uint64_t> items{0};
    options.items_read = &items;
    options.report = &report;
    std::optional<VolumeTable> table = scan_root(tree.root(), options);
    ASSERT_TRUE(table);
    EXPECT_EQ(report.unreadable_folders, std::vector<uint32_t>{*table->find_path("locked")});
    EXPECT_EQ(report.left_out, 0u);

    options.limits.entries = 6;  // the root, locked, open and three files
    table = scan_root(tree.root(), options);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->size(), 6u);
    EXPECT_EQ(report.left_out, 3u);
    EXPECT_EQ(snapshot(*table).size() + 1, table->live_count);
    expect_contiguous_runs(*table);
}

TEST(ScanRoot, LinksAreEntriesButNeverEntered) {
    FakeTree tree;
    tree.add_folder("real");
    tree.add_file("real\\inside.txt");
    tree.add("junction",
             {.size = 0, .mtime = 1, .attributes = ATTRIBUTE_DIRECTORY | ATTRIBUTE_REPARSE_POINT},
             REPARSE_TAG_MOUNT_POINT);
    tree.add_file("junction\\hidden_behind.txt");
    tree.add("link",
             {.size = 0, .mtime = 1, .attributes = ATTRIBUTE_DIRECTORY | ATTRIBUTE_REPARSE_POINT},
             REPARSE_TAG_SYMLINK);
    tree.add_file("link\\also_behind.txt");
    VolumeTable table = tree.scan();
    for (const char* name : {"junction", "link"}) {
        uint32_t at = *table.find_path(name);
        EXPECT_EQ(table.entries[at].flags & (FLAG_DIR | FLAG_LINK), FLAG_DIR | FLAG_LINK);
        EXPECT_EQ(table.entries[at].size, 0u);
        EXPECT_TRUE(table.children(at).empty());
    }
    EXPECT_EQ(table.size(), 5u);  // root, real, inside.txt, junction, link
}

TEST(ScanRoot, StopsAndDropsTheTableWhenExitIsRequested) {
    FakeTree tree = random_tree(7, 2000);
    std::atomic<uint64_t> items{0};
    std::atomic<bool> stop{false};
    int listings = 0;
    ListDirectoryFn inner = tree.lister();
    ScanOptions options;
    options.workers = 4;
    options.items_read = &items;
    options.exit_requested = &stop;
    std::mutex count_mutex;
    options.list = [&](const NativePath& folder, std::vector<ListedItem>& out) {
        {
            std::lock_guard lock(count_mutex);
            if (++listings == 20) stop = true;
        }
        return inner(folder, out);
    };
    EXPECT_FALSE(scan_root(tree.root(), options));
    // Every worker stops at its next queue check: at most one listing each after the request.
    EXPECT_LE(listings, 20 + 4);

    stop = true;
    listings = 0;
    EXPECT_FALSE(scan_root(tree.root(), options));
    EXPECT_EQ(listings, 0);
}

// A scan in the background lists no folder while a search runs: the search that starts during
// the fifth listing ends before the sixth begins.
TEST(ScanRoot, InTheBackgroundWaitsForRunningSearches) {
    FakeTree tree = random_tree(3, 200);
    std::atomic<int> searching{0};
    std::atomic<bool> search_ended{false};
    std::thread search;
    int listings = 0;
    bool listed_during_search = false;
    ListDirectoryFn inner = tree.lister();
    ScanOptions options;
    options.workers = 1;
    options.background = true;
    options.searches_running = &searching;
    options.list = [&](const NativePath& folder, std::vector<ListedItem>& out) {
        if (++listings == 5) {
            searching = 1;
            search = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
                search_ended = true;
                searching = 0;
            });
        } else if (listings > 5 && !search_ended) {
            listed_during_search = true;
        }
        return inner(folder, out);
    };
    EXPECT_TRUE(scan_root(tree.root(), options));
    search.join();
    EXPECT_GT(listings, 5);
    EXPECT_FALSE(listed_during_search);
}

// a (keep.txt, Build with obj\x.o), b (Games with save.dat, Games2 with y.txt), games.txt
FakeTree tree_with_build_and_games() {
    FakeTree tree;
    tree.add_folder("a");
    tree.add_file("a\\keep.txt");
    tree.add_folder("a\\Build");
    tree.add_folder("a\\Build\\obj");
    tree.add_file("a\\Build\\obj\\x.o");
    tree.add_folder("b");
    tree.add_folder("b\\Games");
    tree.add_file("b\\Games\\save.dat");
    tree.add_folder("b\\Games2");
    tree.add_file("b\\Games2\\y.txt");
    tree.add_file("games.txt");
    return tree;
}

// An excluded folder is neither an entry nor listed, nor is anything inside it; names that only
// begin like it stay, and so do folders of other roots.
TEST(ScanRoot, NeverEntersAnExcludedFolder) {
    FakeTree tree = tree_with_build_and_games();
    const std::string root = tree.root();
    const std::vector<std::string> excluded{root + "a/Build", root + "B\\GAMES\\",
                                            "/elsewhere/b/Games2", "Y:\\b\\Games2"};
    for (unsigned workers : {1u, 2u}) {
        FakeTree fresh = tree_with_build_and_games();
        VolumeTable table = fresh.scan(workers, exclusions_under(root, excluded));
        EXPECT_EQ(snapshot(table).size(), 6u);  // a, keep.txt, b, Games2, y.txt, games.txt
        EXPECT_EQ(table.live_count, 7u);
        EXPECT_FALSE(table.find_path("a\\Build"));
        EXPECT_FALSE(table.find_path("b\\Games"));
        EXPECT_TRUE(table.find_path("b\\Games2\\y.txt"));
        EXPECT_TRUE(table.find_path("games.txt"));
        expect_contiguous_runs(table);
        EXPECT_EQ(fresh.listings(), 4);  // root, a, b, b\Games2
    }
    // The root itself excluded: nothing below it.
    VolumeTable nothing = tree.scan(2, exclusions_under(root, std::vector<std::string>{root}));
    EXPECT_EQ(nothing.size(), 1u);
}

TEST(WalkSubtree, LeavesExcludedFoldersOut) {
    FakeTree tree = tree_with_build_and_games();
    std::vector<std::string> paths;
    for (const WalkedItem& item : tree.walk("a", FolderExclusions({"build\\obj"})).items)
        paths.push_back(item.path);
    EXPECT_THAT(paths, ::testing::UnorderedElementsAre("a\\keep.txt", "a\\Build"));
    EXPECT_TRUE(tree.walk("a", FolderExclusions({""})).items.empty());
}

TEST(WalkSubtree, FoldersComeBeforeTheirContents) {
    FakeTree tree;
    tree.add_folder("top");
    tree.add_folder("top\\a");
    tree.add_file("top\\a\\1.txt");
    tree.add_folder("top\\a\\b");
    tree.add_file("top\\a\\b\\2.txt");
    tree.add_file("top\\3.txt");
    tree.add("top\\link",
             {.size = 0, .mtime = 1, .attributes = ATTRIBUTE_DIRECTORY | ATTRIBUTE_REPARSE_POINT},
             REPARSE_TAG_SYMLINK);
    tree.add_file("top\\link\\never.txt");
    std::vector<WalkedItem> walked = tree.walk("top").items;
    std::vector<std::string> paths;
    for (const WalkedItem& item : walked)
        paths.push_back(item.path);
    EXPECT_THAT(paths,
                ::testing::UnorderedElementsAre("top\\a", "top\\a\\1.txt", "top\\a\\b",
                                                "top\\a\\b\\2.txt", "top\\3.txt", "top\\link"));
    auto position = [&](std::string_view p) { return std::find(paths.begin(), paths.end(), p); };
    EXPECT_LT(position("top\\a"), position("top\\a\\1.txt"));
    EXPECT_LT(position("top\\a"), position("top\\a\\b"));
    EXPECT_LT(position("top\\a\\b"), position("top\\a\\b\\2.txt"));
    EXPECT_EQ(walked[static_cast<size_t>(position("top\\3.txt") - paths.begin())].facts.size, 1u);
}

TEST(WalkSubtree, StopsAtThreeHundredThousandItems) {
    // One folder holding 500,000 files, listed without touching a disk.
    ListDirectoryFn huge = [](const NativePath&, std::vector<ListedItem>& out) {
        out.clear();
        for (int i = 0; i < 500000; ++i) {
            ListedItem item;
            item.name = "f" + std::to_string(i);
            item.facts = file_facts(i, 1);
            out.push_back(std::move(item));
        }
        return ListStatus::Listed;
    };
    std::vector<WalkedItem> walked =
        walk_subtree(FakeTree::default_root() + "big", "big", huge).items;
    ASSERT_EQ(walked.size(), WALK_LIMIT);
    EXPECT_FALSE(walk_subtree(FakeTree::default_root() + "big", "big", huge).complete);
    EXPECT_EQ(walked.front().path, "big\\f0");
    EXPECT_EQ(walked.back().path, "big\\f299999");
}

TEST(WalkSubtree, AnUnlistableFolderYieldsNothing) {
    FakeTree tree;
    tree.add_folder("top");
    tree.add_file("top\\x.txt");
    tree.fail_listing("top");
    SubtreeWalk walk = tree.walk("top");
    EXPECT_TRUE(walk.items.empty());
    EXPECT_FALSE(walk.complete);
}

// Whether a walk found all there is decides whether the watcher asks for a rescan: a folder
// denied or a limit reached leaves items out; a folder that vanished meanwhile hides nothing.
TEST(WalkSubtree, SaysWhetherItFoundEverything) {
    struct Case {
        const char* what;
        const char* unreadable;  // a folder that cannot be listed, or ""
        const char* removed;     // a folder removed after its parent was listed, or ""
        size_t limit;
        size_t items;
        bool complete;
    };
    const Case cases[] = {
        {"everything read", "", "", WALK_LIMIT, 5, true},
        {"a subfolder denied", "top\\a", "", WALK_LIMIT, 3, false},
        {"a subfolder gone", "", "top\\a", WALK_LIMIT, 3, true},
        {"stopped at the limit", "", "", 4, 4, false},
        {"the limit is exactly all there is", "", "", 5, 5, true},
    };
    for (const Case& c : cases) {
        FakeTree tree;
        tree.add_folder("top");
        tree.add_folder("top\\a");
        tree.add_file("top\\a\\1.txt");
        tree.add_file("top\\a\\2.txt");
        tree.add_folder("top\\b");
        tree.add_file("top\\c.txt");
        if (*c.unreadable) tree.fail_listing(c.unreadable);
        ListDirectoryFn list = tree.lister();
        if (*c.removed) {
            // The walk lists "top" first, then finds its subfolder gone.
            std::string removed = c.removed;
            list = [&tree, inner = tree.lister(), removed](const NativePath& folder,
                                                           std::vector<ListedItem>& out) {
                ListStatus status = inner(folder, out);
                tree.remove(removed);
                return status;
            };
        }
        SubtreeWalk walk = walk_subtree(tree.full_path("top"), "top", list, c.limit);
        EXPECT_EQ(walk.items.size(), c.items) << c.what;
        EXPECT_EQ(walk.complete, c.complete) << c.what;
    }
}

}  // namespace
}  // namespace norvik
