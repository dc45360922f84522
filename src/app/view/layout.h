// The geometry of the main window, computed afresh from the client size, the scale and App
// whenever it is needed: the filter tabs, the columns, the scroll bar, the search text's caret
// and what lies under a point. The painter draws at these positions, the mouse handlers hit-test
// with them and the search box places its caret with them. Text widths come from the Canvas in
// app.renderer; without one nothing can be measured (no tabs, every caret at 0). Nothing here
// changes App.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/app.h"
#include "app/core/hit_target.h"
#include "gfx/canvas.h"

namespace norvik {

// One filter tab: its filter value (0-6) and where it lies.
struct TabRect {
    uint8_t filter = 0;
    RectF rect;

    bool operator==(const TabRect&) const = default;
};

// The label of filter tab `filter` (0-6) in the current language.
std::string filter_tab_label(uint8_t filter);

// The seven tabs left to right, each as wide as its label plus padding; none without a renderer.
std::vector<TabRect> tab_rects(const App& app);

// One column of the result list: its header label, where it lies and how its label aligns.
struct ColumnSpec {
    std::string label;
    float x = 0;
    float width = 0;
    SortColumn column = SortColumn::Name;
    Align align = Align::Leading;
};

// Name, Folder, Size and Date modified, in that order, within the list's width beside the scroll
// bar. Until the user sized them, Name and Folder share what the window leaves beside Size (86
// DIPs) and Date modified (136); once sized, Folder, Size and Date modified keep their widths and
// Name takes the rest. Name keeps at least a third of the room (and 50 DIPs): in a narrow window
// Folder gives way first, down to 50 DIPs and then out of view (width 0), then Size, then Date
// modified.
std::array<ColumnSpec, 4> column_specs(const App& app);

// The columns' widths as shown now, in DIPs: where a drag of a border starts from. A column out
// of view counts with the width it would have.
struct ShownColumns {
    float name = 0;
    ColumnWidths others;
};
ShownColumns shown_columns(const App& app);

// The scroll bar strip at the right of the list: the track and the thumb inside it.
struct ScrollBar {
    RectF track;
    RectF thumb;
};

// Nothing when the list shows every row (or has no height).
std::optional<ScrollBar> scrollbar_geometry(const App& app);

// Caret position n (after n scalar values) among a text's caret positions, as the Canvas's
// caret_positions answers them; a position past the end is the last one, and none is 0.
float caret_at(const std::vector<float>& carets, size_t n);

// The x in pixels of caret position n in text, in the search box's font (0 without a renderer,
// or when it cannot be measured): caret_at of one layout of the whole text, as painted.
float caret_x(const App& app, std::string_view text, size_t n);

// The position in the display text (scalar values) just after the composition at the caret;
// the caret itself when nothing is being composed.
size_t composition_end(const App& app);

// How far the search text is shifted left so that the caret, or the end of a composition at the
// caret, stays 2 pixels inside the right edge of the text area.
float text_scroll_offset(const App& app);

// The shift for a caret (or composition end) at caret_end pixels from the text's start.
float text_scroll_offset_for(const App& app, float caret_end);

// The caret position in `text` (0 ... its number of scalar values) nearest to client x; the
// smaller position on a tie. All positions come from one layout of the text, so a query of a
// million characters costs one layout, not one per position.
uint32_t char_at_x(const App& app, float x);

// The label of a toast's Undo button.
std::string undo_label();

// The toast above the status line, when one is up and the canvas can measure: its box, its text
// as it fits (the folder an exclusion names shortened in the middle when the whole would not),
// where that text goes, and the Undo button of a toast that has one.
struct ToastGeometry {
    RectF box;
    std::string text;
    RectF text_rect;
    std::optional<RectF> button;
};
std::optional<ToastGeometry> toast_geometry(const App& app);

// What lies under client point (x, y), in pixels; the first of the toast's button, search box,
// settings button, tabs, scroll bar, column header (a border between two labels, within 4 DIPs,
// before the labels) and rows that contains it.
HitTarget hit_test(const App& app, float x, float y);

// A window rectangle in whole pixels.
struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;

    bool operator==(const PixelRect&) const = default;
};

// Where the window goes the first time it is shown when no placement was saved: 960 x 640 scaled
// by dpi (at least 96), each side clamped to the work area, centred horizontally with one third
// of the free height above it.
PixelRect first_show_rect(uint32_t dpi, PixelRect work_area);

// A restored window rectangle brought into the work area of its monitor: each side shrunk to the
// work area's when larger, then moved the least that puts it wholly inside.
PixelRect fit_into_work_area(PixelRect rect, PixelRect work_area);

}  // namespace norvik
