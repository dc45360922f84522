#include "app/core/result_order.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <shared_mutex>

namespace norvik {

void order_results_through(App& app, size_t row) {
    if (row < app.results_ordered || app.results_ordered >= app.results.size()) return;
    if (app.engine.index == nullptr) return;
    std::optional<Hit> selected;
    if (app.selected && *app.selected >= app.results_ordered && *app.selected < app.results.size())
        selected = app.results[*app.selected];
    const size_t from = app.results_ordered;
    {
        // The tables may have changed since the search (a refresh is then on its way); hits
        // that no longer name an entry only sort oddly until it arrives.
        std::shared_lock lock(app.engine.index->lock);
        order_rest(app.results, app.results_ordered, static_cast<uint8_t>(app.sort_column),
                   app.sort_descending, app.engine.index->tables);
    }
    if (selected) {
        auto it = std::find(app.results.begin() + static_cast<ptrdiff_t>(from), app.results.end(),
                            *selected);
        if (it != app.results.end()) app.selected = static_cast<uint32_t>(it - app.results.begin());
    }
}

void order_rows_in_view(App& app) {
    if (app.results_ordered >= app.results.size()) return;
    const Metrics m = metrics(app);
    if (m.row_height <= 0) return;
    const double last_shown = std::ceil((app.scroll + m.list_height) / m.row_height);
    order_results_through(app, static_cast<size_t>(std::max(0.0, last_shown)) + m.page);
}

}  // namespace norvik
