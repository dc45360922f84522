// Realistic, reproducible volume tables for the benchmarks: a Windows-like folder tree (Users with
// Documents and AppData, Program Files, Windows\System32 and WinSxS, source projects) with
// English and Korean names, common extensions, a few names with non-ASCII capitals and a few
// Korean names in decomposed form. The same options always give the same table.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "index/entry.h"
#include "index/volume_table.h"

namespace norvik {

struct GeneratorOptions {
    uint64_t entries = 1'000'000;  // entries of the table, the root entry included (at least 1)
    uint64_t seed = 20260101;
    // Share of user-made names (documents, pictures, music, folders people create) written in
    // Korean; system and program trees stay mostly English. Over a whole table this gives about
    // 15% Hangul names.
    double korean_share = 0.5;
    // Share of Korean names kept in decomposed (conjoining jamo) form, as files copied from a Mac
    // arrive; the table stores them composed and keeps the found form as a display name.
    double decomposed_share = 0.03;
};

// One add_entry call, in the order a scan makes them: all children of a folder in one run,
// folders in breadth-first order. `parent` is the entry index the parent will have.
struct AddStep {
    uint32_t parent;
    uint32_t name_offset;  // in GeneratedSteps::names
    uint32_t name_len;
    uint32_t reparse_tag;
    FileFacts facts;
};

// The child run of a folder as the scan records it with Entry::set_child_span.
struct ChildSpan {
    uint32_t folder;
    uint32_t first_child;
    uint32_t child_count;
};

struct GeneratedSteps {
    std::vector<AddStep> steps;  // entries 1..n (entry 0 is the root)
    std::string names;           // every step's name back to back
    std::vector<ChildSpan> spans;

    std::string_view name(const AddStep& step) const {
        return std::string_view(names).substr(step.name_offset, step.name_len);
    }
};

// The steps that build a table of options.entries entries.
GeneratedSteps generate_steps(const GeneratorOptions& options);

// Sets every folder's child span; run after adding all steps to a table begun with its root.
void apply_spans(VolumeTable& table, const GeneratedSteps& generated);

// A whole table: VolumeTable::with_root(root), every step added, the spans set.
VolumeTable generate_table(const GeneratorOptions& options, std::string root = "C:\\");

// Creates a generated tree of `items` files and folders (the root folder not counted) under dir,
// which must exist. Files are empty; names the local file system cannot take (on Linux, none
// but the Windows-reserved characters, which the generator never makes) are skipped. Returns an
// error text on the first failure.
[[nodiscard]] std::optional<std::string> write_tree(const std::filesystem::path& dir,
                                                    uint64_t items, uint64_t seed);

// Figures about a generated table, for reports and for the generator's own tests.
struct TableProfile {
    uint64_t entries = 0;
    uint64_t folders = 0;
    uint64_t hangul_names = 0;      // FLAG_HANGUL
    uint64_t display_names = 0;     // FLAG_DISPLAY_NAME
    uint64_t unicode_upper = 0;     // FLAG_UNICODE_UPPER
    uint64_t links = 0;             // FLAG_LINK
    uint64_t hidden = 0;            // FLAG_HIDDEN
    uint32_t max_depth = 0;         // the root's children have depth 1
    double average_name_bytes = 0;  // stored names
    uint64_t kind_counts[8] = {};   // files by Kind
};
TableProfile profile(const VolumeTable& table);

}  // namespace norvik
