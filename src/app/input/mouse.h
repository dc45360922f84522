// The mouse in the main window: hover, the search box's caret and drag selection, the scroll
// bar's thumb and track, sorting by a column header, sizing the columns by their borders, the
// filter tabs, the settings button, double clicks and a row's context menu. Points are client
// pixels.
#pragma once

#include "app/core/app.h"
#include "app/core/shell.h"

namespace norvik {

// WM_MOUSEMOVE: asks for the leave notice after the mouse came back, remembers the point, moves
// the caret during a text drag, the list during a thumb drag, a column border during its drag,
// else updates what is hovered. A press on a header label that moves past the drag threshold
// will not sort.
void on_mouse_move(App& app, Shell& shell, Point at);

// After the list moved under a pointer that did not (keys, the wheel, a new result): what is
// hovered is found again at the pointer's last point. Nothing while a drag runs or once the
// pointer left the window.
void follow_pointer(App& app, Shell& shell);

// WM_MOUSEWHEEL: scrolls the list (on_mouse_wheel), and the hover follows the pointer.
void on_mouse_wheel_at_pointer(App& app, Shell& shell, int delta);

// WM_SETCURSOR in the client area: over a column border, or while one is dragged, shows the
// west-east arrows and returns true; otherwise false (the class's arrow).
bool on_set_cursor(App& app, Shell& shell, Point at);

// WM_LBUTTONDOWN: places the caret (extending the selection with Shift) and starts a text drag,
// selects a row, starts a thumb drag, pages the list towards a click on the track, starts a
// column border's drag, or presses a header label (the sort waits for the button to come up).
void on_left_button_down(App& app, Shell& shell, Point at, bool shift, bool ctrl = false);

// WM_LBUTTONUP: ends a drag (a border drag stores the widths it changed); otherwise acts on what
// is under the point: sorts by a header when it was clicked (pressed and released on the same
// label without moving past the drag threshold), switches the filter tab, opens the settings
// menu.
void on_left_button_up(App& app, Shell& shell, Point at);

// WM_CAPTURECHANGED: another window took the mouse (Alt+Tab, a message box), so a drag ends
// here as it would on button up, and a pressed header label sorts nothing.
void on_capture_lost(App& app, Shell& shell);

// WM_LBUTTONDBLCLK: selects the whole search text, opens a row, gives the columns back their
// default widths (on a border), or presses a header label again (so it sorts once more).
void on_left_double_click(App& app, Shell& shell, Point at);

// WM_RBUTTONUP: on a row, selects it and opens its context menu; on the column header, opens
// the menu of orders.
// With Shift, a row gets the file manager's own context menu instead.
void on_right_button_up(App& app, Shell& shell, Point at, bool shift = false);

// The order after a click on column's header: the current column turns its direction; a new one
// starts descending for Size and Date modified, ascending for Name and Folder.
void sort_by_header(App& app, SortColumn column);

// Opens the header menu of `column` at client point `at`, remembering the column and the widths
// shown now for its Wider and Narrower items.
void open_column_menu(App& app, Shell& shell, SortColumn column, Point at);

}  // namespace norvik
