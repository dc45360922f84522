// The search box's text buffer: App's text (one scalar value per element), caret and anchor. The
// selection is the range between caret and anchor. Every operation keeps both within
// 0..=text length; none searches or repaints (the callers do, once, after the whole edit).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/core/app.h"

namespace norvik {

struct SelectionRange {
    uint32_t start = 0;
    uint32_t end = 0;

    bool empty() const { return start == end; }
};

// Below U+0020, or U+007F-U+009F: never part of the text (inserted as spaces, ignored when typed).
constexpr bool is_control_character(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// [min(caret, anchor), max(caret, anchor)).
SelectionRange selection(const App& app);

// Removes the selection, leaving caret = anchor = its start. False when there was none.
bool delete_selection(App& app);

// The most characters the search box holds. A log pasted by mistake would otherwise be laid out
// and hit-tested whole on every frame, and searched for on every keystroke.
inline constexpr size_t MAX_QUERY_CHARS = 4096;

// Replaces the selection with text at the caret; control characters (below U+0020 and
// U+007F-U+009F) become spaces. Only as much of text as keeps the box within MAX_QUERY_CHARS is
// inserted. The caret ends after the inserted text, with no selection. False when text was cut.
bool insert_text(App& app, std::u32string_view text);

// Backspace: the selection, else one character before the caret, or with `word` back to the
// start of the word before the caret. Nothing at position 0.
void delete_back(App& app, bool word);

// Delete: the selection, else one character after the caret, or with `word` up to the start of
// the next word. Nothing at the end.
void delete_forward(App& app, bool word);

// Word moves over the Unicode White_Space set: word right skips the rest of a word and the
// white space after it; word left skips white space backwards, then the word before it.
uint32_t word_right(std::u32string_view text, uint32_t from);
uint32_t word_left(std::u32string_view text, uint32_t from);

// Puts the caret at `position` (clamped to the text); without `extend` the anchor follows it.
void move_caret(App& app, uint32_t position, bool extend);

void select_all(App& app);

// The selected characters as UTF-8 ("" without a selection).
std::string selected_text(const App& app);

}  // namespace norvik
