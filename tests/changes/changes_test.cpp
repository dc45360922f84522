#include "index/changes.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "store/index_codec.h"
#include "support/fake_tree.h"

namespace norvik {
namespace {

using testing::FakeTree;
using testing::file_facts;
using testing::folder_facts;
using testing::snapshot;

// docs (a.txt, b.txt, sub with c.txt), pics (p.jpg), empty
FakeTree sample_tree() {
    FakeTree tree;
    tree.add_folder("docs");
    tree.add_file("docs\\a.txt", 10);
    tree.add_file("docs\\b.txt", 20);
    tree.add_folder("docs\\sub");
    tree.add_file("docs\\sub\\c.txt", 30);
    tree.add_folder("pics");
    tree.add_file("pics\\p.jpg", 40);
    tree.add_folder("empty");
    return tree;
}

uint32_t at(const VolumeTable& table, std::string_view path) {
    std::optional<uint32_t> found = table.find_path(path);
    EXPECT_TRUE(found) << path;
    return found.value_or(NO_PARENT);
}

// Bytes of the whole table: equal bytes mean nothing changed at all.
std::string bytes_of(const VolumeTable& table) {
    return encode_index({table});
}

// The watcher's changes on a table that has run out of name room: an addition adds nothing, a
// rename that needs a new name takes the item out rather than leave it listed under its old one,
// and the table stays whole.
TEST(ApplyChanges, ATableWithoutRoomStaysSound) {
    VolumeTable table = sample_tree().scan();
    table.limits.name_bytes = table.names.size();
    uint64_t live = table.live_count;
    apply_changes(table, {Change::added("docs\\new.txt", file_facts(1, 1)),
                          Change::renamed("docs\\a.txt", "docs\\renamed.txt", file_facts(1, 1)),
                          Change::renamed("docs\\b.txt", "pics\\b.txt", file_facts(1, 1))});
    EXPECT_FALSE(table.find_path("docs\\new.txt"));
    EXPECT_FALSE(table.find_path("docs\\a.txt"));
    EXPECT_FALSE(table.find_path("docs\\renamed.txt"));
    EXPECT_TRUE(table.find_path("pics\\b.txt")) << "a move keeps its name and needs no room";
    EXPECT_EQ(table.live_count, live - 1);
    EXPECT_EQ(testing::snapshot(table).size() + 1, table.live_count);
}

TEST(RemoveSubtree, RootIsNeverRemoved) {
    VolumeTable table = sample_tree().scan();
    std::string before = bytes_of(table);
    remove_subtree(table, 0);
    EXPECT_EQ(bytes_of(table), before);
    apply_changes(table, {Change::removed("")});
    EXPECT_EQ(bytes_of(table), before);
}

TEST(RemoveSubtree, MarksDescendantsAndCountsEachOnce) {
    VolumeTable table = sample_tree().scan();
    uint64_t live = table.live_count;
    uint32_t docs = at(table, "docs");
    uint32_t deep = at(table, "docs\\sub\\c.txt");
    remove_subtree(table, docs);
    EXPECT_EQ(table.live_count, live - 5);  // docs, a, b, sub, c
    EXPECT_TRUE(table.entries[deep].is_removed());
    EXPECT_FALSE(table.find_path("docs"));
    remove_subtree(table, docs);
    remove_subtree(table, deep);
    EXPECT_EQ(table.live_count, live - 5);
}

// A folder excluded while the table lives leaves it as a scan that skips it would have, and is
// walked back in the same when included again; the other entries keep their indexes.
TEST(DropExcluded, ExcludingAndIncludingAgainMatchFreshScans) {
    FakeTree tree = sample_tree();
    VolumeTable table = tree.scan();
    const uint64_t live = table.live_count;
    const uint32_t photo = at(table, "pics\\p.jpg");
    const uint32_t a = at(table, "docs\\a.txt");
    const FolderExclusions excluded({"DOCS\\sub", "empty", "missing\\folder"});
    drop_excluded(table, excluded);
    EXPECT_EQ(snapshot(table), snapshot(tree.scan(2, excluded)));
    EXPECT_EQ(table.live_count, live - 3);  // sub, c.txt, empty
    EXPECT_EQ(at(table, "pics\\p.jpg"), photo);

    for (const char* folder : {"docs\\sub", "empty"})
        add_subtree(table, folder, *tree.facts(folder), tree.walk(folder).items);
    EXPECT_EQ(snapshot(table), snapshot(tree.scan()));
    EXPECT_EQ(table.live_count, live);
    EXPECT_EQ(at(table, "docs\\a.txt"), a);

    drop_excluded(table, FolderExclusions({""}));  // the root itself
    EXPECT_EQ(table.live_count, 1u);
    EXPECT_TRUE(snapshot(table).empty());
}

// Changes that must leave a table exactly as it was.
TEST(ApplyChanges, NoOpsLeaveTheTableUnchanged) {
    struct Case {
        const char* what;
        Change change;
    };
    const Case cases[] = {
        {"remove a missing path", Change::removed("docs\\nothing.txt")},
        {"modify without facts", Change::modified("docs\\a.txt", std::nullopt)},
        {"modify a missing path", Change::modified("nowhere.txt", file_facts(5, 5))},
        {"add without facts", Change::added("docs\\new.txt", std::nullopt)},
        {"add under a missing folder", Change::added("missing\\new.txt", file_facts(1, 1))},
        {"add $RECYCLE.BIN", Change::added("$RECYCLE.BIN", folder_facts(1))},
        {"add $recycle.bin deep", Change::added("docs\\sub\\$Recycle.Bin", folder_facts(1))},
        {"add system volume information",
         Change::added("docs\\system volume information", folder_facts(1))},
        {"add below an excluded folder",
         Change::added("System Volume Information\\x.txt", file_facts(1, 1))},
        {"add under a file", Change::added("docs\\a.txt\\inner", file_facts(1, 1))},
        {"add an empty name", Change::added("docs\\", file_facts(1, 1))},
        {"rename the root", Change::renamed("", "elsewhere", folder_facts(1))},
        {"rename a missing item without facts",
         Change::renamed("docs\\gone.txt", "docs\\g.txt", std::nullopt)},
        {"rename a missing item into an excluded folder",
         Change::renamed("gone.txt", "$Recycle.Bin\\gone.txt", file_facts(1, 1))},
        {"modify the root", Change::modified("", folder_facts(99))},
    };
    for (const Case& c : cases) {
        VolumeTable table = sample_tree().scan();
        std::string before = bytes_of(table);
        apply_changes(table, {c.change});
        EXPECT_EQ(bytes_of(table), before) << c.what;
    }
}

TEST(AddChild, ExcludedNamesInAnyCaseAddNothing) {
    VolumeTable table = sample_tree().scan();
    for (const char* name :
         {"$RECYCLE.BIN", "$recycle.bin", "$Recycle.Bin", "System Volume Information",
          "SYSTEM VOLUME INFORMATION", "system volume information"}) {
        for (uint32_t parent : {0u, at(table, "docs"), at(table, "docs\\sub")}) {
            EXPECT_FALSE(add_child(table, parent, name, folder_facts(1), false)) << name;
            EXPECT_FALSE(add_child(table, parent, name, folder_facts(1), true)) << name;
        }
    }
    // Only whole names are excluded.
    EXPECT_TRUE(add_child(table, 0, "$recycle.bin.txt", file_facts(1, 1), false));
}

TEST(AddChild, UpdatesAnExistingChildCaseInsensitively) {
    VolumeTable table = sample_tree().scan();
    uint32_t a = at(table, "docs\\a.txt");
    size_t count = table.entries.size();
    std::optional<AddResult> result =
        add_child(table, at(table, "docs"), "A.TXT", file_facts(77, 1234), false);
    ASSERT_TRUE(result);
    EXPECT_FALSE(result->added);
    EXPECT_EQ(result->index, a);
    EXPECT_EQ(table.entries[a].size, 77u);
    EXPECT_EQ(table.entries[a].mtime, 1234u);
    EXPECT_EQ(table.entries.size(), count);
    EXPECT_EQ(table.display_name(a), "a.txt");  // the name stays as it was
}

TEST(AddChild, UpdatingAFolderKeepsItsChildSpan) {
    VolumeTable table = sample_tree().scan();
    uint32_t docs = at(table, "docs");
    uint64_t span = table.entries[docs].size;
    ASSERT_TRUE(add_path(table, "docs", folder_facts(555)));
    EXPECT_EQ(table.entries[docs].size, span);
    EXPECT_EQ(table.entries[docs].mtime, 555u);
    apply_changes(table, {Change::modified("docs", folder_facts(556))});
    EXPECT_EQ(table.entries[docs].size, span);
    EXPECT_EQ(table.entries[docs].mtime, 556u);
}

TEST(AddChild, NewChildIsALateChildWithoutLinkFlag) {
    VolumeTable table = sample_tree().scan();
    uint32_t pics = at(table, "pics");
    FileFacts link{
        .size = 0, .mtime = 5, .attributes = ATTRIBUTE_DIRECTORY | ATTRIBUTE_REPARSE_POINT};
    std::optional<AddResult> result = add_child(table, pics, "album", link, false);
    ASSERT_TRUE(result && result->added);
    EXPECT_EQ(table.late_children.at(pics), std::vector<uint32_t>{result->index});
    EXPECT_FALSE(table.entries[result->index].flags & FLAG_LINK);
    std::vector<uint32_t> children = table.children(pics);
    EXPECT_EQ(children.back(), result->index);  // after the run members
    EXPECT_FALSE(add_child(table, at(table, "pics\\p.jpg"), "x", file_facts(1, 1), false));
}

TEST(AddSubtree, AddsWalkedItemsUnderTheirFolders) {
    FakeTree tree = sample_tree();
    VolumeTable table = tree.scan();
    tree.add_folder("docs\\new");
    tree.add_folder("docs\\new\\inner");
    tree.add_file("docs\\new\\inner\\deep.txt", 5);
    tree.add_file("docs\\new\\top.txt", 6);
    std::vector<WalkedItem> walked = tree.walk("docs\\new").items;
    ASSERT_EQ(walked.size(), 3u);
    apply_changes(table, {Change::added("docs\\new", tree.facts("docs\\new"), walked)});
    EXPECT_EQ(snapshot(table), snapshot(tree.scan()));
    uint32_t inner = at(table, "docs\\new\\inner");
    EXPECT_EQ(table.children(inner).size(), 1u);
}

TEST(AddSubtree, ExistingFolderIsUpdatedAndMergedWithoutDuplicates) {
    FakeTree tree = sample_tree();
    VolumeTable table = tree.scan();
    tree.add_file("docs\\sub\\more.txt", 9);
    std::vector<WalkedItem> walked = tree.walk("docs").items;
    apply_changes(table, {Change::added("docs", tree.facts("docs"), walked)});
    EXPECT_EQ(snapshot(table), snapshot(tree.scan()));
}

TEST(Rename, FolderMovedIntoAnotherFolder) {
    FakeTree tree = sample_tree();
    VolumeTable table = tree.scan();
    uint32_t sub = at(table, "docs\\sub");
    uint32_t docs = at(table, "docs");
    uint32_t pics = at(table, "pics");
    apply_changes(table, {Change::renamed("docs\\sub", "pics\\sub", folder_facts(1000))});

    // Still inside the old parent's run, yet no longer its child.
    const Entry& d = table.entries[docs];
    EXPECT_GE(sub, d.first_child());
    EXPECT_LT(sub, d.first_child() + d.child_count());
    std::vector<uint32_t> old_children = table.children(docs);
    EXPECT_EQ(std::count(old_children.begin(), old_children.end(), sub), 0);
    std::vector<uint32_t> new_children = table.children(pics);
    ASSERT_EQ(new_children.size(), 2u);
    EXPECT_EQ(new_children.back(), sub);  // after the run member p.jpg
    EXPECT_EQ(at(table, "pics\\sub\\c.txt"), table.children(sub).front());

    tree.rename("docs\\sub", "pics\\sub");
    EXPECT_EQ(snapshot(table), snapshot(tree.scan()));
}

TEST(Rename, OntoAnExistingSiblingRemovesItFirst) {
    FakeTree tree = sample_tree();
    tree.add_folder("Target");
    tree.add_file("Target\\inside.txt");
    VolumeTable table = tree.scan();
    uint64_t live = table.live_count;
    uint32_t target = at(table, "Target");
    uint32_t pics = at(table, "pics");
    apply_changes(table, {Change::renamed("pics", "TARGET", folder_facts(1000))});
    EXPECT_TRUE(table.entries[target].is_removed());
    EXPECT_EQ(table.live_count, live - 2);
    EXPECT_EQ(at(table, "target"), pics);
    EXPECT_EQ(table.display_name(pics), "TARGET");
    tree.rename("pics", "TARGET");
    EXPECT_EQ(snapshot(table), snapshot(tree.scan()));
}

TEST(Rename, CaseOnlyRenameKeepsTheEntry) {
    FakeTree tree = sample_tree();
    VolumeTable table = tree.scan();
    uint64_t live = table.live_count;
    uint32_t a = at(table, "docs\\a.txt");
    apply_changes(table, {Change::renamed("docs\\a.txt", "docs\\A.txt", file_facts(10, 1000))});
    EXPECT_EQ(at(table, "docs\\a.txt"), a);
    EXPECT_FALSE(table.entries[a].is_removed());
    EXPECT_EQ(table.live_count, live);
    EXPECT_EQ(table.display_name(a), "A.txt");
    EXPECT_EQ(table.stored_name(a), "A.txt");
}

TEST(Rename, MissingOldItemIsAddedAtTheNewPath) {
    FakeTree tree = sample_tree();
    VolumeTable table = tree.scan();
    tree.add_file("docs\\arrived.txt", 3);
    apply_changes(table,
                  {Change::renamed("outside.txt", "docs\\arrived.txt", file_facts(3, 1000))});
    EXPECT_EQ(snapshot(table), snapshot(tree.scan()));
}

TEST(Rename, IntoAnExcludedOrMissingFolderRemovesTheItem) {
    struct Case {
        const char* to;
    };
    for (const Case& c : {Case{"$Recycle.Bin\\a.txt"}, Case{"missing\\a.txt"},
                          Case{"docs\\b.txt\\a.txt"}, Case{"docs\\"}}) {
        VolumeTable table = sample_tree().scan();
        uint32_t a = at(table, "docs\\a.txt");
        apply_changes(table, {Change::renamed("docs\\a.txt", c.to, file_facts(1, 1))});
        EXPECT_TRUE(table.entries[a].is_removed()) << c.to;
    }
}

// A folder cannot move into its own subtree on disk; a stale or reordered batch that says so
// must not make a parent cycle, which would cut the subtree off from the root while it still
// counted as live.
TEST(Rename, IntoItsOwnSubtreeMakesNoCycle) {
    VolumeTable table = sample_tree().scan();
    uint32_t docs = at(table, "docs");
    apply_changes(table, {Change::renamed("docs", "docs\\sub\\docs", folder_facts(1))});
    EXPECT_TRUE(table.entries[docs].is_removed());
    snapshot(table);  // every live entry still reachable, live_count consistent
}

// Moving an item out of a folder and back used to append it to the folder's late_children a
// second time while it was still a run member (or already listed), so children() named it
// twice.
TEST(Rename, MoveBackIntoAFolderListsTheItemOnce) {
    FakeTree tree = sample_tree();
    VolumeTable table = tree.scan();
    uint32_t docs = at(table, "docs");
    uint32_t pics = at(table, "pics");
    uint32_t a = at(table, "docs\\a.txt");

    // A run member moves away and back, twice.
    for (int round = 0; round < 2; ++round) {
        apply_changes(table, {Change::renamed("docs\\a.txt", "pics\\a.txt", file_facts(10, 1)),
                              Change::renamed("pics\\a.txt", "docs\\a.txt", file_facts(10, 1))});
    }
    std::vector<uint32_t> children = table.children(docs);
    EXPECT_EQ(std::count(children.begin(), children.end(), a), 1);
    EXPECT_FALSE(table.late_children.contains(docs));
    EXPECT_EQ(table.late_children.at(pics), std::vector<uint32_t>{a});

    // A late child moves away and back.
    apply_changes(table, {Change::added("docs\\late.txt", file_facts(1, 1))});
    uint32_t late = at(table, "docs\\late.txt");
    for (int round = 0; round < 2; ++round) {
        apply_changes(table,
                      {Change::renamed("docs\\late.txt", "pics\\late.txt", file_facts(1, 1)),
                       Change::renamed("pics\\late.txt", "docs\\late.txt", file_facts(1, 1))});
    }
    children = table.children(docs);
    EXPECT_EQ(std::count(children.begin(), children.end(), late), 1);
    EXPECT_EQ(table.late_children.at(docs), std::vector<uint32_t>{late});
    EXPECT_EQ(table.late_children.at(pics), (std::vector<uint32_t>{a, late}));
    EXPECT_TRUE(table.children(pics).size() == 1);  // p.jpg only
}

// A change of size, time or the hidden and system attributes alone reaches the entry, whichever
// change operation carries the new facts; a folder keeps its child span.
TEST(ApplyChanges, ChangedFactsReachTheEntry) {
    const FileFacts hidden_system{.size = 5, .mtime = 88, .attributes = 0x06};
    const FileFacts hidden_folder{.size = 0, .mtime = 99, .attributes = 0x12};
    struct Case {
        const char* what;
        std::vector<Change> changes;
        std::string path;  // where the entry is afterwards
        uint64_t size;
        uint32_t mtime;
        uint8_t flags;  // hidden and system
    };
    const Case cases[] = {
        {"size and time",
         {Change::modified("DOCS\\B.TXT", file_facts(4096, 77))},
         "docs\\b.txt",
         4096,
         77,
         0},
        {"hidden and system",
         {Change::modified("docs\\b.txt", hidden_system)},
         "docs\\b.txt",
         5,
         88,
         FLAG_HIDDEN | FLAG_SYSTEM},
        {"shown again",
         {Change::modified("docs\\b.txt", hidden_system),
          Change::modified("docs\\b.txt", file_facts(5, 89))},
         "docs\\b.txt",
         5,
         89,
         0},
        {"a hidden folder",
         {Change::modified("docs\\sub", hidden_folder)},
         "docs\\sub",
         0,
         99,
         FLAG_HIDDEN},
        {"renamed and hidden",
         {Change::renamed("docs\\b.txt", "docs\\.b", hidden_system)},
         "docs\\.b",
         5,
         88,
         FLAG_HIDDEN | FLAG_SYSTEM},
        {"added over it",
         {Change::added("docs\\b.txt", hidden_system)},
         "docs\\b.txt",
         5,
         88,
         FLAG_HIDDEN | FLAG_SYSTEM},
    };
    for (const Case& c : cases) {
        VolumeTable table = sample_tree().scan();
        const uint64_t span = table.entries[at(table, "docs\\sub")].size;
        apply_changes(table, c.changes);
        const Entry& entry = table.entries[at(table, c.path)];
        EXPECT_EQ(entry.is_dir() ? 0 : entry.size, c.size) << c.what;
        EXPECT_EQ(entry.mtime, c.mtime) << c.what;
        EXPECT_EQ(entry.flags & (FLAG_HIDDEN | FLAG_SYSTEM), c.flags) << c.what;
        EXPECT_EQ(table.entries[at(table, "docs\\sub")].size, span) << c.what;
    }
}

// The strongest check: random edits of a tree, replayed as changes onto the table of the tree
// before the edits, give the same items as a fresh scan of the edited tree.
class Replay {
  public:
    // big_folder_files: files each of two extra folders starts with (one of them named in
    // Greek), so most edits fall into folders big enough for the table's name lookups.
    explicit Replay(uint32_t seed, int big_folder_files = 0) : random_(seed) {
        for (const char* folder : {"big", "ΣΟΦΙΑ"}) {
            if (big_folder_files == 0) break;
            tree_.add_folder(folder);
            folders_.push_back(folder);
            paths_.push_back(folder);
            for (int i = 0; i < big_folder_files; ++i) {
                std::string path = join(folder, fresh_name());
                tree_.add_file(path, random_() % 1000, 1000);
                paths_.push_back(path);
            }
        }
    }

    void run(int steps) {
        for (int i = 0; i < 40; ++i)
            add_random();
        VolumeTable table = tree_.scan(3);
        for (int i = 0; i < steps; ++i)
            step();
        apply_changes(table, changes_);
        EXPECT_EQ(snapshot(table), snapshot(tree_.scan(3)));
    }

  private:
    std::string pick(bool folders_only) {
        std::vector<std::string>& pool = folders_only ? folders_ : paths_;
        if (pool.empty()) return {};
        return pool[random_() % pool.size()];
    }

    std::string fresh_name() {
        static const char* const stems[] = {"report", "보고서", "Photo", "data", "x"};
        static const char* const suffixes[] = {".txt", ".jpg", "", ".zip"};
        return std::string(stems[random_() % 5]) + std::to_string(next_name_++) +
               suffixes[random_() % 4];
    }

    static std::string join(const std::string& folder, const std::string& name) {
        return folder.empty() ? name : folder + "\\" + name;
    }

    void forget(const std::string& path) {
        auto gone = [&](const std::string& p) { return p == path || p.starts_with(path + "\\"); };
        std::erase_if(paths_, gone);
        std::erase_if(folders_, gone);
    }

    void add_random() {
        std::string folder = random_() % 4 == 0 ? std::string() : pick(true);
        std::string path = join(folder, fresh_name());
        bool is_folder = random_() % 3 == 0;
        uint32_t mtime = 1000 + random_() % 1000;
        if (is_folder) {
            tree_.add_folder(path, mtime);
            folders_.push_back(path);
        } else {
            tree_.add_file(path, random_() % 100000, mtime);
        }
        paths_.push_back(path);
    }

    void step() {
        switch (random_() % 6) {
            case 0: {  // a new file or folder, a folder with contents of its own
                std::string folder = random_() % 4 == 0 ? std::string() : pick(true);
                std::string path = join(folder, fresh_name());
                if (random_() % 2) {
                    tree_.add_folder(path, 2000);
                    tree_.add_file(path + "\\inner" + std::to_string(next_name_++), 5, 2001);
                    tree_.add_folder(path + "\\nested", 2002);
                    tree_.add_file(path + "\\nested\\leaf.txt", 6, 2003);
                    folders_.push_back(path);
                    folders_.push_back(path + "\\nested");
                } else {
                    tree_.add_file(path, 123, 2000);
                }
                paths_.push_back(path);
                changes_.push_back(Change::added(path, tree_.facts(path), tree_.walk(path).items));
                break;
            }
            case 1: {  // removal
                std::string path = pick(false);
                if (path.empty()) return;
                tree_.remove(path);
                forget(path);
                changes_.push_back(Change::removed(path));
                break;
            }
            case 2: {  // modification
                std::string path = pick(false);
                if (path.empty()) return;
                FileFacts facts = *tree_.facts(path);
                facts.mtime += 7;
                facts.size += 11;
                tree_.modify(path, facts);
                changes_.push_back(Change::modified(path, tree_.facts(path)));
                break;
            }
            default: {  // rename or move, sometimes back to where it was, sometimes a case change
                std::string from = pick(false);
                if (from.empty()) return;
                std::string folder = random_() % 3 == 0 ? std::string() : pick(true);
                if (folder == from || folder.starts_with(from + "\\")) return;
                size_t cut = from.rfind('\\');
                std::string old_folder = cut == std::string::npos ? "" : from.substr(0, cut);
                std::string old_name = cut == std::string::npos ? from : from.substr(cut + 1);
                std::string name = fresh_name();
                int kind = random_() % 3;
                if (kind == 0) folder = old_folder;  // rename in place
                if (kind == 1) name = old_name;      // move, keeping the name
                if (kind == 0 && random_() % 2) {
                    for (char& c : name = old_name)
                        c = std::toupper(static_cast<unsigned char>(c));
                }
                std::string to = join(folder, name);
                // A move onto an existing item replaces it; forget what it held.
                if (!testing::ascii_iequal(to, from)) forget_case_insensitive(to);
                tree_.rename(from, to);
                rename_known(from, to);
                changes_.push_back(Change::renamed(from, to, tree_.facts(to)));
                break;
            }
        }
    }

    void forget_case_insensitive(const std::string& path) {
        for (const std::string& p : std::vector<std::string>(paths_)) {
            if (testing::ascii_iequal(p, path)) forget(p);
        }
    }

    void rename_known(const std::string& from, const std::string& to) {
        auto move = [&](std::vector<std::string>& pool) {
            for (std::string& p : pool) {
                if (p == from)
                    p = to;
                else if (p.starts_with(from + "\\"))
                    p = to + p.substr(from.size());
            }
        };
        move(paths_);
        move(folders_);
    }

    std::mt19937 random_;
    FakeTree tree_;
    std::vector<std::string> paths_;
    std::vector<std::string> folders_;
    std::vector<Change> changes_;
    int next_name_ = 0;
};

TEST(ApplyChanges, ReplayedBatchEqualsAFreshScanOfTheChangedTree) {
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Replay(seed).run(150);
    }
}

// The same in folders of hundreds of children, where finding a child goes through the folder's
// name lookup: every addition, rename and move must reach it.
TEST(ApplyChanges, ReplayedBatchInBigFoldersEqualsAFreshScan) {
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Replay(seed, 400).run(600);
    }
}

}  // namespace
}  // namespace norvik
