// The results view: the whole client area drawn from scratch onto app.renderer, from App and,
// under the index's read lock, from the Index. Positions come from the window layout
// (app/view/layout.h). Nothing here changes App.
#pragma once

#include <array>

#include "app/core/app.h"
#include "gfx/canvas.h"

namespace norvik {

// The colours of a theme. Every text stays at 4.5:1 or more against what it is drawn on (the
// selection band and hover tints included), icons and the accent bar at 3:1 or more.
struct Palette {
    Color background;  // the frame's clear colour
    Color status;      // status line background
    Color box;         // search box fill
    Color text;        // primary text
    Color secondary;   // secondary text, icons, hover tints
    Color separator;   // separator lines
    Color accent;
    Color on_accent;                  // text on an accent fill (the current filter tab)
    Color selection;                  // the selected row's band, translucent over the background
    Color notice;                     // the hot key warning in the status line
    Color folder_icon;                // a folder's icon
    std::array<Color, 8> kind_icons;  // a file's icon, by Kind (Picture ... Other)
};

const Palette& palette(bool dark);

// The colours of a high-contrast theme: the system's own, with every text in the window text
// colour (no colour tells anything apart: matches are also bold, the selected row outlined).
Palette high_contrast_palette(const SystemColors& system);

// What the window is drawn with now: the high-contrast theme's colours while one is on, else
// the light or dark palette.
Palette palette_for(const App& app);

// Where the focus outline is drawn: just outside the element the keyboard is on, a row kept
// within the list; nothing while the search box has the keyboard (its caret shows it).
std::optional<RectF> focus_outline(const App& app);

// The live entries of every table, read under the index's read lock (0 when it is poisoned).
uint64_t indexed_count(Index& index);

// The status line's counts as drawn: what the shown query found and how long it took, how many
// entries are indexed, and the scan's progress while one runs.
std::string status_text(const App& app, uint64_t items_read);

// How many rows are selected together and their files' total size; empty for one row or none.
std::string selection_status(const App& app);

// Draws one frame: search box, settings button, filter tabs, column header, the visible rows,
// the first-build, intro or nothing-found message, scroll bar, status line and toast. Only rows
// on screen are touched, so a frame costs the same for ten results as for a million. Returns
// true when the canvas reported its device lost (the shell then replaces it); false, drawing
// nothing, without a renderer.
[[nodiscard]] bool paint(const App& app);

}  // namespace norvik
