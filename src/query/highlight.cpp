#include "query/highlight.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "hangul/utf8.h"
#include "query/match.h"

namespace norvik {

namespace {

using Span = std::pair<size_t, size_t>;

std::optional<Span> find_chars(std::string_view text, std::u32string_view chars) {
    std::u32string needle;
    for (size_t pos = 0; pos < text.size();)
        needle.push_back(decode_utf8(text, pos));
    size_t at = chars.find(needle);
    if (at == std::u32string_view::npos) return std::nullopt;
    return Span{at, at + needle.size()};
}

// Where the term shows in the name chars, the way the matcher reads it, or nothing.
std::optional<Span> term_span(const TextTerm& term, std::u32string_view chars) {
    std::optional<Span> found =
        term.plain ? find_chars(term.lowered, chars) : match_pattern(term.pattern, chars);
    // The matcher tries the layout reading only on names holding Hangul; a shown name that
    // matched without it simply finds nothing here.
    if (!found && term.layout_pattern) found = match_pattern(*term.layout_pattern, chars);
    // A Hangul word read as English shows where its keys are in the name.
    if (!found && !term.key_spelling.empty()) found = find_chars(term.key_spelling, chars);
    return found;
}

}  // namespace

std::vector<CharRange> highlight_ranges(const Query& query, std::string_view name) {
    const std::u32string chars = name_chars(name);
    std::vector<CharRange> ranges;
    auto add = [&](const Term& term) {
        const TextTerm* text = std::get_if<TextTerm>(&term);
        if (text == nullptr) return;
        if (std::optional<Span> span = term_span(*text, chars); span && span->first < span->second)
            ranges.push_back(CharRange{span->first, span->second});
    };
    for (const Term& term : query.terms)
        add(term);
    // Every alternative the name holds is marked; filters and !words never are.
    for (const Alternatives& group : query.alternatives)
        for (const Term& option : group.options)
            add(option);
    std::sort(ranges.begin(), ranges.end(),
              [](const CharRange& a, const CharRange& b) { return a.start < b.start; });
    std::vector<CharRange> merged;
    for (const CharRange& range : ranges) {
        if (!merged.empty() && range.start <= merged.back().end) {
            merged.back().end = std::max(merged.back().end, range.end);
        } else {
            merged.push_back(range);
        }
    }
    return merged;
}

std::vector<Utf16Range> to_utf16_ranges(std::string_view name, std::span<const CharRange> ranges) {
    // unit_of[i] is the UTF-16 position of character i; the last element is the whole length.
    std::vector<uint32_t> unit_of{0};
    for (size_t pos = 0; pos < name.size();) {
        const char32_t c = decode_utf8(name, pos);
        unit_of.push_back(unit_of.back() + (c > 0xFFFF ? 2 : 1));
    }
    const size_t char_count = unit_of.size() - 1;
    std::vector<Utf16Range> out;
    for (const CharRange& range : ranges) {
        const size_t start = std::min(range.start, char_count);
        const size_t end = std::min(range.end, char_count);
        if (start >= end) continue;
        out.push_back(Utf16Range{unit_of[start], unit_of[end] - unit_of[start]});
    }
    return out;
}

}  // namespace norvik
