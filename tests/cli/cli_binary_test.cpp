// norvik-cli as a shell runs it: the built program on a tree made by the test.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "support/temp_folder.h"

namespace norvik {
namespace {

using testing::TempFolder;

struct Result {
    int status;
    std::string out, err;
};

std::string quote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted.push_back(c);
        }
    }
    return quoted + "'";
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string command_line(const std::vector<std::string>& args) {
    std::string command = quote(NORVIK_CLI);
    for (const std::string& a : args)
        command += " " + quote(a);
    return command;
}

// Runs the program with standard output sent where `output` says (a shell redirection, or
// nothing for a file of the scratch folder) and standard error to a file.
Result cli(const TempFolder& scratch, const std::vector<std::string>& args,
           const std::string& output = {}, const std::string& prefix = {}) {
    std::string out = scratch.root() + "stdout", err = scratch.root() + "stderr";
    std::string command = prefix + command_line(args) + " " +
                          (output.empty() ? ">" + quote(out) : output) + " 2>" + quote(err);
    std::filesystem::remove(out);
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out), slurp(err)};
}

std::set<std::string> names_in(const TempFolder& folder) {
    std::set<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder.path()))
        names.insert(item.path().filename().string());
    return names;
}

TEST(CliBinary, IndexSearchStatsAndExitStatuses) {
    TempFolder tree, scratch;
    tree.file("문서/보고서.txt", "report");
    tree.file("문서/notes.md", "n");
    tree.file("-flag.txt", "f");
    std::string index = scratch.root() + "index.bin";

    Result indexed = cli(scratch, {"index", "--output", index, tree.root()});
    ASSERT_EQ(indexed.status, 0) << indexed.err;
    EXPECT_EQ(indexed.out, "");
    EXPECT_NE(indexed.err.find(index), std::string::npos);
    EXPECT_EQ(indexed.err.find("items read"), std::string::npos);  // stderr is no terminal here

    Result found = cli(scratch, {"search", "--index", index, "qhrhtj"});
    EXPECT_EQ(found.status, 0);
    EXPECT_EQ(found.out, tree.root() + "문서/보고서.txt\n");
    EXPECT_TRUE(found.err.starts_with("1 found (")) << found.err;

    Result in_folder = cli(scratch, {"search", "--index", index, "문서\\보고서"});
    EXPECT_EQ(in_folder.status, 0);
    EXPECT_EQ(in_folder.out, tree.root() + "문서/보고서.txt\n");

    Result tsv = cli(scratch, {"search", "--index", index, "--format=tsv", "--", "-flag"});
    EXPECT_EQ(tsv.status, 0);
    EXPECT_TRUE(tsv.out.starts_with(tree.root() + "-flag.txt\tdocument\t1\t")) << tsv.out;

    Result json = cli(scratch, {"search", "--index", index, "--format", "json", "notes"});
    EXPECT_EQ(json.status, 0);
    EXPECT_NE(json.out.find("\"path\":\"" + tree.root() + "문서/notes.md\""), std::string::npos)
        << json.out;

    Result none = cli(scratch, {"search", "--index", index, "zzzz"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "");

    Result stats = cli(scratch, {"stats", "--index", index});
    EXPECT_EQ(stats.status, 0);
    EXPECT_NE(stats.out.find("  live           5\n"), std::string::npos) << stats.out;

    Result usage = cli(scratch, {"search", "--sort", "sideways", "x"});
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.err.find("sideways"), std::string::npos);

    std::string missing = scratch.root() + "absent.bin";
    Result absent = cli(scratch, {"stats", "--index", missing});
    EXPECT_EQ(absent.status, 3);
    EXPECT_NE(absent.err.find(missing), std::string::npos);

    std::ofstream(index, std::ios::binary | std::ios::trunc) << "NORVIK\0\1 broken";
    Result damaged = cli(scratch, {"search", "--index", index, "x"});
    EXPECT_EQ(damaged.status, 3);
    EXPECT_NE(damaged.err.find("damaged"), std::string::npos);
    EXPECT_NE(damaged.err.find(index), std::string::npos);
}

// Writing the index touches nothing but the output named: not a file that has the temporary
// file's name, not the target of a link planted there, not a pipe in the output's place; a
// replaced file keeps its permissions; a failed write says why and leaves nothing behind.
TEST(CliBinary, WritingTheIndexHarmsNoOtherFile) {
    TempFolder tree, scratch;
    tree.file("a.txt");
    std::ofstream(scratch.path() / "notes.tmp") << "my notes\n";
    std::ofstream(scratch.path() / "victim.txt") << "precious\n";
    std::filesystem::create_symlink(scratch.path() / "victim.txt", scratch.path() / "sym.tmp");
    std::string notes = scratch.root() + "notes.idx";
    std::ofstream(notes) << "an old index";
    std::filesystem::permissions(
        notes, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    for (const char* output : {"notes.idx", "sym.idx"}) {
        Result r = cli(scratch, {"index", "--output", scratch.root() + output, tree.root()});
        EXPECT_EQ(r.status, 0) << r.err;
    }
    EXPECT_EQ(slurp(scratch.root() + "notes.tmp"), "my notes\n");
    EXPECT_EQ(slurp(scratch.root() + "victim.txt"), "precious\n");
    EXPECT_EQ(std::filesystem::status(notes).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    std::string fifo = scratch.root() + "pipe.idx";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Result piped = cli(scratch, {"index", "--output", fifo, tree.root()});
    EXPECT_EQ(piped.status, 1);
    EXPECT_NE(piped.err.find("is not a regular file"), std::string::npos) << piped.err;

    std::ofstream(scratch.path() / "a file") << "x";
    Result failed =
        cli(scratch, {"index", "--output", scratch.root() + "a file/x.idx", tree.root()});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("Not a directory"), std::string::npos) << failed.err;
    EXPECT_EQ(names_in(scratch),
              (std::set<std::string>{"notes.tmp", "victim.txt", "sym.tmp", "notes.idx", "sym.idx",
                                     "pipe.idx", "a file", "stdout", "stderr"}));
}

TEST(CliBinary, RunsWritingOneOutputAtOnceAllSucceed) {
    TempFolder tree, scratch;
    for (int i = 0; i < 200; ++i)
        tree.file("f" + std::to_string(i) + ".txt");
    std::string run = command_line({"index", "--output", scratch.root() + "same.idx", tree.root()});
    std::string script;
    for (int i = 0; i < 8; ++i)
        script += run + " 2>/dev/null & p" + std::to_string(i) + "=$!\n";
    script += "failed=0\n";
    for (int i = 0; i < 8; ++i)
        script += "wait $p" + std::to_string(i) + " || failed=$((failed + 1))\n";
    script += "exit $failed\n";
    std::ofstream(scratch.path() / "runs.sh") << script;
    int status = std::system(("sh " + quote(scratch.root() + "runs.sh")).c_str());
    EXPECT_EQ(WEXITSTATUS(status), 0) << "runs that failed";
    EXPECT_EQ(names_in(scratch), (std::set<std::string>{"same.idx", "runs.sh"}));
}

// Every root it accepts, it can read back: a path that is not UTF-8 is refused before anything
// is written; a backslash, an ordinary character in a Linux name, prints as it is.
TEST(CliBinary, RootsItCannotStoreAreRefusedAndBackslashesPrintRight) {
    TempFolder tree, scratch;
    tree.file("bad\xFF/inner.txt");
    tree.file("bs\\root/top.txt");
    std::string index = scratch.root() + "index.bin";
    Result bad = cli(scratch, {"index", "--output", index, tree.root() + "bad\xFF"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("bad\\xFF\" has a path that is not valid UTF-8"), std::string::npos)
        << bad.err;
    EXPECT_FALSE(std::filesystem::exists(index));

    ASSERT_EQ(cli(scratch, {"index", "--output", index, tree.root() + "bs\\root"}).status, 0);
    Result found = cli(scratch, {"search", "--index", index, "top"});
    EXPECT_EQ(found.out, tree.root() + "bs\\root/top.txt\n");
}

// A tree whose folder "locked" no one may list, beside "open", and a scratch folder for the
// index. Root reads every folder, so as root the program runs as the nobody user (`prefix`).
struct LockedTree {
    TempFolder tree, scratch;
    std::string prefix, index;

    LockedTree() {
        tree.file("locked/secret.txt");
        tree.file("open/visible.txt");
        std::filesystem::permissions(tree.path() / "locked", std::filesystem::perms::none);
        std::filesystem::permissions(scratch.path(), std::filesystem::perms::all);
        prefix = geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
        index = scratch.root() + "index.bin";
    }
    ~LockedTree() {
        std::filesystem::permissions(tree.path() / "locked", std::filesystem::perms::owner_all);
    }
};

// Folders that cannot be read are counted in the summary and named with --verbose; the index
// is written and the run succeeds.
TEST(CliBinary, UnreadableFoldersAreCountedAndNamedOnRequest) {
    LockedTree t;
    Result quiet = cli(t.scratch, {"index", "--output", t.index, t.tree.root()}, "", t.prefix);
    Result verbose =
        cli(t.scratch, {"index", "--verbose", "--output", t.index, t.tree.root()}, "", t.prefix);
    EXPECT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_NE(quiet.err.find("; 1 folder could not be read (--verbose names them)"),
              std::string::npos)
        << quiet.err;
    EXPECT_EQ(verbose.status, 0) << verbose.err;
    EXPECT_NE(verbose.err.find("cannot read " + t.tree.root() + "locked\n"), std::string::npos)
        << verbose.err;
}

// A folder given that cannot be listed at all yields no items because nothing could be read,
// not because it is empty: the run fails as for a missing folder, and writes no index.
TEST(CliBinary, AFolderGivenThatCannotBeReadFailsTheRun) {
    LockedTree t;
    const std::string locked = t.tree.root() + "locked";
    struct Case {
        std::vector<std::string> folders;
    };
    const Case cases[] = {{{locked}}, {{t.tree.root() + "open", locked}}};
    for (const Case& c : cases) {
        std::vector<std::string> args{"index", "--output", t.index};
        args.insert(args.end(), c.folders.begin(), c.folders.end());
        Result r = cli(t.scratch, args, "", t.prefix);
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find("\"" + locked + "/\" could not be read; no index was written"),
                  std::string::npos)
            << r.err;
        EXPECT_FALSE(std::filesystem::exists(t.index)) << c.folders.size() << " folders";
    }
}

// A script must not take a full disk or a closed output for an empty answer.
TEST(CliBinary, ResultsThatCannotBeWrittenFailTheRun) {
    TempFolder tree, scratch;
    tree.file("report.txt");
    std::string index = scratch.root() + "index.bin";
    ASSERT_EQ(cli(scratch, {"index", "--output", index, tree.root()}).status, 0);
    Result full = cli(scratch, {"search", "--index", index, "report"}, ">/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("cannot write the results: No space left on device"), std::string::npos)
        << full.err;
    Result closed = cli(scratch, {"search", "--index", index, "report"}, ">&-");
    EXPECT_EQ(closed.status, 1);
    EXPECT_NE(closed.err.find("cannot write the results"), std::string::npos) << closed.err;
}

// Names with a newline or a tab: --null keeps each path whole, tsv keeps one row per hit.
TEST(CliBinary, ScriptsReadEveryNameWhole) {
    TempFolder tree, scratch;
    tree.file("two\nlines.txt");
    tree.file("a\ttab.txt");
    std::string index = scratch.root() + "index.bin";
    ASSERT_EQ(cli(scratch, {"index", "--output", index, tree.root()}).status, 0);
    Result nul = cli(scratch, {"search", "--index", index, "--null", "--sort", "name", ".txt"});
    EXPECT_EQ(nul.out, tree.root() + "a\ttab.txt" + std::string(1, '\0') + tree.root() +
                           "two\nlines.txt" + std::string(1, '\0'));
    Result tsv =
        cli(scratch, {"search", "--index", index, "--format", "tsv", "--sort", "name", ".txt"});
    EXPECT_TRUE(tsv.out.starts_with(tree.root() + "a\\ttab.txt\tdocument\t1\t")) << tsv.out;
    EXPECT_NE(tsv.out.find("\n" + tree.root() + "two\\nlines.txt\tdocument\t1\t"),
              std::string::npos);
    EXPECT_EQ(std::count(tsv.out.begin(), tsv.out.end(), '\n'), 2);
}

}  // namespace
}  // namespace norvik
