#include "app/view/elide.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "hangul/grapheme.h"
#include "hangul/utf8.h"

namespace norvik {

namespace {

constexpr std::string_view ELLIPSIS = "\u2026";  // one UTF-16 unit
// A dot further from the end than this starts no extension ("version 2.0 of the long draft").
constexpr size_t EXTENSION_MAX = 16;
// Characters of a name kept before its extension, so "draft 1 final.pdf" and "draft 2
// final.pdf" stay apart when both are cut: its last word when that is short, else six.
constexpr size_t STEM_TAIL = 6;
constexpr size_t LAST_WORD_MAX = 12;

// Where the kept end of a name's stem starts (cluster position), before the extension at
// `extension`: at the space before its last word when that is within LAST_WORD_MAX characters.
size_t stem_tail(std::string_view name, const std::vector<size_t>& at, size_t extension) {
    for (size_t i = extension; i-- > extension - std::min(extension, LAST_WORD_MAX);)
        if (name[at[i]] == ' ') return i;
    return extension - std::min(STEM_TAIL, extension / 3);
}

// Where text may be cut: the start of each grapheme cluster, and text's size last. A cut inside
// a cluster would split an emoji joined by ZWJs into its parts, or take a letter's accent off.
std::vector<size_t> cut_points(std::string_view text) {
    return grapheme_starts(text);
}

// The cluster start nearest to byte offset `at`, at or after it (forward) or at or before it.
size_t cluster_start(const std::vector<size_t>& starts, size_t at, bool forward) {
    const auto it = std::lower_bound(starts.begin(), starts.end(), at);
    if (it != starts.end() && *it == at) return at;
    if (forward) return it == starts.end() ? starts.back() : *it;
    return it == starts.begin() ? starts.front() : *(it - 1);
}

// Scalar values in text, counted without keeping their offsets: asked for every cell drawn.
// Never fewer than its clusters, so a text this many widest advances wide surely fits.
size_t scalar_count(std::string_view text) {
    size_t scalars = 0;
    for (size_t pos = 0; pos < text.size(); ++scalars)
        decode_utf8(text, pos);
    return scalars;
}

uint32_t utf16_length(std::string_view text) {
    uint32_t units = 0;
    for (size_t pos = 0; pos < text.size();)
        units += decode_utf8(text, pos) > 0xFFFF ? 2 : 1;
    return units;
}

Elided whole(std::string_view text, bool fits) {
    return Elided{std::string(text), text.size(), text.size(), !fits};
}

Elided joined(std::string_view original, size_t head_end, size_t tail_begin) {
    std::string text(original.substr(0, head_end));
    text += ELLIPSIS;
    text += original.substr(tail_begin);
    return Elided{std::move(text), head_end, tail_begin, true};
}

// Whether text shows whole without asking the canvas: even at the widest advance it fits.
bool surely_fits(std::string_view text, float room, float max_advance) {
    return fits_in(static_cast<float>(scalar_count(text)) * max_advance, room);
}

// The candidate of the largest count in [low, high] that fits, found by halving (a candidate
// grows with its count); nothing when not even the one of `low` fits.
template <class Make>
std::optional<Elided> longest_fitting(size_t low, size_t high, float room,
                                      const MeasureText& measure, Make make) {
    if (low > high) return std::nullopt;
    Elided best = make(low);
    if (!fits_in(measure(best.text), room)) return std::nullopt;
    while (low < high) {
        const size_t mid = low + (high - low + 1) / 2;
        Elided candidate = make(mid);
        if (fits_in(measure(candidate.text), room)) {
            low = mid;
            best = std::move(candidate);
        } else {
            high = mid - 1;
        }
    }
    return best;
}

}  // namespace

float widest_advance(Font font, float s) {
    static constexpr float SIZES[FONT_COUNT] = {11.5f, 13, 13, 20, 15, 16};
    return 1.5f * SIZES[static_cast<int>(font)] * s;
}

bool fits_in(float width, float room) {
    return width <= room - 1;
}

Elided elide_name(std::string_view name, float room, float max_advance,
                  const MeasureText& measure) {
    if (surely_fits(name, room, max_advance) || fits_in(measure(name), room))
        return whole(name, true);
    const std::vector<size_t> at = cut_points(name);
    const size_t n = at.size() - 1;
    size_t extension = n;
    if (const size_t dot = name.rfind('.'); dot != std::string_view::npos && dot > 0) {
        const size_t i =
            static_cast<size_t>(std::lower_bound(at.begin(), at.end(), dot) - at.begin());
        if (n - i <= EXTENSION_MAX + 1) extension = i;
    }
    // First with the stem's last letters, then with the extension alone.
    const size_t tails[] = {stem_tail(name, at, extension), extension};
    for (const size_t tail : tails) {
        if (tail < 2) continue;  // a head of one character and a cut of one at least
        auto candidate = [&](size_t head) { return joined(name, at[head], at[tail]); };
        if (std::optional<Elided> fitted = longest_fitting(1, tail - 1, room, measure, candidate))
            return std::move(*fitted);
    }
    return whole(name, false);
}

Elided elide_path(std::string_view path, float room, float max_advance,
                  const MeasureText& measure) {
    if (surely_fits(path, room, max_advance) || fits_in(measure(path), room))
        return whole(path, true);
    std::vector<size_t> separators;
    for (size_t i = 0; i < path.size(); ++i)
        if (path[i] == '\\') separators.push_back(i);
    // The root ends at the first separator, or at the fourth of \\server\share\.
    const size_t root = path.starts_with("\\\\") ? 3 : 0;
    if (separators.size() <= root) return whole(path, false);
    const std::span<const size_t> after_root = std::span(separators).subspan(root);
    const size_t m = after_root.size();  // folders after the root, the last one included
    // A separator starts a cluster of its own unless a folder's name begins with a combining
    // mark, which the cut keeps with the backslash it sits on.
    const std::vector<size_t> starts = cut_points(path);
    // Heads: the root and the first folder, then the root alone. The tail keeps the last k
    // folders, starting at the separator before them.
    struct Head {
        size_t end;
        size_t most_kept;
    };
    std::vector<Head> heads;
    if (m >= 3) heads.push_back(Head{cluster_start(starts, after_root[1] + 1, true), m - 2});
    if (m >= 2) heads.push_back(Head{cluster_start(starts, after_root[0] + 1, true), m - 1});
    for (const Head& head : heads) {
        auto candidate = [&](size_t kept) {
            const size_t tail = cluster_start(starts, after_root[m - kept], false);
            return joined(path, head.end, std::max(tail, head.end));
        };
        if (std::optional<Elided> fitted =
                longest_fitting(1, head.most_kept, room, measure, candidate))
            return std::move(*fitted);
    }
    return whole(path, false);
}

std::vector<std::string> wrap_lines(std::string_view text, float room, size_t max_lines,
                                    const MeasureText& measure) {
    const std::vector<size_t> at = cut_points(text);
    const size_t n = at.size() - 1;
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < n && lines.size() + 1 < max_lines) {
        const auto piece = [&](size_t end) { return text.substr(at[start], at[end] - at[start]); };
        if (fits_in(measure(piece(n)), room)) break;
        size_t low = start + 1;  // a line holds one character even when it is too wide
        size_t high = n - 1;
        while (low < high) {
            const size_t mid = low + (high - low + 1) / 2;
            if (fits_in(measure(piece(mid)), room)) {
                low = mid;
            } else {
                high = mid - 1;
            }
        }
        size_t end = low;
        for (size_t i = low; i > start + (low - start) / 2; --i) {
            const char c = text[at[i - 1]];
            if (c == ' ' || c == '\\' || c == '_' || c == '-') {
                end = i;
                break;
            }
        }
        lines.emplace_back(piece(end));
        start = end;
    }
    if (start < n || lines.empty()) lines.emplace_back(text.substr(at[start]));
    return lines;
}

std::vector<TextRange> elided_ranges(std::string_view original, const Elided& elided,
                                     std::span<const TextRange> ranges) {
    if (!elided.cut()) return {ranges.begin(), ranges.end()};
    const uint32_t head = utf16_length(original.substr(0, elided.head_end));
    const uint32_t tail = utf16_length(original.substr(0, elided.tail_begin));
    const uint32_t shift = tail - head - 1;  // the cut's units less the ellipsis's one
    std::vector<TextRange> moved;
    for (const TextRange& range : ranges) {
        const uint32_t end = range.start + range.length;
        if (range.start < head)
            moved.push_back(TextRange{range.start, std::min(end, head) - range.start});
        if (end > tail) {
            const uint32_t start = std::max(range.start, tail);
            moved.push_back(TextRange{start - shift, end - start});
        }
    }
    return moved;
}

}  // namespace norvik
