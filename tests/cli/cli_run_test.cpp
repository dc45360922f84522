// The commands run in-process on a tree made by the test (natively, and under Wine on Z:).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/cli.h"
#include "cli/shown_text.h"
#include "support/temp_folder.h"

namespace norvik {
namespace {

using testing::TempFolder;

class CapturedConsole final : public Console {
  public:
    void out(std::string_view text) override { out_text.append(text); }
    void err(std::string_view text) override { err_text.append(text); }
    bool out_is_terminal() const override { return terminal; }
    std::string out_error() const override { return write_error; }
    std::string out_text, err_text;
    bool terminal = false;
    std::string write_error;  // as if standard output had failed with this
};

struct Outcome {
    int status;
    std::string out, err;
    std::vector<std::string> lines() const {
        std::vector<std::string> result;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);)
            result.push_back(line);
        return result;
    }
};

Outcome run(std::vector<std::string> args, CapturedConsole console = {}) {
    int status = run_cli(args, console);
    return {status, console.out_text, console.err_text};
}

class CliRun : public ::testing::Test {
  protected:
    CliRun() {
        tree.file("docs/보고서.hwp", std::string(3000, 'r'));
        tree.file("docs/report-final.pdf", std::string(100, 'p'));
        tree.file("docs/old/보고서 초안.txt", "draft");
        tree.file("pics/photo.jpg", std::string(50, 'j'));
        tree.file("pics/보고.png", "png");
        tree.file("-dash.txt", "d");
        tree.folder("empty folder");
        index_file = tree.root() + "out" + sep + "index.bin";
        root = tree.root();
    }
    TempFolder tree;
    std::string index_file, root;
    const std::string sep{static_cast<char>(std::filesystem::path::preferred_separator)};

    std::string at(std::string relative) const {
        for (char& c : relative) {
            if (c == '/') c = sep[0];
        }
        return root + relative;
    }

    void index() {
        Outcome r = run({"index", "--output", index_file, "--workers", "2", tree.root()});
        ASSERT_EQ(r.status, 0) << r.err;
    }
};

TEST_F(CliRun, IndexThenSearchInEveryFormat) {
    index();
    EXPECT_TRUE(std::filesystem::exists(testing::u8path(index_file)));

    // Korean typed on the English layout, initial consonants, plain words.
    for (const char* query : {"qhrhtj", "ㅂㄱㅅ", "보고서"}) {
        Outcome r = run({"search", "--index", index_file, "--sort", "name", query});
        EXPECT_EQ(r.status, 0) << query;
        // By name, code point by code point: ' ' sorts before '.'.
        EXPECT_EQ(r.lines(),
                  (std::vector<std::string>{at("docs/old/보고서 초안.txt"), at("docs/보고서.hwp")}))
            << query;
        EXPECT_NE(r.err.find("2 found ("), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(" ms)"), std::string::npos) << r.err;
    }

    Outcome tsv = run({"search", "--index", index_file, "--format", "tsv", "--filter", "pictures",
                       "--sort", "size", "--descending", "p"});
    ASSERT_EQ(tsv.status, 0);
    std::vector<std::string> rows = tsv.lines();
    ASSERT_EQ(rows.size(), 2u) << tsv.out;
    // tsv escapes backslashes: every one of a Windows path's.
    EXPECT_TRUE(rows[0].starts_with(escape_tsv_field(at("pics/photo.jpg")) + "\tpicture\t50\t"))
        << rows[0];
    EXPECT_TRUE(rows[1].starts_with(escape_tsv_field(at("pics/보고.png")) + "\tpicture\t3\t"))
        << rows[1];
    EXPECT_TRUE(rows[0].ends_with("Z\t1")) << rows[0];

    Outcome json =
        run({"search", "--index", index_file, "--format", "json", "--filter", "folders", "o"});
    ASSERT_EQ(json.status, 0);
    nlohmann::json parsed = nlohmann::json::parse(json.out);
    std::vector<std::string> folders;
    for (const auto& hit : parsed) {
        EXPECT_EQ(hit["kind"], "folder");
        EXPECT_TRUE(hit["size"].is_null());
        folders.push_back(hit["path"]);
    }
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders, (std::vector<std::string>{at("docs"), at("docs/old"), at("empty folder")}));
}

// A word with a folder in it finds names directly inside a folder of that name, written with
// either separator.
TEST_F(CliRun, PathWordsFindNamesInTheirFolders) {
    index();
    struct Case {
        const char* query;
        std::vector<std::string> paths;
    };
    const Case cases[] = {
        {"docs\\보고서", {at("docs/보고서.hwp")}},
        {"docs/ㅂㄱㅅ", {at("docs/보고서.hwp")}},
        {"docs\\old\\", {at("docs/old/보고서 초안.txt")}},
        {"pics\\ ext:png", {at("pics/보고.png")}},
        {"pics\\보고서", {}},
    };
    for (const Case& c : cases) {
        Outcome r = run({"search", "--index", index_file, "--sort", "name", c.query});
        EXPECT_EQ(r.status, 0) << c.query;
        EXPECT_EQ(r.lines(), c.paths) << c.query;
    }
}

// --exclude keeps a folder and everything in it out of the index (and out of the count); a
// folder that is not there is refused before anything is scanned.
TEST_F(CliRun, ExcludedFoldersAreLeftOut) {
    Outcome r = run({"index", "--output", index_file, "--exclude", at("docs/old"), "--exclude",
                     at("pics"), root});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.starts_with("5 items under 1 folder indexed into ")) << r.err;
    Outcome found = run({"search", "--index", index_file, "--sort", "name", "보"});
    EXPECT_EQ(found.lines(), (std::vector<std::string>{at("docs/보고서.hwp")}));

    Outcome missing = run({"index", "--output", index_file, "--exclude", at("nowhere"), root});
    EXPECT_EQ(missing.status, EXIT_FAILED);
    EXPECT_NE(missing.err.find("nowhere"), std::string::npos) << missing.err;
}

// The command line lists best matches as the window does: the item named exactly as typed (in
// Hangul, on the English layout or as initials) first, above a newer name that only begins with
// the word; a wildcard names no item exactly.
TEST_F(CliRun, ExactNamesComeFirst) {
    const auto now = std::filesystem::file_time_type::clock::now();
    std::filesystem::last_write_time(tree.path() / testing::u8path("docs/보고서.hwp"),
                                     now - std::chrono::hours(48));
    std::filesystem::last_write_time(tree.path() / testing::u8path("docs/old/보고서 초안.txt"),
                                     now);
    index();
    const std::vector<std::string> exact_first = {at("docs/보고서.hwp"),
                                                  at("docs/old/보고서 초안.txt")};
    for (const char* query : {"보고서", "qhrhtj", "ㅂㄱㅅ"})
        EXPECT_EQ(run({"search", "--index", index_file, query}).lines(), exact_first) << query;
    EXPECT_EQ(run({"search", "--index", index_file, "보고서*"}).lines(),
              std::vector<std::string>(exact_first.rbegin(), exact_first.rend()));
}

TEST_F(CliRun, QueriesMayStartWithADashAfterTheOptionsEnd) {
    index();
    Outcome r = run({"search", "--index", index_file, "--", "-dash"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.lines(), std::vector<std::string>{at("-dash.txt")});
    EXPECT_EQ(run({"search", "--index", index_file, "-dash"}).status, EXIT_USAGE);
}

TEST_F(CliRun, NoHitsIsStillSuccess) {
    index();
    Outcome r = run({"search", "--index", index_file, "nothing-like-this"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("0 found"), std::string::npos);
    Outcome json = run({"search", "--index", index_file, "--format", "json", "nothing-like-this"});
    EXPECT_EQ(nlohmann::json::parse(json.out), nlohmann::json::array());
}

TEST_F(CliRun, LimitCutsTheListButNotTheCount) {
    index();
    Outcome r = run({"search", "--index", index_file, "--limit", "1", "--sort", "name", "o"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.lines().size(), 1u);
    Outcome all = run({"search", "--index", index_file, "--sort", "name", "o"});
    EXPECT_EQ(r.lines()[0], all.lines()[0]);
    EXPECT_NE(r.err.find(std::to_string(all.lines().size()) + " found"), std::string::npos);
}

TEST_F(CliRun, Stats) {
    index();
    Outcome r = run({"stats", "--index", index_file});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines = r.lines();
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[0], index_file + ": 1 table");
    EXPECT_EQ(lines[1], root);
    // The root, docs, old, pics, empty folder and six files; the output folder is made only
    // when the file is written, after the scan.
    EXPECT_NE(r.out.find("  display names  0"), std::string::npos);
    EXPECT_NE(r.out.find("  late children  0 lists, 0 entries"), std::string::npos);
    EXPECT_NE(r.out.find("  entries        11"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  live           11"), std::string::npos) << r.out;
}

TEST_F(CliRun, MissingOrDamagedIndexFileExitsWithThree) {
    std::string missing = tree.root() + "missing.bin";
    for (const char* command : {"search", "stats"}) {
        std::vector<std::string> args{command, "--index", missing};
        if (std::string(command) == "search") args.push_back("x");
        Outcome r = run(args);
        EXPECT_EQ(r.status, EXIT_INDEX_MISSING) << command;
        EXPECT_NE(r.err.find(missing), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    index();
    std::filesystem::resize_file(testing::u8path(index_file),
                                 std::filesystem::file_size(testing::u8path(index_file)) - 3);
    Outcome r = run({"search", "--index", index_file, "x"});
    EXPECT_EQ(r.status, EXIT_INDEX_MISSING);
    EXPECT_NE(r.err.find("damaged"), std::string::npos);
    EXPECT_NE(r.err.find(index_file), std::string::npos);
}

TEST_F(CliRun, UsageErrorsAndBadFolders) {
    Outcome r = run({"search"});
    EXPECT_EQ(r.status, EXIT_USAGE);
    EXPECT_NE(r.err.find("usage:"), std::string::npos);
    EXPECT_EQ(run({"index", "--workers", "0", root}).status, EXIT_USAGE);
    Outcome bad = run({"index", "--output", index_file, tree.root() + "no such folder"});
    EXPECT_EQ(bad.status, EXIT_FAILED);
    EXPECT_NE(bad.err.find("no such folder"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(testing::u8path(index_file)));
    Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("norvik-cli search"), std::string::npos);
}

// The summary counts the items below the folders given (not the folders themselves), in words
// that fit the number.
TEST_F(CliRun, TheSummaryCountsItemsBelowTheFolders) {
    struct Case {
        std::vector<std::string> folders;
        std::string summary;
    };
    const Case cases[] = {
        {{at("pics")}, "2 items under 1 folder indexed into "},
        {{at("docs/old")}, "1 item under 1 folder indexed into "},
        {{at("docs/old"), at("pics")}, "3 items under 2 folders indexed into "},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"index", "--output", index_file};
        args.insert(args.end(), c.folders.begin(), c.folders.end());
        Outcome r = run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(r.err.starts_with(c.summary)) << r.err;
    }
}

// A folder inside another one given would list each of its items twice: it is dropped, and the
// user is told.
TEST_F(CliRun, AFolderInsideAnotherGivenIsIndexedOnce) {
    Outcome r = run({"index", "--output", index_file, at("docs"), root, at("docs/old")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(at("docs") + sep + " lies inside " + root), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(at("docs/old") + sep + " lies inside " + root), std::string::npos);
    Outcome found = run({"search", "--index", index_file, "보고서"});
    EXPECT_EQ(found.lines(),
              (std::vector<std::string>{at("docs/보고서.hwp"), at("docs/old/보고서 초안.txt")}));
    EXPECT_EQ(run({"stats", "--index", index_file}).lines()[0], index_file + ": 1 table");
}

TEST_F(CliRun, WhatCannotBeUsedIsNamedForWhatItIs) {
    tree.file("plain.txt");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {{"index", "--output", index_file, at("missing")},
         EXIT_FAILED,
         "\"" + at("missing") + "\" does not exist"},
        {{"index", "--output", index_file, at("plain.txt")},
         EXIT_FAILED,
         "\"" + at("plain.txt") + "\" is not a folder"},
        {{"index", "--output", index_file, ""}, EXIT_FAILED, "an empty folder name"},
        {{"index", "--output", at("docs"), root}, EXIT_FAILED, at("docs") + " is a folder"},
        {{"search", "--index", at("docs"), "x"},
         EXIT_INDEX_MISSING,
         at("docs") + " is a folder, not an index file"},
        {{"index", "--workers", "300", root}, EXIT_USAGE, "\"300\" (1 to 256)"},
    };
    for (const Case& c : cases) {
        Outcome r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(testing::u8path(index_file)));
}

TEST(CliHelp, HelpAfterAnyCommandIsHelp) {
    for (std::vector<std::string> args : {std::vector<std::string>{"index", "--help"},
                                          {"search", "--help"},
                                          {"search", "--index", "x", "-h"},
                                          {"stats", "--help"},
                                          {"watch", "--help"}}) {
        Outcome r = run(args);
        EXPECT_EQ(r.status, EXIT_OK) << args[0];
        EXPECT_NE(r.out.find("usage: norvik-cli index"), std::string::npos) << args[0];
        EXPECT_EQ(r.err, "");
    }
    // After "--" it is a word to search for.
    EXPECT_EQ(run({"search", "--index", "missing.bin", "--", "--help"}).status, EXIT_INDEX_MISSING);
}

#ifndef _WIN32  // Windows names hold no control characters
TEST_F(CliRun, ATerminalSeesNamesWithTheirControlCharactersEscaped) {
    tree.file("red\x1B[31malert.txt");
    index();
    CapturedConsole terminal;
    terminal.terminal = true;
    Outcome shown = run({"search", "--index", index_file, "alert"}, terminal);
    EXPECT_EQ(shown.out, root + "red\\x1B[31malert.txt\n");
    Outcome piped = run({"search", "--index", index_file, "alert"});
    EXPECT_EQ(piped.out, root + "red\x1B[31malert.txt\n");
}
#endif

TEST_F(CliRun, ResultsThatCouldNotBeWrittenAreAFailure) {
    index();
    CapturedConsole full;
    full.write_error = "No space left on device";
    Outcome r = run({"search", "--index", index_file, "보고서"}, full);
    EXPECT_EQ(r.status, EXIT_FAILED);
    EXPECT_NE(r.err.find("cannot write the results: No space left on device"), std::string::npos)
        << r.err;
    EXPECT_EQ(run({"stats", "--index", index_file}, full).status, EXIT_FAILED);
}

TEST_F(CliRun, SeveralRootsGoIntoOneFileInRootOrder) {
    std::string b = at("pics");
    std::string a = at("docs");
    Outcome r = run({"index", "--output", index_file, b, a, a + sep});
    ASSERT_EQ(r.status, 0) << r.err;
    Outcome stats = run({"stats", "--index", index_file});
    std::vector<std::string> lines = stats.lines();
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[0], index_file + ": 2 tables");
    EXPECT_EQ(lines[1], a + sep);
    EXPECT_EQ(lines[7], b + sep);
    Outcome found = run({"search", "--index", index_file, "--sort", "name", "photo"});
    EXPECT_EQ(found.lines(), std::vector<std::string>{at("pics/photo.jpg")});
}

TEST(ResolveRoot, AbsoluteWithOneTrailingSeparatorOrWhyNot) {
    using Resolved = std::variant<std::string, RootProblem>;
    TempFolder tree;
    tree.folder("a/b");
    tree.file("plain.txt");
    std::string sep(1, static_cast<char>(std::filesystem::path::preferred_separator));
    std::string base = tree.root();
    EXPECT_EQ(resolve_root(base + "a"), Resolved(base + "a" + sep));
    EXPECT_EQ(resolve_root(base + "a" + sep + sep), Resolved(base + "a" + sep));
    EXPECT_EQ(resolve_root(base + "a" + sep + "b" + sep + ".."), Resolved(base + "a" + sep));
    EXPECT_EQ(resolve_root(base + "missing"), Resolved(RootProblem::Missing));
    EXPECT_EQ(resolve_root(""), Resolved(RootProblem::Missing));
    EXPECT_EQ(resolve_root(base + "plain.txt"), Resolved(RootProblem::NotAFolder));
#ifdef _WIN32
    EXPECT_EQ(resolve_root("Z:"), Resolved("Z:\\"));
#else
    EXPECT_EQ(resolve_root("/"), Resolved("/"));
    std::filesystem::create_symlink(tree.path() / "gone", tree.path() / "dangling");
    EXPECT_EQ(resolve_root(base + "dangling"), Resolved(RootProblem::Missing));
    std::filesystem::create_directory(tree.path() / "bad\xFF");
    EXPECT_EQ(resolve_root(base + "bad\xFF"), Resolved(RootProblem::NotUtf8));
#endif
}

}  // namespace
}  // namespace norvik
