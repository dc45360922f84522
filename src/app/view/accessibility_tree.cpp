#include "app/view/accessibility_tree.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <shared_mutex>

#include "app/view/format_date.h"
#include "app/view/layout.h"
#include "app/view/paint.h"
#include "kinds/kinds.h"
#include "search/resolve_hit.h"

namespace norvik {

namespace {

constexpr size_t WINDOW_CHILDREN = 6;
constexpr size_t TAB_COUNT = 7;
constexpr size_t COLUMN_COUNT = 4;

struct TextPair {
    const char* korean;
    const char* english;
};

// The tabs' and columns' labels as the window draws them, here in any language.
constexpr std::array<TextPair, TAB_COUNT> TAB_NAMES = {{{"전체", "All"},
                                                        {"폴더", "Folders"},
                                                        {"문서", "Documents"},
                                                        {"사진", "Pictures"},
                                                        {"음악", "Music"},
                                                        {"동영상", "Videos"},
                                                        {"압축", "Archives"}}};
constexpr std::array<TextPair, COLUMN_COUNT> COLUMN_NAMES = {
    {{"이름", "Name"}, {"폴더", "Folder"}, {"크기", "Size"}, {"수정한 날짜", "Date modified"}}};

std::string say(Language language, TextPair pair) {
    return text_for(language, pair.korean, pair.english);
}

// The window's children in reading order.
constexpr std::array<UiPart, WINDOW_CHILDREN> WINDOW_ORDER = {UiPart::SearchBox, UiPart::MenuButton,
                                                              UiPart::Tabs,      UiPart::Header,
                                                              UiPart::Results,   UiPart::Status};

std::string join_cells(const std::vector<std::string>& cells) {
    std::string joined;
    for (const std::string& cell : cells) {
        if (cell.empty()) continue;
        if (!joined.empty()) joined += ", ";
        joined += cell;
    }
    return joined;
}

// A row's cells as drawn: name, folder, size (files only) and date; empty when the row's table
// was rebuilt since the search.
std::string row_name(const App& app, uint32_t row) {
    const Index& index = *app.engine.index;
    std::shared_lock lock(app.engine.index->lock);
    const Hit& hit = app.results[row];
    const VolumeTable* table = resolve_hit(index, app.table_ids, hit);
    if (!table) return {};
    const Entry& entry = table->entries[hit.entry];
    return join_cells({std::string(table->stored_name(hit.entry)),
                       entry.parent != NO_PARENT ? table->full_path(entry.parent, true) : "",
                       entry.is_dir() ? "" : format_size(entry.size), format_date(entry.mtime)});
}

RectF row_bounds(const App& app, const Metrics& m, uint32_t row) {
    const double y = static_cast<double>(row) * m.row_height + m.list_top - app.scroll;
    return RectF{m.s * 6, static_cast<float>(y), m.width - m.s * 22, m.row_height};
}

bool outside_list(const Metrics& m, RectF bounds) {
    return bounds.bottom() <= m.list_top || bounds.y >= m.list_top + m.list_height;
}

ElementNode node_of(ElementId id, ElementRole role, std::string automation_id, RectF bounds) {
    ElementNode node;
    node.id = id;
    node.role = role;
    node.automation_id = std::move(automation_id);
    node.bounds = bounds;
    return node;
}

// Role, automation id and bounds of the element, before its name and states.
ElementNode frame_of(const App& app, ElementId id, const Metrics& m) {
    const float s = m.s;
    ElementNode node;
    switch (id.kind) {
        case UiPart::Window:
            node = node_of(id, ElementRole::Window, "Norvik", RectF{0, 0, m.width, m.height});
            node.name = "Norvik";
            break;
        case UiPart::SearchBox:
            node = node_of(id, ElementRole::Edit, "SearchBox",
                           RectF{16 * s, 14 * s, m.box_width, 44 * s});
            break;
        case UiPart::MenuButton:
            node = node_of(id, ElementRole::Button, "MenuButton",
                           RectF{m.width - 56 * s, 16 * s, 40 * s, 40 * s});
            break;
        case UiPart::Tabs: {
            node = node_of(id, ElementRole::TabList, "FilterTabs", RectF{});
            const std::vector<TabRect> tabs = tab_rects(app);
            if (!tabs.empty())
                node.bounds = edges(tabs.front().rect.x, tabs.front().rect.y,
                                    tabs.back().rect.right(), tabs.back().rect.bottom());
            break;
        }
        case UiPart::Tab: {
            node = node_of(id, ElementRole::TabItem, "Tab" + std::to_string(id.index), RectF{});
            for (const TabRect& tab : tab_rects(app))
                if (tab.filter == id.index) node.bounds = tab.rect;
            break;
        }
        case UiPart::Header:
            node = node_of(id, ElementRole::Header, "ColumnHeader",
                           RectF{0, 110 * s, m.width, m.list_top - 110 * s});
            break;
        case UiPart::HeaderItem: {
            const ColumnSpec column = column_specs(app)[id.index];
            node = node_of(id, ElementRole::HeaderItem, "Column" + std::to_string(id.index + 1),
                           RectF{column.x, 110 * s, column.width, m.list_top - 110 * s});
            break;
        }
        case UiPart::Results:
            node = node_of(id, ElementRole::List, "Results",
                           RectF{0, m.list_top, m.width, m.list_height});
            break;
        case UiPart::Row:
            node = node_of(id, ElementRole::ListItem, "Row" + std::to_string(id.index),
                           row_bounds(app, m, id.index));
            break;
        case UiPart::Status:
            node = node_of(id, ElementRole::Text, "StatusLine",
                           RectF{0, m.status_top, m.width, m.status_height});
            break;
    }
    return node;
}

bool exists(const App& app, ElementId id) {
    switch (id.kind) {
        case UiPart::Tab:
            return id.index < TAB_COUNT;
        case UiPart::HeaderItem:
            return id.index < COLUMN_COUNT;
        case UiPart::Row:
            return id.index < app.results.size();
        default:
            return true;
    }
}

}  // namespace

ElementId parent_element(ElementId id) {
    switch (id.kind) {
        case UiPart::Tab:
            return {UiPart::Tabs, 0};
        case UiPart::HeaderItem:
            return {UiPart::Header, 0};
        case UiPart::Row:
            return {UiPart::Results, 0};
        default:
            return {UiPart::Window, 0};
    }
}

size_t child_count(const App& app, ElementId id) {
    switch (id.kind) {
        case UiPart::Window:
            return WINDOW_CHILDREN;
        case UiPart::Tabs:
            return TAB_COUNT;
        case UiPart::Header:
            return COLUMN_COUNT;
        case UiPart::Results:
            return app.results.size();
        default:
            return 0;
    }
}

ElementId child_element(ElementId parent, size_t i) {
    const uint32_t index = static_cast<uint32_t>(i);
    switch (parent.kind) {
        case UiPart::Tabs:
            return {UiPart::Tab, index};
        case UiPart::Header:
            return {UiPart::HeaderItem, index};
        case UiPart::Results:
            return {UiPart::Row, index};
        default:
            return {WINDOW_ORDER[std::min(i, WINDOW_CHILDREN - 1)], 0};
    }
}

size_t index_in_parent(ElementId id) {
    switch (id.kind) {
        case UiPart::Tab:
        case UiPart::HeaderItem:
        case UiPart::Row:
            return id.index;
        default: {
            const auto at = std::find(WINDOW_ORDER.begin(), WINDOW_ORDER.end(), id.kind);
            return at == WINDOW_ORDER.end() ? 0 : static_cast<size_t>(at - WINDOW_ORDER.begin());
        }
    }
}

std::optional<ElementNode> describe_element(const App& app, ElementId id, Language language) {
    if (!exists(app, id)) return std::nullopt;
    const Metrics m = metrics(app);
    ElementNode node = frame_of(app, id, m);
    const bool focused = focused_element(app) == id;
    switch (id.kind) {
        case UiPart::Window:
            break;
        case UiPart::SearchBox:
            node.name = text_for(language, "파일·폴더 이름 검색 (초성·영타도 됩니다)",
                                 "Search file and folder names");
            node.value = display_query(app);
            node.states = STATE_FOCUSABLE;
            break;
        case UiPart::MenuButton:
            node.name = text_for(language, "메뉴", "Menu");
            node.states = STATE_FOCUSABLE;
            break;
        case UiPart::Tabs:
            node.name = text_for(language, "종류", "Kinds");
            break;
        case UiPart::Tab:
            node.name = say(language, TAB_NAMES[id.index]);
            node.states = STATE_FOCUSABLE | STATE_SELECTABLE;
            if (app.filter == id.index) node.states |= STATE_SELECTED;
            break;
        case UiPart::Header:
            node.name = text_for(language, "열 제목", "Column headers");
            break;
        case UiPart::HeaderItem:
            node.name = say(language, COLUMN_NAMES[id.index]);
            node.states = STATE_FOCUSABLE;
            break;
        case UiPart::Results:
            node.name = text_for(language, "검색 결과", "Results");
            node.states = STATE_FOCUSABLE;
            break;
        case UiPart::Row:
            node.name = row_name(app, id.index);
            node.states = STATE_FOCUSABLE | STATE_SELECTABLE;
            if (app.selected == id.index) node.states |= STATE_SELECTED;
            if (outside_list(m, node.bounds)) node.states |= STATE_OFFSCREEN;
            break;
        case UiPart::Status:
            node.name = status_text(app, app.engine.service->items_read());
            node.states = STATE_LIVE;
            break;
    }
    if (focused) node.states |= STATE_FOCUSED;
    return node;
}

RectF element_bounds(const App& app, ElementId id) {
    return frame_of(app, id, metrics(app)).bounds;
}

ElementId focused_element(const App& app) {
    switch (app.focus) {
        case FocusArea::Tabs:
            return {UiPart::Tab, app.filter};
        case FocusArea::Headers:
            // Header items are the columns in SortColumn's order after Relevance.
            return {UiPart::HeaderItem,
                    std::max(static_cast<uint32_t>(app.focused_column), 1u) - 1};
        case FocusArea::Results:
            if (app.selected && *app.selected < app.results.size())
                return {UiPart::Row, *app.selected};
            return {UiPart::Results, 0};
        case FocusArea::MenuButton:
            return {UiPart::MenuButton, 0};
        case FocusArea::SearchBox:
            break;
    }
    return {UiPart::SearchBox, 0};
}

ElementId element_at(const App& app, float x, float y) {
    const HitTarget hit = hit_test(app, x, y);
    switch (hit.kind) {
        case HitKind::SearchBox:
            return {UiPart::SearchBox, 0};
        case HitKind::SettingsButton:
            return {UiPart::MenuButton, 0};
        case HitKind::FilterTab:
            return {UiPart::Tab, hit.payload};
        case HitKind::ColumnHeader:
            return {UiPart::HeaderItem, hit.payload > 0 ? hit.payload - 1 : 0};
        case HitKind::ResultRow:
            return {UiPart::Row, hit.payload};
        default:
            break;
    }
    const Metrics m = metrics(app);
    if (y >= m.status_top && y < m.height) return {UiPart::Status, 0};
    if (y >= m.list_top && y < m.list_top + m.list_height) return {UiPart::Results, 0};
    return {UiPart::Window, 0};
}

AccessibleSnapshot accessible_snapshot(const App& app) {
    return AccessibleSnapshot{focused_element(app),
                              app.selected,
                              app.filter,
                              display_query(app),
                              app.result_generation,
                              app.results.size(),
                              status_text(app, app.engine.service->items_read())};
}

AccessibleEvents accessible_events(const App& app, const AccessibleSnapshot& before,
                                   const AccessibleSnapshot& after, Announcer& announcer,
                                   Clock::time_point now, Language language) {
    AccessibleEvents events;
    events.focus_changed = !(before.focus == after.focus);
    events.selection_changed = before.selected != after.selected || before.filter != after.filter;
    events.structure_changed = before.result_generation != after.result_generation ||
                               before.result_count != after.result_count;
    events.value_changed = before.value != after.value;
    events.status_changed = before.status != after.status;
    // Only the answer to the query the box shows now is worth saying; an older one is stale.
    if (before.result_generation != after.result_generation &&
        app.result_generation == app.query_generation && shows_query(app)) {
        announcer.pending = fill_placeholders(text_for(language, "{0}개", "{0} found"),
                                              {format_count(app.results.size())});
    }
    if (announcer.pending && (!announcer.last || now - *announcer.last >= ANNOUNCE_INTERVAL)) {
        events.announcement = std::move(announcer.pending);
        announcer.pending.reset();
        announcer.last = now;
    }
    return events;
}

}  // namespace norvik
