// Turning raw events into batches: the rules event by event (table-driven, with counted file
// calls), and whole scenarios checked against a fresh scan of the changed tree.
#include "watch/change_batch.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "index/changes.h"
#include "support/fake_tree.h"

namespace norvik {
namespace {

using testing::FakeTree;
using testing::file_facts;
using testing::folder_facts;

// A compact picture of a change: "+path", "-path", "~path", "old>new", with " ?" for absent
// facts and " [n]" for n walked items.
std::string describe(const Change& change) {
    std::string text;
    switch (change.type) {
        case ChangeType::Added:
            text = "+" + change.path;
            break;
        case ChangeType::Removed:
            return "-" + change.path;
        case ChangeType::Modified:
            text = "~" + change.path;
            break;
        case ChangeType::Renamed:
            text = change.path + ">" + change.new_path;
            break;
    }
    if (!change.facts) text += " ?";
    if (!change.walked.empty()) text += " [" + std::to_string(change.walked.size()) + "]";
    return text;
}

// The file system as build_batch sees it: facts by relative path, walks that find two items
// below any folder; every call counted.
struct FakeFiles {
    std::string root = "C:\\";
    std::map<std::string, FileFacts> items;
    std::vector<std::string> fact_reads;  // full paths
    std::vector<std::string> walks;       // relative paths

    FactReader reader() {
        return [this](const std::string& full) -> std::optional<FileFacts> {
            fact_reads.push_back(full);
            auto it = items.find(full.substr(root.size()));
            if (it == items.end()) return std::nullopt;
            return it->second;
        };
    }
    // Folders in `unreadable` are there but cannot be listed.
    std::set<std::string> unreadable;

    SubtreeWalker walker() {
        return [this](const std::string&, const std::string& relative) {
            walks.push_back(relative);
            if (unreadable.contains(relative)) return SubtreeWalk{{}, false};
            return SubtreeWalk{
                {{relative + "\\x", file_facts(1, 1)}, {relative + "\\y", file_facts(2, 2)}}};
        };
    }
};

TEST(EventFullPath, JoinsTheRootWithOneBackslash) {
    struct Case {
        std::string_view root, relative, full;
    };
    for (const Case& c : std::vector<Case>{{"C:\\", "a\\b.txt", "C:\\a\\b.txt"},
                                           {"C:\\\\\\", "a", "C:\\a"},
                                           {"D:", "x", "D:\\x"},
                                           {"Z:\\tmp\\w\\", "한글.txt", "Z:\\tmp\\w\\한글.txt"}})
        EXPECT_EQ(event_full_path(c.root, c.relative), c.full) << c.root << " + " << c.relative;
}

TEST(BuildBatch, EventRules) {
    struct Case {
        const char* what;
        std::vector<RawEvent> events;
        std::vector<std::string> expected;
        size_t fact_reads;
        size_t walks;
    };
    const std::vector<Case> cases = {
        {"a burst of writes collapses into one Modified",
         {{3, "f.txt"}, {3, "f.txt"}, {3, "f.txt"}, {3, "f.txt"}},
         {"~f.txt"},
         1,
         0},
        {"repeats collapse only when next to each other",
         {{3, "f.txt"}, {3, "g.txt"}, {3, "f.txt"}},
         {"~f.txt", "~g.txt", "~f.txt"},
         3,
         0},
        {"created then written: Added, then one Modified",
         {{1, "f.txt"}, {3, "f.txt"}, {3, "f.txt"}},
         {"+f.txt", "~f.txt"},
         2,
         0},
        {"an added folder is walked", {{1, "dir"}}, {"+dir [2]"}, 1, 1},
        {"an added item that vanished has absent facts and no walk",
         {{1, "gone"}, {2, "gone"}},
         {"+gone ?", "-gone"},
         1,
         0},
        {"removals need no file call", {{2, "a"}, {2, "b"}, {2, "b"}}, {"-a", "-b"}, 0, 0},
        {"a rename pair is one Renamed with the new name's facts",
         {{4, "f.txt"}, {5, "g.txt"}},
         {"f.txt>g.txt"},
         1,
         0},
        {"a folder renamed in place is not walked", {{4, "dir"}, {5, "dir2"}}, {"dir>dir2"}, 1, 0},
        {"a folder made and renamed into place in one read is walked under its new name",
         {{1, "tmp"}, {1, "tmp\\a"}, {3, "tmp\\a"}, {4, "tmp"}, {5, "dir"}},
         {"+tmp ?", "+tmp\\a ?", "~tmp\\a ?", "tmp>dir [2]"},
         4,
         1},
        {"a folder moved out of one made in the same read is walked",
         {{1, "tmp"}, {4, "tmp\\sub"}, {5, "dir"}},
         {"+tmp ?", "tmp\\sub>dir [2]"},
         2,
         1},
        {"a folder made and renamed twice is walked once, where it ended",
         {{1, "tmp"}, {4, "tmp"}, {5, "t2"}, {4, "t2"}, {5, "dir"}},
         {"+tmp ?", "tmp>t2 ?", "t2>dir [2]"},
         3,
         1},
        {"an old name without its new half is a removal",
         {{4, "f.txt"}, {3, "g.txt"}},
         {"-f.txt", "~g.txt"},
         1,
         0},
        {"an old name at the end of the read is a removal", {{4, "f.txt"}}, {"-f.txt"}, 0, 0},
        {"a new name without its old half is an addition (walked when a folder)",
         {{5, "dir"}},
         {"+dir [2]"},
         1,
         1},
        {"the same new name twice is not collapsed",
         {{4, "a"}, {5, "dir"}, {5, "dir"}},
         {"a>dir", "+dir [2]"},
         2,
         1},
        {"two renames back to back",
         {{4, "a"}, {5, "b"}, {4, "b"}, {5, "c"}},
         {"a>b", "b>c"},
         2,
         0},
        {"unknown actions are skipped",
         {{0, "a"}, {6, "b"}, {0xFFFFFFFF, "c"}, {3, "f.txt"}},
         {"~f.txt"},
         1,
         0},
        {"changes in the Recycle Bin are ignored, in any letter case",
         {{1, "$Recycle.Bin\\S-1\\$RX.txt"}, {3, "$RECYCLE.BIN\\x"}, {2, "$recycle.bin"}},
         {},
         0,
         0},
        {"changes under System Volume Information are ignored, at any depth",
         {{1, "System Volume Information\\x"},
          {3, "a\\SYSTEM VOLUME INFORMATION\\y"},
          {5, "system volume information"}},
         {},
         0,
         0},
        {"a name merely containing an excluded name is not excluded",
         {{1, "my $recycle.bin copy"}},
         {"+my $recycle.bin copy"},
         1,
         0},
        {"into the Recycle Bin: a Renamed without a file call",
         {{4, "dir"}, {5, "$Recycle.Bin\\S-1\\$R1"}},
         {"dir>$Recycle.Bin\\S-1\\$R1 ?"},
         0,
         0},
        {"out of the Recycle Bin: a Renamed that carries the folder's subtree",
         {{4, "$Recycle.Bin\\S-1\\$R1"}, {5, "dir"}},
         {"$Recycle.Bin\\S-1\\$R1>dir [2]"},
         1,
         1},
        {"out of the Recycle Bin, a file: nothing to walk",
         {{4, "$Recycle.Bin\\S-1\\$R2"}, {5, "f.txt"}},
         {"$Recycle.Bin\\S-1\\$R2>f.txt"},
         1,
         0},
        {"within the Recycle Bin: nothing",
         {{4, "$Recycle.Bin\\a"}, {5, "$Recycle.Bin\\b"}},
         {},
         0,
         0},
        {"an excluded old name without its new half: nothing", {{4, "$Recycle.Bin\\a"}}, {}, 0, 0},
    };
    for (const Case& c : cases) {
        FakeFiles files;
        files.items = {{"f.txt", file_facts(5, 50)},
                       {"g.txt", file_facts(6, 60)},
                       {"dir", folder_facts(70)},
                       {"dir2", folder_facts(71)},
                       {"b", file_facts(1, 1)},
                       {"c", file_facts(1, 1)},
                       {"my $recycle.bin copy", file_facts(1, 1)}};
        Batch batch = build_batch(files.root, c.events, files.reader(), files.walker());
        EXPECT_FALSE(batch.incomplete) << c.what;
        std::vector<std::string> described;
        for (const Change& change : batch.changes)
            described.push_back(describe(change));
        EXPECT_EQ(described, c.expected) << c.what;
        EXPECT_EQ(files.fact_reads.size(), c.fact_reads) << c.what;
        EXPECT_EQ(files.walks.size(), c.walks) << c.what;
    }
}

TEST(BuildBatch, FactsAreReadAtTheFullPathAndCarried) {
    FakeFiles files;
    files.root = "Z:\\tmp\\w\\";
    files.items = {{"docs\\a.txt", file_facts(1234, 1700000000)}};
    std::vector<Change> batch =
        build_batch(files.root, {{1, "docs\\a.txt"}}, files.reader(), files.walker()).changes;
    ASSERT_EQ(batch.size(), 1u);
    EXPECT_EQ(files.fact_reads, std::vector<std::string>{"Z:\\tmp\\w\\docs\\a.txt"});
    ASSERT_TRUE(batch[0].facts);
    EXPECT_EQ(batch[0].facts->size, 1234u);
    EXPECT_EQ(batch[0].facts->mtime, 1700000000u);
}

// A folder that arrived but could not be listed: the batch still carries it (and everything
// else), and says the root needs a rescan for its contents.
TEST(BuildBatch, AnUnreadableArrivedFolderMakesTheBatchIncomplete) {
    FakeFiles files;
    files.items = {
        {"dir", folder_facts(1)}, {"dir2", folder_facts(2)}, {"f.txt", file_facts(1, 1)}};
    files.unreadable = {"dir"};
    Batch batch = build_batch(files.root, {{1, "dir"}, {1, "dir2"}, {3, "f.txt"}}, files.reader(),
                              files.walker());
    EXPECT_TRUE(batch.incomplete);
    std::vector<std::string> described;
    for (const Change& change : batch.changes)
        described.push_back(describe(change));
    EXPECT_EQ(described, (std::vector<std::string>{"+dir", "+dir2 [2]", "~f.txt"}));

    files.unreadable = {"$Recycle.Bin\\x"};  // never walked: nothing is missing
    EXPECT_FALSE(build_batch(files.root, {{1, "$Recycle.Bin\\x"}}, files.reader(), files.walker())
                     .incomplete);
}

// walk_arrived_folder over a fake tree whose listing of one folder fails a given number of
// times (the mover still holding it), or for good.
TEST(WalkArrivedFolder, RetriesWhileTheFolderIsHeldAndGivesUpOnlyIfItStaysThere) {
    struct Case {
        const char* what;
        int failures;  // listings of "new" that fail before one succeeds
        bool gone;     // the folder vanished again
        bool unknown;  // expected: nothing (contents unknown)
        std::vector<std::string> paths;
        std::vector<int> pauses_ms;
    };
    const std::vector<std::string> all = {"new\\a.txt", "new\\sub", "new\\sub\\b.txt"};
    const std::vector<Case> cases = {
        {"listed at once", 0, false, false, all, {}},
        {"held for two tries", 2, false, false, all, {10, 20}},
        {"held for four tries", 4, false, false, all, {10, 20, 40, 80}},
        {"held for good", 100, false, true, {}, {10, 20, 40, 80}},
        {"gone again", 100, true, false, {}, {}},
    };
    for (const Case& c : cases) {
        FakeTree tree;
        tree.add_folder("new");
        tree.add_file("new\\a.txt");
        tree.add_folder("new\\sub");
        tree.add_file("new\\sub\\b.txt");
        if (c.gone) tree.remove("new");
        int failures = c.failures;
        ListDirectoryFn inner = tree.lister();
        NativePath held = native_path(tree.full_path("new"));
        ListDirectoryFn list = [&](const NativePath& folder, std::vector<ListedItem>& out) {
            if (folder == held && failures > 0) {
                --failures;
                out.clear();
                return ListStatus::Unreadable;
            }
            return inner(folder, out);
        };
        FactReader facts = [&](const std::string&) { return tree.facts("new"); };
        std::vector<int> pauses;
        auto pause = [&](std::chrono::milliseconds ms) { pauses.push_back(int(ms.count())); };

        SubtreeWalk found = walk_arrived_folder(tree.full_path("new"), "new", list, facts, pause);
        EXPECT_EQ(pauses, c.pauses_ms) << c.what;
        EXPECT_EQ(!found.complete, c.unknown) << c.what;
        std::vector<std::string> paths;
        for (const WalkedItem& item : found.items)
            paths.push_back(item.path);
        EXPECT_EQ(paths, c.paths) << c.what;
    }
}

// Scenarios: the tree is changed as a user would, the events the system reports are turned into
// a batch against the changed tree, and the patched table must equal a fresh scan of the tree.
class WatchScenario : public ::testing::Test {
  protected:
    void SetUp() override {
        tree.add_folder("docs");
        tree.add_file("docs\\a.txt", 10, 100);
        tree.add_file("docs\\b.txt", 20, 200);
        tree.add_folder("docs\\sub");
        tree.add_file("docs\\sub\\c.txt", 30, 300);
        tree.add_folder("pics");
        tree.add_file("pics\\p.jpg", 40, 400);
        tree.add_folder("$Recycle.Bin");
        tree.add_folder("$Recycle.Bin\\S-1-5-21");
        table = tree.scan();
    }

    // Applies the batch for events, read against the tree as it is now.
    void report(const std::vector<RawEvent>& events, const FolderExclusions& excluded = {}) {
        std::string prefix = event_full_path(tree.root(), "");
        FactReader facts = [&](const std::string& full) {
            EXPECT_EQ(full.compare(0, prefix.size(), prefix), 0) << full;
            return tree.facts(full.substr(prefix.size()));
        };
        SubtreeWalker walk = [&](const std::string&, const std::string& relative) {
            return tree.walk(relative);
        };
        Batch batch = build_batch(tree.root(), events, facts, walk, excluded);
        EXPECT_FALSE(batch.incomplete);
        apply_changes(table, batch.changes);
    }

    // What a scan sees, without the Recycle Bin, whose contents the watcher never indexes.
    static std::map<std::string, testing::ItemRecord> visible(const VolumeTable& t) {
        std::map<std::string, testing::ItemRecord> items = testing::snapshot(t);
        std::erase_if(items, [](const auto& item) { return has_excluded_component(item.first); });
        return items;
    }

    void expect_matches_fresh_scan(const char* step) {
        EXPECT_EQ(visible(table), visible(tree.scan())) << step;
    }

    FakeTree tree;
    VolumeTable table;
};

TEST_F(WatchScenario, CreateWriteRenameMoveDelete) {
    tree.add_file("docs\\new.txt", 0, 500);
    report({{1, "docs\\new.txt"}, {3, "docs\\new.txt"}});
    expect_matches_fresh_scan("create");

    tree.modify("docs\\new.txt", file_facts(4096, 501));
    report({{3, "docs\\new.txt"}, {3, "docs\\new.txt"}, {3, "docs\\new.txt"}});
    expect_matches_fresh_scan("write");

    uint32_t entry = table.find_path("docs\\new.txt").value();
    tree.rename("docs\\new.txt", "docs\\보고서.txt");
    report({{4, "docs\\new.txt"}, {5, "docs\\보고서.txt"}});
    expect_matches_fresh_scan("rename");
    EXPECT_EQ(table.find_path("docs\\보고서.txt"), entry);

    tree.rename("docs\\보고서.txt", "pics\\보고서.txt");
    report({{4, "docs\\보고서.txt"}, {5, "pics\\보고서.txt"}});
    expect_matches_fresh_scan("move between folders as a rename pair");
    EXPECT_EQ(table.find_path("pics\\보고서.txt"), entry);

    tree.rename("docs\\b.txt", "pics\\b.txt");
    report({{2, "docs\\b.txt"}, {1, "pics\\b.txt"}});
    expect_matches_fresh_scan("move between folders as removed + added");

    tree.remove("pics\\보고서.txt");
    report({{2, "pics\\보고서.txt"}});
    expect_matches_fresh_scan("delete");
}

TEST_F(WatchScenario, FolderCreatedWithContentsBeforeTheEventIsRead) {
    tree.add_folder("new");
    tree.add_file("new\\one.txt", 1, 1);
    tree.add_folder("new\\inner");
    tree.add_file("new\\inner\\two.txt", 2, 2);
    tree.add_folder("new\\inner\\deeper");
    // Some systems report the contents as well, some only the folder.
    report({{1, "new"}, {1, "new\\one.txt"}, {1, "new\\inner"}});
    expect_matches_fresh_scan("folder with contents");
}

// Programs write into a temporary folder and then rename it into place; when all of it happens
// before the watcher reads, the first name is gone by the time anything is looked at.
TEST_F(WatchScenario, FolderMadeFilledAndRenamedInOneRead) {
    tree.add_folder("docs\\final");
    tree.add_file("docs\\final\\part1.txt", 5, 5);
    tree.add_folder("docs\\final\\inner");
    tree.add_file("docs\\final\\inner\\part2.txt", 6, 6);
    report({{1, "docs\\~tmp"},
            {1, "docs\\~tmp\\part1.txt"},
            {3, "docs\\~tmp\\part1.txt"},
            {1, "docs\\~tmp\\inner"},
            {1, "docs\\~tmp\\inner\\part2.txt"},
            {4, "docs\\~tmp"},
            {5, "docs\\final"}});
    expect_matches_fresh_scan("made, filled, renamed");
}

TEST_F(WatchScenario, RenamedFolderKeepsItsEntryAndDescendants) {
    uint32_t docs = table.find_path("docs").value();
    uint32_t deep = table.find_path("docs\\sub\\c.txt").value();
    tree.rename("docs", "Documents");
    report({{4, "docs"}, {5, "Documents"}});
    expect_matches_fresh_scan("folder rename");
    EXPECT_EQ(table.find_path("Documents"), docs);
    EXPECT_EQ(table.find_path("Documents\\sub\\c.txt"), deep);
}

TEST_F(WatchScenario, RecycleBinRoundTrip) {
    tree.rename("docs", "$Recycle.Bin\\S-1-5-21\\$R0A1B2C");
    report({{4, "docs"}, {5, "$Recycle.Bin\\S-1-5-21\\$R0A1B2C"}});
    expect_matches_fresh_scan("moved to the Recycle Bin");
    EXPECT_FALSE(table.find_path("docs"));

    tree.rename("$Recycle.Bin\\S-1-5-21\\$R0A1B2C", "docs");
    report({{4, "$Recycle.Bin\\S-1-5-21\\$R0A1B2C"}, {5, "docs"}});
    expect_matches_fresh_scan("restored with its whole subtree");
    EXPECT_TRUE(table.find_path("docs\\sub\\c.txt"));
}

TEST_F(WatchScenario, CreatedAndDeletedBeforeTheFactsWereRead) {
    std::map<std::string, testing::ItemRecord> before = visible(table);
    report({{1, "docs\\tmp.txt"}, {3, "docs\\tmp.txt"}, {2, "docs\\tmp.txt"}});
    EXPECT_EQ(visible(table), before);
}

TEST_F(WatchScenario, CaseOnlyRenameAndRenameOntoASibling) {
    uint32_t a = table.find_path("docs\\a.txt").value();
    tree.rename("docs\\a.txt", "docs\\A.TXT");
    report({{4, "docs\\a.txt"}, {5, "docs\\A.TXT"}});
    expect_matches_fresh_scan("case only");
    EXPECT_EQ(table.find_path("docs\\A.TXT"), a);
    EXPECT_EQ(table.display_name(a), "A.TXT");

    tree.rename("docs\\A.TXT", "docs\\b.txt");  // replaces b.txt
    report({{2, "docs\\b.txt"}, {4, "docs\\A.TXT"}, {5, "docs\\b.txt"}});
    expect_matches_fresh_scan("onto a sibling");
}

// Changes inside excluded folders never reach the table: what goes in leaves, what comes out
// arrives with its contents, minus an excluded folder inside it; an item renamed to an excluded
// folder's name leaves too.
TEST_F(WatchScenario, ExcludedFoldersStayOutWhateverHappens) {
    const FolderExclusions excluded({"docs\\sub", "build", "docs\\out\\deep"});
    drop_excluded(table, excluded);
    auto expect_matches_scan_without_excluded = [&](const char* step) {
        EXPECT_EQ(visible(table), visible(tree.scan(2, excluded))) << step;
    };

    tree.add_file("docs\\sub\\new.txt", 1, 1);
    tree.modify("docs\\sub\\c.txt", file_facts(99, 99));
    report({{1, "docs\\sub\\new.txt"}, {3, "docs\\sub\\c.txt"}}, excluded);
    expect_matches_scan_without_excluded("created and written inside");

    tree.rename("docs\\a.txt", "docs\\sub\\a.txt");
    report({{4, "docs\\a.txt"}, {5, "docs\\sub\\a.txt"}}, excluded);
    expect_matches_scan_without_excluded("moved in");
    EXPECT_FALSE(table.find_path("docs\\a.txt"));

    tree.add_folder("docs\\sub\\deep");
    tree.add_file("docs\\sub\\deep\\d.txt", 1, 1);
    tree.rename("docs\\sub", "docs\\out");
    report({{4, "docs\\sub"}, {5, "docs\\out"}}, excluded);
    expect_matches_scan_without_excluded("moved out, with an excluded folder inside");
    EXPECT_TRUE(table.find_path("docs\\out\\a.txt"));
    EXPECT_FALSE(table.find_path("docs\\out\\deep"));

    tree.rename("pics", "Build");
    report({{4, "pics"}, {5, "Build"}}, excluded);
    expect_matches_scan_without_excluded("renamed to an excluded name");
    EXPECT_FALSE(table.find_path("Build"));
}

}  // namespace
}  // namespace norvik
