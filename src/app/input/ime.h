// The input method in the search box: the composition window's place, the composition shown (and
// searched) at the caret while a syllable is being typed, and the committed result. The window
// procedure reads the strings from the input method context and passes them here as UTF-16.
#pragma once

#include <optional>
#include <string>

#include "app/core/app.h"
#include "app/core/shell.h"

namespace norvik {

// The strings a WM_IME_COMPOSITION carries: each present only when its flag (GCS_RESULTSTR,
// GCS_COMPSTR) is set. An input method context that cannot be had reads as an empty string.
struct ImeComposition {
    std::optional<std::u16string> result;
    std::optional<std::u16string> composition;
};

// The composition window's client point: at the caret in the search box, below its top padding.
struct ImePoint {
    int x = 0;
    int y = 0;

    bool operator==(const ImePoint&) const = default;
};
ImePoint ime_window_point(const App& app);

// WM_IME_STARTCOMPOSITION: places the composition window at the caret.
void on_ime_start_composition(App& app, Shell& shell);

// WM_IME_COMPOSITION: inserts the committed result at the caret, holds the new composition
// (deleting a selection first), places the window and searches, with the composing flag while a
// composition is held.
void on_ime_composition(App& app, Shell& shell, const ImeComposition& strings);

// WM_IME_ENDCOMPOSITION: a composition still held is dropped, and only then searched again.
void on_ime_end_composition(App& app, Shell& shell);

}  // namespace norvik
