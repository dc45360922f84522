#include "app/input/edit.h"

#include <algorithm>

#include "hangul/utf8.h"
#include "query/query.h"

namespace norvik {

namespace {

uint32_t length(const App& app) {
    return static_cast<uint32_t>(app.text.size());
}

// Removes [start, end) and leaves the caret at start.
void erase(App& app, uint32_t start, uint32_t end) {
    app.text.erase(start, end - start);
    app.caret = app.anchor = start;
}

}  // namespace

SelectionRange selection(const App& app) {
    return {std::min(app.caret, app.anchor), std::max(app.caret, app.anchor)};
}

bool delete_selection(App& app) {
    const SelectionRange range = selection(app);
    if (range.empty()) return false;
    erase(app, range.start, range.end);
    return true;
}

bool insert_text(App& app, std::u32string_view text) {
    delete_selection(app);
    const size_t room = MAX_QUERY_CHARS - std::min(app.text.size(), MAX_QUERY_CHARS);
    std::u32string clean(text.substr(0, room));
    std::replace_if(clean.begin(), clean.end(), is_control_character, U' ');
    app.text.insert(app.caret, clean);
    app.caret = app.anchor = app.caret + static_cast<uint32_t>(clean.size());
    return clean.size() == text.size();
}

void delete_back(App& app, bool word) {
    if (delete_selection(app) || app.caret == 0) return;
    const uint32_t start = word ? word_left(app.text, app.caret) : app.caret - 1;
    erase(app, start, app.caret);
}

void delete_forward(App& app, bool word) {
    if (delete_selection(app) || app.caret >= length(app)) return;
    const uint32_t end = word ? word_right(app.text, app.caret) : app.caret + 1;
    erase(app, app.caret, end);
}

uint32_t word_right(std::u32string_view text, uint32_t from) {
    size_t p = std::min<size_t>(from, text.size());
    while (p < text.size() && !is_white_space(text[p]))
        ++p;
    while (p < text.size() && is_white_space(text[p]))
        ++p;
    return static_cast<uint32_t>(p);
}

uint32_t word_left(std::u32string_view text, uint32_t from) {
    size_t p = std::min<size_t>(from, text.size());
    while (p > 0 && is_white_space(text[p - 1]))
        --p;
    while (p > 0 && !is_white_space(text[p - 1]))
        --p;
    return static_cast<uint32_t>(p);
}

void move_caret(App& app, uint32_t position, bool extend) {
    app.caret = std::min(position, length(app));
    if (!extend) app.anchor = app.caret;
}

void select_all(App& app) {
    app.anchor = 0;
    app.caret = length(app);
}

std::string selected_text(const App& app) {
    const SelectionRange range = selection(app);
    return utf32_to_utf8(
        std::u32string_view(app.text).substr(range.start, range.end - range.start));
}

}  // namespace norvik
