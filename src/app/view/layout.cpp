#include "app/view/layout.h"

#include <algorithm>
#include <cmath>

#include "app/text/text.h"
#include "app/view/elide.h"
#include "hangul/utf8.h"

namespace norvik {

namespace {

bool in_range(float v, float low, float high) {
    return v >= low && v < high;
}

}  // namespace

std::string filter_tab_label(uint8_t filter) {
    switch (filter) {
        case 0:
            return choose_text("전체", "All");
        case 1:
            return choose_text("폴더", "Folders");
        case 2:
            return choose_text("문서", "Documents");
        case 3:
            return choose_text("사진", "Pictures");
        case 4:
            return choose_text("음악", "Music");
        case 5:
            return choose_text("동영상", "Videos");
        case 6:
            return choose_text("압축", "Archives");
        default:
            return {};
    }
}

std::vector<TabRect> tab_rects(const App& app) {
    std::vector<TabRect> tabs;
    if (!app.renderer) return tabs;
    const float s = app.scale;
    float x = 16 * s;
    for (uint8_t filter = 0; filter < 7; ++filter) {
        const float w = app.renderer->measure(filter_tab_label(filter), Font::Body) + 26 * s;
        tabs.push_back(TabRect{filter, RectF{x, 68 * s, w, 30 * s}});
        x += w + 6 * s;
    }
    return tabs;
}

namespace {

// The columns' widths in pixels: as wanted (sized by the user, or the even split of Name and
// Folder), and as they fit the window.
struct ColumnLayout {
    std::array<float, 4> wanted;  // Name, Folder, Size, Date modified
    std::array<float, 4> shown;   // 0: out of view
};

ColumnLayout column_layout(const App& app) {
    const Metrics m = metrics(app);
    const float s = m.s;
    // Beside the columns: the margins (16 each side), the scroll bar strip (10) and the icon
    // column (30).
    const float room = std::max(0.0f, m.width - 72 * s);
    const float least = round_pixel(MIN_COLUMN_DIPS * s);
    ColumnLayout layout;
    std::array<float, 4>& wanted = layout.wanted;
    if (const std::optional<ColumnWidths>& sized = app.column_widths) {
        wanted = {0, round_pixel(sized->folder * s), round_pixel(sized->size * s),
                  round_pixel(sized->date * s)};
        wanted[0] = room - wanted[1] - wanted[2] - wanted[3];
    } else {
        const float rest = std::max(2 * least, room - 86 * s - 136 * s);
        wanted = {round_pixel(rest / 2), 0, 86 * s, 136 * s};
        wanted[1] = rest - wanted[0];
    }
    // Name keeps a third of the list: the others give way in turn, Folder first, each down to
    // its minimum and then out of view, so that nothing runs under the scroll bar.
    std::array<float, 4>& shown = layout.shown;
    shown = wanted;
    const float name_least = std::ceil(std::max(least, room / 3));
    float excess = shown[1] + shown[2] + shown[3] + name_least - room;
    for (size_t i = 1; i < 4 && excess > 0; ++i) {
        const float give = std::min(excess, std::max(0.0f, shown[i] - least));
        shown[i] -= give;
        excess -= give;
        if (excess > 0) {
            excess -= shown[i];
            shown[i] = 0;
        }
    }
    shown[0] = std::max(0.0f, room - shown[1] - shown[2] - shown[3]);
    return layout;
}

}  // namespace

std::array<ColumnSpec, 4> column_specs(const App& app) {
    const std::array<float, 4> widths = column_layout(app).shown;
    const float name_x = 46 * app.scale;
    const float folder_x = name_x + widths[0];
    const float size_x = folder_x + widths[1];
    const float date_x = size_x + widths[2];
    return {
        ColumnSpec{choose_text("이름", "Name"), name_x, widths[0], SortColumn::Name,
                   Align::Leading},
        ColumnSpec{choose_text("폴더", "Folder"), folder_x, widths[1], SortColumn::Folder,
                   Align::Leading},
        ColumnSpec{choose_text("크기", "Size"), size_x, widths[2], SortColumn::Size,
                   Align::Trailing},
        ColumnSpec{choose_text("수정한 날짜", "Date modified"), date_x, widths[3],
                   SortColumn::DateModified, Align::Leading},
    };
}

ShownColumns shown_columns(const App& app) {
    const ColumnLayout layout = column_layout(app);
    const float s = app.scale;
    // A column out of view is dragged from the width it would have, not from nothing.
    const auto dips = [&](size_t i) {
        return (layout.shown[i] > 0 ? layout.shown[i] : layout.wanted[i]) / s;
    };
    return ShownColumns{layout.shown[0] / s, ColumnWidths{dips(1), dips(2), dips(3)}};
}

std::optional<ScrollBar> scrollbar_geometry(const App& app) {
    const Metrics m = metrics(app);
    if (m.list_height <= 0 || m.list_height >= m.content_height) return std::nullopt;
    const float s = m.s;
    ScrollBar bar;
    bar.track = RectF{m.width - 12 * s, 142 * s, 10 * s, m.list_height - 4 * s};
    const float thumb_height = std::min(
        bar.track.height,
        std::max(28 * s, static_cast<float>(m.list_height * bar.track.height / m.content_height)));
    const float thumb_y =
        bar.track.y + static_cast<float>((bar.track.height - thumb_height) * app.scroll /
                                         std::max(1.0, m.max_scroll));
    bar.thumb = RectF{m.width - 10 * s, thumb_y, 6 * s, thumb_height};
    return bar;
}

float caret_at(const std::vector<float>& carets, size_t n) {
    return carets.empty() ? 0 : carets[std::min(n, carets.size() - 1)];
}

float caret_x(const App& app, std::string_view text, size_t n) {
    if (!app.renderer) return 0;
    return caret_at(app.renderer->caret_positions(text, Font::Input), n);
}

float text_scroll_offset_for(const App& app, float caret_end) {
    return std::max(0.0f, caret_end + 2 - metrics(app).text_width);
}

size_t composition_end(const App& app) {
    size_t end = std::min<size_t>(app.caret, app.text.size());
    for (size_t pos = 0; pos < app.composition.size(); ++end)
        decode_utf8(app.composition, pos);
    return end;
}

float text_scroll_offset(const App& app) {
    return text_scroll_offset_for(app, caret_x(app, display_query(app), composition_end(app)));
}

uint32_t char_at_x(const App& app, float x) {
    if (!app.renderer) return 0;
    const float v = x - 60 * app.scale + text_scroll_offset(app);
    const std::vector<float> carets =
        app.renderer->caret_positions(utf32_to_utf8(app.text), Font::Input);
    // A canvas that could not lay the text out answers fewer positions; the caret then goes to
    // the nearest one it has, never past the text.
    const size_t count = std::min(carets.size(), app.text.size() + 1);
    uint32_t best = 0;
    for (size_t n = 1; n < count; ++n) {
        if (std::fabs(carets[n] - v) < std::fabs(carets[best] - v)) best = static_cast<uint32_t>(n);
    }
    return best;
}

std::string undo_label() {
    return choose_text("실행 취소", "Undo");
}

std::optional<ToastGeometry> toast_geometry(const App& app) {
    if (!app.toast || !app.renderer) return std::nullopt;
    Canvas& canvas = *app.renderer;
    const Toast& toast = *app.toast;
    const Metrics m = metrics(app);
    const float s = m.s;
    // Margins: 16 DIPs before the text and after it, or 12 between the text and the button and
    // 6 after the button.
    float button_width = 0;
    float beside_text = 32 * s;
    if (toast.undo_exclusion) {
        button_width = std::ceil(canvas.measure(undo_label(), Font::BodyBold)) + 24 * s;
        beside_text = 34 * s + button_width;
    }
    const float widest = m.width - 32 * s;
    ToastGeometry geometry;
    geometry.text = toast.text;
    // Whole pixels up: a box cut to the measured fraction can lose the text's last letters to
    // the ellipsis.
    float w = std::ceil(canvas.measure(geometry.text, Font::Body));
    const size_t at =
        toast.undo_exclusion ? toast.text.rfind(*toast.undo_exclusion) : std::string::npos;
    if (at != std::string::npos && !fits_in(w, widest - beside_text)) {
        // The folder's end names it: the middle of a long path goes first.
        const std::string& folder = *toast.undo_exclusion;
        const std::string before = toast.text.substr(0, at);
        const std::string after = toast.text.substr(at + folder.size());
        const float room =
            widest - beside_text - std::ceil(canvas.measure(before + after, Font::Body));
        const Elided shown =
            elide_path(folder, room, widest_advance(Font::Body, s),
                       [&](std::string_view text) { return canvas.measure(text, Font::Body); });
        geometry.text = before + shown.text + after;
        w = std::ceil(canvas.measure(geometry.text, Font::Body));
    }
    const float b = std::min(w + beside_text, widest);
    geometry.box = RectF{round_pixel((m.width - b) / 2), m.status_top - 52 * s, b, 38 * s};
    const RectF& box = geometry.box;
    if (!toast.undo_exclusion) {
        // Centred in more room than the text needs, with the same margins to the eye.
        geometry.text_rect = RectF{box.x + 12 * s, box.y, b - 24 * s, 38 * s};
        return geometry;
    }
    geometry.button =
        RectF{box.right() - 6 * s - button_width, box.y + 5 * s, button_width, 28 * s};
    geometry.text_rect =
        RectF{box.x + 12 * s, box.y, geometry.button->x - 8 * s - box.x - 12 * s, 38 * s};
    return geometry;
}

HitTarget hit_test(const App& app, float x, float y) {
    const Metrics m = metrics(app);
    const float s = m.s;
    if (app.toast && app.toast->undo_exclusion) {
        const std::optional<ToastGeometry> toast = toast_geometry(app);
        if (toast && toast->button && toast->button->contains(x, y))
            return {HitKind::ToastButton, 0};
    }
    if (in_range(y, 14 * s, 58 * s) && in_range(x, 16 * s, 16 * s + m.box_width))
        return {HitKind::SearchBox, 0};
    if (in_range(y, 16 * s, 56 * s) && in_range(x, m.width - 56 * s, m.width - 16 * s))
        return {HitKind::SettingsButton, 0};
    for (const TabRect& tab : tab_rects(app)) {
        if (tab.rect.contains(x, y)) return {HitKind::FilterTab, tab.filter};
    }
    if (std::optional<ScrollBar> bar = scrollbar_geometry(app)) {
        if (bar->thumb.contains(x, y)) return {HitKind::ScrollThumb, 0};
        if (bar->track.contains(x, y)) return {HitKind::ScrollTrack, 0};
    }
    if (in_range(y, 110 * s, 140 * s)) {
        const std::array<ColumnSpec, 4> columns = column_specs(app);
        // The borders come before the labels: their grips overlap the labels' edges.
        for (uint32_t border = 0; border < COLUMN_BORDERS; ++border) {
            // A column out of view has no borders to drag.
            if (columns[border].width <= 0 || columns[border + 1].width <= 0) continue;
            const float border_x = columns[border].x + columns[border].width;
            if (std::fabs(x - border_x) < BORDER_GRIP_DIPS * s)
                return {HitKind::ColumnBorder, border};
        }
        for (const ColumnSpec& column : columns) {
            // The icon column left of Name belongs to Name.
            const float left = column.column == SortColumn::Name ? 16 * s : column.x;
            if (in_range(x, left, column.x + column.width))
                return {HitKind::ColumnHeader, static_cast<uint32_t>(column.column)};
        }
        return {};
    }
    if (in_range(y, m.list_top, m.list_top + m.list_height) && in_range(x, 0, m.width)) {
        // In doubles throughout: the scroll of a list of millions of rows is beyond a float's
        // whole-pixel range.
        const double row = std::trunc((y - m.list_top + app.scroll) / m.row_height);
        if (row >= 0 && row < static_cast<double>(app.results.size()))
            return {HitKind::ResultRow, static_cast<uint32_t>(row)};
    }
    return {};
}

PixelRect first_show_rect(uint32_t dpi, PixelRect work_area) {
    const double d = std::max(dpi, 96u) / 96.0;
    PixelRect rect;
    rect.width = std::min(static_cast<int>(960 * d), std::max(work_area.width, 0));
    rect.height = std::min(static_cast<int>(640 * d), std::max(work_area.height, 0));
    rect.x = work_area.x + (work_area.width - rect.width) / 2;
    rect.y = work_area.y + (work_area.height - rect.height) / 3;
    return rect;
}

PixelRect fit_into_work_area(PixelRect rect, PixelRect work_area) {
    rect.width = std::min(rect.width, std::max(work_area.width, 0));
    rect.height = std::min(rect.height, std::max(work_area.height, 0));
    rect.x =
        std::clamp(rect.x, work_area.x, work_area.x + std::max(work_area.width, 0) - rect.width);
    rect.y =
        std::clamp(rect.y, work_area.y, work_area.y + std::max(work_area.height, 0) - rect.height);
    return rect;
}

}  // namespace norvik
