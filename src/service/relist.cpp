#include "service/relist.h"

#include <unordered_map>
#include <unordered_set>

namespace norvik {

namespace {

std::string child_path(std::string_view folder, std::string_view name) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    if (!folder.empty()) {
        path += folder;
        path += '\\';
    }
    path += name;
    return path;
}

}  // namespace

ListingDiff diff_listing(const VolumeTable& table, std::string_view folder,
                         const std::vector<ListedItem>& listing) {
    std::optional<uint32_t> at = table.find_path(folder);
    if (!at || !table.is_live(*at)) return {};
    const Entry& top = table.entries[*at];
    if (!top.is_dir() || (top.flags & FLAG_LINK)) return {};

    // The table's children by the name they were found under: a listing names each item as the
    // table stored it unless the item changed.
    std::unordered_map<std::string_view, uint32_t> children;
    table.for_each_child(
        *at, [&](uint32_t child) { children.emplace(table.display_name(child), child); });

    std::vector<Change> removed, changed;
    std::vector<size_t> new_folders;  // positions in changed
    std::unordered_set<uint32_t> seen;
    for (const ListedItem& item : listing) {
        auto it = children.find(item.name);
        bool item_is_folder = item.facts.attributes & ATTRIBUTE_DIRECTORY;
        if (it == children.end() || table.entries[it->second].is_dir() != item_is_folder) {
            // New, or a file where a folder was (or the other way): the old one goes first.
            if (is_walkable_folder(item.facts.attributes,
                                   effective_reparse_tag(item.facts.attributes, item.reparse_tag)))
                new_folders.push_back(changed.size());
            changed.push_back(Change::added(child_path(folder, item.name), item.facts));
            continue;
        }
        seen.insert(it->second);
        const Entry& entry = table.entries[it->second];
        bool differs =
            entry.mtime != item.facts.mtime || (!entry.is_dir() && entry.size != item.facts.size) ||
            (entry.flags & (FLAG_HIDDEN | FLAG_SYSTEM)) != attribute_flags(item.facts.attributes);
        if (differs) changed.push_back(Change::modified(child_path(folder, item.name), item.facts));
    }
    table.for_each_child(*at, [&](uint32_t child) {
        if (!seen.contains(child))
            removed.push_back(Change::removed(child_path(folder, table.display_name(child))));
    });
    ListingDiff diff;
    diff.changes = std::move(removed);
    for (size_t& position : new_folders)
        position += diff.changes.size();
    diff.to_walk = std::move(new_folders);
    diff.changes.insert(diff.changes.end(), std::make_move_iterator(changed.begin()),
                        std::make_move_iterator(changed.end()));
    return diff;
}

std::vector<std::string> folders_within(const VolumeTable& table, std::string_view folder) {
    std::optional<uint32_t> top = table.find_path(folder);
    auto enterable = [&](uint32_t at) {
        const Entry& entry = table.entries[at];
        return table.is_live(at) && entry.is_dir() && !(entry.flags & FLAG_LINK);
    };
    if (!top || !enterable(*top)) return {};
    std::vector<std::string> found{std::string(folder)};
    std::vector<std::pair<uint32_t, size_t>> stack{{*top, 0}};  // entry, its place in found
    while (!stack.empty()) {
        auto [at, place] = stack.back();
        stack.pop_back();
        table.for_each_child(at, [&](uint32_t child) {
            if (!enterable(child)) return;
            stack.emplace_back(child, found.size());
            found.push_back(child_path(found[place], table.display_name(child)));
        });
    }
    return found;
}

void RelistRequest::add(const RelistFolders& more, size_t cap) {
    if (over_cap) return;
    folders.insert(more.folders.begin(), more.folders.end());
    arrived.insert(more.arrived.begin(), more.arrived.end());
    if (folders.size() > cap) whole_arrivals = true;
    if (whole_arrivals) {
        // A folder at or below one that arrived is listed with that one's subtree.
        std::erase_if(folders, [&](const std::string& folder) {
            for (std::string_view path = folder;;) {
                if (arrived.contains(std::string(path))) return true;
                size_t cut = path.rfind('\\');
                if (cut == std::string_view::npos) return false;
                path = path.substr(0, cut);
            }
        });
    }
    if (folders.size() > cap || arrived.size() > cap) {
        over_cap = true;
        folders.clear();
        arrived.clear();
    }
}

}  // namespace norvik
