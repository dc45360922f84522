#include "app/core/window_events.h"

#include "app/core/row_selection.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

#include "app/core/result_order.h"
#include "app/core/row_selection.h"
#include "app/core/text_scale.h"
#include "app/text/text.h"

namespace norvik {

namespace {

// A toast is taken down once it is this much short of its time; the timer fires at its end.
constexpr auto TOAST_EARLY = std::chrono::milliseconds(100);

// What the selected row holds, to find in the next list: the chosen item when it is that row's
// entry (it knows the entry's path, and is kept for a row not in order yet), else the row's
// entry alone; nothing for a row not in order yet that was chosen by its number.
std::optional<ChosenItem> selected_item(const App& app) {
    if (!app.selected || *app.selected >= app.results.size()) return std::nullopt;
    const std::optional<ChosenEntry> held = entry_of_hit(app.results[*app.selected], app.table_ids);
    if (!held) return std::nullopt;
    if (app.chosen && app.chosen->entry == *held) return app.chosen;
    if (!row_is_ordered(app, *app.selected)) return std::nullopt;
    return ChosenItem{*held, {}, {}};
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
    if (result.first_row != 0 && !result.failed) {
        accept_rest(app, shell, std::move(result));
        return;
    }
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

    const std::optional<ChosenItem> kept = selected_item(app);
    const std::optional<ChosenItem> kept_anchor = anchor_item(app);
    const std::vector<ChosenItem> kept_marked = std::move(app.marked_items);
    app.marked.clear();
    app.marked_items.clear();
    hide_tooltip(app, shell);
    app.results = std::move(result.hits);
    app.unfiltered_count = result.unfiltered_count;
    app.results_ordered = result.ordered;
    app.rest_asked = false;
    app.table_ids = std::move(result.table_ids);
    app.result_query = std::move(result.query);
    app.search_time = result.elapsed;
    app.result_generation = result.generation;

    const bool reveal = std::exchange(app.reveal_selection, false);
    if (app.reset_selection) {
        app.reset_selection = false;
        choose_row(app, app.results.empty() ? std::nullopt : std::optional<uint32_t>(0));
        app.select_anchor = app.selected;
        scroll_list(app, 0);
    } else {
        // The selected item keeps its highlight in the new list; when the list lost it, the
        // highlight stays on its row number and whatever that row holds now is what it selects.
        std::optional<size_t> row;
        if (kept) row = find_item(*app.engine.index, *kept, app.results, app.table_ids);
        if (!row && app.selected && !app.results.empty())
            row = std::min<size_t>(*app.selected, app.results.size() - 1);
        choose_row(app, row ? std::optional<uint32_t>(static_cast<uint32_t>(*row)) : std::nullopt);
        // Found among the rows not in order yet: the item stays chosen, they are asked for, and
        // it follows its entry to its place when they come.
        if (row && kept && !app.chosen) {
            app.chosen = ChosenItem{*entry_of_hit(app.results[*row], app.table_ids), kept->root,
                                    kept->relative};
            want_rows_through(app, *row);
        }
        keep_marked(app, kept_marked, kept_anchor);
        if (reveal && app.selected) {
            scroll_to_row(app, *app.selected);  // another order: the selection stays in view
        } else {
            scroll_list(app, app.scroll);
        }
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
    scroll_list(app, app.scroll);
    shell.invalidate();
}

void on_dpi_changed(App& app, Shell& shell, uint32_t dpi) {
    const float old_scale = app.scale;
    app.dpi = std::max(dpi, 96u);
    app.scale = static_cast<float>(drawing_dpi(app)) / 96.0f;
    // Rows grow or shrink with the scale: scroll by the same number of rows.
    scroll_list(app, app.scroll * app.scale / old_scale);
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
    scroll_list(app, scroll);
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
