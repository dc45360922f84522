#include "app/core/result_order.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "app/core/selection.h"

namespace norvik {

bool row_is_ordered(const App& app, size_t row) {
    return row < app.results_ordered;
}

void want_rows_through(App& app, size_t row) {
    if (app.rest_asked || app.results_ordered >= app.results.size()) return;
    const size_t ahead = std::max<size_t>(metrics(app).page, app.results_ordered / 2);
    if (row + ahead < app.results_ordered) return;
    app.rest_asked = true;
    app.engine.search->order_rest(app.result_generation);
}

void want_rows_in_view(App& app) {
    if (app.results_ordered >= app.results.size()) return;
    const Metrics m = metrics(app);
    if (m.row_height <= 0) return;
    const double last_shown = std::ceil((app.scroll + m.list_height) / m.row_height);
    want_rows_through(app, static_cast<size_t>(std::max(0.0, last_shown)));
}

void accept_rest(App& app, Shell& shell, SearchResult result) {
    if (result.generation != app.result_generation || result.first_row != app.results_ordered ||
        result.first_row + result.hits.size() != app.results.size())
        return;
    const bool selected_in_rest = app.selected && *app.selected >= result.first_row;
    std::copy(result.hits.begin(), result.hits.end(),
              app.results.begin() + static_cast<ptrdiff_t>(result.first_row));
    app.results_ordered = app.results.size();
    if (selected_in_rest) {
        std::optional<size_t> row;
        if (app.chosen) row = find_item(*app.engine.index, *app.chosen, app.results, app.table_ids);
        if (row) {
            choose_row(app, static_cast<uint32_t>(*row));
            scroll_to_row(app, static_cast<uint32_t>(*row));
        } else {
            choose_row(app, app.selected);
        }
    }
    shell.invalidate();
}

}  // namespace norvik
