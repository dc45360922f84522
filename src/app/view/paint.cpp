#include "app/view/paint.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <vector>

#include "app/core/export_results.h"
#include "app/core/row_selection.h"
#include "app/text/query_message.h"
#include "app/text/text.h"
#include "app/view/accessibility_tree.h"
#include "app/view/elide.h"
#include "app/view/format_date.h"
#include "app/view/layout.h"
#include "app/view/syntax_card.h"
#include "kinds/kinds.h"
#include "query/highlight.h"
#include "search/resolve_hit.h"

namespace norvik {

namespace {

constexpr Color WHITE = rgb(0xFFFFFF);
constexpr Color TOAST_BACKGROUND = rgb(0x111214, 0.92f);
// A light violet: the accent's hue, and well above 4.5:1 on the toast in either theme.
constexpr Color TOAST_BUTTON_TEXT = rgb(0xC4B5FD);

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
    Palette p;
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

// The border under the pointer, or the one being dragged, shows where two columns part.
void paint_column_border(const Frame& f, const std::array<ColumnSpec, 4>& columns) {
    std::optional<uint32_t> border;
    if (f.app.column_drag.active) {
        border = f.app.column_drag.border;
    } else if (f.app.hover.kind == HitKind::ColumnBorder) {
        border = f.app.hover.payload;
    }
    if (!border || *border >= COLUMN_BORDERS) return;
    const float x = round_pixel(columns[*border].x + columns[*border].width);
    f.canvas.fill_rect(edges(x - f.px(1), f.px(116), x + f.px(1), f.px(134)),
                       with_alpha(f.p.secondary, 0.6f));
}

void paint_column_header(const Frame& f) {
    const float list_top = f.m.list_top;
    f.canvas.fill_rect(edges(0, list_top - 1, f.m.width, list_top), f.p.separator);
    const std::array<ColumnSpec, 4> columns = column_specs(f.app);
    paint_column_border(f, columns);
    for (const ColumnSpec& column : columns) {
        if (column.width <= 0) continue;  // out of view in a narrow window
        const uint32_t id = static_cast<uint32_t>(column.column);
        if (f.hovered(HitKind::ColumnHeader, id)) {
            f.canvas.fill_rect(edges(column.x, f.px(110), column.x + column.width, list_top - 1),
                               with_alpha(f.p.secondary, 0.08f));
        }
        const bool sorted = column.column == f.app.sort_column;
        RectF label{column.x + f.px(6), f.px(110), column.width - f.px(12), f.px(30)};
        if (!sorted) {
            f.canvas.draw_text(column.label, label, f.p.secondary, Font::Small, column.align);
            continue;
        }
        // The sort mark takes its room inside the label's, so a label cut short by a narrow
        // column keeps the mark beside it rather than over the next column's label.
        const float mark_room = f.px(18);
        const bool trailing = column.align == Align::Trailing;
        const float w = std::min(f.canvas.measure(column.label, Font::BodyBold),
                                 std::max(0.0f, label.width - mark_room));
        label.width = std::max(0.0f, label.width - mark_room);
        if (trailing) label.x += mark_room;
        f.canvas.draw_text(column.label, label, f.p.text, Font::BodyBold, column.align);
        const float mark_x = trailing ? label.right() - w - mark_room : label.x + w + f.px(4);
        f.canvas.draw_glyph(f.app.sort_descending ? GLYPH_SORT_DESCENDING : GLYPH_SORT_ASCENDING,
                            RectF{mark_x, f.px(110), f.px(14), f.px(30)}, f.p.secondary, 0.6f);
    }
}

// The whole text of a cell shown shortened, and where the cell lies: a tooltip shows it.
struct CutCell {
    std::string text;
    RectF cell;
};

// Draws a name or folder cell shortened in its middle to its room; the cell's whole text when
// it is shortened and the pointer rests on it with the tooltip due.
std::optional<CutCell> paint_long_text(const Frame& f, std::string_view text, const Elided& shown,
                                       RectF cell, Color color, Font font,
                                       std::span<const TextRange> highlights, Color highlight) {
    const std::vector<TextRange> moved = elided_ranges(text, shown, highlights);
    f.canvas.draw_text(shown.text, cell, color, font, Align::Leading, moved, highlight);
    if (!shown.shortened || !f.app.rest.tooltip || !cell.contains(f.app.rest.x, f.app.rest.y))
        return std::nullopt;
    return CutCell{std::string(text), cell};
}

// A frame of thickness t just inside band.
void frame_band(const Frame& f, RectF band, float t, Color color) {
    f.canvas.fill_rect(edges(band.x, band.y, band.right(), band.y + t), color);
    f.canvas.fill_rect(edges(band.x, band.bottom() - t, band.right(), band.bottom()), color);
    f.canvas.fill_rect(edges(band.x, band.y, band.x + t, band.bottom()), color);
    f.canvas.fill_rect(edges(band.right() - t, band.y, band.right(), band.bottom()), color);
}

std::optional<CutCell> paint_row(const Frame& f, const std::array<ColumnSpec, 4>& columns,
                                 const VolumeTable& table, uint32_t row, uint32_t index) {
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
    // Of several selected rows each has the band (a frame in high contrast, where the window
    // text would not read under the highlight colour); the focused one, in the selection or not,
    // is framed in the accent colour besides, so the rows Shift+arrows move from stand apart.
    const bool several = !app.marked.empty();
    const bool focused = app.selected == row;
    const bool chosen = several ? is_marked(app, row) : focused;
    const float t = std::max(1.0f, std::round(f.px(2)));
    if (chosen && app.high_contrast) {
        frame_band(f, band, t, f.p.accent);
    } else if (chosen) {
        f.canvas.fill_rounded_rect(band, f.px(6), f.p.selection);
    } else if (f.hovered(HitKind::ResultRow, row)) {
        f.canvas.fill_rounded_rect(band, f.px(6), with_alpha(f.p.secondary, 0.09f));
    }
    if (several && focused) {
        // In high contrast the frame is doubled inward: a second frame, not a colour, tells it.
        frame_band(f, band, t, f.p.accent);
        if (app.high_contrast)
            frame_band(
                f,
                edges(band.x + 2 * t, band.y + 2 * t, band.right() - 2 * t, band.bottom() - 2 * t),
                t, f.p.accent);
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
    const auto measure_in = [&f](Font font) {
        return [&f, font](std::string_view text) { return f.canvas.measure(text, font); };
    };
    const RectF name_cell{f.px(50), y, columns[0].width - f.px(10), height};
    std::optional<CutCell> cut = paint_long_text(
        f, name,
        elide_name(name, name_cell.width, widest_advance(Font::Body, f.s), measure_in(Font::Body)),
        name_cell, fade(dimmed ? f.p.secondary : f.p.text), Font::Body, highlights,
        fade(f.p.accent));

    if (entry.parent != NO_PARENT && columns[1].width > 0) {
        const std::string folder = table.full_path(entry.parent, true);
        const RectF folder_cell{columns[1].x + f.px(6), y, columns[1].width - f.px(12), height};
        std::optional<CutCell> folder_cut =
            paint_long_text(f, folder,
                            elide_path(folder, folder_cell.width, widest_advance(Font::Small, f.s),
                                       measure_in(Font::Small)),
                            folder_cell, secondary, Font::Small, {}, {});
        if (folder_cut) cut = std::move(folder_cut);
    }
    // Size and date in their header label's room, so that they move with its borders.
    const auto value_cell = [&](const ColumnSpec& column) {
        return RectF{column.x + f.px(6), y, column.width - f.px(12), height};
    };
    if (!entry.is_dir() && columns[2].width > 0) {
        f.canvas.draw_text(format_size(entry.size), value_cell(columns[2]), secondary, Font::Small,
                           Align::Trailing);
    }
    const std::string date = format_date(entry.mtime);
    if (!date.empty() && columns[3].width > 0) {
        f.canvas.draw_text(date, value_cell(columns[3]), secondary, Font::Small, Align::Leading);
    }
    return cut;
}

// The rows in view; the whole text of the shortened cell under a resting pointer, if any.
std::optional<CutCell> paint_rows(const Frame& f) {
    const App& app = f.app;
    const float top = f.m.list_top;
    std::optional<CutCell> cut;
    f.canvas.push_clip(edges(0, top, f.m.width, top + f.m.list_height));
    const std::array<ColumnSpec, 4> columns = column_specs(app);
    const Index& index = *app.engine.index;
    {
        std::shared_lock lock(app.engine.index->lock);
        const double scroll = app.scroll;
        const double row_height = f.m.row_height;
        const size_t first = static_cast<size_t>(std::max(0.0, std::floor(scroll / row_height)));
        // Rows past the ordered front are drawn once the search worker has put them in order.
        const size_t last =
            std::min({app.results.size(), app.results_ordered,
                      static_cast<size_t>(
                          std::max(0.0, std::ceil((scroll + f.m.list_height) / row_height)))});
        for (size_t i = first; i < last; ++i) {
            const uint32_t row = static_cast<uint32_t>(i);
            const Hit& hit = app.results[row];
            // A row whose table was rebuilt or moved since the search stays blank: its entry
            // number may now name another file.
            if (const VolumeTable* table = resolve_hit(index, app.table_ids, hit)) {
                if (std::optional<CutCell> row_cut = paint_row(f, columns, *table, row, hit.entry))
                    cut = std::move(row_cut);
            }
        }
    }
    f.canvas.pop_clip();
    return cut;
}

// The whole text of a shortened cell, in a box of the palette's colours just below the cell
// (above it when the status line is near), kept inside the window; a text wider than the window
// goes on as many lines as it needs.
void paint_tooltip(const Frame& f, const CutCell& cut) {
    constexpr size_t MOST_LINES = 8;
    const float margin = f.px(8);
    const float pad = f.px(8);
    const float line_height = f.px(18);
    const float room = std::max(f.m.width - 2 * margin - 2 * pad, 0.0f);
    const auto measure = [&f](std::string_view text) {
        return f.canvas.measure(text, Font::Small);
    };
    const std::vector<std::string> lines = wrap_lines(cut.text, room, MOST_LINES, measure);
    float widest = 0;
    for (const std::string& line : lines)
        widest = std::max(widest, std::ceil(measure(line)) + f.px(2));
    const float width = std::min(widest, room) + 2 * pad;
    const float height = static_cast<float>(lines.size()) * line_height + f.px(12);
    const float x =
        std::clamp(f.app.rest.x - f.px(12), margin, std::max(margin, f.m.width - margin - width));
    float y = cut.cell.bottom() + f.px(2);
    if (y + height > f.m.status_top) y = std::max(0.0f, cut.cell.y - height - f.px(2));
    f.canvas.fill_rounded_rect(RectF{x, y, width, height}, f.px(5), f.p.separator);
    f.canvas.fill_rounded_rect(RectF{x + 1, y + 1, width - 2, height - 2}, f.px(4), f.p.box);
    for (size_t i = 0; i < lines.size(); ++i) {
        const RectF line{x + pad, y + f.px(6) + static_cast<float>(i) * line_height,
                         width - 2 * pad, line_height};
        f.canvas.draw_text(lines[i], line, f.p.text, Font::Small, Align::Leading);
    }
}

void paint_message_line(const Frame& f, float y, const std::string& text, Font font, Color color) {
    f.canvas.draw_text(text, RectF{f.px(20), y, f.m.width - f.px(40), f.px(30)}, color, font,
                       Align::Center);
}

// "Nothing found", or on a filter tab whose words find something in All, where they are.
std::string nothing_found_text(const App& app) {
    const uint8_t filter = app.result_query ? app.result_query->filter : 0;
    if (filter == 0 || !app.unfiltered_count || *app.unfiltered_count == 0)
        return choose_text("찾은 것이 없습니다", "Nothing found");
    return fill_placeholders(
        choose_text("{0}에는 없습니다 · {2}에 {1}개", "Nothing in {0} · {1} in {2}"),
        {filter_tab_label(filter), format_count(*app.unfiltered_count), filter_tab_label(0)});
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
        const float y = top + std::max(f.px(10), a - f.px(60));
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
        paint_message_line(
            f, y + f.px(90),
            choose_text("조건: 크기:>10mb   날짜:이번주   폴더:     빼기: !ext:tmp     또는: "
                        "보고서|report",
                        "Filters: size:>10mb   dm:thisweek   folder:     Not: !ext:tmp     Or: "
                        "보고서|report"),
            Font::Body, f.p.secondary);
    } else if (app.results.empty() && app.result_generation == app.query_generation) {
        paint_message_line(f, top + std::max(f.px(10), a - f.px(15)), nothing_found_text(app),
                           Font::BodyBold, f.p.secondary);
    }
}

void paint_scroll_bar(const Frame& f) {
    const std::optional<ScrollBar> bar = scrollbar_geometry(f.app);
    if (!bar) return;
    const bool active = f.hovered(HitKind::ScrollThumb) || f.app.thumb_drag.active;
    f.canvas.fill_rounded_rect(bar->thumb, bar->thumb.width / 2,
                               with_alpha(f.p.secondary, active ? 0.55f : 0.32f));
}

}  // namespace

uint64_t indexed_count(Index& index) {
    std::shared_lock lock(index.lock);
    uint64_t count = 0;
    for (const VolumeTable& table : index.tables)
        count += table.live_count;
    return count;
}

std::string selection_status(const App& app) {
    if (app.marked.size() < 2) return {};
    // The files' sizes: a folder's size is not its contents', so folders add none.
    uint64_t bytes = 0;
    bool files = false;
    {
        std::shared_lock lock(app.engine.index->lock);
        for (const uint32_t row : app.marked) {
            const Hit& hit = app.results[row];
            const VolumeTable* table = resolve_hit(*app.engine.index, app.table_ids, hit);
            if (!table || !table->is_live(hit.entry) || table->entries[hit.entry].is_dir())
                continue;
            bytes += table->entries[hit.entry].size;
            files = true;
        }
    }
    const std::string count = format_count(app.marked.size());
    if (!files) return fill_placeholders(choose_text("{0}개 선택함", "{0} selected"), {count});
    return fill_placeholders(choose_text("{0}개 선택함 · {1}", "{0} selected · {1}"),
                             {count, format_size(bytes)});
}

// What the status line says about a word of the shown query it cannot read, or nothing.
std::optional<std::string> query_problem(const App& app) {
    if (!app.result_query || !app.result_query->error) return std::nullopt;
    return query_error_text(*app.result_query->error);
}

std::string status_text(const App& app, uint64_t items_read) {
    std::vector<std::string> parts;
    // A query with an unreadable word searched nothing: its message stands instead of a count.
    if (shows_query(app) && !query_problem(app)) {
        parts.push_back(fill_placeholders(choose_text("{0}개", "{0} found"),
                                          {format_count(app.results.size())}) +
                        " (" + std::to_string(whole_milliseconds(app.search_time)) + " ms)");
    }
    if (std::string selection = selection_status(app); !selection.empty())
        parts.push_back(std::move(selection));
    if (std::string exporting = export_status(app); !exporting.empty())
        parts.push_back(std::move(exporting));
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

namespace {

// The longest start of hint (whole parts between separators, down to none) that fits beside the
// counts: at a narrow window the hint shortens, then goes, and never runs over them.
std::string fitting_hint(Canvas& canvas, std::string_view hint, float room) {
    std::string_view shown = hint;
    while (!shown.empty() && !fits_in(canvas.measure(shown, Font::Small), room)) {
        const size_t last = shown.rfind(STATUS_SEPARATOR);
        shown = last == std::string_view::npos ? std::string_view{} : shown.substr(0, last);
    }
    return std::string(shown);
}

void paint_status_line(const Frame& f) {
    const float top = f.m.status_top;
    const float width = f.m.width;
    f.canvas.fill_rect(edges(0, top, width, f.m.height), f.p.status);
    f.canvas.fill_rect(edges(0, top, width, top + 1), f.p.separator);
    const std::string status = status_text(f.app, f.items_read);
    const std::optional<std::string> problem = query_problem(f.app);
    const std::string problem_text = problem ? *problem + STATUS_SEPARATOR : std::string();
    const float problem_width =
        problem ? std::ceil(f.canvas.measure(problem_text, Font::Small)) : 0;
    const float inner = width - f.px(32);
    const float room = inner - problem_width - f.canvas.measure(status, Font::Small) - f.px(24);
    const std::string hint =
        f.app.hot_key_ok
            ? choose_text("Ctrl+Alt+F로 언제든 열기  ·  Enter 열기  ·  Ctrl+Enter 폴더",
                          "Ctrl+Alt+F opens Norvik anytime  ·  Enter open  ·  Ctrl+Enter folder")
            : choose_text("Ctrl+Alt+F를 다른 프로그램이 쓰고 있어 단축키를 쓸 수 없습니다",
                          "Ctrl+Alt+F is taken by another app, so the shortcut is off");
    const std::string shown = fitting_hint(f.canvas, hint, room);
    const float hint_width = shown.empty() ? 0 : f.canvas.measure(shown, Font::Small) + 1;
    const float gap = shown.empty() ? 0 : f.px(24);
    const float status_width = std::max(0.6f * width, inner - hint_width - gap);
    if (problem) {
        f.canvas.draw_text(problem_text, RectF{f.px(16), top, status_width, f.m.status_height},
                           f.p.notice, Font::Small, Align::Leading);
    }
    f.canvas.draw_text(status,
                       RectF{f.px(16) + problem_width, top,
                             std::max(0.0f, status_width - problem_width), f.m.status_height},
                       f.p.secondary, Font::Small, Align::Leading);
    if (shown.empty()) return;
    const float right = width - f.px(16);
    const float x = std::min(0.4f * width, right - hint_width);
    f.canvas.draw_text(shown, RectF{x, top, right - x, f.m.status_height},
                       f.app.hot_key_ok ? f.p.secondary : f.p.notice, Font::Small, Align::Trailing);
}

void paint_toast(const Frame& f) {
    const std::optional<ToastGeometry> toast = toast_geometry(f.app);
    if (!toast) return;
    f.canvas.fill_rounded_rect(toast->box, f.px(8), TOAST_BACKGROUND);
    f.canvas.draw_text(toast->text, toast->text_rect, WHITE, Font::Body, Align::Center);
    if (!toast->button) return;
    const float tint = f.hovered(HitKind::ToastButton) ? 0.24f : 0.12f;
    f.canvas.fill_rounded_rect(*toast->button, f.px(6), with_alpha(WHITE, tint));
    f.canvas.draw_text(undo_label(), *toast->button, TOAST_BUTTON_TEXT, Font::BodyBold,
                       Align::Center);
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

Palette high_contrast_palette(const SystemColors& system) {
    Palette p{
        .background = system.window,
        .status = system.window,
        .box = system.window,
        .text = system.window_text,
        .secondary = system.window_text,
        .separator = system.window_text,
        .accent = system.highlight,
        .on_accent = system.highlight_text,
        .selection = with_alpha(system.highlight, 0),
        .notice = system.window_text,
        .folder_icon = system.window_text,
        .kind_icons = {},
    };
    p.kind_icons.fill(system.window_text);
    return p;
}

std::optional<RectF> focus_outline(const App& app) {
    if (app.focus == FocusArea::SearchBox) return std::nullopt;
    const Metrics m = metrics(app);
    const ElementId focused = focused_element(app);
    RectF bounds = element_bounds(app, focused);
    const float gap = 2 * m.s;
    bounds = edges(bounds.x - gap, bounds.y - gap, bounds.right() + gap, bounds.bottom() + gap);
    if (focused.kind == UiPart::Row || focused.kind == UiPart::Results) {
        bounds = edges(std::max(bounds.x, 0.0f), std::max(bounds.y, m.list_top),
                       std::min(bounds.right(), m.width),
                       std::min(bounds.bottom(), m.list_top + m.list_height));
    }
    if (bounds.width <= 0 || bounds.height <= 0) return std::nullopt;
    return bounds;
}

// A 2-DIP frame in the primary text colour, which stands out from every fill (the accent of the
// current tab, the selection) in the palettes and in a high-contrast theme alike.
void paint_focus_outline(const Frame& f) {
    const std::optional<RectF> ring = focus_outline(f.app);
    if (!ring) return;
    const float t = std::max(1.0f, round_pixel(f.px(2)));
    const RectF r = *ring;
    f.canvas.fill_rect(edges(r.x, r.y, r.right(), r.y + t), f.p.text);
    f.canvas.fill_rect(edges(r.x, r.bottom() - t, r.right(), r.bottom()), f.p.text);
    f.canvas.fill_rect(edges(r.x, r.y + t, r.x + t, r.bottom() - t), f.p.text);
    f.canvas.fill_rect(edges(r.right() - t, r.y + t, r.right(), r.bottom() - t), f.p.text);
}

Palette palette_for(const App& app) {
    return app.high_contrast ? high_contrast_palette(*app.high_contrast) : palette(app.dark);
}

bool paint(const App& app) {
    if (!app.renderer) return false;
    const Frame f{app,          *app.renderer, palette_for(app),
                  metrics(app), app.scale,     app.engine.service->items_read()};
    f.canvas.begin_frame(f.p.background);
    paint_search_box(f);
    paint_search_text(f);
    paint_settings_button(f);
    paint_filter_tabs(f);
    paint_column_header(f);
    const std::optional<CutCell> cut = paint_rows(f);
    paint_empty_state(f);
    paint_scroll_bar(f);
    paint_status_line(f);
    paint_focus_outline(f);
    paint_toast(f);
    if (cut) paint_tooltip(f, *cut);
    if (app.syntax_card) paint_syntax_card(f.canvas, f.p, f.m);
    return f.canvas.end_frame();
}

}  // namespace norvik
