#include "app/core/row_selection.h"

#include <algorithm>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

#include "app/core/result_order.h"

namespace norvik {
namespace {

struct EntryHash {
    size_t operator()(const ChosenEntry& e) const {
        return std::hash<uint64_t>{}((uint64_t{e.table} << 32 | e.entry) ^
                                     (uint64_t{e.table_id} * 0x9E3779B97F4A7C15ull));
    }
};

// The marked rows with their items, for rows i..j (ordered rows only: a row not in order yet
// holds no known entry).
void mark_range(App& app, uint32_t from, uint32_t to) {
    app.marked.clear();
    app.marked_items.clear();
    for (uint32_t row = from; row <= to; ++row) {
        if (!row_is_ordered(app, row)) continue;
        std::optional<ChosenItem> item =
            capture_item(*app.engine.index, app.results[row], app.table_ids);
        if (!item) continue;
        app.marked.push_back(row);
        app.marked_items.push_back(std::move(*item));
    }
}

void toggle(App& app, uint32_t row) {
    if (app.marked.empty() && app.selected && *app.selected != row) {
        mark_range(app, *app.selected, *app.selected);
    }
    const auto at = std::lower_bound(app.marked.begin(), app.marked.end(), row);
    const auto index = at - app.marked.begin();
    if (at != app.marked.end() && *at == row) {
        app.marked.erase(at);
        app.marked_items.erase(app.marked_items.begin() + index);
        return;
    }
    if (!row_is_ordered(app, row)) return;
    std::optional<ChosenItem> item =
        capture_item(*app.engine.index, app.results[row], app.table_ids);
    if (!item) return;
    app.marked.insert(at, row);
    app.marked_items.insert(app.marked_items.begin() + index, std::move(*item));
}

}  // namespace

void select_rows(App& app, Shell& shell, size_t i, RowGesture gesture) {
    if (app.results.empty()) return;
    const uint32_t row = static_cast<uint32_t>(std::min(i, app.results.size() - 1));
    if (gesture == RowGesture::Only) {
        select_row(app, shell, row);
        return;
    }
    hide_tooltip(app, shell);
    if (gesture == RowGesture::Toggle) {
        toggle(app, row);
        app.select_anchor = row;
    } else {
        const uint32_t anchor = app.select_anchor.value_or(app.selected.value_or(row));
        mark_range(app, std::min(anchor, row), std::max(anchor, row));
        app.select_anchor = anchor;
    }
    // One row marked is the single selection again.
    if (app.marked.size() == 1 && app.marked[0] == row) {
        app.marked.clear();
        app.marked_items.clear();
    }
    choose_row(app, row);
    scroll_to_row(app, row);
    shell.invalidate();
}

std::vector<uint32_t> selected_rows(const App& app) {
    if (!app.marked.empty()) return app.marked;
    if (app.selected) return {*app.selected};
    return {};
}

bool is_marked(const App& app, uint32_t row) {
    return std::binary_search(app.marked.begin(), app.marked.end(), row);
}

std::vector<ChosenEntry> selected_entries(const App& app) {
    std::vector<ChosenEntry> entries;
    for (const uint32_t row : selected_rows(app))
        if (std::optional<ChosenEntry> entry = entry_of_row(app, row)) entries.push_back(*entry);
    return entries;
}

std::vector<std::optional<size_t>> find_items(Index& index, std::span<const ChosenItem> items,
                                              std::span<const Hit> hits,
                                              std::span<const uint32_t> table_ids) {
    std::vector<std::optional<size_t>> rows(items.size());
    if (items.empty()) return rows;
    if (items.size() == 1) {
        rows[0] = find_item(index, items[0], hits, table_ids);
        return rows;
    }
    std::unordered_map<ChosenEntry, size_t, EntryHash> row_of;
    row_of.reserve(hits.size());
    for (size_t row = 0; row < hits.size(); ++row)
        if (std::optional<ChosenEntry> entry = entry_of_hit(hits[row], table_ids))
            row_of.emplace(*entry, row);
    const auto find = [&](const ChosenEntry& entry) -> std::optional<size_t> {
        const auto at = row_of.find(entry);
        if (at == row_of.end()) return std::nullopt;
        return at->second;
    };
    std::shared_lock lock(index.lock);
    for (size_t i = 0; i < items.size(); ++i) {
        const ChosenItem& item = items[i];
        rows[i] = find(item.entry);
        // A rescan gave the table a new id and new entries: the item's path finds it.
        if (rows[i] || item.relative.empty()) continue;
        const std::optional<size_t> position = index.find(item.root);
        if (!position || *position >= table_ids.size()) continue;
        const VolumeTable& table = index.tables[*position];
        if (table.table_id != table_ids[*position]) continue;
        if (const std::optional<uint32_t> entry = table.find_path(item.relative))
            rows[i] = find(ChosenEntry{static_cast<uint32_t>(*position), table.table_id, *entry});
    }
    return rows;
}

std::optional<ChosenItem> anchor_item(const App& app) {
    if (!app.select_anchor) return std::nullopt;
    const auto at = std::lower_bound(app.marked.begin(), app.marked.end(), *app.select_anchor);
    if (at == app.marked.end() || *at != *app.select_anchor) return std::nullopt;
    return app.marked_items[static_cast<size_t>(at - app.marked.begin())];
}

void keep_marked(App& app, std::span<const ChosenItem> items,
                 const std::optional<ChosenItem>& anchor) {
    app.marked.clear();
    app.marked_items.clear();
    app.select_anchor = app.selected;
    if (items.empty()) return;
    std::vector<ChosenItem> all(items.begin(), items.end());
    if (anchor) all.push_back(*anchor);
    const std::vector<std::optional<size_t>> rows =
        find_items(*app.engine.index, all, app.results, app.table_ids);
    std::vector<std::pair<uint32_t, ChosenItem>> found;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!rows[i]) continue;  // left the results: leaves the selection
        const uint32_t row = static_cast<uint32_t>(*rows[i]);
        ChosenItem item = items[i];
        item.entry = *entry_of_hit(app.results[row], app.table_ids);
        found.emplace_back(row, std::move(item));
    }
    if (anchor && rows.back()) app.select_anchor = static_cast<uint32_t>(*rows.back());
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    if (found.size() < 2) return;  // one row left is the single selection
    for (auto& [row, item] : found) {
        app.marked.push_back(row);
        app.marked_items.push_back(std::move(item));
    }
}

}  // namespace norvik
