// The search box and the clipboard: copy, cut and paste of the box's text.
#pragma once

#include <string>
#include <string_view>

#include "app/core/app.h"
#include "app/core/shell.h"

namespace norvik {

// The most UTF-16 units a paste takes from the clipboard.
inline constexpr size_t MAX_PASTE_UNITS = 1'048'576;

// Puts the selected text on the clipboard. False without a selection or when the clipboard did
// not take it.
bool copy_selection(const App& app, Shell& shell);

// Copies the selection and deletes it, only if the clipboard took it.
bool cut_selection(App& app, Shell& shell);

// What a paste inserts: at most MAX_PASTE_UNITS units, decoded, with White_Space trimmed at both
// ends (inner control characters become spaces when inserted).
std::u32string paste_text(std::u16string_view clipboard);

// Inserts the clipboard's text at the caret, cut to what the box has room for (with a toast
// saying so). Nothing when the clipboard holds no text.
void paste(App& app, Shell& shell);

}  // namespace norvik
