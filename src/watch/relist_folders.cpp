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

// The Recycle Bin's folders are not in the table: listing them would find nothing to compare.
std::vector<std::string> without_excluded(const std::set<std::string, std::less<>>& folders) {
    std::vector<std::string> kept;
    for (const std::string& folder : folders) {
        if (!has_excluded_component(folder)) kept.push_back(folder);
    }
    return kept;
}

}  // namespace

bool is_burst_read(size_t records, size_t bytes, size_t buffer_bytes) {
    return records >= BURST_RECORDS || bytes >= buffer_bytes - buffer_bytes / 4;
}

RelistFolders folders_to_relist(const std::vector<Change>& batch, bool burst) {
    std::set<std::string, std::less<>> folders;
    std::set<std::string, std::less<>> arrived;
    for (const Change& change : batch) {
        bool renamed = change.type == ChangeType::Renamed;
        const std::string& path = renamed ? change.new_path : change.path;
        bool came = change.type == ChangeType::Added || (renamed && !change.walked.empty());
        if (is_folder(change.facts) && came) arrived.emplace(path);
        if (!burst) continue;
        // The walk of an arrived folder saw it as it was then; a burst may have hidden what
        // came into its folders afterwards. Outside a burst the records report that.
        for (const WalkedItem& item : change.walked) {
            if (item.facts.attributes & ATTRIBUTE_DIRECTORY) folders.emplace(item.path);
        }
        if (renamed && is_folder(change.facts)) folders.emplace(path);
        folders.emplace(parent_of(change.path));
        if (renamed) folders.emplace(parent_of(change.new_path));
    }
    folders.insert(arrived.begin(), arrived.end());
    return {without_excluded(folders), without_excluded(arrived)};
}

}  // namespace norvik
