#include "app/input/element_actions.h"

#include <algorithm>

#include "app/core/commands.h"
#include "app/core/menus.h"
#include "app/input/edit.h"
#include "app/input/mouse.h"
#include "hangul/utf8.h"

namespace norvik {

namespace {

// The middle of the element's bounds: where a menu it opens appears.
Point centre_of(const App& app, ElementId id) {
    const std::optional<ElementNode> node = describe_element(app, id, Language::En);
    if (!node) return {};
    return Point{node->bounds.x + node->bounds.width / 2, node->bounds.bottom()};
}

bool invoke(App& app, Shell& shell, ElementId id) {
    switch (id.kind) {
        case UiPart::MenuButton:
            open_settings_menu(shell, centre_of(app, id));
            return true;
        case UiPart::HeaderItem:
            // Header items are the columns in SortColumn's order after Relevance.
            sort_by_header(app, static_cast<SortColumn>(id.index + 1));
            rerun_search(app, shell, true);
            return true;
        default:
            return false;
    }
}

bool focus_element(App& app, ElementId id) {
    switch (id.kind) {
        case UiPart::SearchBox:
            app.focus = FocusArea::SearchBox;
            return true;
        case UiPart::Tab:
            app.focus = FocusArea::Tabs;
            return true;
        case UiPart::HeaderItem:
            app.focus = FocusArea::Headers;
            app.focused_column = static_cast<SortColumn>(id.index + 1);
            return true;
        case UiPart::Results:
        case UiPart::Row:
            app.focus = FocusArea::Results;
            return true;
        case UiPart::MenuButton:
            app.focus = FocusArea::MenuButton;
            return true;
        default:
            return false;
    }
}

}  // namespace

bool act_on_element(App& app, Shell& shell, ElementId id, ElementAction action) {
    if (!describe_element(app, id, Language::En)) return false;
    bool acted = false;
    switch (action) {
        case ElementAction::Invoke:
            acted = invoke(app, shell, id);
            break;
        case ElementAction::Select:
            if (id.kind == UiPart::Tab) {
                app.filter = static_cast<uint8_t>(id.index);
                rerun_search(app, shell, true);
                acted = true;
            } else if (id.kind == UiPart::Row) {
                select_row(app, shell, id.index);
                acted = true;
            }
            break;
        case ElementAction::ScrollIntoView:
            if (id.kind == UiPart::Row) {
                const Metrics m = metrics(app);
                const double top = static_cast<double>(id.index) * m.row_height;
                if (top < app.scroll) app.scroll = top;
                if (top + m.row_height > app.scroll + m.list_height)
                    app.scroll = top + m.row_height - m.list_height;
                clamp_scroll(app);
                acted = true;
            }
            break;
        case ElementAction::Focus:
            acted = focus_element(app, id);
            break;
    }
    if (acted) shell.invalidate();
    return acted;
}

void set_search_text(App& app, Shell& shell, std::string_view text) {
    std::u32string scalars;
    for (size_t at = 0; at < text.size();)
        scalars.push_back(decode_utf8(text, at));
    app.composition.clear();
    app.text.clear();
    app.caret = app.anchor = 0;
    (void)insert_text(app, scalars);
    rerun_search(app, shell, true);
    shell.invalidate();
}

}  // namespace norvik
