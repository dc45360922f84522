// The result list's columns as the user sized them, by dragging the borders between their
// header labels, and the header's mouse state: a press that may become a click (a sort) or a
// drag (never a sort), and a border being dragged. Widths are kept in DIPs, so a column keeps
// its size on screen at every DPI; the Name column has no width of its own and takes what the
// others leave.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "app/core/shell.h"
#include "query/order.h"

namespace norvik {

// Value name under Software\Norvik: REG_BINARY, the Folder, Size and Date modified widths as
// three little-endian 32-bit whole DIPs.
inline constexpr std::string_view SETTING_COLUMN_WIDTHS = "ColumnWidths";
inline constexpr size_t COLUMN_WIDTHS_BYTES = 12;

// No column, Name included, is narrower than this; none the user sizes is wider than the max.
inline constexpr float MIN_COLUMN_DIPS = 50;
inline constexpr float MAX_COLUMN_DIPS = 4000;

// How far (in DIPs, either way) a press on a header label may move and still be a click.
inline constexpr float DRAG_THRESHOLD_DIPS = 4;

// Half the width of the zone around a border between two header labels that grabs it.
inline constexpr float BORDER_GRIP_DIPS = 4;

// The borders that can be dragged: 0 Name|Folder, 1 Folder|Size, 2 Size|Date modified.
inline constexpr uint32_t COLUMN_BORDERS = 3;

struct ColumnWidths {
    float folder = 0;  // DIPs
    float size = 0;
    float date = 0;

    bool operator==(const ColumnWidths&) const = default;
};

// A drag of a border: where it started, the widths then (Name's as shown) and what the App held
// before, so that a drag that changed nothing writes nothing.
struct ColumnDrag {
    bool active = false;
    uint32_t border = 0;
    float start_x = 0;
    float name_start = 0;  // DIPs
    ColumnWidths start;
    std::optional<ColumnWidths> before;
};

// The left button went down on a header label; it sorts on button up only if it stayed within
// the drag threshold and came up on the same label.
struct HeaderPress {
    SortColumn column = SortColumn::Name;
    Point at;
    bool moved = false;
};

// The widths after `border` moved by dx DIPs from where its drag started: the two columns beside
// it trade width (neither below MIN_COLUMN_DIPS, a sized one not above MAX_COLUMN_DIPS) and the
// other borders stay where they are.
ColumnWidths drag_column_border(const ColumnWidths& start, float name_start, uint32_t border,
                                float dx);

// How much Wider and Narrower in a column's header menu change it, in DIPs.
inline constexpr float COLUMN_STEP_DIPS = 20;

// The widths after `column` grew by dips (shrank when negative): Folder, Size and Date modified
// change themselves within [MIN_COLUMN_DIPS, MAX_COLUMN_DIPS]; Name, which takes what the others
// leave, grows by narrowing Folder (and shrinks by widening it).
ColumnWidths resize_column(ColumnWidths shown, SortColumn column, float dips);

// True once a point has moved past the drag threshold from `from` at scale s.
bool past_drag_threshold(Point from, Point to, float s);

// The stored widths; nothing (the default split) when the value is missing, of another size, or
// holds a width outside [MIN_COLUMN_DIPS, MAX_COLUMN_DIPS].
std::optional<ColumnWidths> saved_column_widths(SettingsStore& store);

// Stores the widths in whole DIPs; nothing is stored as an empty value, which reads back as the
// default. False when the write failed.
bool save_column_widths(SettingsStore& store, const std::optional<ColumnWidths>& widths);

}  // namespace norvik
