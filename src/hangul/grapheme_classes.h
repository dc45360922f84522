// The byte kept per code point by the grapheme break tables: the Grapheme_Cluster_Break class in
// the low bits and Extended_Pictographic above them. Shared by the table generator
// (tools/gen_grapheme_tables) and the cluster rules (grapheme.cpp), so the two cannot disagree.
#pragma once

#include <cstdint>

namespace norvik {

enum GraphemeClass : uint8_t {
    GRAPHEME_OTHER,
    GRAPHEME_CR,
    GRAPHEME_LF,
    GRAPHEME_CONTROL,
    GRAPHEME_EXTEND,
    GRAPHEME_ZWJ,
    GRAPHEME_REGIONAL_INDICATOR,
    GRAPHEME_PREPEND,
    GRAPHEME_SPACING_MARK,
    GRAPHEME_L,
    GRAPHEME_V,
    GRAPHEME_T,
    GRAPHEME_LV,
    GRAPHEME_LVT,
};
inline constexpr uint8_t GRAPHEME_CLASS_MASK = 0x0F;
inline constexpr uint8_t GRAPHEME_EXTENDED_PICTOGRAPHIC = 0x10;

}  // namespace norvik
