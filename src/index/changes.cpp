#include "index/changes.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace norvik {

namespace {

// Splits "a\b\c" into ("a\b", "c"); a path without a backslash has the root as its parent.
std::pair<std::string_view, std::string_view> split_last(std::string_view path) {
    size_t cut = path.rfind('\\');
    if (cut == std::string_view::npos) return {std::string_view{}, path};
    return {path.substr(0, cut), path.substr(cut + 1)};
}

void set_facts(Entry& entry, const FileFacts& facts) {
    if (!entry.is_dir()) entry.size = facts.size;
    entry.mtime = facts.mtime;
    // Hiding an item, or showing it again, changes its attributes alone.
    entry.flags = static_cast<uint8_t>((entry.flags & ~(FLAG_HIDDEN | FLAG_SYSTEM)) |
                                       attribute_flags(facts.attributes));
}

// True when `index` is `ancestor` or lies below it. Bounded like full_path, so a damaged parent
// chain cannot loop.
bool is_within(const VolumeTable& table, uint32_t index, uint32_t ancestor) {
    size_t steps = 0;
    for (uint32_t at = index; at < table.entries.size() && steps < MAX_PATH_NAMES;
         at = table.entries[at].parent, ++steps) {
        if (at == ancestor) return true;
    }
    return false;
}

void apply_rename(VolumeTable& table, const Change& change) {
    std::optional<uint32_t> old = table.find_path(change.path);
    if (!old) {
        if (change.facts && !has_excluded_component(change.new_path))
            add_subtree(table, change.new_path, *change.facts, change.walked);
        return;
    }
    if (*old == 0) return;
    if (has_excluded_component(change.new_path)) {
        remove_subtree(table, *old);
        return;
    }
    auto [parent_path, name] = split_last(change.new_path);
    std::optional<uint32_t> new_parent = table.find_path(parent_path);
    // An item moved into its own subtree cannot exist on disk; relinking it would make a parent
    // cycle that cuts the subtree off from the root, so it is handled like a move to nowhere.
    // An empty new name is the same: the item left its old place for an unknown one.
    if (!new_parent || !table.entries[*new_parent].is_dir() || name.empty() ||
        is_within(table, *new_parent, *old)) {
        remove_subtree(table, *old);
        return;
    }
    std::optional<uint32_t> existing = table.find_child(*new_parent, name);
    if (existing && *existing != *old) remove_subtree(table, *existing);

    table.move_entry(*old, *new_parent);
    if (table.display_name(*old) != name && !table.set_name(*old, table.entries[*old], name)) {
        // The table is full: under its old name the item would be listed where nothing is.
        remove_subtree(table, *old);
        return;
    }
    if (change.facts) set_facts(table.entries[*old], *change.facts);
}

}  // namespace

Change Change::added(std::string path, std::optional<FileFacts> facts,
                     std::vector<WalkedItem> walked) {
    Change c;
    c.type = ChangeType::Added;
    c.path = std::move(path);
    c.facts = facts;
    c.walked = std::move(walked);
    return c;
}

Change Change::removed(std::string path) {
    Change c;
    c.type = ChangeType::Removed;
    c.path = std::move(path);
    return c;
}

Change Change::modified(std::string path, std::optional<FileFacts> facts) {
    Change c;
    c.type = ChangeType::Modified;
    c.path = std::move(path);
    c.facts = facts;
    return c;
}

Change Change::renamed(std::string old_path, std::string new_path, std::optional<FileFacts> facts,
                       std::vector<WalkedItem> walked) {
    Change c;
    c.type = ChangeType::Renamed;
    c.path = std::move(old_path);
    c.new_path = std::move(new_path);
    c.facts = facts;
    c.walked = std::move(walked);
    return c;
}

std::optional<AddResult> add_child(VolumeTable& table, uint32_t parent, std::string_view name,
                                   const FileFacts& facts, bool parent_is_new) {
    if (name.empty() || is_excluded_name(name)) return std::nullopt;
    if (!table.is_live(parent) || !table.entries[parent].is_dir()) return std::nullopt;
    if (!parent_is_new) {
        if (std::optional<uint32_t> found = table.find_child(parent, name)) {
            set_facts(table.entries[*found], facts);
            return AddResult{*found, false};
        }
    }
    // Tag 0: items added after the scan never carry FLAG_LINK, as the watcher cannot tell.
    uint32_t index = table.add_entry(parent, name, facts, 0);
    if (index == NO_ENTRY) return std::nullopt;  // the table is full
    table.add_late_child(parent, index);
    return AddResult{index, true};
}

std::optional<AddResult> add_path(VolumeTable& table, std::string_view path,
                                  const FileFacts& facts) {
    if (has_excluded_component(path)) return std::nullopt;
    auto [parent_path, name] = split_last(path);
    std::optional<uint32_t> parent = table.find_path(parent_path);
    if (!parent) return std::nullopt;
    return add_child(table, *parent, name, facts, false);
}

void add_subtree(VolumeTable& table, std::string_view path, const FileFacts& facts,
                 const std::vector<WalkedItem>& walked) {
    std::optional<AddResult> top = add_path(table, path, facts);
    if (!top) return;
    // Folders of this subtree by path, so each item's parent is found without walking the path
    // from the root again; a folder that was just appended needs no duplicate check below it.
    std::unordered_map<std::string, AddResult> folders;
    folders.emplace(std::string(path), *top);
    for (const WalkedItem& item : walked) {
        auto [parent_path, name] = split_last(item.path);
        std::optional<AddResult> result;
        if (auto it = folders.find(std::string(parent_path)); it != folders.end()) {
            result = add_child(table, it->second.index, name, item.facts, it->second.added);
        } else {
            result = add_path(table, item.path, item.facts);
        }
        if (result && (item.facts.attributes & ATTRIBUTE_DIRECTORY))
            folders.insert_or_assign(item.path, *result);
    }
}

void remove_subtree(VolumeTable& table, uint32_t index) {
    if (index == 0 || index >= table.entries.size()) return;
    std::vector<uint32_t> stack{index};
    while (!stack.empty()) {
        uint32_t at = stack.back();
        stack.pop_back();
        Entry& entry = table.entries[at];
        if (entry.is_removed()) continue;
        table.for_each_child(at, [&](uint32_t child) { stack.push_back(child); });
        table.entries[at].flags |= FLAG_REMOVED;
        if (table.live_count > 0) --table.live_count;
    }
}

void drop_excluded(VolumeTable& table, const FolderExclusions& excluded) {
    for (const std::string& path : excluded.paths()) {
        if (path.empty()) {  // the root itself: everything below it goes
            for (uint32_t child : table.children(0))
                remove_subtree(table, child);
        } else if (std::optional<uint32_t> at = table.find_path(path)) {
            remove_subtree(table, *at);
        }
    }
}

void apply_changes(VolumeTable& table, const std::vector<Change>& changes) {
    for (const Change& change : changes) {
        switch (change.type) {
            case ChangeType::Added:
                if (change.facts) add_subtree(table, change.path, *change.facts, change.walked);
                break;
            case ChangeType::Removed:
                if (std::optional<uint32_t> at = table.find_path(change.path))
                    remove_subtree(table, *at);
                break;
            case ChangeType::Modified:
                // The root keeps mtime 0 whatever a change says about it.
                if (std::optional<uint32_t> at = table.find_path(change.path);
                    at && *at != 0 && change.facts)
                    set_facts(table.entries[*at], *change.facts);
                break;
            case ChangeType::Renamed:
                apply_rename(table, change);
                break;
        }
    }
}

}  // namespace norvik
