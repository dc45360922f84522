// The main window's handlers for what is neither keyboard, mouse buttons, the input method nor a
// menu: results arriving from the search worker, index changes, timers, showing and hiding,
// size and DPI changes, the wheel, the mouse leaving, focus, and the end of the program. Each
// is a function of (App, Shell, the message's data): the window procedure unpacks the message
// and calls it, native tests call it directly.
#pragma once

#include <cstdint>

#include "app/core/app.h"
#include "app/core/messages.h"
#include "app/core/shell.h"
#include "search/search.h"
#include "service/index_service.h"

namespace norvik {

// WM_APP_SEARCH_DONE: takes the result waiting in the worker's slot, if any, and accepts it.
void take_search_result(App& app, Shell& shell);

// A delivered result: dropped when it answers an older query or another order. Otherwise shown:
// the first row selected and the list at its top when a reset was asked for; else the selected
// item keeps its highlight (found again by its entry, or by its path after a rescan renumbered
// its table) and, after another order was chosen, comes into view; when the new list lacks it,
// the highlight stays on its row number (clamped to the list) and selects what that row holds
// now. Actions always reach the highlighted row. The frame it asks for also draws the edited
// query, so the caret's deadline is stopped. A search that could not finish leaves the list as
// it was and says so in a toast.
void accept_search_result(App& app, Shell& shell, SearchResult result);

// WM_APP_INDEX_CHANGED: while the window is visible and shows the results of a query, search
// again at once (Now, or a watcher's change with no refresh within the debounce before it) or
// once the debounce since the last refresh runs out (a watcher's change that follows another).
// Always repaints (the status line counts the index).
void on_index_changed(App& app, Shell& shell, IndexChange change);

// The debounce between two searches made for a watcher's changes: four times the last search,
// kept within half a second and 10 seconds, in milliseconds.
uint32_t refresh_delay_ms(Elapsed last_search);

// WM_TIMER for the window's own timers: the toast's end, the debounced refresh, the tick that
// repaints while the index is being read and the caret's deadline (a repaint when a search's
// results have not come within CARET_MS). Timer::Update belongs to the updater and is ignored.
void on_timer(App& app, Shell& shell, Timer timer);

// Shows the window (placed the first time, restored or brought back later), in front and
// focused, with the whole query selected so typing replaces it; searches again when the index
// changed while the window was hidden.
void show_main_window(App& app, Shell& shell);

// Saves the placement and hides the window; the query, results and scroll stay.
void hide_main_window(App& app, Shell& shell);

// WM_SIZE: the client size in pixels (negative values read as 0).
void on_size(App& app, Shell& shell, float width, float height);

// WM_DPICHANGED: the new DPI (below 96 reads as 96), drawn at text_scaled_dpi. The list keeps
// the same rows in view.
void on_dpi_changed(App& app, Shell& shell, uint32_t dpi);

// WM_MOUSEWHEEL: delta as Windows gives it, 120 a notch, positive away from the user (up). A
// notch moves three rows; smaller deltas, as touchpads send, move a part of that.
void on_mouse_wheel(App& app, Shell& shell, int delta);

// WM_MOUSELEAVE: nothing is hovered any more.
void on_mouse_leave(App& app, Shell& shell);

// WM_SETFOCUS and WM_KILLFOCUS: repaint; losing focus never hides the window.
void on_focus_changed(App& app, Shell& shell);

// WM_DESTROY: the program's end. Removes the tray icon and the hot key, saves the placement if
// the window is visible, asks the scans to stop and saves the index if it changed, waiting for a
// save already under way. The shell then drops App and posts the quit.
void on_destroy(App& app, Shell& shell);

// WM_ENDSESSION: when the session ends (ending), the scans are asked to stop and the index is
// saved. With close_app (ENDSESSION_CLOSEAPP: an installer's restart manager wants the program
// closed) the window is destroyed as well, once the handler has returned.
void on_end_session(App& app, Shell& shell, bool ending, bool close_app);

// WM_GETMINMAXINFO: the smallest window size, 560 x 360 scaled by dpi (at least 96), in whole
// pixels.
struct TrackSize {
    int width = 0;
    int height = 0;

    bool operator==(const TrackSize&) const = default;
};
TrackSize min_track_size(uint32_t dpi);

}  // namespace norvik
