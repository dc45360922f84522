#include "app/core/columns.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace norvik {

ColumnWidths drag_column_border(const ColumnWidths& start, float name_start, uint32_t border,
                                float dx) {
    if (border >= COLUMN_BORDERS) return start;
    std::array<float, 4> widths = {name_start, start.folder, start.size, start.date};
    const size_t left = border;
    const size_t right = border + 1;
    float low = MIN_COLUMN_DIPS - widths[left];
    float high = widths[right] - MIN_COLUMN_DIPS;
    // Name, on the left of the first border, takes whatever is left, so it has no upper bound.
    if (left != 0) high = std::min(high, MAX_COLUMN_DIPS - widths[left]);
    low = std::max(low, widths[right] - MAX_COLUMN_DIPS);
    // A window too narrow for the minimums leaves no room either way.
    dx = low > high ? 0 : std::clamp(dx, low, high);
    widths[left] += dx;
    widths[right] -= dx;
    return ColumnWidths{widths[1], widths[2], widths[3]};
}

ColumnWidths resize_column(ColumnWidths shown, SortColumn column, float dips) {
    const auto resized = [](float width, float by) {
        return std::clamp(width + by, MIN_COLUMN_DIPS, MAX_COLUMN_DIPS);
    };
    switch (column) {
        case SortColumn::Name:
            shown.folder = resized(shown.folder, -dips);
            break;
        case SortColumn::Folder:
            shown.folder = resized(shown.folder, dips);
            break;
        case SortColumn::Size:
            shown.size = resized(shown.size, dips);
            break;
        case SortColumn::DateModified:
            shown.date = resized(shown.date, dips);
            break;
        case SortColumn::Relevance:
            break;
    }
    return shown;
}

bool past_drag_threshold(Point from, Point to, float s) {
    const float limit = DRAG_THRESHOLD_DIPS * s;
    return std::fabs(to.x - from.x) > limit || std::fabs(to.y - from.y) > limit;
}

std::optional<ColumnWidths> saved_column_widths(SettingsStore& store) {
    const std::optional<std::vector<uint8_t>> bytes = store.read_binary(SETTING_COLUMN_WIDTHS);
    if (!bytes || bytes->size() != COLUMN_WIDTHS_BYTES) return std::nullopt;
    std::array<float, 3> widths{};
    for (size_t i = 0; i < widths.size(); ++i) {
        uint32_t dips = 0;
        for (size_t b = 0; b < 4; ++b)
            dips |= static_cast<uint32_t>((*bytes)[i * 4 + b]) << (8 * b);
        if (dips < MIN_COLUMN_DIPS || dips > MAX_COLUMN_DIPS) return std::nullopt;
        widths[i] = static_cast<float>(dips);
    }
    return ColumnWidths{widths[0], widths[1], widths[2]};
}

bool save_column_widths(SettingsStore& store, const std::optional<ColumnWidths>& widths) {
    std::vector<uint8_t> bytes;
    if (widths) {
        for (const float width : {widths->folder, widths->size, widths->date}) {
            const auto dips = static_cast<uint32_t>(
                std::lround(std::clamp(width, MIN_COLUMN_DIPS, MAX_COLUMN_DIPS)));
            for (size_t b = 0; b < 4; ++b)
                bytes.push_back(static_cast<uint8_t>(dips >> (8 * b)));
        }
    }
    return store.write_binary(SETTING_COLUMN_WIDTHS, bytes);
}

}  // namespace norvik
