// Whether one index entry answers a query. Checks run from the cheapest to the dearest: flags and
// the kind byte first, then the extension (the tail of the name), then each term; names without
// uppercase non-ASCII letters are searched in place with ASCII folding, without decoding.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "index/volume_table.h"
#include "query/query.h"

namespace norvik {

// One matching entry.
struct Hit {
    uint32_t entry = 0;     // index in its table's entries
    uint8_t table = 0;      // position of the table in the Index
    bool at_start = false;  // the first term matched at the very beginning of the name
    // The whole name, or a file's name without its extension, is the query's words in any of
    // their readings (Query::exact_name, Query::exact_terms); such a hit is always at_start too.
    bool exact = false;

    bool operator==(const Hit&) const = default;
};

// Where a needle next occurs in a table's name arena: no occurrence starts in [from, until), and
// one starts at until when found. Lets match_range scan the arena once for a run of names.
struct ArenaCursor {
    size_t from = 1;
    size_t until = 0;
    bool found = false;
};

// How far past the end of a name find_in_name searches ahead, so that one block search answers
// the names that follow in the arena.
inline constexpr size_t ARENA_WINDOW = 2048;

// What one search has learnt about folders, for its path words: for each table, each folder
// segment of the query's path words and each folder entry, whether that folder and those above
// it match the segment and the ones after it. A folder is worked out once and then only read,
// so a path word costs little more than its last segment alone. Shared by every thread of the
// search (index lock held for reading throughout); two threads that meet an unknown folder at
// the same moment both work it out and store the same answer.
//
// The answers lie in pages of PAGE_ENTRIES entries, each made when a folder in it is first
// answered: a search asks about the folders above its hits, which are few beside the entries, so
// it neither takes nor zeroes a byte per entry and segment (80 MB at 10 million entries).
class FolderMemo {
  public:
    // Segments past this many (a pasted path of thousands) are worked out each time instead.
    static constexpr size_t MAX_LEVELS = 8;
    static constexpr size_t PAGE_ENTRIES = 4096;

    FolderMemo(const Query& query, std::span<const VolumeTable> tables);
    ~FolderMemo();
    FolderMemo(const FolderMemo&) = delete;
    FolderMemo& operator=(const FolderMemo&) = delete;

    // Whether the table at `table` and folder segment `level` (the segments of query.paths
    // counted in order) have answers here at all.
    bool covers(size_t table, size_t level) const {
        return table < pages_.size() && level < levels_;
    }
    // The answer for entry `folder`: UNKNOWN, NO or YES. UNKNOWN when not covered.
    uint8_t answer(size_t table, size_t level, uint32_t folder) const;
    // Keeps the answer for entry `folder`; nothing when not covered. May throw std::bad_alloc
    // when a page is made. Const, as the threads share the memo so: its shape never changes,
    // only its atomic answers and page pointers.
    void remember(size_t table, size_t level, uint32_t folder, uint8_t answer) const;

    // Memory held for the answers: the page lists and the pages made so far.
    size_t bytes() const;

    static constexpr uint8_t UNKNOWN = 0;
    static constexpr uint8_t NO = 1;
    static constexpr uint8_t YES = 2;

  private:
    using Answer = std::atomic<uint8_t>;  // a page holds PAGE_ENTRIES of them
    // The slot of the page holding `folder`'s answer, or null past the table.
    std::atomic<Answer*>* slot(size_t table, size_t level, uint32_t folder) const;

    size_t levels_ = 0;
    std::vector<size_t> page_counts_;  // pages of each table at one level
    // For each table: levels_ x page_counts_[t] page pointers, null until a page is made.
    std::vector<std::unique_ptr<std::atomic<Answer*>[]>> pages_;
    mutable std::atomic<size_t> pages_made_{0};
};

// The decoded forms of one name, filled when first needed and then read until the next name.
struct NameBuffers {
    NameBuffers() {
        chars.reserve(64);
        lowered.reserve(64);
    }
    std::u32string chars;  // name chars
    std::string lowered;   // full lowercase form
};

// Buffers one search thread reuses for every entry, so that matching allocates nothing per
// entry once they have grown to the longest name seen. Not shared between threads. Each step of
// a match owns its buffers: the item's name stays readable while its folders are checked, and
// its exactness is decided last.
struct MatchScratch {
    NameBuffers item;                  // the entry matched: its terms and its exact name
    NameBuffers folder;                // a folder that a path word's segment is checked against
    std::string extension;             // an extension's full lowercase form
    std::vector<ArenaCursor> cursors;  // match_range's, two per term
    // The search's folder answers when its query has path words; with none, each folder a path
    // word reaches is matched anew.
    const FolderMemo* folders = nullptr;
    std::vector<uint32_t> walked;  // the folders one path word's check went through
};

// The entry's match against query, or nothing. Reads only: safe on any number of threads at once
// while the index lock is held for reading. `table_position` is copied into the hit.
std::optional<Hit> match_entry(const Query& query, const VolumeTable& table, uint8_t table_position,
                               uint32_t index, MatchScratch& scratch);

// match_entry over entries [begin, end) of table (end at most table.size()), appending the hits
// in entry order.
void match_range(const Query& query, const VolumeTable& table, uint8_t table_position,
                 uint32_t begin, uint32_t end, MatchScratch& scratch, std::vector<Hit>& hits);

// Leftmost match of pattern in name chars: (start, end) in characters, end exclusive. An empty
// pattern matches at (0, 0). The results view marks the matched characters with it.
std::optional<std::pair<size_t, size_t>> match_pattern(const JamoPattern& pattern,
                                                       std::u32string_view chars);

// Whether the glob pattern ("*" any run, "?" one character) matches the whole of chars.
bool glob_match(std::u32string_view pattern, std::u32string_view chars);

// One character as name chars read it: lowered on its own to the first character of its
// lowercase mapping (A-Z to a-z), final sigma read as sigma.
char32_t name_char(char32_t c);

// The name char at name[pos] (see name_char), advancing pos past its bytes; pos must be below
// name.size(). The one reader of names as characters: matching and ordering both use it.
char32_t next_name_char(std::string_view name, size_t& pos);

// A name as name chars (see name_char). Replaces the content of out.
void name_chars(std::string_view name, std::u32string& out);
std::u32string name_chars(std::string_view name);

// Position of needle in hay[0, n), with hay's A-Z folded to a-z (needle must hold no A-Z), or
// npos. The first `readable` bytes of hay (readable >= n) may be read: reading past n lets the
// search compare whole 16-byte blocks; matches starting past n - needle.size() are discarded.
size_t find_folded(const char* hay, size_t n, size_t readable, std::string_view needle);

// First occurrence of needle (as find_folded) inside the name at arena[offset, offset + length),
// relative to offset, or npos. With a cursor (fresh for each arena), the search looks up to
// `window` bytes ahead and remembers what it found, and later calls for names further on in the
// arena are answered from it. Any order of calls gives the same answers.
size_t find_in_name(const char* arena, size_t arena_size, size_t offset, size_t length,
                    std::string_view needle, ArenaCursor* cursor, size_t window = ARENA_WINDOW);

}  // namespace norvik
