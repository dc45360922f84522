#include "watch/change_batch.h"

#include <unordered_set>

#include "index/scan.h"

namespace norvik {

namespace {

bool is_folder(const std::optional<FileFacts>& facts) {
    return facts && (facts->attributes & ATTRIBUTE_DIRECTORY);
}

// A repeat of the event just before it (several "modified" for one write). An event after a
// new-name half is kept: that half was consumed by its rename, or stands for an added item.
bool repeats_previous(const std::vector<RawEvent>& events, size_t i) {
    if (i == 0) return false;
    const RawEvent& before = events[i - 1];
    return before.action != ACTION_RENAMED_NEW_NAME && before.action == events[i].action &&
           before.name == events[i].name;
}

}  // namespace

std::string event_full_path(std::string_view root, std::string_view relative) {
    while (!root.empty() && root.back() == '\\')
        root.remove_suffix(1);
    std::string full;
    full.reserve(root.size() + 1 + relative.size());
    full += root;
    full += '\\';
    full += relative;
    return full;
}

SubtreeWalk walk_arrived_folder(const std::string& full_path, const std::string& relative_path,
                                const ListDirectoryFn& list, const FactReader& read_facts,
                                const std::function<void(std::chrono::milliseconds)>& pause) {
    NativePath folder = native_path(full_path);
    std::vector<ListedItem> listing;
    for (int attempt = 0; attempt < ARRIVED_FOLDER_TRIES; ++attempt) {
        if (attempt != 0) pause(std::chrono::milliseconds(10 << (attempt - 1)));
        ListStatus status = list ? list(folder, listing) : list_directory(folder, listing);
        if (status == ListStatus::Listed) return walk_subtree(full_path, relative_path, list);
        // Made and removed again before it was read: a Removed follows, nothing is missing.
        std::optional<FileFacts> facts = read_facts(full_path);
        if (status == ListStatus::Gone || !is_folder(facts)) return SubtreeWalk{};
    }
    return SubtreeWalk{.items = {}, .complete = false};
}

Batch build_batch(std::string_view root, const std::vector<RawEvent>& events,
                  const FactReader& read_facts, const SubtreeWalker& walk,
                  const FolderExclusions& excluded) {
    Batch result;
    std::vector<Change>& batch = result.changes;
    auto left_out = [&](std::string_view path) {
        return has_excluded_component(path) || excluded.covers(path);
    };
    auto walk_if_folder = [&](const std::optional<FileFacts>& facts, const std::string& full,
                              const std::string& relative) {
        if (!is_folder(facts)) return std::vector<WalkedItem>{};
        SubtreeWalk found = walk(full, relative);
        if (!found.complete) result.incomplete = true;
        // An excluded folder inside the one that arrived stays out with all it holds.
        if (!excluded.empty())
            std::erase_if(found.items, [&](const WalkedItem& item) { return left_out(item.path); });
        return std::move(found.items);
    };
    // Paths that arrived earlier in this read. A folder made, filled and renamed before the
    // events were read was already gone from its first name when that name was looked at, so
    // nothing reached the table under it; its rename must bring the contents.
    std::unordered_set<std::string> arrived;
    auto arrived_at_or_above = [&](std::string_view path) {
        while (true) {
            if (arrived.contains(std::string(path))) return true;
            size_t cut = path.rfind('\\');
            if (cut == std::string_view::npos) return false;
            path = path.substr(0, cut);
        }
    };

    for (size_t i = 0; i < events.size(); ++i) {
        const RawEvent& event = events[i];
        if (repeats_previous(events, i)) continue;
        switch (event.action) {
            case ACTION_ADDED:
            case ACTION_RENAMED_NEW_NAME: {
                // A new name without its old half: the item arrived from outside the root.
                if (left_out(event.name)) break;
                std::string full = event_full_path(root, event.name);
                std::optional<FileFacts> facts = read_facts(full);
                std::vector<WalkedItem> walked = walk_if_folder(facts, full, event.name);
                batch.push_back(Change::added(event.name, facts, std::move(walked)));
                arrived.insert(event.name);
                break;
            }
            case ACTION_REMOVED:
                if (!left_out(event.name)) batch.push_back(Change::removed(event.name));
                break;
            case ACTION_MODIFIED:
                if (!left_out(event.name))
                    batch.push_back(Change::modified(
                        event.name, read_facts(event_full_path(root, event.name))));
                break;
            case ACTION_RENAMED_OLD_NAME: {
                bool old_excluded = left_out(event.name);
                bool paired =
                    i + 1 < events.size() && events[i + 1].action == ACTION_RENAMED_NEW_NAME;
                if (!paired) {
                    // The item left for a place outside the root.
                    if (!old_excluded) batch.push_back(Change::removed(event.name));
                    break;
                }
                const std::string& new_name = events[++i].name;
                bool new_excluded = left_out(new_name);
                if (old_excluded && new_excluded) break;
                // Into an excluded folder, or becoming one: the item leaves the table. (A rename
                // would take an item whose new name is an excluded folder's into the table.)
                if (excluded.covers(new_name)) {
                    batch.push_back(Change::removed(event.name));
                    break;
                }
                // Into the Recycle Bin: the table only removes the old item, so no file call.
                std::string full = event_full_path(root, new_name);
                std::optional<FileFacts> facts;
                if (!new_excluded) facts = read_facts(full);
                // Out of the Recycle Bin, or made earlier in this read: the old item is not in
                // the table, so the rename adds the folder, and needs what is inside it.
                std::vector<WalkedItem> walked;
                if (old_excluded || arrived_at_or_above(event.name)) {
                    walked = walk_if_folder(facts, full, new_name);
                    arrived.insert(new_name);  // renamed on again: still unknown to the table
                }
                batch.push_back(Change::renamed(event.name, new_name, facts, std::move(walked)));
                break;
            }
            default:
                break;  // an action this program does not know
        }
    }
    return result;
}

}  // namespace norvik
