#include "app/core/window_events.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

#include "app/text/text.h"

namespace norvik {

namespace {

// A toast is taken down once it is this much short of its time; the timer fires at its end.
constexpr auto TOAST_EARLY = std::chrono::milliseconds(100);

// The table id a hit of `results` was made against, or nothing when its position is unknown.
std::optional<uint32_t> table_id_of(const Hit& hit, const std::vector<uint32_t>& table_ids) {
    if (hit.table >= table_ids.size()) return std::nullopt;
    return table_ids[hit.table];
}

// The row of the new results holding the entry that was selected, if it is still there. The
// table id must match too: a rebuilt table reuses entry numbers for other files.
std::optional<uint32_t> find_selected_entry(const Hit& selected,
                                            std::optional<uint32_t> selected_table_id,
                                            const SearchResult& result) {
    if (!selected_table_id) return std::nullopt;
    for (size_t row = 0; row < result.hits.size(); ++row) {
        const Hit& hit = result.hits[row];
        if (hit.entry == selected.entry && hit.table == selected.table &&
            table_id_of(hit, result.table_ids) == selected_table_id)
            return static_cast<uint32_t>(row);
    }
    return std::nullopt;
}

// Searches again for the index's changes, keeping the selection, and notes when.
void refresh_results(App& app, Shell& shell) {
    app.last_refresh = shell.now();
    rerun_search(app, shell, false);
}

// How long a watcher's change waits before the list searches again, given the time since the
// last such search (nothing: there was none): nothing when the debounce has run out since, else
// the rest of the debounce in milliseconds.
std::optional<uint32_t> refresh_wait_ms(Elapsed last_search,
                                        std::optional<Clock::duration> since_last_refresh) {
    const uint32_t debounce = refresh_delay_ms(last_search);
    if (!since_last_refresh) return std::nullopt;
    const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(*since_last_refresh);
    if (since.count() < 0 || since.count() >= debounce) return std::nullopt;
    return debounce - static_cast<uint32_t>(since.count());
}

void stop_caret_timer(App& app, Shell& shell) {
    if (!std::exchange(app.caret_timer_pending, false)) return;
    shell.kill_timer(Timer::Caret);
}

void save_index_now(App& app) {
    app.engine.exit_requested->store(true);
    // save_index does nothing when the index is clean, and waits for a save already under way,
    // so the program never ends halfway through writing the file.
    save_index(*app.engine.index, *app.engine.index_dirty, app.engine.service->index_file());
}

}  // namespace

void take_search_result(App& app, Shell& shell) {
    if (std::optional<SearchResult> result = app.engine.search->take_result())
        accept_search_result(app, shell, std::move(*result));
}

void accept_search_result(App& app, Shell& shell, SearchResult result) {
    if (result.generation != app.query_generation ||
        result.sort_column != static_cast<uint8_t>(app.sort_column) ||
        result.descending != app.sort_descending)
        return;
    if (result.failed) {
        // The list keeps what it showed; the search box keeps the text, so fewer hits are one
        // more word away.
        set_toast(
            app, shell,
            choose_text("메모리가 모자라 검색을 끝내지 못했습니다. 낱말을 더 넣어 좁혀 보세요.",
                        "Not enough memory to finish this search. Add words to narrow it."));
        return;
    }

    std::optional<Hit> selected_hit;
    std::optional<uint32_t> selected_table_id;
    if (app.selected && *app.selected < app.results.size()) {
        selected_hit = app.results[*app.selected];
        selected_table_id = table_id_of(*selected_hit, app.table_ids);
    }
    std::optional<uint32_t> kept;
    if (selected_hit) kept = find_selected_entry(*selected_hit, selected_table_id, result);

    hide_tooltip(app, shell);
    app.results = std::move(result.hits);
    app.unfiltered_count = result.unfiltered_count;
    app.results_ordered = result.ordered;
    app.table_ids = std::move(result.table_ids);
    app.result_query = std::move(result.query);
    app.search_time = result.elapsed;
    app.result_generation = result.generation;

    if (app.reset_selection) {
        app.reset_selection = false;
        app.selected = app.results.empty() ? std::nullopt : std::optional<uint32_t>(0);
        app.chosen = entry_of_row(app, 0);
        app.scroll = 0;
    } else {
        if (kept) {
            app.selected = kept;
        } else if (app.selected) {
            app.selected = app.results.empty() ? std::nullopt
                                               : std::optional<uint32_t>(std::min<size_t>(
                                                     *app.selected, app.results.size() - 1));
            // The chosen entry stays what the user chose: an action on it now says it is gone
            // rather than reaching the file that moved up into its row.
        }
        if (!app.selected) app.chosen.reset();
        clamp_scroll(app);
    }
    // This frame draws the query the user sees now, so the fallback frame is not needed.
    stop_caret_timer(app, shell);
    shell.invalidate();
}

uint32_t refresh_delay_ms(Elapsed last_search) {
    const uint64_t ms = last_search.seconds * 1000 + last_search.nanoseconds / 1'000'000;
    // Half a second keeps a storm at two searches a second while a change that follows another
    // still shows within it; a slow search spaces them out so it never runs back to back.
    // Clamped before multiplying, so a search that took ages cannot overflow the product.
    return static_cast<uint32_t>(
        std::clamp<uint64_t>(std::min<uint64_t>(ms, 10'000) * 4, 500, 10'000));
}

void on_index_changed(App& app, Shell& shell, IndexChange change) {
    if (shell.is_visible() && shows_query(app)) {
        if (change == IndexChange::Now) {
            // This search already sees the change a pending refresh waits for.
            if (app.refresh_pending) {
                shell.kill_timer(Timer::Refresh);
                app.refresh_pending = false;
            }
            refresh_results(app, shell);
        } else {
            // The first change after a calm spell shows at once; the ones that follow it within
            // the debounce wait for its end, so a storm of changes searches once per debounce.
            std::optional<Clock::duration> since;
            if (app.last_refresh) since = shell.now() - *app.last_refresh;
            if (const std::optional<uint32_t> wait = refresh_wait_ms(app.search_time, since)) {
                if (!app.refresh_pending) {
                    app.refresh_pending = true;
                    shell.set_timer(Timer::Refresh, *wait);
                }
            } else {
                // The debounce ran out and the timer has not fired: WM_TIMER only comes when the
                // queue is empty, and a storm of changes and repaints can keep it full for as
                // long as the storm lasts.
                if (app.refresh_pending) {
                    shell.kill_timer(Timer::Refresh);
                    app.refresh_pending = false;
                }
                refresh_results(app, shell);
            }
        }
    }
    shell.invalidate();
}

void on_timer(App& app, Shell& shell, Timer timer) {
    switch (timer) {
        case Timer::Toast: {
            shell.kill_timer(Timer::Toast);
            if (!app.toast) return;
            const auto age = shell.now() - app.toast->set_at;
            const auto lasts = std::chrono::milliseconds(app.toast->lasts_ms);
            if (age >= lasts - TOAST_EARLY) {
                app.toast.reset();
                shell.invalidate();
            } else {
                // Fired early (a timer is never exact): wait out the rest instead of leaving the
                // toast up for good.
                const auto rest =
                    lasts - std::chrono::duration_cast<std::chrono::milliseconds>(age);
                shell.set_timer(Timer::Toast,
                                static_cast<uint32_t>(std::max<int64_t>(rest.count(), 1)));
            }
            return;
        }
        case Timer::Refresh:
            shell.kill_timer(Timer::Refresh);
            app.refresh_pending = false;
            if (shell.is_visible() && shows_query(app)) refresh_results(app, shell);
            return;
        case Timer::Tick: {
            const IndexService& service = *app.engine.service;
            if (shell.is_visible() &&
                (service.scans_in_progress.load() != 0 || !service.index_ready.load()))
                shell.invalidate();
            return;
        }
        case Timer::Caret:
            // The results are late: draw the typed text and the caret over the old rows.
            stop_caret_timer(app, shell);
            shell.invalidate();
            return;
        case Timer::Tooltip:
            shell.kill_timer(Timer::Tooltip);
            // Drawn only over a cell whose text is cut short; the painter knows which.
            if (app.hover.kind != HitKind::ResultRow || app.rest.tooltip) return;
            app.rest.tooltip = true;
            shell.invalidate();
            return;
        case Timer::Update:
        case Timer::RendererRetry:  // the program handles these before the core
            return;
    }
}

void show_main_window(App& app, Shell& shell) {
    const bool first_time = !app.placed;
    app.placed = true;
    shell.show_window(first_time);
    app.anchor = 0;
    app.caret = static_cast<uint32_t>(app.text.size());
    const bool has_query = !app.text.empty() || !app.composition.empty() || app.filter != 0;
    if (has_query && app.engine.service->index_generation.load() != app.index_generation_at_search)
        rerun_search(app, shell, false);
    shell.invalidate();
}

void hide_main_window(App&, Shell& shell) {
    shell.hide_window();
}

void on_size(App& app, Shell& shell, float width, float height) {
    app.client_width = std::max(width, 0.0f);
    app.client_height = std::max(height, 0.0f);
    clamp_scroll(app);
    shell.invalidate();
}

void on_dpi_changed(App& app, Shell& shell, uint32_t dpi) {
    const float old_scale = app.scale;
    app.dpi = std::max(dpi, 96u);
    app.scale = static_cast<float>(app.dpi) / 96.0f;
    // Rows grow or shrink with the scale: scroll by the same number of rows.
    app.scroll = app.scroll * app.scale / old_scale;
    clamp_scroll(app);
    shell.invalidate();
}

void on_mouse_wheel(App& app, Shell& shell, int delta) {
    const Metrics m = metrics(app);
    // In floating point: a touchpad sends deltas far below a notch's 120, which whole-number
    // arithmetic would turn into no scrolling at all.
    const float rows = 3.0f * static_cast<float>(delta) / -120.0f;
    const double scroll = std::clamp(app.scroll + m.row_height * rows, 0.0, m.max_scroll);
    if (scroll == app.scroll) return;
    hide_tooltip(app, shell);
    app.scroll = scroll;
    shell.invalidate();
}

void on_mouse_leave(App& app, Shell& shell) {
    app.mouse_tracked = false;
    app.pointer.reset();
    hide_tooltip(app, shell);
    if (app.hover.kind == HitKind::Nothing) return;
    app.hover = HitTarget{};
    shell.invalidate();
}

void on_focus_changed(App&, Shell& shell) {
    shell.invalidate();
}

void on_destroy(App& app, Shell& shell) {
    shell.remove_tray_icon();
    shell.unregister_hot_key();
    if (shell.is_visible()) shell.save_placement();
    save_index_now(app);
}

void on_end_session(App& app, Shell& shell, bool ending, bool close_app) {
    if (!ending) return;
    save_index_now(app);
    if (close_app) shell.defer(DestroyRequest{});
}

TrackSize min_track_size(uint32_t dpi) {
    const double d = std::max(dpi, 96u) / 96.0;
    return TrackSize{static_cast<int>(560 * d), static_cast<int>(360 * d)};
}

}  // namespace norvik
