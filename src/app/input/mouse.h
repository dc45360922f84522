// The mouse in the main window: hover, the search box's caret and drag selection, the scroll
// bar's thumb and track, sorting by a column header, the filter tabs, the settings button,
// double clicks and a row's context menu. Points are client pixels.
#pragma once

#include "app/core/app.h"
#include "app/core/shell.h"

namespace norvik {

// WM_MOUSEMOVE: asks for the leave notice after the mouse came back, moves the caret during a
// text drag, the list during a thumb drag, else updates what is hovered.
void on_mouse_move(App& app, Shell& shell, Point at);

// WM_LBUTTONDOWN: places the caret (extending the selection with Shift) and starts a text drag,
// selects a row, starts a thumb drag, or pages the list towards a click on the track.
void on_left_button_down(App& app, Shell& shell, Point at, bool shift);

// WM_LBUTTONUP: ends a drag; otherwise acts on what is under the point: sorts by a header,
// switches the filter tab, opens the settings menu.
void on_left_button_up(App& app, Shell& shell, Point at);

// WM_CAPTURECHANGED: another window took the mouse (Alt+Tab, a message box), so a drag ends
// here as it would on button up.
void on_capture_lost(App& app, Shell& shell);

// WM_LBUTTONDBLCLK: selects the whole search text, or opens a row.
void on_left_double_click(App& app, Shell& shell, Point at);

// WM_RBUTTONUP: on a row, selects it and opens its context menu; on the column header, opens
// the menu of orders.
void on_right_button_up(App& app, Shell& shell, Point at);

// The order after a click on column's header: the current column turns its direction; a new one
// starts descending for Size and Date modified, ascending for Name and Folder.
void sort_by_header(App& app, SortColumn column);

}  // namespace norvik
