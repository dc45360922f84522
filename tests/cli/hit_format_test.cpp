#include "cli/hit_format.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "index/changes.h"
#include "kinds/kinds.h"

namespace norvik {
namespace {

TEST(HitFormat, Iso8601) {
    struct Case {
        uint32_t seconds;
        const char* expected;
    };
    const Case cases[] = {
        {0, "1970-01-01T00:00:00Z"},          {86399, "1970-01-01T23:59:59Z"},
        {951782400, "2000-02-29T00:00:00Z"},  // a leap day of a year divisible by 400
        {951868800, "2000-03-01T00:00:00Z"},  {1709251199, "2024-02-29T23:59:59Z"},
        {1735689600, "2025-01-01T00:00:00Z"}, {4102444800, "2100-01-01T00:00:00Z"},
        {4107542400, "2100-03-01T00:00:00Z"},  // 2100 has no 29 February
        {0xFFFFFFFF, "2106-02-07T06:28:15Z"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(iso8601_utc(c.seconds), c.expected) << c.seconds;
}

TEST(HitFormat, PrintablePathsUseTheRootsSeparator) {
    FileFacts folder{.size = 0, .mtime = 1, .attributes = ATTRIBUTE_DIRECTORY};
    FileFacts file{.size = 5, .mtime = 2, .attributes = 0};
    for (auto [root, expected] :
         {std::pair<std::string, std::string>{"C:\\", "C:\\dir\\보고서.txt"},
          {"/home/me/", "/home/me/dir/보고서.txt"},
          {"/tmp/bs\\root/", "/tmp/bs\\root/dir/보고서.txt"},  // a backslash in a Linux name
          {"D:\\Photos\\", "D:\\Photos\\dir\\보고서.txt"}}) {
        VolumeTable table = VolumeTable::with_root(root);
        uint32_t dir = add_child(table, 0, "dir", folder, false)->index;
        uint32_t f = add_child(table, dir, "보고서.txt", file, false)->index;
        EXPECT_EQ(printable_path(table, f), expected);
        EXPECT_EQ(printable_path(table, 0), root);
    }
    // Names as found on disk, not as stored.
    VolumeTable table = VolumeTable::with_root("/r/");
    std::string decomposed = "\xE1\x84\x92\xE1\x85\xA1\xE1\x86\xAB";  // 한 in jamo
    uint32_t f = add_child(table, 0, decomposed, file, false)->index;
    EXPECT_EQ(printable_path(table, f), "/r/" + decomposed);
}

TEST(HitFormat, Rows) {
    FileFacts folder{.size = 0, .mtime = 86400, .attributes = ATTRIBUTE_DIRECTORY};
    FileFacts file{.size = 1234, .mtime = 0, .attributes = 0};
    VolumeTable table = VolumeTable::with_root("/r/");
    uint32_t dir = add_child(table, 0, "pics", folder, false)->index;
    uint32_t jpg = add_child(table, dir, "a \"quoted\"\tname.jpg", file, false)->index;
    EXPECT_EQ(kind_name(table.entries[dir]), "folder");
    EXPECT_EQ(kind_name(table.entries[jpg]), "picture");

    std::string paths, tsv, json;
    HitRow rows[] = {make_row(table, jpg, true), make_row(table, dir, false)};
    const OutputStyle as_paths{}, as_tsv{.format = OutputFormat::Tsv},
        as_json{.format = OutputFormat::Json};
    for (int i = 0; i < 2; ++i) {
        append_row(paths, rows[i], as_paths, i == 0);
        append_row(tsv, rows[i], as_tsv, i == 0);
        append_row(json, rows[i], as_json, i == 0);
    }
    append_end(paths, as_paths, true);
    append_end(tsv, as_tsv, true);
    append_end(json, as_json, true);
    EXPECT_EQ(paths, "/r/pics/a \"quoted\"\tname.jpg\n/r/pics\n");
    // The file has no time (0): its cell is empty, as the window leaves its date cell.
    EXPECT_EQ(tsv,
              "/r/pics/a \"quoted\"\\tname.jpg\tpicture\t1234\t\t1\n"
              "/r/pics\tfolder\t\t1970-01-02T00:00:00Z\t0\n");
    nlohmann::json parsed = nlohmann::json::parse(json);
    ASSERT_EQ(parsed.size(), 2u);
    EXPECT_EQ(parsed[0]["path"], "/r/pics/a \"quoted\"\tname.jpg");
    EXPECT_EQ(parsed[0]["kind"], "picture");
    EXPECT_EQ(parsed[0]["size"], 1234);
    EXPECT_TRUE(parsed[0]["modified"].is_null());
    EXPECT_EQ(parsed[0]["at_start"], true);
    EXPECT_TRUE(parsed[1]["size"].is_null());
    EXPECT_EQ(parsed[1]["modified"], "1970-01-02T00:00:00Z");
    EXPECT_EQ(parsed[1]["at_start"], false);

    std::string none;
    append_end(none, as_json, false);
    EXPECT_EQ(nlohmann::json::parse(none), nlohmann::json::array());
}

// A name may hold a newline, a tab, a backslash or an escape sequence. Scripts must still read
// one path per row (--null, escaped tsv) and a terminal must not obey the name.
TEST(HitFormat, EveryNameStaysWholeAndHarmless) {
    HitRow row{.path = "/r/a\nb\tc\\d\x1B[31mred", .kind = "other", .size = {}, .mtime = 86400};
    struct Case {
        OutputStyle style;
        std::string expected;
    };
    const Case cases[] = {
        {{}, "/r/a\nb\tc\\d\x1B[31mred\n"},  // to a file: the bytes as they are
        {{.null_separated = true}, std::string("/r/a\nb\tc\\d\x1B[31mred\0", 19)},
        {{.terminal = true}, "/r/a\\x0Ab\\x09c\\d\\x1B[31mred\n"},
        {{.format = OutputFormat::Tsv},
         "/r/a\\nb\\tc\\\\d\x1B[31mred\tother\t\t1970-01-02T00:00:00Z\t0\n"},
        {{.format = OutputFormat::Tsv, .terminal = true},
         "/r/a\\nb\\tc\\\\d\\x1B[31mred\tother\t\t1970-01-02T00:00:00Z\t0\n"},
    };
    for (const Case& c : cases) {
        std::string out;
        append_row(out, row, c.style, true);
        EXPECT_EQ(out, c.expected);
    }
    std::string json;
    append_row(json, row, {.format = OutputFormat::Json, .terminal = true}, true);
    append_end(json, {.format = OutputFormat::Json}, true);
    EXPECT_EQ(nlohmann::json::parse(json)[0]["path"], row.path);
    EXPECT_EQ(json.find('\x1B'), std::string::npos) << "JSON escapes it itself";
}

}  // namespace
}  // namespace norvik
