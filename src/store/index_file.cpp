#include "store/index_file.h"

#include <mutex>
#include <shared_mutex>

#include "store/file_io.h"

namespace norvik {

std::atomic<bool> index_dirty{false};

namespace {

std::string join(std::string folder, std::string_view name) {
    char sep = path_separator();
    if (!folder.empty() && folder.back() != sep && folder.back() != '/') folder.push_back(sep);
    folder += name;
    return folder;
}

std::string parent_folder(const std::string& path) {
    size_t cut = path.find_last_of(path_separator() == '\\' ? "\\/" : "/");
    if (cut == std::string::npos) return {};
    if (cut == 0) return path.substr(0, 1);
    return path.substr(0, cut);
}

}  // namespace

std::string index_path() {
    std::optional<std::string> local = environment_value("LOCALAPPDATA");
    std::string base = local ? *local : temporary_folder();
    return join(join(base, "Norvik"), "index.bin");
}

std::string temporary_path_for(const std::string& path) {
    size_t name_start = path.find_last_of(path_separator() == '\\' ? "\\/" : "/");
    name_start = name_start == std::string::npos ? 0 : name_start + 1;
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < name_start) return path + ".tmp";
    return path.substr(0, dot) + ".tmp";
}

bool write_index_file(const std::string& path, const std::vector<VolumeTable>& tables) {
    std::string folder = parent_folder(path);
    if (!folder.empty() && !create_folders(folder)) return false;
    std::string temporary = temporary_path_for(path);
    std::optional<FileSink> sink = FileSink::create(temporary);
    if (!sink) return false;
    if (!encode_index(*sink, tables)) return false;
    // The data must be on the disk before the rename: otherwise a power cut soon after could
    // leave the new name pointing at a file whose blocks never arrived.
    if (!sink->commit()) return false;
    return replace_file(temporary, path);
}

LoadResult load_index_file(const std::string& path) {
    std::optional<FileSource> source = FileSource::open(path);
    if (!source) return {LoadStatus::Missing, {}};
    std::optional<std::vector<VolumeTable>> tables = decode_index(*source);
    if (!tables) return {LoadStatus::Damaged, {}};
    return {LoadStatus::Loaded, std::move(*tables)};
}

SaveOutcome save_index(Index& index, std::atomic<bool>& dirty, const std::string& path) {
    // Two saves at once (a rescan ending while the program quits) would both write index.tmp;
    // one at a time, the second finds the flag clear or writes the newer state. Taken before
    // the index lock, which no writer of the index holds while it waits for this one.
    static std::mutex save_mutex;
    std::lock_guard serialize(save_mutex);
    if (!dirty.exchange(false)) return SaveOutcome::Unchanged;
    // Cleared before the lock: a change applied while the file is written sets it again and is
    // saved next time. The read lock keeps the file a consistent snapshot; searches go on.
    std::shared_lock lock(index.lock);
    if (!write_index_file(path, index.tables)) {
        dirty.store(true);
        return SaveOutcome::Failed;
    }
    return SaveOutcome::Written;
}

SaveOutcome save_index(Index& index) {
    return save_index(index, index_dirty, index_path());
}

std::vector<VolumeTable> load_index() {
    return std::move(load_index_file(index_path()).tables);
}

}  // namespace norvik
