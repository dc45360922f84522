#include "hangul/grapheme.h"

#include <cstdint>

#include "hangul/utf8.h"

namespace norvik {

namespace {

// Grapheme_Cluster_Break classes; must match tools/gen_grapheme_tables.cpp.
enum GraphemeClass : uint8_t {
    OTHER,
    CR,
    LF,
    CONTROL,
    EXTEND,
    ZWJ,
    REGIONAL_INDICATOR,
    PREPEND,
    SPACING_MARK,
    L,
    V,
    T,
    LV,
    LVT,
};
constexpr uint8_t EXTENDED_PICTOGRAPHIC = 0x10;
constexpr uint8_t CLASS_MASK = 0x0F;

#include "hangul/grapheme_break_tables.inc"

constexpr char32_t CODE_POINT_END = 0x110000;

uint8_t properties(char32_t c) {
    if (c >= CODE_POINT_END) return OTHER;
    const uint32_t block = GRAPHEME_STAGE1[c >> GRAPHEME_BLOCK_SHIFT];
    return GRAPHEME_STAGE2[(block << GRAPHEME_BLOCK_SHIFT) |
                           (c & ((1u << GRAPHEME_BLOCK_SHIFT) - 1))];
}

bool is_control(uint8_t c) {
    return c == CR || c == LF || c == CONTROL;
}

// What the rules need to know of the text up to a position besides its last character: whether
// it ends in an emoji followed by Extend characters, and then a ZWJ (GB11), and how many regional
// indicators run up to it (GB12, GB13).
struct Context {
    bool emoji_extends = false;  // Extended_Pictographic Extend*
    bool emoji_zwj = false;      // Extended_Pictographic Extend* ZWJ
    size_t regional_run = 0;
};

// True when a cluster boundary lies between a character of properties `before` and one of
// `after`, given the context up to `before` included.
bool breaks(uint8_t before, uint8_t after, const Context& context) {
    const uint8_t b = before & CLASS_MASK;
    const uint8_t a = after & CLASS_MASK;
    if (b == CR && a == LF) return false;                                    // GB3
    if (is_control(b) || is_control(a)) return true;                         // GB4, GB5
    if (b == L && (a == L || a == V || a == LV || a == LVT)) return false;   // GB6
    if ((b == LV || b == V) && (a == V || a == T)) return false;             // GB7
    if ((b == LVT || b == T) && a == T) return false;                        // GB8
    if (a == EXTEND || a == ZWJ || a == SPACING_MARK) return false;          // GB9, GB9a
    if (b == PREPEND) return false;                                          // GB9b
    if (context.emoji_zwj && (after & EXTENDED_PICTOGRAPHIC)) return false;  // GB11
    if (b == REGIONAL_INDICATOR && a == REGIONAL_INDICATOR)
        return context.regional_run % 2 == 0;  // GB12, GB13: pairs, from the run's start
    return true;                               // GB999
}

// The context after a character of properties `p`, given the one before it.
Context advance(Context context, uint8_t p) {
    const uint8_t c = p & CLASS_MASK;
    context.emoji_zwj = context.emoji_extends && c == ZWJ;
    context.emoji_extends = (p & EXTENDED_PICTOGRAPHIC) || (context.emoji_extends && c == EXTEND);
    context.regional_run = c == REGIONAL_INDICATOR ? context.regional_run + 1 : 0;
    return context;
}

// Calls on_start(offset) at the start of each cluster of text.
template <class OnStart>
void for_each_cluster(std::string_view text, OnStart on_start) {
    size_t pos = 0;
    uint8_t before = 0;
    Context context;
    while (pos < text.size()) {
        const size_t at = pos;
        const uint8_t p = properties(decode_utf8(text, pos));
        if (at == 0 || breaks(before, p, context)) on_start(at);
        context = advance(context, p);
        before = p;
    }
}

}  // namespace

std::vector<size_t> grapheme_starts(std::string_view text) {
    std::vector<size_t> starts;
    for_each_cluster(text, [&](size_t at) { starts.push_back(at); });
    starts.push_back(text.size());
    return starts;
}

size_t grapheme_count(std::string_view text) {
    size_t count = 0;
    for_each_cluster(text, [&](size_t) { ++count; });
    return count;
}

}  // namespace norvik
