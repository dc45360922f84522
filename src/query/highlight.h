// The parts of a shown name that the query matched, as the results view marks them: for every
// word without wildcards, where it matches the name, in characters of the name; then the same
// runs as UTF-16 positions, which is what DirectWrite takes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "query/query.h"

namespace norvik {

// Characters [start, end) of a name (Unicode scalar values, as name chars count them).
struct CharRange {
    size_t start = 0;
    size_t end = 0;

    bool operator==(const CharRange&) const = default;
};

// Units [start, start + length) of a name's UTF-16 form.
struct Utf16Range {
    uint32_t start = 0;
    uint32_t length = 0;

    bool operator==(const Utf16Range&) const = default;
};

// The highlighted character ranges of the stored name for query, sorted by start, not empty,
// with overlapping and touching ranges merged. Each word without wildcards contributes its
// leftmost match in the name's name chars: a plain word its lowered text, any other its jamo
// pattern, and only when that finds nothing its English-layout reading (whether or not the name
// holds Hangul) or the place of its key spelling; each alternative of an A|B word the same way.
// Wildcard words, filters and !words highlight nothing.
std::vector<CharRange> highlight_ranges(const Query& query, std::string_view name);

// The character ranges of name as UTF-16 positions: a character above U+FFFF counts two units,
// a malformed byte one (it becomes U+FFFD). Ranges past the end of the name are cut at it; those
// left empty are dropped.
std::vector<Utf16Range> to_utf16_ranges(std::string_view name, std::span<const CharRange> ranges);

}  // namespace norvik
