// The scan of real folders made by the test: natively through opendir/readdir/fstatat, and in
// the Windows build through FindFirstFileExW under Wine, on a Z:\ folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "index/scan.h"
#include "support/fake_tree.h"
#include "support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace norvik {
namespace {

using testing::expect_contiguous_runs;
using testing::TempFolder;
using testing::u8path;

// 한글 in conjoining jamo (NFD), as macOS and some archivers write it; 한글 composed.
constexpr std::string_view DECOMPOSED =
    "\xE1\x84\x92\xE1\x85\xA1\xE1\x86\xAB\xE1\x84\x80\xE1\x85\xB3\xE1\x86\xAF";
constexpr std::string_view COMPOSED = "\xED\x95\x9C\xEA\xB8\x80";

std::optional<VolumeTable> scan(const TempFolder& folder, unsigned workers = 2) {
    ScanOptions options;
    options.workers = workers;
    std::atomic<uint64_t> items{0};
    std::atomic<bool> stop{false};
    options.items_read = &items;
    options.exit_requested = &stop;
    std::optional<VolumeTable> table = scan_root(folder.root(), options);
    if (table) {
        EXPECT_EQ(items.load(), table->size() - 1);
    }
    return table;
}

// The on-disk path of an entry: the root folder, then the display names below it.
std::filesystem::path disk_path(const TempFolder& folder, const VolumeTable& table,
                                uint32_t index) {
    std::vector<std::string_view> names;
    for (uint32_t at = index; at != 0; at = table.entries[at].parent) {
        names.push_back(table.display_name(at));
    }
    std::filesystem::path path = folder.path();
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        path /= u8path(*it);
    return path;
}

bool has_name(const VolumeTable& table, std::string_view wanted) {
    for (uint32_t i = 0; i < table.size(); ++i) {
        if (testing::ascii_iequal(table.display_name(i), wanted)) return true;
    }
    return false;
}

TEST(ScanDisk, WalksARealTree) {
    TempFolder folder;
    folder.file("a/b/c/deep.txt", "12345");
    folder.file("a/top.jpg", "1");
    folder.folder("empty");
    folder.file(".hidden", "");
    folder.file(std::string(DECOMPOSED) + ".txt", "kor");
    folder.file(std::string(DECOMPOSED) + "/inside.txt", "k2");
    for (const char* excluded :
         {"$RECYCLE.BIN/x.txt", "a/$recycle.bin/x.txt", "a/b/System Volume Information/x.txt",
          "a/b/c/SYSTEM VOLUME INFORMATION/x.txt", "a/$Recycle.Bin/y"}) {
        folder.file(excluded, "gone");
    }

    std::optional<VolumeTable> result = scan(folder);
    ASSERT_TRUE(result);
    const VolumeTable& table = *result;
    EXPECT_EQ(table.root, folder.root());
    expect_contiguous_runs(table);

    // Every entry names a real item.
    for (uint32_t i = 1; i < table.size(); ++i) {
        std::filesystem::path path = disk_path(folder, table, i);
        std::error_code error;
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(path, error)))
            << testing::utf8_of(path);
    }
    EXPECT_FALSE(has_name(table, "$recycle.bin"));
    EXPECT_FALSE(has_name(table, "System Volume Information"));
    EXPECT_FALSE(has_name(table, "x.txt"));

    uint32_t deep = *table.find_path("a\\b\\c\\deep.txt");
    EXPECT_EQ(table.entries[deep].size, 5u);
    EXPECT_GT(table.entries[deep].mtime, 1600000000u);
    EXPECT_EQ(table.entries[*table.find_path("empty")].size, 0u);
    EXPECT_TRUE(table.entries[*table.find_path(".hidden")].flags & FLAG_HIDDEN);
    EXPECT_FALSE(table.entries[deep].flags & FLAG_HIDDEN);

    // A decomposed Korean name is stored composed and displayed as found on disk; paths from
    // the file system (as the watcher reports them) find it by that form.
    std::optional<uint32_t> korean = table.find_path(std::string(DECOMPOSED) + ".txt");
    ASSERT_TRUE(korean);
    const Entry& k = table.entries[*korean];
    EXPECT_EQ(table.stored_name(*korean), std::string(COMPOSED) + ".txt");
    EXPECT_EQ(table.display_name(*korean), std::string(DECOMPOSED) + ".txt");
    EXPECT_EQ(k.flags & (FLAG_HANGUL | FLAG_DISPLAY_NAME), FLAG_HANGUL | FLAG_DISPLAY_NAME);
    EXPECT_EQ(k.size, 3u);
    std::optional<uint32_t> inside = table.find_path(std::string(DECOMPOSED) + "\\inside.txt");
    ASSERT_TRUE(inside);
    EXPECT_TRUE(std::filesystem::exists(disk_path(folder, table, *inside)));
}

TEST(ScanDisk, FolderLinkIsAnEntryThatIsNeverEntered) {
    TempFolder folder;
    folder.file("target/t.txt");
    std::error_code error;
    std::filesystem::create_directory_symlink(folder.path() / "target", folder.path() / "link",
                                              error);
    if (error) GTEST_SKIP() << "cannot make a folder link here: " << error.message();
    // A link back to its own folder would loop forever if it were entered.
    std::filesystem::create_directory_symlink(folder.path(), folder.path() / "target" / "loop",
                                              error);
    ASSERT_FALSE(error);

    std::optional<VolumeTable> result = scan(folder);
    ASSERT_TRUE(result);
    const VolumeTable& table = *result;
    for (const char* path : {"link", "target\\loop"}) {
        std::optional<uint32_t> link = table.find_path(path);
        ASSERT_TRUE(link) << path;
        EXPECT_EQ(table.entries[*link].flags & (FLAG_DIR | FLAG_LINK), FLAG_DIR | FLAG_LINK)
            << path;
        EXPECT_TRUE(table.children(*link).empty()) << path;
    }
    EXPECT_EQ(table.size(), 5u);  // root, target, t.txt, loop, link
    expect_contiguous_runs(table);
}

// Run by wine_links.sh in the Windows build: Linux links to folders (one to a parent, one to
// itself) seen through Wine carry a reparse tag of 0, and must not be entered either.
TEST(ScanDisk, LinuxFolderLinksUnderWine) {
    const char* tree = std::getenv("NORVIK_LINK_TREE");
    if (!tree) GTEST_SKIP() << "only with the tree wine_links.sh makes";
    std::string root = std::string(tree) + "\\";
    ScanOptions options;
    std::atomic<uint64_t> items{0};
    std::atomic<bool> stop{false};
    options.items_read = &items;
    options.exit_requested = &stop;
    std::optional<VolumeTable> table = scan_root(root, options);
    ASSERT_TRUE(table);
    for (const char* path : {"link", "target\\loop", "target\\self"}) {
        std::optional<uint32_t> link = table->find_path(path);
        ASSERT_TRUE(link) << path;
        EXPECT_EQ(table->entries[*link].flags & (FLAG_DIR | FLAG_LINK), FLAG_DIR | FLAG_LINK)
            << path;
        EXPECT_TRUE(table->children(*link).empty()) << path;
    }
    EXPECT_EQ(table->size(), 6u);  // root, target, t.txt, loop, self, link
}

#ifdef _WIN32
// A rescan's worker gives way to the user's searches: in the background mode, or, where the
// system refuses it (Wine), at a priority below normal; and it leaves at the priority it had.
TEST(ScanDisk, BackgroundWorkerYieldsAndRestoresItsPriority) {
    const HANDLE thread = GetCurrentThread();
    const bool granted = SetThreadPriority(thread, THREAD_MODE_BACKGROUND_BEGIN) != FALSE;
    if (granted) SetThreadPriority(thread, THREAD_MODE_BACKGROUND_END);
    const int before = GetThreadPriority(thread);
    begin_background_mode();
    if (!granted) {
        EXPECT_LT(GetThreadPriority(thread), THREAD_PRIORITY_NORMAL);
    }
    end_background_mode();
    EXPECT_EQ(GetThreadPriority(thread), before);
}
#endif

TEST(ScanDisk, MissingRootGivesTheRootEntryOnly) {
    TempFolder folder;
    std::filesystem::path missing = folder.path() / "missing";
    ScanOptions options;
    std::atomic<uint64_t> items{0};
    std::atomic<bool> stop{false};
    options.items_read = &items;
    options.exit_requested = &stop;
    std::string root = testing::utf8_of(missing);
    root.push_back(static_cast<char>(std::filesystem::path::preferred_separator));
    std::optional<VolumeTable> table = scan_root(root, options);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->size(), 1u);
    EXPECT_EQ(table->entries[0].size, 0u);
}

#ifndef _WIN32
// Scans folder and reports whether "locked" came out as an entry without children while
// "open\visible.txt" was found. Root reads mode-000 folders, so as root the scan runs in a child
// process that has given up root for the nobody user.
bool locked_folder_is_childless(const TempFolder& folder) {
    auto check = [&] {
        std::optional<VolumeTable> table = scan(folder);
        if (!table) return false;
        std::optional<uint32_t> at = table->find_path("locked");
        return at && table->children(*at).empty() && table->entries[*at].size == 0 &&
               table->find_path("open\\visible.txt").has_value();
    };
    if (geteuid() != 0) return check();
    pid_t child = fork();
    if (child == 0) {
        bool ok = setgid(65534) == 0 && setuid(65534) == 0 && check();
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

TEST(ScanDisk, UnreadableFolderIsAnEntryWithoutChildren) {
    TempFolder folder;
    folder.file("locked/secret.txt");
    folder.file("open/visible.txt");
    std::filesystem::path locked = folder.path() / "locked";
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    bool childless = locked_folder_is_childless(folder);
    chmod(locked.c_str(), 0755);
    EXPECT_TRUE(childless);
    // The same tree readable again: the folder has its child.
    std::optional<VolumeTable> table = scan(folder);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->children(*table->find_path("locked")).size(), 1u);
}

// Folders nested deeper than the system takes in one path (PATH_MAX bytes): every level is
// listed, and the file at the bottom is found.
TEST(ScanDisk, FoldersDeeperThanThePathLimitAreAllIndexed) {
    TempFolder folder;
    constexpr int LEVELS = 800;  // "level/" 800 times: 4,800 bytes of path, past 4,096
    // Made one level at a time relative to the one above: no call could take the whole path.
    int fd = open(folder.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < LEVELS && fd >= 0; ++i) {
        ASSERT_EQ(mkdirat(fd, "level", 0755), 0) << i;
        int next = openat(fd, "level", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        close(fd);
        fd = next;
    }
    ASSERT_GE(fd, 0);
    int file = openat(fd, "bottom.txt", O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    EXPECT_GE(file, 0);
    close(file);
    close(fd);

    std::optional<VolumeTable> table = scan(folder);
    // rm takes trees of any depth; TempFolder's removal goes by whole paths.
    std::string remove = "rm -rf '" + testing::utf8_of(folder.path()) + "/level'";
    EXPECT_EQ(std::system(remove.c_str()), 0);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->size(), 1u + LEVELS + 1u);
    std::string deepest(LEVELS * 6, '\\');
    for (int i = 0; i < LEVELS; ++i)
        deepest.replace(i * 6, 5, "level");
    EXPECT_TRUE(table->find_path(deepest + "bottom.txt"));
}

// Linux names are bytes; the table keeps valid UTF-8, and a folder with such a name is still
// entered by its real bytes.
TEST(ScanDisk, InvalidUtf8NamesBecomeReplacementCharacters) {
    TempFolder folder;
    std::string bad = "bad\xFF\xFEname";
    std::filesystem::create_directories(folder.path() / bad);
    folder.file(bad + "/inner.txt");
    std::optional<VolumeTable> table = scan(folder);
    ASSERT_TRUE(table);
    std::optional<uint32_t> at = table->find_path("bad\xEF\xBF\xBD\xEF\xBF\xBDname");
    ASSERT_TRUE(at);
    ASSERT_EQ(table->children(*at).size(), 1u);
    EXPECT_EQ(table->display_name(table->children(*at)[0]), "inner.txt");
}
#endif

}  // namespace
}  // namespace norvik
