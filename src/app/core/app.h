// App: the UI thread's state, and the few operations nearly every handler uses (searching
// again, selecting a row, toasts, the derived list metrics). Only the UI thread touches an App;
// the workers reach the window by posting messages (app/core/messages.h) and leaving data in their
// slots. Nothing here includes <windows.h>: the handlers take the Shell port (app/core/shell.h) for
// everything Windows does for them, so they run in native tests.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/core/columns.h"
#include "app/core/hit_target.h"
#include "app/core/selection.h"
#include "app/core/shell.h"
#include "gfx/canvas.h"
#include "index/index.h"
#include "index/scan_state.h"
#include "query/match.h"
#include "query/order.h"
#include "query/query.h"
#include "search/search.h"
#include "search/worker.h"
#include "service/index_service.h"
#include "store/index_file.h"

namespace norvik {

// The engine the window shows and drives. Set once at start-up; never null in the program.
struct Engine {
    Index* index = nullptr;
    SearchWorker* search = nullptr;
    IndexService* service = nullptr;
    // Set when the program quits, so scans stop; the same flag the service's scans read.
    std::atomic<bool>* exit_requested = &norvik::exit_requested;
    // The service's index_dirty: set by writers of the index, cleared by save_index.
    std::atomic<bool>* index_dirty = &norvik::index_dirty;
};

struct ThumbDrag {
    bool active = false;
    float start_y = 0;
    double start_scroll = 0;
};

struct ExportJob;  // app/core/export_results.h

// A left press on a result row: a move past the drag distance from `at` drags the row out.
struct RowPress {
    Point at;
    // The row a plain press landed on among several selected: the press keeps them all for a
    // drag, and comes up as a click that selects this row alone.
    std::optional<uint32_t> collapse_to;
};

struct Toast {
    std::string text;
    Clock::time_point set_at;
    uint32_t lasts_ms = TOAST_MS;
    // The folder whose exclusion the toast reports: its Undo button (and Ctrl+Z) includes it
    // again, and the painter may shorten it in the middle to fit the text. Nothing: no button.
    std::optional<std::string> undo_exclusion = std::nullopt;
};

// Where the pointer last moved to over the window (client pixels), and whether the tooltip of
// the cell there is up: it comes after the pointer rests TOOLTIP_MS on a row.
struct PointerRest {
    float x = 0;
    float y = 0;
    bool tooltip = false;
};

// Where Tab and Shift+Tab have put the keyboard, in their order: the search box, the filter
// tabs, the column headers, the result list, the menu button.
enum class FocusArea : uint8_t { SearchBox, Tabs, Headers, Results, MenuButton };
inline constexpr uint8_t FOCUS_AREAS = 5;

// The column whose header menu is open, and the widths of the sized columns as shown when it
// opened: its Wider and Narrower items change those.
struct HeaderMenuTarget {
    SortColumn column = SortColumn::Name;
    ColumnWidths shown;
};

// The colours of a high-contrast theme as Windows gives them (GetSysColor): the window drawn
// with these instead of its palette while the theme is on.
struct SystemColors {
    Color window;          // COLOR_WINDOW
    Color window_text;     // COLOR_WINDOWTEXT
    Color highlight;       // COLOR_HIGHLIGHT
    Color highlight_text;  // COLOR_HIGHLIGHTTEXT
    Color gray_text;       // COLOR_GRAYTEXT
    Color hotlight;        // COLOR_HOTLIGHT

    bool operator==(const SystemColors&) const = default;
};

struct App {
    std::optional<uint32_t> selected;  // selected result row
    std::u32string text;               // the search box text, one scalar value per element
    std::string composition;           // IME composition at the caret, not yet in text (UTF-8)
    uint32_t caret = 0;                // selection is [min(caret, anchor), max(caret, anchor))
    uint32_t anchor = 0;
    std::vector<Hit> results;         // current results in display order
    std::vector<uint32_t> table_ids;  // each table's table_id when the results were made
    Elapsed search_time;
    HitTarget hover;
    std::shared_ptr<const Query> result_query;  // the query the shown results answer
    std::unique_ptr<Canvas> renderer;           // none: nothing is drawn
    float scale = 1.0f;                         // dpi / 96, times the text scale
    uint64_t result_generation = 0;
    uint64_t query_generation = 0;  // generation of the last request handed to the worker
    uint64_t index_generation_at_search = 0;
    ThumbDrag thumb_drag;
    std::optional<char16_t> pending_high_surrogate;
    // Pixels, always within [0, maximum scroll]. A double: at millions of rows a float's step
    // exceeds a pixel, and rows would hit-test to their neighbours.
    double scroll = 0;
    uint32_t dpi = 96;
    uint32_t text_scale = 100;  // the system's text size in percent (text_scale.h)
    bool dark = false;
    bool sort_descending = false;
    SortColumn sort_column = SortColumn::Relevance;
    bool reset_selection = false;
    // The next delivered result scrolls the kept selection into view (another order was chosen).
    bool reveal_selection = false;
    bool mouse_tracked = false;
    bool text_drag = false;
    bool placed = false;
    bool hot_key_ok = false;
    bool refresh_pending = false;
    bool caret_timer_pending = false;  // Timer::Caret runs; a later search keeps its deadline
    uint8_t filter = 0;                // filter tab 0-6
    std::optional<Toast> toast;
    // The Search syntax card is drawn over the window; Esc, any other key or a click closes it.
    bool syntax_card = false;
    PointerRest rest;  // for the tooltip; pointer (below) is for what is hovered
    // What the shown words find in All when the filter tab found nothing (counted only then).
    std::optional<size_t> unfiltered_count;
    // The selected row's item, captured each time a row is chosen: a new list finds the row
    // again from it (selection.h). Every action acts on the selected row itself.
    std::optional<ChosenItem> chosen;
    // The rows selected together (Ctrl+click, Shift+click, Shift with the arrows), ascending,
    // each with its item so that a new list finds them again (row_selection.h); empty while the
    // selected row alone is selected. `selected` stays the focused row, which need not be in it.
    std::vector<uint32_t> marked;
    std::vector<ChosenItem> marked_items;  // marked's items, in the same order
    // Where Shift extends the selection from: the row last chosen without Shift.
    std::optional<uint32_t> select_anchor;
    // The entry of the row whose context menu is open: the menu's command acts on it even if a
    // refresh or a new selection arrived while the menu was up.
    std::optional<ChosenEntry> menu_target;
    // The entries of the rows selected together when the menu opened on one of them (its
    // commands act on them all); empty when it opened on one row.
    std::vector<ChosenEntry> menu_targets;
    // The files waiting for the answer to "Open {0} items?".
    std::vector<std::string> open_question;
    // When the list last searched again because the index changed; nothing before the first time.
    std::optional<Clock::time_point> last_refresh;
    // The export under way; none when no export runs.
    std::shared_ptr<ExportJob> export_job;
    // The left button went down on a result row and has not come up nor started a drag.
    std::optional<RowPress> row_press;
    // The newer version the update question is asking about, until the answer comes back.
    std::optional<UpdateInfo> offered_update;

    // The client area in pixels, from WM_SIZE (each at least 0).
    float client_width = 0;
    float client_height = 0;

    Engine engine;

    // Rows of results before this one are in their final order; the rest are lacking until the
    // search worker delivers them in order, asked for when the list comes near them
    // (result_order.h).
    size_t results_ordered = SIZE_MAX;
    bool rest_asked = false;  // the rows past the ordered front were asked for

    // The columns as the user sized them; nothing: Name and Folder share the room evenly.
    std::optional<ColumnWidths> column_widths;
    ColumnDrag column_drag;
    std::optional<HeaderPress> header_press;
    // Where the pointer last was in the client area; nothing once it left. The list scrolled by
    // keys or the wheel finds what is hovered from here.
    std::optional<Point> pointer;

    FocusArea focus = FocusArea::SearchBox;
    // The column header the keyboard is on while the headers have the focus.
    SortColumn focused_column = SortColumn::Name;
    std::optional<HeaderMenuTarget> header_menu_target;
    // Set while a high-contrast theme is on (SPI_GETHIGHCONTRAST).
    std::optional<SystemColors> high_contrast;
};

// R(v) of the design: the nearest whole pixel, halves away from zero.
float round_pixel(float v);

// Lengths derived from the client size and the scale, in pixels.
struct Metrics {
    float s = 1;                // scale
    float width = 0;            // W
    float height = 0;           // H
    float list_top = 0;         // 140 s
    float status_height = 0;    // R(30 s)
    float status_top = 0;       // H - R(30 s)
    float list_height = 0;      // max(0, H - R(30 s) - 140 s)
    float row_height = 0;       // R(32 s)
    double content_height = 0;  // rows x row height (a double, as scroll is)
    double max_scroll = 0;      // max(0, content height - list height)
    uint32_t page = 1;          // max(1, floor(list height / row height)) rows
    float box_width = 0;        // W - 32 s - 46 s
    float text_left = 0;        // 60 s
    float text_width = 0;       // W - 136 s
};
Metrics metrics(const App& app);

// True when the shown results answer a query: words, extensions or a filter tab.
bool shows_query(const App& app);

// A search's duration in whole milliseconds, saturating.
uint64_t whole_milliseconds(Elapsed elapsed);

// The query as the search box shows it: text before the caret, the composition, the rest (UTF-8).
std::string display_query(const App& app);

// Hands the displayed query to the search worker with a new generation; `reset` asks the next
// delivered result to select the first row and scroll to the top. Asks for no repaint: a frame
// of the old rows drawn now would delay the answer by a whole frame, so the results bring the
// edited query to the screen with them, or Timer::Caret does after CARET_MS if they are late.
void rerun_search(App& app, Shell& shell, bool reset);

// Selects row i (the last row when i is past it), captures its item as the chosen one, and
// scrolls just enough to show it. Nothing without results.
void select_row(App& app, Shell& shell, size_t i);

// Scrolls just enough to show row in full.
void scroll_to_row(App& app, uint32_t row);

// Makes row the selected one and captures its item (none for a row that is not in order yet);
// nothing clears the selection. No scrolling.
void choose_row(App& app, std::optional<uint32_t> row);

// The entry row `row` of the results names (with the table id delivered for it); nothing for a
// row past the results, a row not in order yet (it is not drawn either) or a table position
// without a delivered id. What every action on the selected row acts on.
std::optional<ChosenEntry> entry_of_row(const App& app, size_t row);

// Keeps scroll within [0, maximum scroll]: geometry only.
void clamp_scroll(App& app);

// Every way of scrolling the list comes here: scroll is clamped, and the rows it brings into view
// that the list lacks are asked for.
void scroll_list(App& app, double scroll);

// The pointer moved to (x, y): a tooltip that was up goes, and one is due after TOOLTIP_MS when
// the pointer stays on a result row. A notice of no move (Windows repeats them) changes nothing.
void rest_pointer(App& app, Shell& shell, float x, float y);

// Takes the tooltip down, and the one due: the list moved or changed, a key or a click came.
void hide_tooltip(App& app, Shell& shell);

// Shows text as a toast for 2.5 seconds.
void set_toast(App& app, Shell& shell, std::string text);

// Takes the Search syntax card down; false when it was not up.
bool close_syntax_card(App& app, Shell& shell);
// Shows text, which names `folder`, as a toast with an Undo button that includes the folder again,
// for UNDO_TOAST_MS.
void set_exclusion_toast(App& app, Shell& shell, std::string text, std::string folder);

}  // namespace norvik
