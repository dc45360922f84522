#include "index/child_lookup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "hangul/unicode_case.h"
#include "hangul/utf8.h"
#include "index/volume_table.h"

namespace norvik {
namespace {

constexpr FileFacts FILE_FACTS{.size = 1, .mtime = 1700000000, .attributes = 0};
constexpr FileFacts FOLDER_FACTS{.size = 0, .mtime = 1700000000, .attributes = ATTRIBUTE_DIRECTORY};

// 보고서 written with conjoining jamo, as some Mac-made archives leave it on disk.
const std::string DECOMPOSED_BOGOSEO =
    "\xE1\x84\x87\xE1\x85\xA9\xE1\x84\x80\xE1\x85\xA9\xE1\x84\x89\xE1\x85\xA5";

uint32_t key_of(std::string_view name) {
    std::string scratch;
    return child_name_key(name, scratch);
}

bool ascii_iequal(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

// find_child's rule written out plainly: the first live child, in children order, whose display
// name equals name, ASCII case-insensitively for an ASCII name, else after full lowercasing.
std::optional<uint32_t> find_child_slowly(const VolumeTable& t, uint32_t parent,
                                          std::string_view name) {
    for (uint32_t child : t.children(parent)) {
        std::string_view shown = t.display_name(child);
        bool same =
            is_ascii(name) ? ascii_iequal(shown, name) : lower_full(shown) == lower_full(name);
        if (same) return child;
    }
    return std::nullopt;
}

TEST(ChildNameKey, NamesEqualAfterLowercasingShareAKey) {
    struct Case {
        const char* a;
        const char* b;
    };
    const Case cases[] = {
        {"README.TXT", "readme.txt"},
        {"Readme.Txt", "rEADME.tXT"},
        {"a-long-name-over-eight-bytes.JPEG", "A-LONG-NAME-OVER-EIGHT-BYTES.jpeg"},
        {"ÄRGER", "ärger"},
        {"ΣΟΦΙΑΣ", "σοφιας"},   // the last capital sigma lowercases to final sigma
        {"\xE2\x84\xAA", "k"},  // KELVIN SIGN lowercases to an ASCII letter
        {"\xC4\xB0stanbul", "i\xCC\x87stanbul"},  // capital I with dot above: i + U+0307
        {"\xC7\x85", "\xC7\x86"},                 // titlecase DŽ
        {"보고서 REPORT", "보고서 report"},
        {"\xFF-abc", "\xEF\xBF\xBD-abc"},  // a malformed byte lowercases to U+FFFD
    };
    for (const Case& c : cases) {
        EXPECT_EQ(key_of(c.a), key_of(c.b)) << c.a << " / " << c.b;
        // The key is the lowercase's: hashing the lowercase itself gives the same value.
        EXPECT_EQ(key_of(c.a), key_of(lower_full(c.a))) << c.a;
    }
}

TEST(ChildNameKey, NonAsciiNameLeavesItsLowercaseInScratch) {
    std::string scratch = "untouched";
    child_name_key("Plain.TXT", scratch);
    EXPECT_EQ(scratch, "untouched");
    child_name_key("ÄRGER.TXT", scratch);
    EXPECT_EQ(scratch, "ärger.txt");
}

// A key that ignored some bytes (a tail past a whole word, the length) would put many of these
// together; distinct names must almost always get distinct keys for probes to stay short.
TEST(ChildNameKey, DistinctNamesSpreadOverKeys) {
    std::set<uint32_t> keys;
    int names = 0;
    for (int i = 0; i < 2000; ++i) {
        std::string base = "file" + std::to_string(i);
        for (std::string name : {base, base + ".txt", base + ".txt.bak", "x" + base + "0000000"}) {
            keys.insert(key_of(name));
            ++names;
        }
    }
    EXPECT_GE(keys.size(), static_cast<size_t>(names) - 4);
}

TEST(ChildLookup, YieldsEveryPairOfAKeyAcrossAProbeChain) {
    ChildLookup lookup(4);
    // Keys equal modulo any power of two up to 16 start probing at the same slot.
    const uint32_t a = 5, b = 5 + 16, c = 5 + 32;
    lookup.insert(a, 1);
    lookup.insert(b, 2);
    lookup.insert(a, 3);
    lookup.insert(c, 4);
    lookup.insert(a, 1);  // the same pair again
    auto candidates = [&](uint32_t key) {
        std::vector<uint32_t> found;
        lookup.for_each_candidate(key, [&](uint32_t child) { found.push_back(child); });
        std::sort(found.begin(), found.end());
        return found;
    };
    EXPECT_EQ(candidates(a), (std::vector<uint32_t>{1, 1, 3}));
    EXPECT_EQ(candidates(b), (std::vector<uint32_t>{2}));
    EXPECT_EQ(candidates(c), (std::vector<uint32_t>{4}));
    EXPECT_TRUE(candidates(6).empty());
    EXPECT_FALSE(lookup.is_full());
    for (uint32_t child = 10; !lookup.is_full(); ++child)
        lookup.insert(child * 7919, child);
    EXPECT_EQ(candidates(a), (std::vector<uint32_t>{1, 1, 3}));
}

// Random edits of big folders, with find_child checked against the plain rule after each one:
// a child added, renamed (often only in letter case), moved in or out, or removed must be found
// exactly when the rule finds it, whatever the folder's lookup saw before.
class LookupCrossCheck {
  public:
    explicit LookupCrossCheck(uint32_t seed) : random_(seed) {
        table_ = VolumeTable::with_root("C:\\");
        // Run sizes as a scan leaves them: one far past any lookup threshold, one that late
        // additions push past it, one with no run at all, and a small one.
        const int run_sizes[] = {700, 200, 0, 12};
        std::vector<uint32_t> folders;
        uint32_t first = table_.size();
        for (size_t f = 0; f < std::size(run_sizes); ++f)
            folders.push_back(table_.add_entry(0, "folder" + std::to_string(f), FOLDER_FACTS, 0));
        table_.entries[0].set_child_span(first, static_cast<uint32_t>(folders.size()));
        for (size_t f = 0; f < folders.size(); ++f) {
            uint32_t run = table_.size();
            for (int i = 0; i < run_sizes[f]; ++i)
                table_.add_entry(folders[f], random_name(), FILE_FACTS, 0);
            if (run_sizes[f] > 0)
                table_.entries[folders[f]].set_child_span(run, static_cast<uint32_t>(run_sizes[f]));
        }
        folders_ = folders;
    }

    void run(int steps) {
        for (int step = 0; step < steps; ++step) {
            edit();
            for (int q = 0; q < 4; ++q)
                check_one_query();
            if (step == steps / 3) {
                // A copy carries its lookups along and stays right on its own.
                VolumeTable copy = table_;
                table_ = std::move(copy);
            }
        }
        EXPECT_GT(table_.child_lookup_count(), 0u);
        EXPECT_GT(queries_with_several_matches_, 0);
        EXPECT_GT(queries_found_, 0);
        EXPECT_GT(queries_missed_, 0);
    }

  private:
    // Stems whose letter-case variants fold together in one comparison or the other, including
    // a malformed byte, which lowercases to the three bytes of U+FFFD, and a name that NFC makes
    // longer (U+0958 decomposes and never recomposes), so its stored form outgrows the one shown.
    std::string random_stem() {
        static const std::vector<std::string> stems = {
            "report",
            "Report",
            "REPORT",
            "ärger",
            "ÄRGER",
            "Ärger",
            "σοφια",
            "ΣΟΦΙΑ",
            "ΣΟΦΙΑΣ",
            "σοφιας",
            "보고서",
            DECOMPOSED_BOGOSEO,
            "\xE2\x84\xAA",
            "k",
            "K",
            "straße",
            "\xC4\xB0stanbul",
            "i\xCC\x87stanbul",
            "\xFF",
            "\xEF\xBF\xBD",
            "\xE0\xA5\x98\xCC\x81",
        };
        return stems[random_() % stems.size()];
    }

    // Few distinct names, so folders hold children whose names differ only in case.
    std::string random_name() {
        static const char* const suffixes[] = {"", ".txt", ".TXT", " (2).jpg"};
        return random_stem() + std::to_string(random_() % 40) + suffixes[random_() % 4];
    }

    // Flips the case of some ASCII letters: a name the same folder comparison would accept.
    std::string case_variant(std::string name) {
        for (char& c : name) {
            if (random_() % 2 == 0) continue;
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 32);
            else if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c + 32);
        }
        return name;
    }

    uint32_t random_folder() {
        // Mostly the big ones, where the lookups are.
        static const int weights[] = {5, 4, 3, 1};
        std::discrete_distribution<int> pick(std::begin(weights), std::end(weights));
        return folders_[pick(random_)];
    }

    // Any file entry, live or not.
    std::optional<uint32_t> random_file() {
        if (table_.size() <= 1 + folders_.size()) return std::nullopt;
        uint32_t first_file = 1 + static_cast<uint32_t>(folders_.size());
        return first_file + static_cast<uint32_t>(random_() % (table_.size() - first_file));
    }

    void edit() {
        switch (random_() % 10) {
            case 0:
            case 1:
            case 2: {  // a new late child, sometimes a case variant of a sibling's name
                uint32_t folder = random_folder();
                std::vector<uint32_t> siblings = table_.children(folder);
                std::string name = !siblings.empty() && random_() % 2
                                       ? case_variant(std::string(table_.display_name(
                                             siblings[random_() % siblings.size()])))
                                       : random_name();
                uint32_t index = table_.add_entry(folder, name, FILE_FACTS, 0);
                table_.add_late_child(folder, index);
                break;
            }
            case 3:
            case 4: {  // a rename, half of them of the letter case only
                std::optional<uint32_t> file = random_file();
                if (!file || table_.entries[*file].is_removed()) return;
                std::string name = random_() % 2
                                       ? case_variant(std::string(table_.display_name(*file)))
                                       : random_name();
                table_.set_name(*file, table_.entries[*file], name);
                break;
            }
            case 5:
            case 6:
            case 7: {  // a move, often back into a folder that lists the file already
                std::optional<uint32_t> file = random_file();
                if (!file || table_.entries[*file].is_removed()) return;
                table_.move_entry(*file, random_folder());
                break;
            }
            case 8: {  // a removal
                std::optional<uint32_t> file = random_file();
                if (!file || table_.entries[*file].is_removed()) return;
                table_.entries[*file].flags |= FLAG_REMOVED;
                --table_.live_count;
                break;
            }
            default:
                break;
        }
    }

    void check_one_query() {
        uint32_t folder = random_folder();
        std::string name;
        switch (random_() % 3) {
            case 0: {  // the name of any entry, live or not, here or elsewhere
                std::optional<uint32_t> file = random_file();
                name = file ? std::string(table_.display_name(*file)) : random_name();
                break;
            }
            case 1:
                name = case_variant(random_name());
                break;
            default:
                name = random_name();
                break;
        }
        std::optional<uint32_t> expected = find_child_slowly(table_, folder, name);
        // Const first (the folder may have no lookup yet), then the one that builds it, then
        // const again over the lookup.
        EXPECT_EQ(std::as_const(table_).find_child(folder, name), expected) << name;
        EXPECT_EQ(table_.find_child(folder, name), expected) << name;
        EXPECT_EQ(std::as_const(table_).find_child(folder, name), expected) << name;
        std::string path = std::string(table_.display_name(folder)) + "\\" + name;
        EXPECT_EQ(table_.find_path(path), expected) << path;

        if (expected) {
            ++queries_found_;
            int matches = 0;
            for (uint32_t child : table_.children(folder))
                matches += matches_slowly(child, name);
            if (matches > 1) ++queries_with_several_matches_;
        } else {
            ++queries_missed_;
        }
    }

    bool matches_slowly(uint32_t child, std::string_view name) {
        std::string_view shown = table_.display_name(child);
        return is_ascii(name) ? ascii_iequal(shown, name) : lower_full(shown) == lower_full(name);
    }

    std::mt19937 random_;
    VolumeTable table_;
    std::vector<uint32_t> folders_;
    int queries_found_ = 0;
    int queries_missed_ = 0;
    int queries_with_several_matches_ = 0;
};

TEST(ChildLookup, FindChildAgreesWithThePlainRuleUnderRandomEdits) {
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        LookupCrossCheck(seed).run(1000);
    }
}

// Writing late_children or a parent directly bypasses the lookups; dropping them puts find_child
// back on the table's own lists.
TEST(ChildLookup, DroppedLookupsAreRebuiltFromTheLists) {
    VolumeTable t = VolumeTable::with_root("C:\\");
    uint32_t folder = t.add_entry(0, "big", FOLDER_FACTS, 0);
    t.entries[0].set_child_span(folder, 1);
    uint32_t first = t.size();
    for (int i = 0; i < 600; ++i)
        t.add_entry(folder, "file" + std::to_string(i) + ".txt", FILE_FACTS, 0);
    t.entries[folder].set_child_span(first, 600);
    EXPECT_EQ(t.find_child(folder, "FILE599.TXT"), first + 599);
    ASSERT_EQ(t.child_lookup_count(), 1u);
    EXPECT_GT(t.child_lookup_bytes(), 600 * 8u);

    uint32_t late = t.add_entry(folder, "direct.txt", FILE_FACTS, 0);
    t.late_children[folder].push_back(late);
    t.drop_child_lookups();
    EXPECT_EQ(t.child_lookup_count(), 0u);
    EXPECT_EQ(t.find_child(folder, "Direct.TXT"), late);
    EXPECT_EQ(t.child_lookup_count(), 1u);
}

}  // namespace
}  // namespace norvik
