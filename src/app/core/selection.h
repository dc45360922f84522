// What the user chose in the result list, and how it is found again in a list that a refresh,
// a rescan or another order has rebuilt. A row number means nothing across two lists; the entry
// does while its table stands, and its path does after a rescan has given the table a new id and
// new entry numbers. A selection of several rows will keep several of these.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "index/index.h"
#include "query/match.h"

namespace norvik {

// An entry as a result row names it: its table position, that table's id when the results were
// made, and its entry index.
struct ChosenEntry {
    uint32_t table = 0;
    uint32_t table_id = 0;
    uint32_t entry = 0;

    bool operator==(const ChosenEntry&) const = default;
};

// A chosen entry and where it lay when it was chosen: its table's root and its path below it,
// with names as found on disk (empty when its table had already been rebuilt).
struct ChosenItem {
    ChosenEntry entry;
    std::string root;
    std::string relative;
};

// The entry `hit` names (with the table id delivered for it); nothing for a table position
// without a delivered id.
std::optional<ChosenEntry> entry_of_hit(const Hit& hit, std::span<const uint32_t> table_ids);

// The item of the entry `hit` names, with its place read from the index (under its read lock)
// while the hit's table still stands.
std::optional<ChosenItem> capture_item(Index& index, const Hit& hit,
                                       std::span<const uint32_t> table_ids);

// The row of `hits` (made against tables with `table_ids`) that holds item: the same entry of
// the same table, else the entry now at the item's path (read under the index's read lock) in a
// table that the hits were made against. Nothing when the list no longer holds it.
std::optional<size_t> find_item(Index& index, const ChosenItem& item, std::span<const Hit> hits,
                                std::span<const uint32_t> table_ids);

}  // namespace norvik
