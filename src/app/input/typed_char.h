// WM_CHAR: one UTF-16 unit typed into the search box.
#pragma once

#include "app/core/app.h"
#include "app/core/shell.h"

namespace norvik {

// A high surrogate waits for its low half (a newer one replaces it); a low surrogate completes it
// or is dropped. Control characters (Backspace, Enter, Tab and Esc arrive here too) are ignored;
// any other character replaces the selection at the caret and searches again.
void on_char(App& app, Shell& shell, char16_t unit);

}  // namespace norvik
