// A search delivers only its first rows in order (search.h, ORDERED_ROWS); the rest are ordered
// on the search threads when the list comes near them, and arrive as a second delivery. The
// window never orders rows itself: rows past the ordered front are lacking (not drawn, not acted
// on) until they come.
#pragma once

#include <cstddef>

#include "app/core/app.h"
#include "search/search.h"

namespace norvik {

// True when result row `row` is in its final place.
bool row_is_ordered(const App& app, size_t row);

// Asks the search worker for the rows past the ordered front, once per answer, when `row` is
// within a page of them, or within half the front (so they tend to come before the list
// reaches them).
void want_rows_through(App& app, size_t row);

// want_rows_through for the rows in view.
void want_rows_in_view(App& app);

// The search's rows past the ordered front, in order (result.first_row set): taken while the
// list still shows that answer, in that order. A selected row among them follows its item to
// its new place and comes into view; one chosen by its row number keeps it, and is captured.
void accept_rest(App& app, Shell& shell, SearchResult result);

}  // namespace norvik
