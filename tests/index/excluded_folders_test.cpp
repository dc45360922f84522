#include "index/excluded_folders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace norvik {
namespace {

// The exclusions a root gets from full paths: only those at or below it, relative to it, with
// either separator, any letter case and trailing separators.
TEST(ExclusionsUnder, KeepsThePathsBelowTheRoot) {
    struct Case {
        const char* root;
        std::vector<std::string> full_paths;
        std::vector<std::string> relative;
    };
    const Case cases[] = {
        {"C:\\",
         {"C:\\Games", "D:\\Games", "C:\\Users\\Me\\Build\\"},
         {"games", "users\\me\\build"}},
        {"c:\\", {"C:/Games/Steam"}, {"games\\steam"}},
        {"/home/me/", {"/home/me/build", "/home/mine/x", "/home/me"}, {"build", ""}},
        {"D:\\Photos\\", {"D:\\Photos2", "D:\\Photo", "d:\\PHOTOS\\Ärger"}, {"ärger"}},
        {"C:\\", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.root);
        EXPECT_EQ(exclusions_under(c.root, c.full_paths).paths(), c.relative);
    }
}

// A path below a root keeps its own letter case, so that a folder walked back in gets its names.
TEST(PathBelow, KeepsTheLetterCaseOfThePath) {
    EXPECT_EQ(path_below("C:\\", "c:/Games//Steam/"), "Games\\Steam");
    EXPECT_EQ(path_below("/home/ME/", "/home/me"), "");
    EXPECT_EQ(path_below("D:\\", "C:\\Games"), std::nullopt);
    EXPECT_EQ(path_below("/home/me/", "/home/mine/x"), std::nullopt);
}

// What a folder's exclusions say about the items below it, and what they hand down.
TEST(FolderExclusions, CoverTheFolderAndAllItHolds) {
    const FolderExclusions excluded({"Build", "src\\Gen\\", "a\\b\\c"});
    struct Case {
        const char* path;
        bool covered;
    };
    const Case cases[] = {
        {"build", true},
        {"BUILD\\x\\y.o", true},
        {"build2", false},
        {"buil", false},
        {"src", false},
        {"src\\gen", true},
        {"src\\gen\\a.h", true},
        {"src\\generated", false},
        {"a\\b", false},
        {"a\\b\\C\\d", true},
        {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(excluded.covers(c.path), c.covered) << c.path;

    EXPECT_TRUE(excluded.excludes_child("BUILD"));
    EXPECT_FALSE(excluded.excludes_child("src"));
    EXPECT_EQ(excluded.below("SRC").paths(), std::vector<std::string>{"gen"});
    EXPECT_EQ(excluded.below_path("a\\b").paths(), std::vector<std::string>{"c"});
    EXPECT_TRUE(excluded.below("docs").empty());
    // Inside an excluded folder everything is excluded.
    EXPECT_TRUE(excluded.below_path("build\\obj").excludes_everything());
    EXPECT_TRUE(excluded.below_path("src\\gen").excludes_everything());
    EXPECT_FALSE(excluded.excludes_everything());

    const FolderExclusions everything({""});
    EXPECT_TRUE(everything.excludes_everything());
    EXPECT_TRUE(everything.covers("any\\thing"));
    EXPECT_FALSE(FolderExclusions().covers("any"));
}

}  // namespace
}  // namespace norvik
