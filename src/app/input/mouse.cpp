#include "app/input/mouse.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "app/core/actions.h"
#include "app/core/commands.h"
#include "app/core/item_actions.h"
#include "app/core/menus.h"
#include "app/core/row_selection.h"
#include "app/core/window_events.h"
#include "app/input/edit.h"
#include "app/view/layout.h"

namespace norvik {

namespace {

// Scroll for the thumb dragged to y: the thumb's travel along the track spans the whole list.
void drag_thumb(App& app, float y) {
    const std::optional<ScrollBar> bar = scrollbar_geometry(app);
    const float travel = bar ? bar->track.height - bar->thumb.height : 0;
    scroll_list(app, app.thumb_drag.start_scroll + metrics(app).max_scroll *
                                                       (y - app.thumb_drag.start_y) /
                                                       std::max(travel, 1.0f));
}

// A click on the track moves the list by most of a page towards the click.
void page_towards(App& app, float y) {
    const std::optional<ScrollBar> bar = scrollbar_geometry(app);
    if (!bar) return;
    const float step = 0.9f * metrics(app).list_height;
    scroll_list(app, app.scroll + (y < bar->thumb.y ? -step : step));
}

// The border under the pointer follows it; the columns beside it trade width. Back where it
// started, the widths are the ones from before (not the shown ones, which are whole pixels).
void drag_border(App& app, float x) {
    const ColumnDrag& drag = app.column_drag;
    if (x == drag.start_x) {
        app.column_widths = drag.before;
        return;
    }
    app.column_widths = drag_column_border(drag.start, drag.name_start, drag.border,
                                           (x - drag.start_x) / app.scale);
}

void start_border_drag(App& app, Shell& shell, uint32_t border, float x) {
    const ShownColumns shown = shown_columns(app);
    app.column_drag = ColumnDrag{true, border, x, shown.name, shown.others, app.column_widths};
    shell.set_capture();
}

// Ends a text, thumb or border drag; true when one was under way. A border drag that changed
// the widths stores them.
bool end_drags(App& app, Shell& shell) {
    const bool dragging = app.text_drag || app.thumb_drag.active || app.column_drag.active;
    if (app.column_drag.active && app.column_widths != app.column_drag.before)
        (void)save_column_widths(shell.settings(), app.column_widths);
    app.text_drag = false;
    app.thumb_drag.active = false;
    app.column_drag.active = false;
    return dragging;
}

// A press on a header label that stays put is a click; one that moves is a drag from then on,
// wherever it ends.
void press_header(App& app, Shell& shell, uint32_t column, Point at) {
    app.header_press = HeaderPress{static_cast<SortColumn>(column), at, false};
    shell.set_capture();
}

bool header_clicked(const std::optional<HeaderPress>& press, const HitTarget& target) {
    return press && !press->moved && target.kind == HitKind::ColumnHeader &&
           static_cast<uint32_t>(press->column) == target.payload;
}

}  // namespace

void sort_by_header(App& app, SortColumn column) {
    if (app.sort_column == column) {
        app.sort_descending = !app.sort_descending;
        return;
    }
    app.sort_column = column;
    app.sort_descending = starts_descending(column);
}

void open_column_menu(App& app, Shell& shell, SortColumn column, Point at) {
    app.header_menu_target = HeaderMenuTarget{column, shown_columns(app).others};
    open_header_menu(shell, at, app.sort_column);
}

void follow_pointer(App& app, Shell& shell) {
    if (!app.pointer || app.text_drag || app.thumb_drag.active || app.column_drag.active) return;
    const HitTarget hover = hit_test(app, app.pointer->x, app.pointer->y);
    if (hover == app.hover) return;
    app.hover = hover;
    shell.invalidate();
}

void on_mouse_move(App& app, Shell& shell, Point at) {
    if (!app.mouse_tracked) {
        shell.track_mouse_leave();
        app.mouse_tracked = true;
    }
    app.pointer = at;
    if (drag_pressed_row(app, shell, at)) return;
    if (app.header_press && past_drag_threshold(app.header_press->at, at, app.scale))
        app.header_press->moved = true;
    if (app.text_drag) {
        move_caret(app, char_at_x(app, at.x), true);
        shell.invalidate();
    } else if (app.thumb_drag.active) {
        drag_thumb(app, at.y);
        shell.invalidate();
    } else if (app.column_drag.active) {
        drag_border(app, at.x);
        shell.invalidate();
    } else {
        follow_pointer(app, shell);
        rest_pointer(app, shell, at.x, at.y);
    }
}

void on_mouse_wheel_at_pointer(App& app, Shell& shell, int delta) {
    on_mouse_wheel(app, shell, delta);
    follow_pointer(app, shell);
}

bool on_set_cursor(App& app, Shell& shell, Point at) {
    if (!app.column_drag.active && hit_test(app, at.x, at.y).kind != HitKind::ColumnBorder)
        return false;
    shell.set_cursor(CursorShape::ResizeColumn);
    return true;
}

void on_left_button_down(App& app, Shell& shell, Point at, bool shift, bool ctrl) {
    app.pointer = at;
    // A click on the Search syntax card closes it when the button comes up, and does nothing else.
    if (app.syntax_card) return;
    app.header_press.reset();
    hide_tooltip(app, shell);
    const HitTarget target = hit_test(app, at.x, at.y);
    switch (target.kind) {
        case HitKind::ColumnBorder:
            start_border_drag(app, shell, target.payload, at.x);
            break;
        case HitKind::ColumnHeader:
            press_header(app, shell, target.payload, at);
            return;
        case HitKind::SearchBox:
            move_caret(app, char_at_x(app, at.x), shift);
            app.text_drag = true;
            shell.set_capture();
            break;
        case HitKind::ResultRow:
            // A press on a row of a selection of several keeps them, to drag them all out; the
            // click that ends without a drag selects that row alone (on_left_button_up).
            if (shift || ctrl) {
                select_rows(app, shell, target.payload,
                            ctrl ? RowGesture::Toggle : RowGesture::Extend);
            } else if (!is_marked(app, target.payload)) {
                select_row(app, shell, target.payload);
            }
            press_row(app, shell, at);
            if (!shift && !ctrl && is_marked(app, target.payload))
                app.row_press->collapse_to = target.payload;
            break;
        case HitKind::ScrollThumb:
            app.thumb_drag = ThumbDrag{true, at.y, app.scroll};
            shell.set_capture();
            break;
        case HitKind::ScrollTrack:
            page_towards(app, at.y);
            follow_pointer(app, shell);
            break;
        default:
            return;
    }
    shell.invalidate();
}

void on_left_button_up(App& app, Shell& shell, Point at) {
    app.pointer = at;
    if (close_syntax_card(app, shell)) return;
    // The border ends where the button came up, even if the last move before it was not seen.
    if (app.column_drag.active) drag_border(app, at.x);
    const bool dragged = end_drags(app, shell);
    const std::optional<HeaderPress> press = std::exchange(app.header_press, std::nullopt);
    const std::optional<RowPress> row_press = std::exchange(app.row_press, std::nullopt);
    if (!dragged && row_press && row_press->collapse_to)
        select_row(app, shell, *row_press->collapse_to);
    shell.release_capture();
    if (!dragged) {
        const HitTarget target = hit_test(app, at.x, at.y);
        switch (target.kind) {
            case HitKind::ColumnHeader:
                if (!header_clicked(press, target)) break;
                sort_by_header(app, static_cast<SortColumn>(target.payload));
                search_in_new_order(app, shell);
                break;
            case HitKind::FilterTab:
                app.filter = static_cast<uint8_t>(target.payload);
                rerun_search(app, shell, true);
                break;
            case HitKind::SettingsButton:
                open_settings_menu(shell, at);
                break;
            case HitKind::ToastButton:
                (void)undo_toast(app, shell);
                break;
            default:
                break;
        }
    }
    shell.invalidate();
}

void on_capture_lost(App& app, Shell& shell) {
    app.header_press.reset();
    app.row_press.reset();
    if (end_drags(app, shell)) shell.invalidate();
}

void on_left_double_click(App& app, Shell& shell, Point at) {
    if (close_syntax_card(app, shell)) return;
    const HitTarget target = hit_test(app, at.x, at.y);
    if (target.kind == HitKind::ColumnBorder) {
        // Back to the default split: Name and Folder share the room again.
        if (app.column_widths) (void)save_column_widths(shell.settings(), std::nullopt);
        app.column_widths.reset();
        shell.invalidate();
    } else if (target.kind == HitKind::ColumnHeader) {
        // The second click of a double click on a label sorts again, as two clicks would.
        press_header(app, shell, target.payload, at);
    } else if (target.kind == HitKind::SearchBox) {
        select_all(app);
        shell.invalidate();
    } else if (target.kind == HitKind::ResultRow) {
        select_row(app, shell, target.payload);
        open_result(app, shell, false);
    }
}

void on_right_button_up(App& app, Shell& shell, Point at, bool shift) {
    if (close_syntax_card(app, shell)) return;
    const HitTarget target = hit_test(app, at.x, at.y);
    if (target.kind == HitKind::ColumnHeader) {
        open_column_menu(app, shell, static_cast<SortColumn>(target.payload), at);
        return;
    }
    if (target.kind != HitKind::ResultRow) return;
    // A right click on a row of several selected keeps them: the system's menu acts on them all.
    if (!is_marked(app, target.payload)) select_row(app, shell, target.payload);
    if (shift) {
        show_system_menu(shell, existing_paths(app, shell, selected_entries(app)), at, true);
        return;
    }
    open_row_menu(app, shell, at);
}

}  // namespace norvik
