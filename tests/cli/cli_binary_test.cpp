// norvik-cli as a shell runs it: the built program on a tree made by the test.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
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

Result cli(const TempFolder& scratch, const std::vector<std::string>& args) {
    std::string command = quote(NORVIK_CLI);
    for (const std::string& a : args)
        command += " " + quote(a);
    std::string out = scratch.root() + "stdout", err = scratch.root() + "stderr";
    command += " >" + quote(out) + " 2>" + quote(err);
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out), slurp(err)};
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

}  // namespace
}  // namespace norvik
