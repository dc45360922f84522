#include "app/input/typed_char.h"

#include <optional>
#include <utility>

#include "app/input/decode_utf16.h"
#include "app/input/edit.h"

namespace norvik {

namespace {

// The character a unit completes, taking the pending high surrogate when it pairs with it.
std::optional<char32_t> complete_character(App& app, char16_t unit) {
    if (is_high_surrogate(unit)) {
        app.pending_high_surrogate = unit;
        return std::nullopt;
    }
    if (is_low_surrogate(unit)) {
        std::optional<char16_t> high = std::exchange(app.pending_high_surrogate, std::nullopt);
        if (!high) return std::nullopt;
        return combine_surrogates(*high, unit);
    }
    return unit;
}

}  // namespace

void on_char(App& app, Shell& shell, char16_t unit) {
    std::optional<char32_t> c = complete_character(app, unit);
    if (!c || is_control_character(*c)) return;
    // Space was the key that acted on the focused tab, header or button; any other character
    // brings the keyboard back to the search box, where it is typed.
    if (app.focus != FocusArea::SearchBox) {
        if (*c == U' ') return;
        app.focus = FocusArea::SearchBox;
    }
    const char32_t typed[] = {*c};
    // A full box takes no more characters; the query did not change, so there is no search.
    if (!insert_text(app, std::u32string_view(typed, 1))) return;
    rerun_search(app, shell, true);
}

}  // namespace norvik
