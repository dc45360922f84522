// Long names and folder paths shortened in the middle, so that what tells them apart stays in
// view: a name keeps its extension and the last letters before it, a path its drive, its first
// folder and as many of its nearest folders as fit. Widths come from the canvas's measuring,
// asked about a few candidates found by halving (a renderer lays each one out), never about
// every length. Texts are cut only between grapheme clusters (hangul/grapheme.h), and the
// characters counted below are clusters: an emoji joined by ZWJs, or a letter with its accents,
// is kept whole or left out whole.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "gfx/canvas.h"

namespace norvik {

// The width of a text in pixels, in the font of the cell it goes into.
using MeasureText = std::function<float(std::string_view)>;

// What a cell shows: the original, or its bytes [head_end, tail_begin) replaced by "…".
struct Elided {
    std::string text;
    size_t head_end = 0;
    size_t tail_begin = 0;
    // The cell does not show the whole original: a part was cut out, or even the shortest
    // candidate was too wide and the canvas trims the original at its end.
    bool shortened = false;

    bool cut() const { return head_end < tail_begin; }
};

// The advance of the widest character a font draws (a wide CJK or emoji glyph, with room to
// spare), in pixels at scale s: a text of n characters fits in n times this without measuring.
float widest_advance(Font font, float s);

// True when a text measured as `width` pixels shows whole in a cell `room` pixels wide. A pixel
// is kept free: a layout exactly as wide as its text may still trim the last character.
bool fits_in(float width, float room);

// name as it fits in room pixels: whole when it fits; else its start, "…", and its end, which
// holds the extension (a last dot past the first character, at most 16 characters after it) and
// the stem's last word (when 12 characters or fewer, else its last six); then just the extension;
// whole again (trimmed at its end by the canvas) when not even that fits. max_advance skips
// measuring a name that surely fits.
Elided elide_name(std::string_view name, float room, float max_advance, const MeasureText& measure);

// A folder path (backslashes) as it fits in room pixels: whole when it fits; else its root (the
// drive, or \\server\share) and first folder, "…", and as many of its last folders as fit, at
// least one; then the root alone before them; whole again when not even that fits.
Elided elide_path(std::string_view path, float room, float max_advance, const MeasureText& measure);

// text broken into lines that each fit room pixels, for a tooltip that shows it whole: each line
// the longest run that fits (found by halving), ended after its last space, backslash, '_' or '-'
// when one lies in the run's second half, and at least one character. At most max_lines lines;
// the last then keeps the rest, for the canvas to trim.
std::vector<std::string> wrap_lines(std::string_view text, float room, size_t max_lines,
                                    const MeasureText& measure);

// Highlighted runs of the original (UTF-16 positions) moved onto its elided text: the parts in
// the cut-out middle are dropped, those after it shift left.
std::vector<TextRange> elided_ranges(std::string_view original, const Elided& elided,
                                     std::span<const TextRange> ranges);

}  // namespace norvik
