// The order of search results: relevance, or one of the four columns in either direction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "index/volume_table.h"
#include "query/match.h"

namespace norvik {

enum class SortColumn : uint8_t {
    Relevance = 0,  // exact names, then the first word at the start of the name, then the rest;
                    // newest first within each; direction ignored
    Name = 1,
    Folder = 2,
    Size = 3,
    DateModified = 4,
};
inline constexpr int SORT_COLUMN_COUNT = 5;

// Negative, zero or positive as a sorts before, with or after b: name chars compared by code
// point (ASCII letters without case), the shorter prefix first. No numeric or locale collation.
int name_order(std::string_view a, std::string_view b);

// The Folder column's sort key of an entry: the full path of its parent from stored names, fully
// lowercased ("c:\users\me"). Empty for an entry without a valid parent.
std::string folder_key(const VolumeTable& table, uint32_t index);

// True when the search has been superseded and its work should be dropped.
using SupersededTest = std::function<bool()>;

// Orders all hits in place for the column and direction. Relevance sorts by (exact, at_start,
// mtime) newest first; Name by name_order, newer first on ties; Folder by folder_key, then
// name_order ascending; Size (folders 0, files size + 1) and Date modified by their key. Every
// column breaks its remaining ties by table position then entry index, ascending, so the order is
// total. `tables` are the Index's tables the hits index into (read lock held). Folder computes each
// distinct parent's key once and asks `superseded` every 4,096 hits while doing so: it returns
// false, with the hits in no particular order, when that says to give up. Returns true when sorted.
// With `head` below the number of hits, only the first `head` rows of that order are placed, in
// order, at the front; the others follow them in no particular order (sort them later with
// another call over hits.subspan(head)).
bool sort_hits(std::span<Hit> hits, SortColumn column, bool descending,
               std::span<const VolumeTable> tables, const SupersededTest& superseded = {},
               size_t head = SIZE_MAX);

// Runs share(0) ... share(n - 1), each on a thread of its own, and returns when all have
// returned: a search lends its threads this way.
using RunShares = std::function<void(unsigned n, const std::function<void(unsigned)>& share)>;

// sort_hits of every hit, the work spread over up to `shares` threads that `run` lends (the hits
// sorted in pieces side by side, then merged), and given up as soon as `superseded` says so: it is
// asked before each piece and each round of merges (Folder also asks while ranking folders and
// between folders). Returns false, with the hits in no particular order, when it gave up. Same
// order as sort_hits; `tables` as there (read lock held throughout).
bool sort_hits_shared(std::span<Hit> hits, SortColumn column, bool descending,
                      std::span<const VolumeTable> tables, const SupersededTest& superseded,
                      const RunShares& run, unsigned shares);

}  // namespace norvik
