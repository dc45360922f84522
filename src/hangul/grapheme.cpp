#include "hangul/grapheme.h"

#include <cstdint>

#include "hangul/grapheme_classes.h"
#include "hangul/utf8.h"

namespace norvik {

namespace {

#include "hangul/grapheme_break_tables.inc"

constexpr char32_t CODE_POINT_END = 0x110000;

uint8_t properties(char32_t c) {
    if (c >= CODE_POINT_END) return GRAPHEME_OTHER;
    const uint32_t block = GRAPHEME_STAGE1[c >> GRAPHEME_BLOCK_SHIFT];
    return GRAPHEME_STAGE2[(block << GRAPHEME_BLOCK_SHIFT) |
                           (c & ((1u << GRAPHEME_BLOCK_SHIFT) - 1))];
}

bool is_control(uint8_t c) {
    return c == GRAPHEME_CR || c == GRAPHEME_LF || c == GRAPHEME_CONTROL;
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
    const uint8_t b = before & GRAPHEME_CLASS_MASK;
    const uint8_t a = after & GRAPHEME_CLASS_MASK;
    // GB3: CR x LF. GB4, GB5: around other controls.
    if (b == GRAPHEME_CR && a == GRAPHEME_LF) return false;
    if (is_control(b) || is_control(a)) return true;
    // GB6 to GB8: a Hangul syllable spelled in conjoining jamo.
    const bool after_l =
        a == GRAPHEME_L || a == GRAPHEME_V || a == GRAPHEME_LV || a == GRAPHEME_LVT;
    if (b == GRAPHEME_L && after_l) return false;
    if ((b == GRAPHEME_LV || b == GRAPHEME_V) && (a == GRAPHEME_V || a == GRAPHEME_T)) return false;
    if ((b == GRAPHEME_LVT || b == GRAPHEME_T) && a == GRAPHEME_T) return false;
    // GB9, GB9a, GB9b: marks and joiners attach to what is before them, prepends to what follows.
    if (a == GRAPHEME_EXTEND || a == GRAPHEME_ZWJ || a == GRAPHEME_SPACING_MARK) return false;
    if (b == GRAPHEME_PREPEND) return false;
    // GB11: an emoji sequence joined by ZWJ.
    if (context.emoji_zwj && (after & GRAPHEME_EXTENDED_PICTOGRAPHIC)) return false;
    // GB12, GB13: regional indicators in pairs, from the start of their run.
    if (b == GRAPHEME_REGIONAL_INDICATOR && a == GRAPHEME_REGIONAL_INDICATOR)
        return context.regional_run % 2 == 0;
    return true;  // GB999
}

// The context after a character of properties `p`, given the one before it.
Context advance(Context context, uint8_t p) {
    const uint8_t c = p & GRAPHEME_CLASS_MASK;
    context.emoji_zwj = context.emoji_extends && c == GRAPHEME_ZWJ;
    context.emoji_extends =
        (p & GRAPHEME_EXTENDED_PICTOGRAPHIC) || (context.emoji_extends && c == GRAPHEME_EXTEND);
    context.regional_run = c == GRAPHEME_REGIONAL_INDICATOR ? context.regional_run + 1 : 0;
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
