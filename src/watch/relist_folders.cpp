#include "watch/relist_folders.h"

#include <set>
#include <string_view>

namespace norvik {

namespace {

std::string_view parent_of(std::string_view path) {
    size_t cut = path.rfind('\\');
    return cut == std::string_view::npos ? std::string_view{} : path.substr(0, cut);
}

bool is_folder(const std::optional<FileFacts>& facts) {
    return facts && (facts->attributes & ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool is_burst_read(size_t records, size_t bytes, size_t buffer_bytes) {
    return records >= BURST_RECORDS || bytes >= buffer_bytes - buffer_bytes / 4;
}

std::vector<std::string> folders_to_relist(const std::vector<Change>& batch, bool burst) {
    std::set<std::string, std::less<>> folders;
    for (const Change& change : batch) {
        bool renamed = change.type == ChangeType::Renamed;
        const std::string& path = renamed ? change.new_path : change.path;
        bool arrived = change.type == ChangeType::Added || (renamed && !change.walked.empty());
        if (is_folder(change.facts) && (arrived || (burst && renamed))) {
            folders.emplace(path);
            for (const WalkedItem& item : change.walked) {
                if (item.facts.attributes & ATTRIBUTE_DIRECTORY) folders.emplace(item.path);
            }
        }
        if (!burst) continue;
        folders.emplace(parent_of(change.path));
        if (renamed) folders.emplace(parent_of(change.new_path));
    }
    // The Recycle Bin's folders are not in the table: listing them would find nothing to compare.
    std::erase_if(folders,
                  [](const std::string& folder) { return has_excluded_component(folder); });
    return {folders.begin(), folders.end()};
}

}  // namespace norvik
