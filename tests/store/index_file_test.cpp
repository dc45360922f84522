#include "store/index_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "index/changes.h"
#include "store/index_codec.h"
#include "store/index_format.h"
#include "support/fake_tree.h"
#include "support/temp_folder.h"

namespace norvik {
namespace {

using testing::FakeTree;
using testing::file_facts;
using testing::folder_facts;
using testing::TempFolder;

constexpr std::string_view DECOMPOSED_HANGUL =
    "\xE1\x84\x92\xE1\x85\xA1\xE1\x86\xAB\xE1\x84\x80\xE1\x85\xB3\xE1\x86\xAF";  // 한글, NFD

// A table with everything the format carries: multi-byte names, a display name, late children,
// tombstones.
VolumeTable rich_table(std::string root) {
    FakeTree tree(root);
    tree.add_folder("docs");
    tree.add_file("docs\\보고서.hwp", 2048, 1700000000);
    tree.add_file("docs\\" + std::string(DECOMPOSED_HANGUL) + ".txt", 10, 1700000001);
    tree.add_folder("docs\\Ärger");
    tree.add_file("docs\\Ärger\\x.zip", 99, 5);
    tree.add_folder("empty");
    tree.add_file("gone.txt");
    VolumeTable table = tree.scan(1);
    apply_changes(table,
                  {Change::added("docs\\late.txt", file_facts(1, 2)), Change::removed("gone.txt"),
                   Change::renamed("docs\\Ärger", "empty\\Ärger", folder_facts(6))});
    return table;
}

std::vector<VolumeTable> sample_index() {
    std::vector<VolumeTable> tables;
    tables.push_back(rich_table("C:\\"));
    tables.push_back(rich_table("D:\\"));
    return tables;
}

std::span<const uint8_t> as_bytes(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

std::optional<std::vector<VolumeTable>> decode(const std::string& bytes) {
    return decode_index(as_bytes(bytes));
}

void expect_same_tables(const std::vector<VolumeTable>& a, const std::vector<VolumeTable>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t t = 0; t < a.size(); ++t) {
        const VolumeTable& x = a[t];
        const VolumeTable& y = b[t];
        EXPECT_EQ(x.root, y.root);
        EXPECT_EQ(x.live_count, y.live_count);
        ASSERT_EQ(x.entries.size(), y.entries.size());
        EXPECT_EQ(std::memcmp(x.entries.data(), y.entries.data(), x.entries.size() * 24), 0);
        EXPECT_EQ(x.names, y.names);
        EXPECT_EQ(x.display_names, y.display_names);
        EXPECT_EQ(x.late_children, y.late_children);
        EXPECT_EQ(y.table_id, 0u);
    }
}

// Where the fields of each table sit in a valid file, to damage one of them on purpose.
struct TableLayout {
    size_t root_length, live_count, entries_length, entries, names_length, names, display_count,
        late_count, end;
};

std::vector<TableLayout> layout_of(const std::string& bytes) {
    auto u32_at = [&](size_t at) {
        uint32_t v;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    };
    auto u64_at = [&](size_t at) {
        uint64_t v;
        std::memcpy(&v, bytes.data() + at, 8);
        return v;
    };
    std::vector<TableLayout> tables;
    size_t at = INDEX_HEADER_BYTES;
    for (uint32_t t = 0; t < u32_at(8); ++t) {
        TableLayout l;
        l.root_length = at;
        l.live_count = at + 8 + u64_at(at);
        l.entries_length = l.live_count + 4;
        l.entries = l.entries_length + 8;
        l.names_length = l.entries + u64_at(l.entries_length);
        l.names = l.names_length + 8;
        l.display_count = l.names + u64_at(l.names_length);
        at = l.display_count + 4;
        for (uint32_t i = 0; i < u32_at(l.display_count); ++i)
            at += 4 + 8 + u64_at(at + 4);
        l.late_count = at;
        at += 4;
        for (uint32_t i = 0; i < u32_at(l.late_count); ++i)
            at += 8 + 4 * size_t{u32_at(at + 4)};
        l.end = at;
        tables.push_back(l);
    }
    EXPECT_EQ(at, bytes.size());
    return tables;
}

template <class T>
void put_at(std::string& bytes, size_t at, T value) {
    std::memcpy(bytes.data() + at, &value, sizeof value);
}

template <class T>
T get_at(const std::string& bytes, size_t at) {
    T value;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

// Offset of the record of the first entry whose stored name starts with a multi-byte character.
size_t multibyte_entry(const std::string& bytes, const TableLayout& l) {
    size_t count = get_at<uint64_t>(bytes, l.entries_length) / 24;
    for (size_t i = 0; i < count; ++i) {
        size_t record = l.entries + 24 * i;
        uint32_t offset = get_at<uint32_t>(bytes, record + 8);
        uint16_t length = get_at<uint16_t>(bytes, record + 20);
        if (length > 1 && static_cast<unsigned char>(bytes[l.names + offset]) >= 0x80)
            return record;
    }
    ADD_FAILURE() << "no entry with a multi-byte name";
    return l.entries;
}

TEST(IndexCodec, RoundTripKeepsEveryTableExactly) {
    std::vector<VolumeTable> tables = sample_index();
    std::string bytes = encode_index(tables);
    EXPECT_EQ(get_at<uint64_t>(bytes, 0), INDEX_MAGIC);
    EXPECT_EQ(bytes.substr(0, 8), std::string("NORVIK\0\x01", 8));
    std::optional<std::vector<VolumeTable>> loaded = decode(bytes);
    ASSERT_TRUE(loaded);
    expect_same_tables(tables, *loaded);
    // With at most one item in each map the map order cannot differ: the same bytes again.
    ASSERT_EQ(tables[0].display_names.size(), 1u);
    ASSERT_EQ(tables[0].late_children.size(), 2u);
    tables[0].late_children.erase(tables[0].late_children.begin());
    tables[1].late_children.clear();
    bytes = encode_index(tables);
    EXPECT_EQ(encode_index(*decode(bytes)), bytes);
}

// A folder's name lookup lives only in memory: the bytes are those of the table without it, and
// a loaded table starts with none and builds its own.
TEST(IndexCodec, NameLookupsAreNeitherSavedNorLoaded) {
    FakeTree tree;
    tree.add_folder("big");
    for (int i = 0; i < 600; ++i)
        tree.add_file("big\\file" + std::to_string(i) + ".txt", 1, 1700000000);
    VolumeTable table = tree.scan(1);
    apply_changes(table, {Change::added("big\\new.txt", file_facts(3, 4)),
                          Change::renamed("big\\file7.txt", "big\\Seven.txt", file_facts(1, 5))});
    ASSERT_GT(table.child_lookup_count(), 0u);
    std::string bytes = encode_index({table});
    VolumeTable without = table;
    without.drop_child_lookups();
    EXPECT_EQ(encode_index({without}), bytes);

    std::optional<std::vector<VolumeTable>> loaded = decode(bytes);
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->size(), 1u);
    VolumeTable& back = (*loaded)[0];
    EXPECT_EQ(back.child_lookup_count(), 0u);
    EXPECT_EQ(back.find_path("BIG\\seven.TXT"), table.find_path("big\\Seven.txt"));
    EXPECT_EQ(back.find_path("big\\New.txt"), table.find_path("big\\new.txt"));
    EXPECT_EQ(back.find_path("big\\file7.txt"), std::nullopt);
    EXPECT_GT(back.child_lookup_count(), 0u);
}

// The first change after loading lands under the write lock: it must not move the whole table.
TEST(IndexCodec, LoadedTablesHaveRoomForTheFirstAdditions) {
    std::optional<std::vector<VolumeTable>> loaded = decode(encode_index(sample_index()));
    ASSERT_TRUE(loaded);
    VolumeTable& table = (*loaded)[0];
    const Entry* entries_before = table.entries.data();
    const char* names_before = table.names.data();
    for (int i = 0; i < 100; ++i)
        table.add_entry(0, "new file " + std::to_string(i) + ".txt", FileFacts{}, 0);
    EXPECT_EQ(table.entries.data(), entries_before);
    EXPECT_EQ(table.names.data(), names_before);
}

TEST(IndexCodec, EmptyIndexAndLayout) {
    std::string empty = encode_index({});
    EXPECT_EQ(empty.size(), INDEX_HEADER_BYTES);
    ASSERT_TRUE(decode(empty));
    EXPECT_TRUE(decode(empty)->empty());

    VolumeTable root_only = VolumeTable::with_root("C:\\");
    std::string bytes = encode_index({root_only});
    // header, root (8 + 3), live count, entries (8 + 24), names (8 + 2), 0 display, 0 late.
    EXPECT_EQ(bytes.size(), 12u + 11 + 4 + 32 + 10 + 4 + 4);
    std::vector<TableLayout> l = layout_of(bytes);
    EXPECT_EQ(bytes.substr(l[0].root_length + 8, 3), "C:\\");
    EXPECT_EQ(get_at<uint32_t>(bytes, l[0].live_count), 1u);
    EXPECT_EQ(bytes.substr(l[0].names, 2), "C:");
}

TEST(IndexCodec, EveryTruncationRejectsTheWholeFile) {
    std::string bytes = encode_index(sample_index());
    for (size_t length = 0; length < bytes.size(); ++length) {
        EXPECT_FALSE(decode(bytes.substr(0, length))) << "cut at " << length;
    }
}

TEST(IndexCodec, DamageRejectsTheWholeFile) {
    const std::string good = encode_index(sample_index());
    const std::vector<TableLayout> l = layout_of(good);
    ASSERT_EQ(l.size(), 2u);
    const uint64_t count = get_at<uint64_t>(good, l[1].entries_length) / 24;
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
    };
    const Case cases[] = {
        {"wrong magic", [](std::string& b) { b[6] = 0x01; }},
        {"magic of another version", [](std::string& b) { b[7] = 0x02; }},
        {"entries length 25",
         [&](std::string& b) { put_at<uint64_t>(b, l[1].entries_length, 25); }},
        {"entries length 0", [&](std::string& b) { put_at<uint64_t>(b, l[1].entries_length, 0); }},
        {"entries length past the end",
         [&](std::string& b) { put_at<uint64_t>(b, l[1].entries_length, 24ull << 40); }},
        {"root length past the end",
         [&](std::string& b) { put_at<uint64_t>(b, l[1].root_length, ~0ull); }},
        {"names length past the end",
         [&](std::string& b) { put_at<uint64_t>(b, l[1].names_length, ~0ull - 7); }},
        {"name range ending inside a character",
         [&](std::string& b) { put_at<uint16_t>(b, multibyte_entry(b, l[1]) + 20, 1); }},
        {"name range starting inside a character",
         [&](std::string& b) {
             size_t record = multibyte_entry(b, l[1]);
             put_at<uint32_t>(b, record + 8, get_at<uint32_t>(b, record + 8) + 1);
             put_at<uint16_t>(b, record + 20, get_at<uint16_t>(b, record + 20) - 1);
         }},
        {"name range past the arena",
         [&](std::string& b) { put_at<uint32_t>(b, l[1].entries + 24 + 8, 1u << 30); }},
        {"parent equal to the entry count",
         [&](std::string& b) {
             put_at<uint32_t>(b, l[1].entries + 24 + 12, static_cast<uint32_t>(count));
         }},
        {"invalid UTF-8 in the arena", [&](std::string& b) { b[l[1].names + 1] = '\xFF'; }},
        {"invalid UTF-8 in a root", [&](std::string& b) { b[l[1].root_length + 8] = '\xC0'; }},
        {"display-name index equal to the entry count",
         [&](std::string& b) {
             put_at<uint32_t>(b, l[1].display_count + 4, static_cast<uint32_t>(count));
         }},
        {"display name in invalid UTF-8",
         [&](std::string& b) { b[l[1].display_count + 4 + 4 + 8] = '\x80'; }},
        {"display name length past the end",
         [&](std::string& b) { put_at<uint64_t>(b, l[1].display_count + 8, 1ull << 62); }},
        {"display-name count past the end",
         [&](std::string& b) { put_at<uint32_t>(b, l[1].display_count, 0xFFFFFFFF); }},
        {"late child equal to the entry count",
         [&](std::string& b) {
             put_at<uint32_t>(b, l[1].late_count + 4 + 8, static_cast<uint32_t>(count));
         }},
        {"late-children count past the end",
         [&](std::string& b) { put_at<uint32_t>(b, l[1].late_count + 4 + 4, 0xFFFFFFFF); }},
        {"table count past the end", [&](std::string& b) { put_at<uint32_t>(b, 8, 3); }},
    };
    for (const Case& c : cases) {
        std::string bytes = good;
        c.damage(bytes);
        ASSERT_NE(bytes, good) << c.what;
        EXPECT_FALSE(decode(bytes)) << c.what;
    }
}

TEST(IndexCodec, AcceptedOddities) {
    const std::string good = encode_index(sample_index());
    const std::vector<TableLayout> l = layout_of(good);
    // A late-children list under a folder index out of range is accepted as it stands.
    std::string bytes = good;
    put_at<uint32_t>(bytes, l[1].late_count + 4, 0xFFFFFF00);
    std::optional<std::vector<VolumeTable>> loaded = decode(bytes);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE((*loaded)[1].late_children.contains(0xFFFFFF00));
    // Fewer tables declared than present: the rest is never read.
    bytes = good;
    put_at<uint32_t>(bytes, 8, 1);
    loaded = decode(bytes);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->size(), 1u);
}

TEST(IndexCodec, TablesMustBeInRootOrderWithoutDuplicates) {
    std::vector<VolumeTable> tables = sample_index();
    std::swap(tables[0], tables[1]);
    EXPECT_FALSE(decode(encode_index(tables)));
    tables[0] = rich_table("C:\\");
    tables[1] = rich_table("C:\\");
    EXPECT_FALSE(decode(encode_index(tables)));
}

TEST(IndexCodec, MoreThanSixtyFourTablesReadsTheFirstSixtyFour) {
    std::vector<VolumeTable> tables;
    for (int i = 0; i < 70; ++i) {
        char root[16];
        std::snprintf(root, sizeof root, "R%02d:\\", i);
        tables.push_back(VolumeTable::with_root(root));
    }
    std::optional<std::vector<VolumeTable>> loaded = decode(encode_index(tables));
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->size(), 64u);
    EXPECT_EQ(loaded->back().root, "R63:\\");
}

TEST(IndexCodec, Utf8Validation) {
    struct Case {
        std::string_view text;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"plain ascii longer than eight bytes", true},
        {"보고서.hwp", true},
        {"\xF0\x9F\x98\x80 emoji", true},
        {"\xF4\x8F\xBF\xBF", true},   // U+10FFFF
        {"\xF4\x90\x80\x80", false},  // above U+10FFFF
        {"\xC0\xAF", false},          // overlong '/'
        {"\xE0\x80\xAF", false},      // overlong
        {"\xED\xA0\x80", false},      // a surrogate
        {"\xEF\xBF\xBD", true},       // U+FFFD itself
        {"abcdefgh\x80", false},      // a stray continuation after a fast block
        {"\xE1\x84", false},          // cut short
        {"\xF5\x80\x80\x80", false},
        {"\xFF", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(is_valid_utf8(c.text), c.valid) << c.text;
}

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(IndexFile, WritesExactlyTheEncodedBytesAndLoadsThemBack) {
    TempFolder folder;
    std::vector<VolumeTable> tables = sample_index();
    // A table larger than the 1 MiB buffers, so whole blocks bypass them both ways.
    FakeTree big("E:\\");
    for (int i = 0; i < 60000; ++i)
        big.add_file("file number " + std::to_string(i) + ".txt", i);
    tables.push_back(big.scan(2));
    std::string path = folder.root() + "nested" +
                       std::string(1, std::filesystem::path::preferred_separator) + "index.bin";
    ASSERT_TRUE(write_index_file(path, tables));
    EXPECT_EQ(read_file(testing::u8path(path)), encode_index(tables));
    LoadResult loaded = load_index_file(path);
    ASSERT_EQ(loaded.status, LoadStatus::Loaded);
    expect_same_tables(tables, loaded.tables);
    EXPECT_FALSE(std::filesystem::exists(testing::u8path(temporary_path_for(path))));
}

TEST(IndexFile, MissingAndDamagedFiles) {
    TempFolder folder;
    std::string path = folder.root() + "index.bin";
    EXPECT_EQ(load_index_file(path).status, LoadStatus::Missing);
    std::string bytes = encode_index(sample_index());
    bytes.resize(bytes.size() - 1);
    std::ofstream(testing::u8path(path), std::ios::binary) << bytes;
    LoadResult result = load_index_file(path);
    EXPECT_EQ(result.status, LoadStatus::Damaged);
    EXPECT_TRUE(result.tables.empty());
}

class SaveIndex : public ::testing::Test {
  protected:
    SaveIndex() {
        path = folder.root() + "index.bin";
        index.replace_or_insert(rich_table("C:\\"));
    }
    TempFolder folder;
    std::string path;
    Index index;
    std::atomic<bool> dirty{true};
};

TEST_F(SaveIndex, SavingTwiceWithoutAChangeWritesOnce) {
    EXPECT_EQ(save_index(index, dirty, path), SaveOutcome::Written);
    EXPECT_FALSE(dirty.load());
    std::filesystem::remove(testing::u8path(path));
    EXPECT_EQ(save_index(index, dirty, path), SaveOutcome::Unchanged);
    EXPECT_FALSE(std::filesystem::exists(testing::u8path(path)));
    dirty = true;
    EXPECT_EQ(save_index(index, dirty, path), SaveOutcome::Written);
    EXPECT_EQ(load_index_file(path).status, LoadStatus::Loaded);
}

TEST_F(SaveIndex, AFailedSaveKeepsTheOldFileAndRetriesLater) {
    ASSERT_EQ(save_index(index, dirty, path), SaveOutcome::Written);
    std::string before = read_file(testing::u8path(path));
    index.replace_or_insert(rich_table("D:\\"));
    dirty = true;
    // index.tmp cannot be created while a folder with something in it has its name.
    std::filesystem::create_directory(testing::u8path(temporary_path_for(path)));
    std::ofstream(testing::u8path(temporary_path_for(path)) / "inside") << "x";
    SaveResult failed = save_index(index, dirty, path, TemporaryName::Beside);
    EXPECT_EQ(failed, SaveOutcome::Failed);
    EXPECT_NE(failed.error.find(temporary_path_for(path)), std::string::npos) << failed.error;
    EXPECT_TRUE(dirty.load());
    EXPECT_EQ(read_file(testing::u8path(path)), before);
    std::filesystem::remove_all(testing::u8path(temporary_path_for(path)));
    EXPECT_EQ(save_index(index, dirty, path, TemporaryName::Beside), SaveOutcome::Written);
    EXPECT_EQ(load_index_file(path).tables.size(), 2u);
}

TEST_F(SaveIndex, ALeftoverTemporaryFileIsHarmless) {
    ASSERT_EQ(save_index(index, dirty, path), SaveOutcome::Written);
    std::ofstream(testing::u8path(temporary_path_for(path)), std::ios::binary)
        << "NORVIK half a file from a crash";
    LoadResult loaded = load_index_file(path);  // the complete file is what loads
    ASSERT_EQ(loaded.status, LoadStatus::Loaded);
    expect_same_tables(index.tables, loaded.tables);
    dirty = true;
    EXPECT_EQ(save_index(index, dirty, path, TemporaryName::Beside), SaveOutcome::Written);
    EXPECT_FALSE(std::filesystem::exists(testing::u8path(temporary_path_for(path))));
    EXPECT_EQ(load_index_file(path).status, LoadStatus::Loaded);
}

// Watchers and publications take the index lock for writing; a save must make them wait for
// the encoding only, never for the disk: the write, the flush and the rename happen with the
// lock free, and write the bytes of the snapshot taken under it.
TEST_F(SaveIndex, TheIndexLockIsFreeWhileTheFileIsWritten) {
    std::string expected = encode_index(index.tables);
    int writes = 0;
    IndexBytesWriter write = [&](const std::string& to, std::string_view bytes,
                                 TemporaryName temporary) {
        ++writes;
        bool free = index.lock.try_lock();
        EXPECT_TRUE(free) << "a writer of the index would wait for the disk";
        if (free) {
            index.tables[0].add_entry(0, "added while the file is written", FileFacts{}, 0);
            index.lock.unlock();
        }
        EXPECT_EQ(bytes, expected);
        return write_index_bytes(to, bytes, temporary);
    };
    EXPECT_EQ(save_index(index, dirty, path, TemporaryName::Beside, write), SaveOutcome::Written);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(read_file(testing::u8path(path)), expected);
}

TEST_F(SaveIndex, AFolderInTheWayOfTheFileFails) {
    std::string blocked = folder.root() + "file" +
                          std::string(1, std::filesystem::path::preferred_separator) + "index.bin";
    std::ofstream(folder.path() / "file") << "a file where the folder should be";
    EXPECT_EQ(save_index(index, dirty, blocked), SaveOutcome::Failed);
    EXPECT_TRUE(dirty.load());
}

TEST(IndexPath, TemporaryPath) {
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"index.bin", "index.tmp"},
        {"C:\\Users\\a\\AppData\\Local\\Norvik\\index.bin",
         "C:\\Users\\a\\AppData\\Local\\Norvik\\index.tmp"},
        {"/tmp/Norvik/index.bin", "/tmp/Norvik/index.tmp"},
        {"/tmp/my.dir/index", "/tmp/my.dir/index.tmp"},
        {"out.v2.bin", "out.v2.tmp"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(temporary_path_for(c.path), c.expected) << c.path;
}

void set_environment(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value ? value : "");
#else
    if (value) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
#endif
}

TEST(IndexPath, UnderLocalAppDataOrTheTemporaryFolder) {
    const char* saved = std::getenv("LOCALAPPDATA");
    std::string saved_value = saved ? saved : "";
    char sep = static_cast<char>(std::filesystem::path::preferred_separator);
    std::string tail = std::string(1, sep) + "Norvik" + sep + "index.bin";

    set_environment("LOCALAPPDATA", "/some/where");
    EXPECT_EQ(index_path(), "/some/where" + tail);
    set_environment("LOCALAPPDATA", nullptr);
    std::string fallback = index_path();
    EXPECT_TRUE(fallback.ends_with(tail)) << fallback;
    EXPECT_NE(fallback.find_first_not_of(sep), std::string::npos);
    EXPECT_FALSE(fallback.starts_with("/some/where"));

    set_environment("LOCALAPPDATA", saved ? saved_value.c_str() : nullptr);
}

#ifndef _WIN32
// Without LOCALAPPDATA the index goes to the user's own cache folder, never to a shared folder
// such as /tmp where another user could plant a link at its name.
TEST(IndexPath, NativelyInTheUsersCacheFolder) {
    struct Case {
        const char* xdg_cache_home;
        const char* home;
        std::string expected_folder;
    };
    const Case cases[] = {
        {"/cache/me", "/home/me", "/cache/me"},
        {"relative/cache", "/home/me", "/home/me/.cache"},  // only an absolute one counts
        {nullptr, "/home/me", "/home/me/.cache"},
    };
    const char* names[] = {"LOCALAPPDATA", "XDG_CACHE_HOME", "HOME"};
    std::vector<std::optional<std::string>> saved;
    for (const char* name : names) {
        const char* value = std::getenv(name);
        saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
    }
    set_environment("LOCALAPPDATA", nullptr);
    for (const Case& c : cases) {
        set_environment("XDG_CACHE_HOME", c.xdg_cache_home);
        set_environment("HOME", c.home);
        EXPECT_EQ(index_path(), c.expected_folder + "/Norvik/index.bin");
    }
    set_environment("XDG_CACHE_HOME", nullptr);
    set_environment("HOME", nullptr);
    std::string without_home = index_path();  // the account's home from the user database
    EXPECT_TRUE(without_home.ends_with("/.cache/Norvik/index.bin")) << without_home;
    EXPECT_FALSE(without_home.starts_with("/tmp")) << without_home;
    for (size_t i = 0; i < saved.size(); ++i)
        set_environment(names[i], saved[i] ? saved[i]->c_str() : nullptr);
}
#endif

}  // namespace
}  // namespace norvik
