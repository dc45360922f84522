#include "app/view/paint.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "app/text/text.h"
#include "app/view/format_date.h"
#include "app/view/layout.h"
#include "kinds/kinds.h"
#include "query/highlight.h"
#include "search/resolve_hit.h"

namespace norvik {

namespace {

constexpr Color WHITE = rgb(0xFFFFFF);
constexpr Color TOAST_BACKGROUND = rgb(0x111214, 0.92f);

constexpr char32_t GLYPH_SEARCH = 0xE721;
constexpr char32_t GLYPH_SETTINGS = 0xE700;
constexpr char32_t GLYPH_SORT_ASCENDING = 0xE70E;
constexpr char32_t GLYPH_SORT_DESCENDING = 0xE70D;
constexpr char32_t GLYPH_FOLDER = 0xE8B7;

// Between the parts of the status line and of the hint.
constexpr const char* STATUS_SEPARATOR = "  \u00B7  ";

struct KindIcon {
    char32_t glyph;
    Color color;
};

// By Kind (0 Picture ... 7 Other); anything past Other is drawn as Other.
constexpr char32_t KIND_GLYPHS[] = {0xEB9F, 0xE714, 0xE8D6, 0xE8A5, 0xE7B8, 0xECAA, 0xE81C, 0xE7C3};

KindIcon icon_of(const Entry& entry, const Palette& p) {
    if (entry.is_dir()) return {GLYPH_FOLDER, p.folder_icon};
    const size_t kind = std::min<size_t>(entry.kind, std::size(KIND_GLYPHS) - 1);
    return {KIND_GLYPHS[kind], p.kind_icons[kind]};
}

// What every step of a frame draws with.
struct Frame {
    const App& app;
    Canvas& canvas;
    const Palette& p;
    Metrics m;
    float s;
    // The scans' progress, read once so that every text of the frame shows the same count.
    uint64_t items_read;

    // A length given in DIPs, in pixels.
    float px(float dips) const { return dips * s; }
    bool hovered(HitKind kind, uint32_t payload = 0) const {
        return app.hover == HitTarget{kind, payload};
    }
};

// The search box's position of text position n (scalar values of app.text) in the display text,
// where the composition sits at the caret.
size_t display_position(const App& app, size_t n, size_t composition_length) {
    return n > app.caret ? n + composition_length : n;
}

void paint_search_box(const Frame& f) {
    const float right = f.px(16) + f.m.box_width;
    f.canvas.fill_rounded_rect(edges(f.px(16), f.px(14), right, f.px(58)), f.px(10), f.p.box);
    f.canvas.fill_rounded_rect(edges(f.px(16), f.px(56), right, f.px(58)), f.px(1), f.p.accent);
    f.canvas.draw_glyph(GLYPH_SEARCH, RectF{f.px(24), f.px(14), f.px(30), f.px(44)}, f.p.secondary,
                        1.15f);
}

void paint_search_text(const Frame& f) {
    const App& app = f.app;
    const std::string display = display_query(app);
    if (display.empty()) {
        f.canvas.draw_text(
            choose_text("파일·폴더 이름 검색 (초성·영타도 됩니다)", "Search file and folder names"),
            RectF{f.px(60), f.px(14), f.m.text_width, f.px(44)}, f.p.secondary, Font::Input,
            Align::Leading);
    }
    // Every caret position from one layout: a pasted huge query must not cost one per position.
    std::vector<float> carets{0};
    if (!display.empty()) carets = f.canvas.caret_positions(display, Font::Input);
    if (carets.empty()) carets.push_back(0);
    const auto x_at = [&](size_t n) { return caret_at(carets, n); };

    const size_t caret = std::min<size_t>(app.caret, app.text.size());
    const size_t anchor = std::min<size_t>(app.anchor, app.text.size());
    const size_t composition_length = composition_end(app) - caret;
    const float origin = f.px(60) - text_scroll_offset_for(app, x_at(caret + composition_length));

    f.canvas.push_clip(edges(f.px(60), f.px(14), f.px(60) + f.m.text_width, f.px(58)));
    if (caret != anchor) {
        const float low = x_at(display_position(app, std::min(caret, anchor), composition_length));
        const float high = x_at(display_position(app, std::max(caret, anchor), composition_length));
        f.canvas.fill_rect(edges(origin + low, f.px(24), origin + high, f.px(48)),
                           with_alpha(f.p.accent, 0.28f));
    }
    if (!display.empty()) {
        f.canvas.draw_text(display, RectF{origin, f.px(14), carets.back() + f.px(40), f.px(44)},
                           f.p.text, Font::Input, Align::Leading);
    }
    if (composition_length == 0) {
        const float x = origin + x_at(caret);
        f.canvas.fill_rect(edges(x, f.px(25), x + std::max(f.px(1.5f), 1.0f), f.px(47)),
                           f.p.accent);
    } else {
        f.canvas.fill_rect(edges(origin + x_at(caret), f.px(47),
                                 origin + x_at(caret + composition_length), f.px(48.5f)),
                           f.p.text);
    }
    f.canvas.pop_clip();
}

void paint_settings_button(const Frame& f) {
    const RectF button{f.m.width - f.px(56), f.px(16), f.px(40), f.px(40)};
    if (f.hovered(HitKind::SettingsButton))
        f.canvas.fill_rounded_rect(button, f.px(8), with_alpha(f.p.secondary, 0.18f));
    f.canvas.draw_glyph(GLYPH_SETTINGS, button, f.p.text, 1);
}

void paint_filter_tabs(const Frame& f) {
    for (const TabRect& tab : tab_rects(f.app)) {
        const bool current = tab.filter == f.app.filter;
        Color fill =
            with_alpha(f.p.secondary, f.hovered(HitKind::FilterTab, tab.filter) ? 0.20f : 0.10f);
        if (current) fill = f.p.accent;
        f.canvas.fill_rounded_rect(tab.rect, tab.rect.height / 2, fill);
        f.canvas.draw_text(filter_tab_label(tab.filter), tab.rect,
                           current ? f.p.on_accent : f.p.text, Font::Body, Align::Center);
    }
}

void paint_column_header(const Frame& f) {
    const float list_top = f.m.list_top;
    f.canvas.fill_rect(edges(0, list_top - 1, f.m.width, list_top), f.p.separator);
    for (const ColumnSpec& column : column_specs(f.app)) {
        const uint32_t id = static_cast<uint32_t>(column.column);
        if (f.hovered(HitKind::ColumnHeader, id)) {
            f.canvas.fill_rect(edges(column.x, f.px(110), column.x + column.width, list_top - 1),
                               with_alpha(f.p.secondary, 0.08f));
        }
        const bool sorted = column.column == f.app.sort_column;
        const RectF label{column.x + f.px(6), f.px(110), column.width - f.px(12), f.px(30)};
        f.canvas.draw_text(column.label, label, sorted ? f.p.text : f.p.secondary,
                           sorted ? Font::BodyBold : Font::Small, column.align);
        if (!sorted) continue;
        const float w = f.canvas.measure(column.label, Font::BodyBold);
        const float mark_x =
            column.align == Align::Trailing ? label.right() - w - f.px(18) : label.x + w + f.px(4);
        f.canvas.draw_glyph(f.app.sort_descending ? GLYPH_SORT_DESCENDING : GLYPH_SORT_ASCENDING,
                            RectF{mark_x, f.px(110), f.px(14), f.px(30)}, f.p.secondary, 0.6f);
    }
}

void paint_row(const Frame& f, const std::array<ColumnSpec, 4>& columns, const VolumeTable& table,
               uint32_t row, uint32_t index) {
    const App& app = f.app;
    const Entry& entry = table.entries[index];
    const float height = f.m.row_height;
    // In doubles until the row is near the window: at millions of rows the offset is beyond a
    // float's whole-pixel range, and rows would be drawn off their hit-test positions.
    const float y =
        static_cast<float>(static_cast<double>(row) * height + f.m.list_top - app.scroll);
    // An entry the index removed since the search stays listed until the list refreshes; it is
    // drawn faded so it does not look like a file that is still there.
    const bool removed = !table.is_live(index);
    auto fade = [removed](Color color) { return removed ? with_alpha(color, 0.4f) : color; };

    const RectF band = edges(f.px(6), y, f.m.width - f.px(16), y + height);
    if (app.selected == row) {
        f.canvas.fill_rounded_rect(band, f.px(6), f.p.selection);
    } else if (f.hovered(HitKind::ResultRow, row)) {
        f.canvas.fill_rounded_rect(band, f.px(6), with_alpha(f.p.secondary, 0.09f));
    }

    const KindIcon icon = icon_of(entry, f.p);
    f.canvas.draw_glyph(icon.glyph, RectF{f.px(16), y, f.px(30), height}, fade(icon.color), 1);

    const std::string_view name = table.stored_name(index);
    std::vector<TextRange> highlights;
    if (app.result_query) {
        const std::vector<CharRange> chars = highlight_ranges(*app.result_query, name);
        for (const Utf16Range& range : to_utf16_ranges(name, chars))
            highlights.push_back(TextRange{range.start, range.length});
    }
    const bool dimmed = entry.flags & (FLAG_HIDDEN | FLAG_SYSTEM);
    const Color secondary = fade(f.p.secondary);
    f.canvas.draw_text(name, RectF{f.px(50), y, columns[0].width - f.px(10), height},
                       fade(dimmed ? f.p.secondary : f.p.text), Font::Body, Align::Leading,
                       highlights, fade(f.p.accent));

    if (entry.parent != NO_PARENT) {
        f.canvas.draw_text(table.full_path(entry.parent, true),
                           RectF{columns[1].x + f.px(6), y, columns[1].width - f.px(12), height},
                           secondary, Font::Small, Align::Leading);
    }
    if (!entry.is_dir()) {
        f.canvas.draw_text(format_size(entry.size), RectF{columns[2].x, y, f.px(80), height},
                           secondary, Font::Small, Align::Trailing);
    }
    const std::string date = format_date(entry.mtime);
    if (!date.empty()) {
        f.canvas.draw_text(date, RectF{columns[3].x + f.px(6), y, f.px(130), height}, secondary,
                           Font::Small, Align::Leading);
    }
}

void paint_rows(const Frame& f) {
    const App& app = f.app;
    const float top = f.m.list_top;
    f.canvas.push_clip(edges(0, top, f.m.width, top + f.m.list_height));
    const std::array<ColumnSpec, 4> columns = column_specs(app);
    const Index& index = *app.engine.index;
    {
        std::shared_lock lock(app.engine.index->lock);
        const double scroll = app.scroll;
        const double row_height = f.m.row_height;
        const size_t first = static_cast<size_t>(std::max(0.0, std::floor(scroll / row_height)));
        const size_t last = std::min(
            app.results.size(),
            static_cast<size_t>(std::max(0.0, std::ceil((scroll + f.m.list_height) / row_height))));
        for (size_t i = first; i < last; ++i) {
            const uint32_t row = static_cast<uint32_t>(i);
            const Hit& hit = app.results[row];
            // A row whose table was rebuilt or moved since the search stays blank: its entry
            // number may now name another file.
            if (const VolumeTable* table = resolve_hit(index, app.table_ids, hit))
                paint_row(f, columns, *table, row, hit.entry);
        }
    }
    f.canvas.pop_clip();
}

void paint_message_line(const Frame& f, float y, const std::string& text, Font font, Color color) {
    f.canvas.draw_text(text, RectF{f.px(20), y, f.m.width - f.px(40), f.px(30)}, color, font,
                       Align::Center);
}

void paint_empty_state(const Frame& f) {
    const App& app = f.app;
    const IndexService& service = *app.engine.service;
    const float a = f.m.list_height * 0.36f;
    const float top = f.m.list_top;
    if (!service.index_ready.load()) {
        const float y = top + std::max(f.px(10), a - f.px(30));
        paint_message_line(f, y,
                           choose_text("처음 한 번, 이 PC의 파일 목록을 만들고 있습니다",
                                       "Building the file list for this PC (first time only)"),
                           Font::Title, f.p.text);
        paint_message_line(f, y + f.px(30),
                           fill_placeholders(choose_text("{0}개 읽음", "{0} items read"),
                                             {format_count(f.items_read)}),
                           Font::Body, f.p.secondary);
    } else if (!shows_query(app) && app.text.empty() && app.composition.empty() &&
               app.filter == 0) {
        const float y = top + std::max(f.px(10), a - f.px(45));
        paint_message_line(f, y,
                           choose_text("찾을 파일이나 폴더 이름을 입력하세요",
                                       "Type part of a file or folder name"),
                           Font::BodyBold, f.p.text);
        paint_message_line(
            f, y + f.px(30),
            choose_text(
                "초성: ㅂㄱㅅ → 보고서     한/영 전환 없이: qhrhtj → 보고서",
                "Korean initials: ㅂㄱㅅ → 보고서     Typed in English mode: qhrhtj → 보고서"),
            Font::Body, f.p.secondary);
        paint_message_line(
            f, y + f.px(60),
            choose_text("확장자: *.hwp   ext:pdf,hwp     낱말 여러 개: 2026 회의록",
                        "Extensions: *.hwp   ext:pdf,hwp     Several words: 2026 report"),
            Font::Body, f.p.secondary);
    } else if (app.results.empty() && app.result_generation == app.query_generation) {
        paint_message_line(f, top + std::max(f.px(10), a - f.px(15)),
                           choose_text("찾은 것이 없습니다", "Nothing found"), Font::BodyBold,
                           f.p.secondary);
    }
}

void paint_scroll_bar(const Frame& f) {
    const std::optional<ScrollBar> bar = scrollbar_geometry(f.app);
    if (!bar) return;
    const bool active = f.hovered(HitKind::ScrollThumb) || f.app.thumb_drag.active;
    f.canvas.fill_rounded_rect(bar->thumb, bar->thumb.width / 2,
                               with_alpha(f.p.secondary, active ? 0.55f : 0.32f));
}

uint64_t indexed_count(Index& index) {
    std::shared_lock lock(index.lock);
    uint64_t count = 0;
    for (const VolumeTable& table : index.tables)
        count += table.live_count;
    return count;
}

std::string status_text(const App& app, uint64_t items_read) {
    std::vector<std::string> parts;
    if (shows_query(app)) {
        parts.push_back(fill_placeholders(choose_text("{0}개", "{0} found"),
                                          {format_count(app.results.size())}) +
                        " (" + std::to_string(whole_milliseconds(app.search_time)) + " ms)");
    }
    parts.push_back(fill_placeholders(choose_text("목록 {0}개", "{0} indexed"),
                                      {format_count(indexed_count(*app.engine.index))}));
    const IndexService& service = *app.engine.service;
    if (service.scans_in_progress.load() != 0)
        parts.push_back(choose_text("읽는 중", "Reading") + " " + format_count(items_read));
    std::string text;
    for (const std::string& part : parts) {
        if (!text.empty()) text += STATUS_SEPARATOR;
        text += part;
    }
    return text;
}

void paint_status_line(const Frame& f) {
    const float top = f.m.status_top;
    const float width = f.m.width;
    f.canvas.fill_rect(edges(0, top, width, f.m.height), f.p.status);
    f.canvas.fill_rect(edges(0, top, width, top + 1), f.p.separator);
    f.canvas.draw_text(status_text(f.app, f.items_read),
                       RectF{f.px(16), top, 0.6f * width, f.m.status_height}, f.p.secondary,
                       Font::Small, Align::Leading);
    const RectF right{0.4f * width, top, 0.6f * width - f.px(16), f.m.status_height};
    if (!f.app.hot_key_ok) {
        f.canvas.draw_text(
            choose_text("Ctrl+Alt+F를 다른 프로그램이 쓰고 있어 단축키를 쓸 수 없습니다",
                        "Ctrl+Alt+F is taken by another app, so the shortcut is off"),
            right, f.p.notice, Font::Small, Align::Trailing);
    } else {
        f.canvas.draw_text(
            choose_text("Ctrl+Alt+F로 언제든 열기  ·  Enter 열기  ·  Ctrl+Enter 폴더",
                        "Ctrl+Alt+F opens Norvik anytime  ·  Enter open  ·  Ctrl+Enter folder"),
            right, f.p.secondary, Font::Small, Align::Trailing);
    }
}

void paint_toast(const Frame& f) {
    if (!f.app.toast) return;
    const std::string& text = f.app.toast->text;
    const float w = f.canvas.measure(text, Font::Body);
    const float b = std::min(w + f.px(32), f.m.width - f.px(32));
    const RectF box{round_pixel((f.m.width - b) / 2), f.m.status_top - f.px(52), b, f.px(38)};
    f.canvas.fill_rounded_rect(box, f.px(8), TOAST_BACKGROUND);
    f.canvas.draw_text(text, RectF{box.x + f.px(16), box.y, b - f.px(32), f.px(38)}, WHITE,
                       Font::Body, Align::Center);
}

}  // namespace

const Palette& palette(bool dark) {
    // The light theme's icons are a shade deeper than the dark one's: the lighter shades fade
    // into the light background and the selection band.
    static const Palette LIGHT{
        .background = rgb(0xF6F7F9),
        .status = rgb(0xFFFFFF),
        .box = rgb(0xFFFFFF),
        .text = rgb(0x16181D),
        .secondary = rgb(0x596070),
        .separator = rgb(0xE3E6EA),
        .accent = rgb(0x6D28D9),
        .on_accent = rgb(0xFFFFFF),
        .selection = rgb(0x6D28D9, 0.12f),
        .notice = rgb(0xDC2626),
        .folder_icon = rgb(0xA37500),
        .kind_icons = {rgb(0x2563EB), rgb(0x7C3AED), rgb(0xDB2777), rgb(0x0C8F64), rgb(0xB45309),
                       rgb(0xDC2626), rgb(0x64748B), rgb(0x0F766E)},
    };
    // White on the light violet accent would read poorly, so the current tab's text is dark.
    static const Palette DARK{
        .background = rgb(0x17181B),
        .status = rgb(0x222327),
        .box = rgb(0x1F2125),
        .text = rgb(0xECEDEF),
        .secondary = rgb(0xA0A4AC),
        .separator = rgb(0x33353B),
        .accent = rgb(0xA78BFA),
        .on_accent = rgb(0x17181B),
        .selection = rgb(0xA78BFA, 0.20f),
        .notice = rgb(0xF87171),
        .folder_icon = rgb(0xE0A100),
        .kind_icons = {rgb(0x3B82F6), rgb(0x9466F7), rgb(0xEC4899), rgb(0x10B981), rgb(0xF59E0B),
                       rgb(0xEF4444), rgb(0x94A3B8), rgb(0x14B8A6)},
    };
    return dark ? DARK : LIGHT;
}

bool paint(const App& app) {
    if (!app.renderer) return false;
    const Frame f{app,          *app.renderer, palette(app.dark),
                  metrics(app), app.scale,     app.engine.service->items_read()};
    f.canvas.begin_frame(f.p.background);
    paint_search_box(f);
    paint_search_text(f);
    paint_settings_button(f);
    paint_filter_tabs(f);
    paint_column_header(f);
    paint_rows(f);
    paint_empty_state(f);
    paint_scroll_bar(f);
    paint_status_line(f);
    paint_toast(f);
    return f.canvas.end_frame();
}

}  // namespace norvik
