// Several result rows selected at once: Ctrl+click toggles a row, Shift+click and Shift with the
// arrow keys select the range from the anchor, and a plain click or arrow selects one row again
// (select_row). The rows are kept by item across refreshes, as the single selection is.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "app/core/app.h"
#include "app/core/selection.h"

namespace norvik {

enum class RowGesture : uint8_t {
    Only,    // a plain click or arrow: this row alone
    Toggle,  // Ctrl+click: this row in or out, the others kept
    Extend,  // Shift: from the anchor row to this one
};

// Focuses row i (the last row when i is past it) and changes the selection as the gesture says,
// scrolling just enough to show it. Nothing without results.
void select_rows(App& app, Shell& shell, size_t i, RowGesture gesture);

// The selected rows, ascending: the marked rows, else the selected row alone, else none.
std::vector<uint32_t> selected_rows(const App& app);

// True when row is one of several rows selected together.
bool is_marked(const App& app, uint32_t row);

// The entries of the selected rows, ascending by row; rows not in order yet are left out.
std::vector<ChosenEntry> selected_entries(const App& app);

// The rows of `hits` that hold each of `items` (as find_item finds one), in one pass over the
// hits however many items there are.
std::vector<std::optional<size_t>> find_items(Index& index, std::span<const ChosenItem> items,
                                              std::span<const Hit> hits,
                                              std::span<const uint32_t> table_ids);

// After a new list arrived (results replaced, focus already found again): the marked items found
// again in it, those that left the results dropped; the anchor follows its item, else the focus.
void keep_marked(App& app, std::span<const ChosenItem> items,
                 const std::optional<ChosenItem>& anchor);

// The anchor row's item before a new list replaces the rows; nothing without a marked anchor.
std::optional<ChosenItem> anchor_item(const App& app);

}  // namespace norvik
