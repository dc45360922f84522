#include "app/core/selection.h"

#include <mutex>
#include <shared_mutex>

#include "search/resolve_hit.h"

namespace norvik {

namespace {

std::optional<size_t> find_hit(std::span<const Hit> hits, std::span<const uint32_t> table_ids,
                               const ChosenEntry& entry) {
    for (size_t row = 0; row < hits.size(); ++row) {
        const Hit& hit = hits[row];
        if (hit.entry == entry.entry && hit.table == entry.table &&
            entry_of_hit(hit, table_ids) == entry)
            return row;
    }
    return std::nullopt;
}

}  // namespace

std::optional<ChosenEntry> entry_of_hit(const Hit& hit, std::span<const uint32_t> table_ids) {
    if (hit.table >= table_ids.size()) return std::nullopt;
    return ChosenEntry{hit.table, table_ids[hit.table], hit.entry};
}

std::optional<ChosenItem> capture_item(Index& index, const Hit& hit,
                                       std::span<const uint32_t> table_ids) {
    const std::optional<ChosenEntry> entry = entry_of_hit(hit, table_ids);
    if (!entry) return std::nullopt;
    ChosenItem item{*entry, {}, {}};
    std::shared_lock lock(index.lock);
    if (const VolumeTable* table = resolve_hit(index, table_ids, hit)) {
        item.root = table->root;
        item.relative = table->relative_path(hit.entry, false, '\\');
    }
    return item;
}

std::optional<size_t> find_item(Index& index, const ChosenItem& item, std::span<const Hit> hits,
                                std::span<const uint32_t> table_ids) {
    if (std::optional<size_t> row = find_hit(hits, table_ids, item.entry)) return row;
    // The root entry is never a result, so an empty path is no place to look.
    if (item.relative.empty()) return std::nullopt;
    std::optional<ChosenEntry> now;
    {
        std::shared_lock lock(index.lock);
        const std::optional<size_t> position = index.find(item.root);
        if (!position || *position >= table_ids.size()) return std::nullopt;
        const VolumeTable& table = index.tables[*position];
        // Entries of a table rebuilt again since these hits were made are not theirs.
        if (table.table_id != table_ids[*position]) return std::nullopt;
        const std::optional<uint32_t> entry = table.find_path(item.relative);
        if (!entry) return std::nullopt;
        now = ChosenEntry{static_cast<uint32_t>(*position), table.table_id, *entry};
    }
    return find_hit(hits, table_ids, *now);
}

}  // namespace norvik
