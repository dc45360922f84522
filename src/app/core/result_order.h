// A search delivers only its first rows in order (search.h, ORDERED_ROWS); the rest are put in
// order here, on the window's thread, once the list comes near them.
#pragma once

#include <cstddef>

#include "app/core/app.h"

namespace norvik {

// Makes sure result row `row` is in its final place: when it lies past the ordered front, every
// remaining row is ordered (under the index read lock), and a selected row among them follows
// its entry to its new place.
void order_results_through(App& app, size_t row);

// order_results_through for the rows in view and one page below them.
void order_rows_in_view(App& app);

}  // namespace norvik
