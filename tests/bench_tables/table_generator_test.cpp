#include "table_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "hangul/hangul.h"
#include "hangul/utf8.h"

namespace norvik {
namespace {

VolumeTable table_of(uint64_t entries, uint64_t seed = 20260101) {
    GeneratorOptions options;
    options.entries = entries;
    options.seed = seed;
    return generate_table(options);
}

std::string ascii_lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

size_t count_containing(const VolumeTable& table, std::string_view word) {
    size_t n = 0;
    for (uint32_t i = 0; i < table.size(); ++i) {
        if (ascii_lower(table.stored_name(i)).find(word) != std::string::npos) ++n;
    }
    return n;
}

TEST(TableGenerator, SameSeedSameSteps) {
    GeneratorOptions options;
    options.entries = 20000;
    GeneratedSteps a = generate_steps(options);
    GeneratedSteps b = generate_steps(options);
    ASSERT_EQ(a.steps.size(), b.steps.size());
    EXPECT_EQ(a.names, b.names);
    for (size_t i = 0; i < a.steps.size(); ++i) {
        ASSERT_EQ(a.steps[i].parent, b.steps[i].parent) << i;
        ASSERT_EQ(a.steps[i].facts.size, b.steps[i].facts.size) << i;
        ASSERT_EQ(a.steps[i].facts.mtime, b.steps[i].facts.mtime) << i;
        ASSERT_EQ(a.steps[i].facts.attributes, b.steps[i].facts.attributes) << i;
        ASSERT_EQ(a.steps[i].reparse_tag, b.steps[i].reparse_tag) << i;
    }
    options.seed += 1;
    EXPECT_NE(generate_steps(options).names, a.names);
}

TEST(TableGenerator, MakesExactlyTheAskedNumberOfEntries) {
    for (uint64_t entries : {1, 2, 3, 5, 16, 17, 100, 1000, 4099, 30000}) {
        SCOPED_TRACE(entries);
        VolumeTable table = table_of(entries);
        EXPECT_EQ(table.entries.size(), entries);
        EXPECT_EQ(table.live_count, entries);
        EXPECT_EQ(table.full_path(0, true), "C:\\");
    }
    EXPECT_EQ(generate_steps(GeneratorOptions{.entries = 0}).steps.size(), 0u);
}

// Every folder's children are one contiguous run recorded as its span, laid down in the order a
// breadth-first scan would; links and childless folders have no span.
TEST(TableGenerator, ChildrenFormTheRecordedRuns) {
    for (uint64_t entries : {50, 777, 60000}) {
        SCOPED_TRACE(entries);
        VolumeTable table = table_of(entries, entries);
        std::map<uint32_t, std::pair<uint32_t, uint32_t>> runs;  // parent -> first, count
        uint32_t last_parent = 0;
        for (uint32_t i = 1; i < table.size(); ++i) {
            uint32_t parent = table.entries[i].parent;
            ASSERT_LT(parent, i);
            ASSERT_TRUE(table.entries[parent].is_dir());
            ASSERT_FALSE(table.entries[parent].flags & FLAG_LINK);
            ASSERT_GE(parent, last_parent) << "folders are filled in order";
            last_parent = parent;
            auto [it, fresh] = runs.try_emplace(parent, i, 0);
            ASSERT_EQ(it->second.first + it->second.second, i) << "run of " << parent << " broken";
            ++it->second.second;
        }
        for (uint32_t i = 0; i < table.size(); ++i) {
            const Entry& e = table.entries[i];
            if (!e.is_dir()) continue;
            auto it = runs.find(i);
            if (it == runs.end()) {
                EXPECT_EQ(e.size, 0u) << i;
                EXPECT_TRUE(table.children(i).empty());
            } else {
                EXPECT_EQ(e.first_child(), it->second.first) << i;
                EXPECT_EQ(e.child_count(), it->second.second) << i;
                EXPECT_EQ(table.children(i).size(), it->second.second) << i;
            }
        }
    }
}

TEST(TableGenerator, NamesAreValidAndUniqueInTheirFolder) {
    VolumeTable table = table_of(60000, 5);
    std::map<uint32_t, std::set<std::string>> seen;
    for (uint32_t i = 1; i < table.size(); ++i) {
        std::string_view name = table.display_name(i);
        SCOPED_TRACE(std::string(name));
        ASSERT_FALSE(name.empty());
        EXPECT_EQ(name.find_first_of("<>:\"/\\|?*"), std::string_view::npos);
        for (char c : name)
            EXPECT_GE(static_cast<unsigned char>(c), 0x20);
        EXPECT_NE(name.back(), ' ');
        EXPECT_NE(name.back(), '.');
        EXPECT_LE(utf8_to_utf16(name).size(), 255u);
        EXPECT_TRUE(seen[table.entries[i].parent].insert(ascii_lower(name)).second)
            << "twice in one folder";
    }
}

TEST(TableGenerator, LooksLikeAKoreanUsersDrive) {
    VolumeTable table = table_of(200000);
    TableProfile p = profile(table);
    double entries = static_cast<double>(p.entries);
    EXPECT_NEAR(p.hangul_names / entries, 0.15, 0.04);
    EXPECT_GT(p.folders / entries, 0.05);
    EXPECT_LT(p.folders / entries, 0.30);
    EXPECT_GE(p.max_depth, 6u);
    EXPECT_LE(p.max_depth, 30u);
    EXPECT_GT(p.display_names, 50u);
    EXPECT_GT(p.unicode_upper, 50u);
    EXPECT_GT(p.links, 5u);
    EXPECT_GT(p.hidden, 100u);
    for (int kind = 0; kind < 8; ++kind) {
        EXPECT_GT(p.kind_counts[kind], 200u) << "kind " << kind;
    }
    // Words that later benchmarks search for occur at useful rates.
    EXPECT_GT(count_containing(table, "report"), 500u);
    EXPECT_GT(count_containing(table, "보고서"), 500u);
    EXPECT_GT(count_containing(table, "2026"), 1000u);
}

TEST(TableGenerator, DecomposedNamesAreStoredComposed) {
    VolumeTable table = table_of(100000);
    size_t checked = 0;
    for (uint32_t i = 0; i < table.size(); ++i) {
        if (!(table.entries[i].flags & FLAG_DISPLAY_NAME)) continue;
        std::string_view found = table.display_name(i);
        std::optional<std::string> composed = normalize_nfc(found);
        ASSERT_TRUE(composed.has_value()) << found;
        EXPECT_EQ(*composed, table.stored_name(i));
        EXPECT_NE(found, table.stored_name(i));
        EXPECT_TRUE(table.entries[i].flags & FLAG_HANGUL);
        ++checked;
    }
    EXPECT_GT(checked, 20u);
}

class WriteTree : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("norvik-write-tree-" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                std::to_string(reinterpret_cast<uintptr_t>(this)));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path dir_;
};

TEST_F(WriteTree, CreatesTheGeneratedItems) {
    const uint64_t items = 3000;
    const uint64_t seed = 99;
    ASSERT_EQ(write_tree(dir_, items, seed), std::nullopt);

    GeneratorOptions options;
    options.entries = items + 1;
    options.seed = seed;
    VolumeTable table = generate_table(options, "T:\\");
    std::set<std::string> expected;
    for (uint32_t i = 1; i < table.size(); ++i) {
        std::string path = table.full_path(i, false).substr(3);  // past "T:\"
        std::replace(path.begin(), path.end(), '\\', '/');
        expected.insert(path + (table.entries[i].is_dir() ? "/" : ""));
    }

    std::set<std::string> found;
    for (const auto& item : std::filesystem::recursive_directory_iterator(dir_)) {
        auto relative = item.path().lexically_relative(dir_).u8string();
        std::string path(relative.begin(), relative.end());
        found.insert(path + (item.is_directory() ? "/" : ""));
    }
    EXPECT_EQ(found.size(), items);
    EXPECT_EQ(found, expected);
}

TEST_F(WriteTree, ReportsAFolderThatIsNotThere) {
    auto error = write_tree(dir_ / "missing", 10, 1);
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("missing"), std::string::npos);
}

}  // namespace
}  // namespace norvik
