#include "app/core/app.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "app/core/result_order.h"
#include "hangul/utf8.h"

namespace norvik {

float round_pixel(float v) {
    return std::round(v);
}

Metrics metrics(const App& app) {
    Metrics m;
    m.s = app.scale;
    m.width = std::max(app.client_width, 0.0f);
    m.height = std::max(app.client_height, 0.0f);
    m.list_top = 140 * m.s;
    m.status_height = round_pixel(30 * m.s);
    m.status_top = m.height - m.status_height;
    m.list_height = std::max(0.0f, m.height - m.status_height - m.list_top);
    m.row_height = round_pixel(32 * m.s);
    m.content_height = static_cast<double>(app.results.size()) * m.row_height;
    m.max_scroll = std::max(0.0, m.content_height - m.list_height);
    m.page = std::max(1u, static_cast<uint32_t>(std::floor(m.list_height / m.row_height)));
    m.box_width = m.width - 32 * m.s - 46 * m.s;
    m.text_left = 60 * m.s;
    m.text_width = m.width - 136 * m.s;
    return m;
}

bool shows_query(const App& app) {
    return app.result_query && !is_empty(*app.result_query);
}

uint64_t whole_milliseconds(Elapsed elapsed) {
    constexpr uint64_t MAX = std::numeric_limits<uint64_t>::max();
    if (elapsed.seconds >= MAX / 1000) return MAX;
    return elapsed.seconds * 1000 + elapsed.nanoseconds / 1'000'000;
}

std::string display_query(const App& app) {
    const std::u32string_view text = app.text;
    const size_t caret = std::min<size_t>(app.caret, text.size());
    return utf32_to_utf8(text.substr(0, caret)) + app.composition +
           utf32_to_utf8(text.substr(caret));
}

void rerun_search(App& app, Shell& shell, bool reset) {
    SearchWorker& worker = *app.engine.search;
    hide_tooltip(app, shell);
    app.query_generation = worker.next_generation();
    app.reset_selection = app.reset_selection || reset;
    app.index_generation_at_search = app.engine.service->index_generation.load();
    SearchRequest request;
    request.text = display_query(app);
    request.generation = app.query_generation;
    request.descending = app.sort_descending;
    request.sort_column = static_cast<uint8_t>(app.sort_column);
    request.composing = !app.composition.empty();
    request.filter = app.filter;
    worker.submit(std::move(request));
    // Not restarted by a later keystroke: the deadline counts from the first key not yet drawn.
    if (!app.caret_timer_pending) {
        app.caret_timer_pending = true;
        shell.set_timer(Timer::Caret, CARET_MS);
    }
}

void clamp_scroll(App& app) {
    app.scroll = std::clamp(app.scroll, 0.0, metrics(app).max_scroll);
}

void scroll_list(App& app, double scroll) {
    app.scroll = scroll;
    clamp_scroll(app);
    want_rows_in_view(app);
}

void select_row(App& app, Shell& shell, size_t i) {
    if (app.results.empty()) return;
    hide_tooltip(app, shell);
    const uint32_t row = static_cast<uint32_t>(std::min(i, app.results.size() - 1));
    app.marked.clear();
    app.marked_items.clear();
    app.select_anchor = row;
    choose_row(app, row);
    scroll_to_row(app, row);
    shell.invalidate();
}

void scroll_to_row(App& app, uint32_t row) {
    const Metrics m = metrics(app);
    const double top = static_cast<double>(row) * m.row_height;
    const double bottom = top + m.row_height;
    double scroll = app.scroll;
    if (top < scroll) {
        scroll = top;
    } else if (bottom > scroll + m.list_height) {
        scroll = bottom - m.list_height;
    }
    scroll_list(app, scroll);
}

void choose_row(App& app, std::optional<uint32_t> row) {
    app.selected = row;
    app.chosen.reset();
    if (row && *row < app.results.size() && row_is_ordered(app, *row))
        app.chosen = capture_item(*app.engine.index, app.results[*row], app.table_ids);
}

std::optional<ChosenEntry> entry_of_row(const App& app, size_t row) {
    if (row >= app.results.size() || !row_is_ordered(app, row)) return std::nullopt;
    return entry_of_hit(app.results[row], app.table_ids);
}

void rest_pointer(App& app, Shell& shell, float x, float y) {
    if (x == app.rest.x && y == app.rest.y) return;
    hide_tooltip(app, shell);
    app.rest.x = x;
    app.rest.y = y;
    if (app.hover.kind == HitKind::ResultRow) shell.set_timer(Timer::Tooltip, TOOLTIP_MS);
}

void hide_tooltip(App& app, Shell& shell) {
    shell.kill_timer(Timer::Tooltip);
    if (!app.rest.tooltip) return;
    app.rest.tooltip = false;
    shell.invalidate();
}

bool close_syntax_card(App& app, Shell& shell) {
    if (!app.syntax_card) return false;
    app.syntax_card = false;
    shell.invalidate();
    return true;
}

void set_toast(App& app, Shell& shell, std::string text) {
    app.toast = Toast{std::move(text), shell.now()};
    shell.set_timer(Timer::Toast, TOAST_MS);
    shell.invalidate();
}

void set_exclusion_toast(App& app, Shell& shell, std::string text, std::string folder) {
    app.toast = Toast{std::move(text), shell.now(), UNDO_TOAST_MS, std::move(folder)};
    shell.set_timer(Timer::Toast, UNDO_TOAST_MS);
    shell.invalidate();
}

}  // namespace norvik
