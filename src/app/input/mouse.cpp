#include "app/input/mouse.h"

#include <algorithm>
#include <optional>

#include "app/core/actions.h"
#include "app/core/commands.h"
#include "app/core/menus.h"
#include "app/input/edit.h"
#include "app/view/layout.h"

namespace norvik {

namespace {

// Scroll for the thumb dragged to y: the thumb's travel along the track spans the whole list.
void drag_thumb(App& app, float y) {
    const std::optional<ScrollBar> bar = scrollbar_geometry(app);
    const float travel = bar ? bar->track.height - bar->thumb.height : 0;
    app.scroll = app.thumb_drag.start_scroll +
                 metrics(app).max_scroll * (y - app.thumb_drag.start_y) / std::max(travel, 1.0f);
    clamp_scroll(app);
}

// A click on the track moves the list by most of a page towards the click.
void page_towards(App& app, float y) {
    const std::optional<ScrollBar> bar = scrollbar_geometry(app);
    if (!bar) return;
    const float step = 0.9f * metrics(app).list_height;
    app.scroll += y < bar->thumb.y ? -step : step;
    clamp_scroll(app);
}

// Ends a text or thumb drag; true when one was under way.
bool end_drags(App& app) {
    const bool dragging = app.text_drag || app.thumb_drag.active;
    app.text_drag = false;
    app.thumb_drag.active = false;
    return dragging;
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

void on_mouse_move(App& app, Shell& shell, Point at) {
    if (!app.mouse_tracked) {
        shell.track_mouse_leave();
        app.mouse_tracked = true;
    }
    if (app.text_drag) {
        move_caret(app, char_at_x(app, at.x), true);
        shell.invalidate();
    } else if (app.thumb_drag.active) {
        drag_thumb(app, at.y);
        shell.invalidate();
    } else if (const HitTarget hover = hit_test(app, at.x, at.y); hover != app.hover) {
        app.hover = hover;
        shell.invalidate();
    }
}

void on_left_button_down(App& app, Shell& shell, Point at, bool shift) {
    const HitTarget target = hit_test(app, at.x, at.y);
    switch (target.kind) {
        case HitKind::SearchBox:
            move_caret(app, char_at_x(app, at.x), shift);
            app.text_drag = true;
            shell.set_capture();
            break;
        case HitKind::ResultRow:
            select_row(app, shell, target.payload);
            break;
        case HitKind::ScrollThumb:
            app.thumb_drag = ThumbDrag{true, at.y, app.scroll};
            shell.set_capture();
            break;
        case HitKind::ScrollTrack:
            page_towards(app, at.y);
            break;
        default:
            return;
    }
    shell.invalidate();
}

void on_left_button_up(App& app, Shell& shell, Point at) {
    const bool dragged = end_drags(app);
    shell.release_capture();
    if (!dragged) {
        const HitTarget target = hit_test(app, at.x, at.y);
        switch (target.kind) {
            case HitKind::ColumnHeader:
                sort_by_header(app, static_cast<SortColumn>(target.payload));
                rerun_search(app, shell, true);
                break;
            case HitKind::FilterTab:
                app.filter = static_cast<uint8_t>(target.payload);
                rerun_search(app, shell, true);
                break;
            case HitKind::SettingsButton:
                open_settings_menu(shell, at);
                break;
            default:
                break;
        }
    }
    shell.invalidate();
}

void on_capture_lost(App& app, Shell& shell) {
    if (end_drags(app)) shell.invalidate();
}

void on_left_double_click(App& app, Shell& shell, Point at) {
    const HitTarget target = hit_test(app, at.x, at.y);
    if (target.kind == HitKind::SearchBox) {
        select_all(app);
        shell.invalidate();
    } else if (target.kind == HitKind::ResultRow) {
        select_row(app, shell, target.payload);
        open_result(app, shell, false);
    }
}

void on_right_button_up(App& app, Shell& shell, Point at) {
    const HitTarget target = hit_test(app, at.x, at.y);
    if (target.kind == HitKind::ColumnHeader) {
        open_header_menu(shell, at, app.sort_column);
        return;
    }
    if (target.kind != HitKind::ResultRow) return;
    select_row(app, shell, target.payload);
    app.menu_target = app.chosen;
    open_context_menu(shell, at, folder_to_exclude(app, app.menu_target).has_value());
}

}  // namespace norvik
