#include "app/input/keys.h"

#include <algorithm>
#include <string>

#include "app/core/actions.h"
#include "app/core/commands.h"
#include "app/core/export_results.h"
#include "app/core/item_actions.h"
#include "app/core/menus.h"
#include "app/core/row_selection.h"
#include "app/core/window_events.h"
#include "app/input/clipboard.h"
#include "app/input/edit.h"
#include "app/input/mouse.h"
#include "app/view/layout.h"

namespace norvik {

namespace {

constexpr uint8_t FILTER_COUNT = 7;

// The column headers left to right, as the keyboard walks them.
constexpr SortColumn HEADER_ORDER[] = {SortColumn::Name, SortColumn::Folder, SortColumn::Size,
                                       SortColumn::DateModified};

bool has_results(const App& app) {
    return !app.results.empty();
}

// Moves the caret one step left or right (a word with Ctrl); without Shift a selection collapses
// to its start or end instead.
void move_horizontally(App& app, const KeyEvent& event, bool right) {
    const SelectionRange range = selection(app);
    if (!event.shift && !range.empty()) {
        move_caret(app, right ? range.end : range.start, false);
        return;
    }
    uint32_t to = app.caret;
    if (event.ctrl) {
        to = right ? word_right(app.text, app.caret) : word_left(app.text, app.caret);
    } else if (right) {
        to = app.caret + 1;
    } else if (app.caret > 0) {
        to = app.caret - 1;
    }
    move_caret(app, to, event.shift);
}

// Page Up and Down from the selected row (or from -1 with none); a target above the first row
// selects the first.
// With Shift, both extend the selection from the anchor row.
void move_page(App& app, Shell& shell, bool down, bool shift) {
    const int64_t from = app.selected ? static_cast<int64_t>(*app.selected) : -1;
    const int64_t page = metrics(app).page;
    select_rows(app, shell,
                static_cast<size_t>(std::max<int64_t>(0, down ? from + page : from - page)),
                shift ? RowGesture::Extend : RowGesture::Only);
}

void move_row(App& app, Shell& shell, bool down, bool shift) {
    size_t row = 0;
    if (app.selected) row = down ? *app.selected + 1 : std::max<uint32_t>(*app.selected, 1) - 1;
    select_rows(app, shell, row, shift ? RowGesture::Extend : RowGesture::Only);
}

// The Ctrl shortcuts (A, C, V, X, and Z while a toast offers Undo). False for other letters.
bool run_shortcut(App& app, Shell& shell, uint32_t key) {
    switch (key) {
        case VK_KEY_A:
            select_all(app);
            return true;
        case VK_KEY_C:
            if (!selection(app).empty()) {
                (void)copy_selection(app, shell);
            } else {
                copy_result(app, shell, false);
            }
            return true;
        case VK_KEY_V:
            paste(app, shell);
            return true;
        case VK_KEY_X:
            (void)cut_selection(app, shell);
            return true;
        case VK_KEY_Z:
            return undo_toast(app, shell);
        default:
            return false;
    }
}

// The selected row's menu from the keyboard opens at the start of the row's name, below it, as
// Explorer's does; a row scrolled out of the list gets it at the list's nearer edge.
void open_selected_row_menu(App& app, Shell& shell) {
    if (!app.selected) return;
    const Metrics m = metrics(app);
    const double below =
        m.list_top + (static_cast<double>(*app.selected) + 1) * m.row_height - app.scroll;
    const double y = std::clamp(below, static_cast<double>(m.list_top),
                                static_cast<double>(m.list_top + m.list_height));
    open_row_menu(app, shell, Point{50 * m.s, static_cast<float>(y)});
}

void show_filter(App& app, Shell& shell, uint8_t filter) {
    app.filter = filter;
    rerun_search(app, shell, true);
}

void step_filter(App& app, Shell& shell, bool back) {
    show_filter(app, shell,
                static_cast<uint8_t>((app.filter + (back ? FILTER_COUNT - 1 : 1)) % FILTER_COUNT));
}

void step_focus(App& app, bool back) {
    const uint8_t at = static_cast<uint8_t>(app.focus);
    app.focus = static_cast<FocusArea>((at + (back ? FOCUS_AREAS - 1 : 1)) % FOCUS_AREAS);
}

// Left and Right on the column headers; the ends stay where they are.
void step_header(App& app, bool right) {
    const auto* at =
        std::find(std::begin(HEADER_ORDER), std::end(HEADER_ORDER), app.focused_column);
    if (at == std::end(HEADER_ORDER)) at = std::begin(HEADER_ORDER);
    if (right && at + 1 != std::end(HEADER_ORDER)) ++at;
    if (!right && at != std::begin(HEADER_ORDER)) --at;
    app.focused_column = *at;
}

// The focused header's menu, just below its label.
void open_focused_header_menu(App& app, Shell& shell) {
    for (const ColumnSpec& column : column_specs(app)) {
        if (column.column != app.focused_column) continue;
        open_column_menu(app, shell, column.column, Point{column.x, metrics(app).list_top});
    }
}

// The keys that act on the focused tab, header or menu button rather than on the search box or
// the list; false for every other key.
bool act_on_focus(App& app, Shell& shell, const KeyEvent& event) {
    const bool activate = event.key == VK_KEY_RETURN || event.key == VK_KEY_SPACE;
    const bool sideways = event.key == VK_KEY_LEFT || event.key == VK_KEY_RIGHT;
    const bool menu = event.key == VK_KEY_APPS || (event.key == VK_KEY_F10 && event.shift);
    if (event.ctrl || event.alt) return false;
    switch (app.focus) {
        case FocusArea::Tabs:
            if (sideways) step_filter(app, shell, event.key == VK_KEY_LEFT);
            return sideways;
        case FocusArea::Headers:
            if (sideways) step_header(app, event.key == VK_KEY_RIGHT);
            if (activate) {
                sort_by_header(app, app.focused_column);
                rerun_search(app, shell, true);
            }
            if (menu) open_focused_header_menu(app, shell);
            return sideways || activate || menu;
        case FocusArea::MenuButton:
            if (activate) {
                const Metrics m = metrics(app);
                open_settings_menu(shell, Point{m.width - 56 * m.s, 56 * m.s});
            }
            return activate;
        case FocusArea::SearchBox:
        case FocusArea::Results:
            return false;
    }
    return false;
}

// Acts on one key; false when the key is not the window's.
bool act(App& app, Shell& shell, const KeyEvent& event) {
    if (event.ctrl && event.shift && !event.alt && event.key == VK_KEY_C) {
        copy_items(app, shell, existing_paths(app, shell, selected_entries(app)));
        return true;
    }
    if (event.ctrl && !event.alt && event.key == VK_KEY_S) {
        ask_export_file(app, shell);
        return true;
    }
    if (event.ctrl && !event.alt && run_shortcut(app, shell, event.key)) return true;
    if (act_on_focus(app, shell, event)) return true;
    // Alt alone: with Ctrl it is AltGr, whose digits type characters on many layouts.
    if (event.alt && !event.ctrl && event.key >= VK_KEY_1 && event.key < VK_KEY_1 + FILTER_COUNT) {
        show_filter(app, shell, static_cast<uint8_t>(event.key - VK_KEY_1));
        return true;
    }
    switch (event.key) {
        case VK_KEY_BACK:
        case VK_KEY_DELETE:
            if (event.key == VK_KEY_DELETE && !event.ctrl &&
                delete_key_acts_on_row(app, event.repeat)) {
                delete_items(shell, existing_paths(app, shell, selected_entries(app)), event.shift);
                return true;
            }
            // The search box's keys bring the focus back to it.
            app.focus = FocusArea::SearchBox;
            if (event.key == VK_KEY_BACK) {
                delete_back(app, event.ctrl);
            } else {
                delete_forward(app, event.ctrl);
            }
            return true;
        case VK_KEY_TAB:
            if (event.ctrl) {
                step_filter(app, shell, event.shift);
            } else {
                step_focus(app, event.shift);
            }
            return true;
        case VK_KEY_RETURN:
            if (event.alt) {
                hand_result_to_shell(app, shell, ShellVerb::Properties);
            } else {
                open_result(app, shell, event.ctrl);
            }
            return true;
        case VK_KEY_F10:
            if (!event.shift) return false;  // F10 alone stays the system's
            open_selected_row_menu(app, shell);
            return true;
        case VK_KEY_APPS:
            open_selected_row_menu(app, shell);
            return true;
        case VK_KEY_ESCAPE:
            hide_main_window(app, shell);
            return true;
        case VK_KEY_PRIOR:
        case VK_KEY_NEXT:
            if (has_results(app)) move_page(app, shell, event.key == VK_KEY_NEXT, event.shift);
            return true;
        case VK_KEY_UP:
        case VK_KEY_DOWN:
            if (has_results(app)) move_row(app, shell, event.key == VK_KEY_DOWN, event.shift);
            return true;
        case VK_KEY_HOME:
        case VK_KEY_END: {
            const bool end = event.key == VK_KEY_END;
            if (event.ctrl) {
                if (has_results(app))
                    select_rows(app, shell, end ? app.results.size() - 1 : 0,
                                event.shift ? RowGesture::Extend : RowGesture::Only);
            } else {
                move_caret(app, end ? static_cast<uint32_t>(app.text.size()) : 0, event.shift);
            }
            return true;
        }
        case VK_KEY_LEFT:
        case VK_KEY_RIGHT:
            move_horizontally(app, event, event.key == VK_KEY_RIGHT);
            return true;
        case VK_KEY_F5:
            rebuild_file_list(app, shell);
            return true;
        default:
            return false;
    }
}

}  // namespace

bool on_key_down(App& app, Shell& shell, const KeyEvent& event) {
    // Esc takes the Search syntax card down and leaves the window up; any other key closes the
    // card and does what it does.
    if (close_syntax_card(app, shell) && event.key == VK_KEY_ESCAPE) return true;
    const std::string before = display_query(app);
    const uint64_t generation = app.query_generation;
    if (!act(app, shell, event)) return false;
    follow_pointer(app, shell);
    if (display_query(app) != before) rerun_search(app, shell, true);
    // A key that started a search is drawn with its results (or at the caret's deadline); a
    // frame of the old rows now would only make them wait.
    if (app.query_generation == generation) shell.invalidate();
    return true;
}

}  // namespace norvik
