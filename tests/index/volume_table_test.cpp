#include "index/volume_table.h"

#include "kinds/kinds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace norvik {
namespace {

constexpr FileFacts FILE_FACTS{.size = 1234, .mtime = 1700000000, .attributes = 0};
constexpr FileFacts FOLDER_FACTS{
    .size = 999, .mtime = 1700000000, .attributes = ATTRIBUTE_DIRECTORY};

// 보고서 written with conjoining jamo, as some Mac-made archives leave it on disk.
const std::string DECOMPOSED_BOGOSEO =
    "\xE1\x84\x87\xE1\x85\xA9\xE1\x84\x80\xE1\x85\xA9\xE1\x84\x89\xE1\x85\xA5";

// Entry indexes and name offsets are 32-bit: a table at its limits refuses more (the limits are
// lowered here to stand for 2^32 entries and 4 GiB of names) instead of wrapping an offset onto
// other names.
TEST(VolumeTable, AFullTableRefusesMoreInsteadOfWrapping) {
    VolumeTable by_count = VolumeTable::with_root("C:\\", {.entries = 3});
    EXPECT_EQ(by_count.add_entry(0, "a", FILE_FACTS, 0), 1u);
    EXPECT_EQ(by_count.add_entry(0, "b", FILE_FACTS, 0), 2u);
    EXPECT_EQ(by_count.add_entry(0, "c", FILE_FACTS, 0), NO_ENTRY);
    EXPECT_EQ(by_count.size(), 3u);
    EXPECT_EQ(by_count.live_count, 3u);

    VolumeTable by_names = VolumeTable::with_root("C:\\", {.name_bytes = 12});  // "C:" is 2
    uint32_t file = by_names.add_entry(0, "12345.txt", FILE_FACTS, 0);          // 11 bytes in all
    EXPECT_EQ(file, 1u);
    EXPECT_EQ(by_names.add_entry(0, "xy", FILE_FACTS, 0), NO_ENTRY);
    EXPECT_EQ(by_names.add_entry(0, "z", FILE_FACTS, 0), 2u);  // exactly full
    EXPECT_FALSE(by_names.set_name(file, by_names.entries[file], "new.txt"));
    EXPECT_EQ(by_names.stored_name(file), "12345.txt");
    EXPECT_EQ(by_names.names.size(), 12u);
    for (uint32_t i = 0; i < by_names.size(); ++i) {
        const Entry& e = by_names.entries[i];
        EXPECT_LE(uint64_t{e.name_offset} + e.name_len, by_names.names.size());
    }
}

TEST(VolumeTable, RootEntryAndItsPath) {
    VolumeTable t = VolumeTable::with_root("C:\\");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t.entries[0].parent, NO_PARENT);
    EXPECT_TRUE(t.entries[0].is_dir());
    EXPECT_EQ(t.entries[0].mtime, 0u);
    EXPECT_EQ(t.stored_name(0), "C:");
    EXPECT_EQ(t.live_count, 1u);
    EXPECT_EQ(t.full_path(0, true), "C:\\");
    EXPECT_EQ(t.full_path(0, false), "C:\\");
    EXPECT_EQ(t.full_path(1, true), "");

    uint32_t dir = t.add_entry(0, "dir", FOLDER_FACTS, 0);
    uint32_t file = t.add_entry(dir, "file.txt", FILE_FACTS, 0);
    EXPECT_EQ(t.full_path(file, true), "C:\\dir\\file.txt");
    EXPECT_EQ(t.relative_path(file, true, '/'), "dir/file.txt");
    EXPECT_EQ(t.relative_path(0, true, '/'), "");
    EXPECT_EQ(t.relative_path(99, true, '/'), "");

    // A folder root keeps its whole path as the root entry's name.
    VolumeTable folder = VolumeTable::with_root("D:\\data\\");
    EXPECT_EQ(folder.stored_name(0), "D:\\data");
    EXPECT_EQ(folder.full_path(0, true), "D:\\data");
}

TEST(VolumeTable, FlagsFromAttributesAndNames) {
    struct Case {
        const char* name;
        uint32_t attributes;
        uint32_t reparse_tag;
        uint8_t flags;
        Kind kind;
    };
    const Case cases[] = {
        {"report.docx", 0, 0, 0, Kind::Document},
        {"holiday.jpg", ATTRIBUTE_DIRECTORY, 0, FLAG_DIR, Kind{0}},
        {"secret.jpg", ATTRIBUTE_HIDDEN | ATTRIBUTE_SYSTEM, 0, FLAG_HIDDEN | FLAG_SYSTEM,
         Kind::Picture},
        {"junction", ATTRIBUTE_DIRECTORY | ATTRIBUTE_REPARSE_POINT, REPARSE_TAG_MOUNT_POINT,
         FLAG_DIR | FLAG_LINK, Kind{0}},
        {"link.txt", ATTRIBUTE_REPARSE_POINT, REPARSE_TAG_SYMLINK, FLAG_LINK, Kind::Document},
        // A cloud placeholder or dedup tag is not a link.
        {"cloud.txt", ATTRIBUTE_REPARSE_POINT, 0x9000001A, 0, Kind::Document},
        // The tag alone, without the attribute, is not a link either.
        {"plain.txt", 0, REPARSE_TAG_SYMLINK, 0, Kind::Document},
        {"보고서.hwp", 0, 0, FLAG_HANGUL, Kind::Document},
        {"ㅂㄱㅅ", 0, 0, FLAG_HANGUL, Kind::Other},
        {"ÄRGER.txt", 0, 0, FLAG_UNICODE_UPPER, Kind::Document},
        {"ärger.txt", 0, 0, 0, Kind::Document},
        {"REPORT.TXT", 0, 0, 0, Kind::Document},
        {"\xC7\x85-titlecase", 0, 0, FLAG_UNICODE_UPPER, Kind::Other},    // U+01C5
        {"\xE2\x92\xB6-circled", 0, 0, FLAG_UNICODE_UPPER, Kind::Other},  // U+24B6
        {"한국 ΣΟΦΙΑ", 0, 0, FLAG_HANGUL | FLAG_UNICODE_UPPER, Kind::Other},
    };
    VolumeTable t = VolumeTable::with_root("C:\\");
    for (const Case& c : cases) {
        FileFacts facts{.size = 42, .mtime = 7, .attributes = c.attributes};
        uint32_t i = t.add_entry(0, c.name, facts, c.reparse_tag);
        const Entry& e = t.entries[i];
        EXPECT_EQ(e.flags, c.flags) << c.name;
        EXPECT_EQ(e.kind, static_cast<uint8_t>(c.kind)) << c.name;
        EXPECT_EQ(e.size, (c.attributes & ATTRIBUTE_DIRECTORY) ? 0u : 42u) << c.name;
        EXPECT_EQ(e.mtime, 7u);
        EXPECT_EQ(t.stored_name(i), c.name);
    }
    EXPECT_EQ(t.live_count, 1 + std::size(cases));
}

TEST(VolumeTable, CapacityGrowsByFixedSteps) {
    VolumeTable t = VolumeTable::with_root("C:\\");
    EXPECT_EQ(t.entries.capacity(), 4096u);
    EXPECT_GE(t.names.capacity(), 65536u);
    while (t.size() < 4096)
        t.add_entry(0, "f", FILE_FACTS, 0);
    EXPECT_EQ(t.entries.capacity(), 4096u);
    t.add_entry(0, "f", FILE_FACTS, 0);
    EXPECT_EQ(t.entries.capacity(), 8192u);
    while (t.size() < 100000)
        t.add_entry(0, "some-name.txt", FILE_FACTS, 0);
    // Past 65,536 entries the step is a sixteenth of the length, not a doubling.
    EXPECT_LT(t.entries.capacity(), 100000u + 100000u / 16 + 1);
    EXPECT_GE(t.entries.capacity(), 100000u);
    EXPECT_LT(t.names.capacity(), t.names.size() + t.names.size() / 16 + 65536 + 1024);
}

TEST(VolumeTable, DecomposedNameIsStoredComposedAndFoundAsOnDisk) {
    VolumeTable t = VolumeTable::with_root("C:\\");
    uint32_t dir = t.add_entry(0, DECOMPOSED_BOGOSEO, FOLDER_FACTS, 0);
    uint32_t file = t.add_entry(dir, "a.txt", FILE_FACTS, 0);
    t.entries[0].set_child_span(dir, 1);
    t.entries[dir].set_child_span(file, 1);
    EXPECT_EQ(t.stored_name(dir), "보고서");
    EXPECT_EQ(t.display_name(dir), DECOMPOSED_BOGOSEO);
    EXPECT_TRUE(t.entries[dir].flags & FLAG_DISPLAY_NAME);
    EXPECT_TRUE(t.entries[dir].flags & FLAG_HANGUL);
    EXPECT_EQ(t.full_path(file, true), "C:\\보고서\\a.txt");
    EXPECT_EQ(t.full_path(file, false), "C:\\" + DECOMPOSED_BOGOSEO + "\\a.txt");
    // Paths from the file system name items as they are on disk.
    EXPECT_EQ(t.find_path(DECOMPOSED_BOGOSEO + "\\A.TXT"), file);

    // Renamed to the composed form: the display name goes away with its flag.
    t.set_name(dir, t.entries[dir], "보고서");
    EXPECT_FALSE(t.entries[dir].flags & FLAG_DISPLAY_NAME);
    EXPECT_EQ(t.display_names.count(dir), 0u);
    EXPECT_EQ(t.full_path(file, false), "C:\\보고서\\a.txt");
    // Flags from the item survive a rename.
    EXPECT_TRUE(t.entries[dir].is_dir());
}

TEST(VolumeTable, LongNamesAreCutAtACharacterBoundary) {
    VolumeTable t = VolumeTable::with_root("C:\\");
    std::string ascii(70000, 'a');
    uint32_t a = t.add_entry(0, ascii, FILE_FACTS, 0);
    EXPECT_EQ(t.stored_name(a).size(), 65535u);

    // The 65,535th byte falls inside 가 (3 bytes at offsets 65533-65535): the whole syllable goes.
    std::string split(65533, 'b');
    split += "가";
    uint32_t b = t.add_entry(0, split, FILE_FACTS, 0);
    EXPECT_EQ(t.stored_name(b), std::string(65533, 'b'));

    // Exactly fitting: kept whole.
    std::string fits(65532, 'c');
    fits += "가";
    uint32_t c = t.add_entry(0, fits, FILE_FACTS, 0);
    EXPECT_EQ(t.stored_name(c), fits);
    EXPECT_TRUE(t.entries[c].flags & FLAG_HANGUL);
}

// Lays out a folder's children as a scan does: one contiguous run.
uint32_t add_run(VolumeTable& t, uint32_t folder, std::initializer_list<const char*> names) {
    uint32_t first = t.size();
    for (const char* n : names)
        t.add_entry(folder, n, FILE_FACTS, 0);
    t.entries[folder].set_child_span(first, static_cast<uint32_t>(names.size()));
    return first;
}

TEST(VolumeTable, ChildrenAreTheRunThenLateChildren) {
    VolumeTable t = VolumeTable::with_root("C:\\");
    uint32_t first = add_run(t, 0, {"Readme.TXT", "b", "c"});
    uint32_t late = t.add_entry(0, "late", FILE_FACTS, 0);
    t.late_children[0].push_back(late);
    EXPECT_EQ(t.children(0), (std::vector<uint32_t>{first, first + 1, first + 2, late}));

    // A removed run member and one moved elsewhere are no longer children.
    t.entries[first + 1].flags |= FLAG_REMOVED;
    t.entries[first + 2].parent = late;
    EXPECT_EQ(t.children(0), (std::vector<uint32_t>{first, late}));

    // A file has no children even if its size looks like a span.
    EXPECT_TRUE(t.children(first).empty());
    // A span reaching past the end of the table (and past 2^32) stops at the end.
    t.late_children.erase(0);
    t.entries[0].set_child_span(first, 0xFFFFFFFF);
    EXPECT_EQ(t.children(0), (std::vector<uint32_t>{first, late}));
    EXPECT_TRUE(t.children(12345).empty());
}

TEST(VolumeTable, FindChildFoldsCase) {
    VolumeTable t = VolumeTable::with_root("C:\\");
    uint32_t first = add_run(t, 0, {"Readme.TXT", "ÄRGER", "readme.txt", "ΟΔΥΣΣΕΑΣ"});
    EXPECT_EQ(t.find_child(0, "README.txt"), first);  // first match wins
    EXPECT_EQ(t.find_child(0, "ärger"), first + 1);
    EXPECT_EQ(t.find_child(0, "Ärger"), first + 1);
    EXPECT_EQ(t.find_child(0, "οδυσσεας"), first + 3);
    EXPECT_EQ(t.find_child(0, "readme.tx"), std::nullopt);
    // Only A-Z fold in the ASCII comparison: "ARGER" is not "ÄRGER".
    EXPECT_EQ(t.find_child(0, "ARGER"), std::nullopt);

    t.entries[first].flags |= FLAG_REMOVED;
    EXPECT_EQ(t.find_child(0, "README.txt"), first + 2);

    EXPECT_EQ(t.find_path(""), 0u);
    EXPECT_EQ(t.find_path("\\\\readme.TXT\\"), first + 2);
    EXPECT_EQ(t.find_path("missing\\readme.txt"), std::nullopt);
}

TEST(VolumeTable, FullPathOfADeepChainKeepsTheNearestNames) {
    VolumeTable t = VolumeTable::with_root("C:\\");
    uint32_t parent = 0;
    for (int level = 0; level < 5000; ++level) {
        parent = t.add_entry(parent, "d" + std::to_string(level), FOLDER_FACTS, 0);
    }
    std::string path = t.full_path(parent, true);
    // 4,096 names: d904 ... d4999, without the root.
    EXPECT_EQ(path.rfind("d904\\d905\\", 0), 0u) << path.substr(0, 40);
    EXPECT_TRUE(path.ends_with("\\d4998\\d4999"));
    EXPECT_EQ(std::count(path.begin(), path.end(), '\\'), 4095);

    // Entry 4095 (d4094) has exactly 4,096 names with the root, so the root is still there.
    EXPECT_EQ(t.full_path(4095, true).rfind("C:\\d0\\", 0), 0u);
    EXPECT_EQ(t.full_path(4096, true).rfind("d0\\d1\\", 0), 0u);
}

}  // namespace
}  // namespace norvik
