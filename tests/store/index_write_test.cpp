// Writing an index file never harms another file: the temporary file is new and private, links
// are never followed, what is not a regular file is never replaced, a replaced file keeps its
// permissions, and a failed write leaves nothing behind and says why.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include "store/file_io.h"
#include "store/index_codec.h"
#include "store/index_file.h"
#include "support/temp_folder.h"

namespace norvik {
namespace {

using testing::TempFolder;
using testing::u8path;

std::vector<VolumeTable> small_index() {
    VolumeTable table = VolumeTable::with_root("C:\\");
    for (int i = 0; i < 100; ++i)
        table.add_entry(0, "file " + std::to_string(i), FileFacts{.size = 1}, 0);
    std::vector<VolumeTable> tables;
    tables.push_back(std::move(table));
    return tables;
}

std::string read_file(const std::string& path) {
    std::ifstream in(u8path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::set<std::string> names_in(const TempFolder& folder) {
    std::set<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder.path()))
        names.insert(testing::utf8_of(item.path().filename()));
    return names;
}

TEST(IndexWrite, AFileWithTheTemporaryFilesNameIsLeftAlone) {
    TempFolder folder;
    folder.file("notes.tmp", "my notes");
    std::string output = folder.root() + "notes.idx";
    for (int run = 0; run < 2; ++run)
        ASSERT_TRUE(write_index_file(output, small_index()));
    EXPECT_EQ(read_file(folder.root() + "notes.tmp"), "my notes");
    EXPECT_EQ(names_in(folder), (std::set<std::string>{"notes.idx", "notes.tmp"}));
    EXPECT_EQ(load_index_file(output).status, LoadStatus::Loaded);
}

TEST(IndexWrite, UniqueTemporaryNamesSitBesideTheOutput) {
    std::string a = unique_temporary_path_for("/x/notes.idx", 1);
    std::string b = unique_temporary_path_for("/x/notes.idx", 2);
    EXPECT_NE(a, b);
    EXPECT_TRUE(a.starts_with("/x/notes.idx.")) << a;
    EXPECT_TRUE(a.ends_with(".tmp")) << a;
    EXPECT_NE(a, temporary_path_for("/x/notes.idx"));
}

TEST(IndexWrite, WhatIsNotARegularFileIsNeverReplaced) {
    TempFolder folder;
    folder.folder("a folder");
    std::string as_folder = folder.root() + "a folder";
    IoStatus refused = write_index_file(as_folder, small_index());
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.error().find("is a folder"), std::string::npos) << refused.error();
    EXPECT_TRUE(std::filesystem::is_directory(u8path(as_folder)));
#ifndef _WIN32
    std::string fifo = folder.root() + "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string victim = folder.root() + "victim.txt";
    folder.file("victim.txt", "precious");
    std::string link = folder.root() + "link.idx";
    std::filesystem::create_symlink(u8path(victim), u8path(link));
    for (const std::string& output : {fifo, link}) {
        IoStatus status = write_index_file(output, small_index());
        EXPECT_FALSE(status) << output;
        EXPECT_NE(status.error().find("not a regular file"), std::string::npos) << status.error();
    }
    // A device is refused by the same check; only the check is run on a real one, since the
    // tests may run as root, who could replace it.
    EXPECT_FALSE(check_replaceable("/dev/null"));
    EXPECT_EQ(std::filesystem::status(u8path(fifo)).type(), std::filesystem::file_type::fifo);
    EXPECT_TRUE(std::filesystem::is_symlink(u8path(link)));
    EXPECT_EQ(read_file(victim), "precious");
    EXPECT_EQ(names_in(folder),
              (std::set<std::string>{"a folder", "pipe", "victim.txt", "link.idx"}));
#endif
}

#ifndef _WIN32
// A link planted at the temporary file's name (sym.tmp -> victim.txt beside sym.idx, or a
// leftover index.tmp in the program's folder) must not send the index into its target.
TEST(IndexWrite, ALinkAtTheTemporaryNameIsNeverFollowed) {
    TempFolder folder;
    std::string victim = folder.root() + "victim.txt";
    folder.file("victim.txt", "precious");
    std::filesystem::create_symlink(u8path(victim), u8path(folder.root() + "sym.tmp"));
    std::filesystem::create_symlink(u8path(victim), u8path(folder.root() + "index.tmp"));

    ASSERT_TRUE(write_index_file(folder.root() + "sym.idx", small_index()));
    ASSERT_TRUE(
        write_index_file(folder.root() + "index.bin", small_index(), TemporaryName::Beside));
    EXPECT_EQ(read_file(victim), "precious");
    EXPECT_EQ(load_index_file(folder.root() + "sym.idx").status, LoadStatus::Loaded);
    EXPECT_EQ(load_index_file(folder.root() + "index.bin").status, LoadStatus::Loaded);
    EXPECT_TRUE(std::filesystem::is_symlink(u8path(folder.root() + "sym.tmp")));
}

TEST(IndexWrite, AReplacedFileKeepsItsPermissions) {
    TempFolder folder;
    std::string output = folder.root() + "private.idx";
    folder.file("private.idx", "old");
    std::filesystem::permissions(
        u8path(output), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    for (TemporaryName temporary : {TemporaryName::Unique, TemporaryName::Beside}) {
        ASSERT_TRUE(write_index_file(output, small_index(), temporary));
        EXPECT_EQ(file_mode(output), 0600u);
    }
    EXPECT_EQ(load_index_file(output).status, LoadStatus::Loaded);
}

// The disk filling up mid-write, made certain with a file-size limit: the old file stays, the
// temporary file goes, and the message carries the system's reason.
TEST(IndexWrite, AFailedWriteRemovesItsTemporaryFileAndSaysWhy) {
    TempFolder folder;
    std::string output = folder.root() + "out.idx";
    folder.file("out.idx", "old");
    std::vector<VolumeTable> big = small_index();
    for (int i = 0; i < 5000; ++i)
        big[0].add_entry(0, "another file " + std::to_string(i), FileFacts{}, 0);

    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    IoStatus status = write_index_file(output, big);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);

    EXPECT_FALSE(status);
    EXPECT_NE(status.error().find("File too large"), std::string::npos) << status.error();
    EXPECT_EQ(read_file(output), "old");
    EXPECT_EQ(names_in(folder), std::set<std::string>{"out.idx"});
}
#endif

}  // namespace
}  // namespace norvik
