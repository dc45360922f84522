// The results view: the whole client area drawn from scratch onto app.renderer, from App and,
// under the index's read lock, from the Index. Positions come from the window layout
// (app/view/layout.h). Nothing here changes App.
#pragma once

#include "app/core/app.h"
#include "gfx/canvas.h"

namespace norvik {

// The seven colours of a theme.
struct Palette {
    Color background;  // the frame's clear colour
    Color status;      // status line background
    Color box;         // search box fill
    Color text;        // primary text
    Color secondary;   // secondary text, icons, hover tints
    Color separator;   // separator lines
    Color accent;
};

const Palette& palette(bool dark);

// Draws one frame: search box, settings button, filter tabs, column header, the visible rows,
// the first-build, intro or nothing-found message, scroll bar, status line and toast. Only rows
// on screen are touched, so a frame costs the same for ten results as for a million. Returns
// true when the canvas reported its device lost (the shell then replaces it); false, drawing
// nothing, without a renderer.
[[nodiscard]] bool paint(const App& app);

}  // namespace norvik
