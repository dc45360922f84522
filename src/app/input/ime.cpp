#include "app/input/ime.h"

#include "app/input/decode_utf16.h"
#include "app/input/edit.h"
#include "app/view/layout.h"
#include "hangul/utf8.h"

namespace norvik {

ImePoint ime_window_point(const App& app) {
    const float s = app.scale;
    const float x = 60 * s - text_scroll_offset(app) + caret_x(app, display_query(app), app.caret);
    return ImePoint{static_cast<int>(x), static_cast<int>(14 * s + 8 * s)};
}

namespace {

void place_ime_window(const App& app, Shell& shell) {
    const ImePoint at = ime_window_point(app);
    shell.place_ime_window(at.x, at.y);
}

}  // namespace

void on_ime_start_composition(App& app, Shell& shell) {
    place_ime_window(app, shell);
}

void on_ime_composition(App& app, Shell& shell, const ImeComposition& strings) {
    if (strings.result) {
        app.composition.clear();
        insert_text(app, decode_utf16(*strings.result));
    }
    if (strings.composition) {
        delete_selection(app);
        app.composition = utf16_to_utf8(*strings.composition);
    }
    place_ime_window(app, shell);
    rerun_search(app, shell, true);
}

void on_ime_end_composition(App& app, Shell& shell) {
    if (app.composition.empty()) return;
    app.composition.clear();
    rerun_search(app, shell, true);
}

}  // namespace norvik
