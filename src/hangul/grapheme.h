// Grapheme clusters: what a reader sees as one character, such as a base letter with its
// combining marks, a Hangul syllable spelled in conjoining jamo, a flag (two regional indicators)
// or an emoji joined by ZERO WIDTH JOINERs. Text cut for display is cut between clusters, never
// inside one. The boundaries follow the extended grapheme cluster rules of Unicode's UAX #29,
// over generated tables (tools/gen_grapheme_tables writes them from ICU), so that the native and
// the Windows builds cut the same text at the same places.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace norvik {

// The byte offset where each grapheme cluster of UTF-8 text starts, then text.size(): one more
// offset than the text has clusters ({0} for empty text). Malformed bytes count as U+FFFD.
std::vector<size_t> grapheme_starts(std::string_view text);

// The number of grapheme clusters in UTF-8 text.
size_t grapheme_count(std::string_view text);

}  // namespace norvik
