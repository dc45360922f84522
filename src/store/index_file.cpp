#include "store/index_file.h"

#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>
#include <shared_mutex>

#include "store/file_io.h"
#include "store/index_codec.h"

namespace norvik {

std::atomic<bool> index_dirty{false};

namespace {

constexpr int UNIQUE_NAME_TRIES = 16;

std::string join(std::string folder, std::string_view name) {
    char sep = path_separator();
    if (!folder.empty() && folder.back() != sep && folder.back() != '/') folder.push_back(sep);
    folder += name;
    return folder;
}

size_t name_start(const std::string& path) {
    size_t cut = path.find_last_of(path_separator() == '\\' ? "\\/" : "/");
    return cut == std::string::npos ? 0 : cut + 1;
}

std::string parent_folder(const std::string& path) {
    size_t start = name_start(path);
    if (start == 0) return {};
    if (start == 1) return path.substr(0, 1);
    return path.substr(0, start - 1);
}

IoStatus failed(std::string_view what, const std::string& path) {
    // Read first: building the message may make calls of its own.
    std::string reason = last_system_error();
    return IoStatus::failure(std::string(what) + " " + path + ": " + reason);
}

// A tag for a temporary name that no other writer picks: another process, another thread of
// this one, or this one a moment ago.
uint64_t unique_tag() {
    static std::atomic<uint64_t> counter{0};
    static const uint64_t seed = [] {
        std::random_device device;
        return (uint64_t{device()} << 32) ^ device();
    }();
    uint64_t mixed =
        seed ^ static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return std::mt19937_64(mixed + counter.fetch_add(1))();
}

// Makes the temporary file for path. Beside replaces a leftover index.tmp (the program's own
// folder); Unique tries fresh names until one is free.
IoStatus create_temporary(const std::string& path, TemporaryName naming,
                          std::optional<uint32_t> mode, std::string& temporary,
                          std::optional<PlatformFile>& file) {
    if (naming == TemporaryName::Beside) {
        temporary = temporary_path_for(path);
        // Whatever stands there, a link included, goes; the new file is made, not opened.
        if (!remove_file(temporary)) return failed("cannot replace", temporary);
        file = PlatformFile::create_new(temporary, mode);
        return file ? IoStatus::success() : failed("cannot create", temporary);
    }
    for (int attempt = 0; attempt < UNIQUE_NAME_TRIES; ++attempt) {
        temporary = unique_temporary_path_for(path, unique_tag());
        file = PlatformFile::create_new(temporary, mode);
        if (file) return IoStatus::success();
        if (path_kind(temporary) == PathKind::Missing) break;  // not a name clash: give up
    }
    return failed("cannot create a temporary file", temporary);
}

}  // namespace

IoStatus write_file_replacing(const std::string& path, TemporaryName naming,
                              const std::function<bool(ByteSink&)>& fill) {
    if (IoStatus usable = check_replaceable(path); !usable) return usable;
    std::string folder = parent_folder(path);
    if (!folder.empty() && !create_folders(folder))
        return failed("cannot create the folder", folder);

    // A file that is replaced keeps who may read it.
    std::optional<uint32_t> mode;
    if (path_kind(path) == PathKind::File) mode = file_mode(path);
    std::string temporary;
    std::optional<PlatformFile> file;
    if (IoStatus created = create_temporary(path, naming, mode, temporary, file); !created)
        return created;

    FileSink sink(std::move(*file));
    IoStatus status = IoStatus::success();
    // The data must be on the disk before the rename: otherwise a power cut soon after could
    // leave the new name pointing at a file whose blocks never arrived.
    if (!fill(sink) || !sink.commit()) {
        status = failed("cannot write", temporary);
    } else if (!replace_file(temporary, path)) {
        status = failed("cannot rename the new file over", path);
    }
    if (!status) (void)remove_file(temporary);
    return status;
}

std::string index_path() {
    return join(join(application_data_folder(), "Norvik"), "index.bin");
}

std::string temporary_path_for(const std::string& path) {
    size_t start = name_start(path);
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < start) return path + ".tmp";
    return path.substr(0, dot) + ".tmp";
}

std::string unique_temporary_path_for(const std::string& path, uint64_t tag) {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(tag));
    return path + "." + hex + ".tmp";
}

IoStatus check_replaceable(const std::string& path) {
    switch (path_kind(path)) {
        case PathKind::Missing:
        case PathKind::File:
            return IoStatus::success();
        case PathKind::Folder:
            return IoStatus::failure(path + " is a folder");
        case PathKind::Other:
            break;
    }
    return IoStatus::failure(path + " is not a regular file (a link, a device or a pipe)");
}

IoStatus write_index_file(const std::string& path, const std::vector<VolumeTable>& tables,
                          TemporaryName temporary) {
    return write_file_replacing(path, temporary,
                                [&](ByteSink& sink) { return encode_index(sink, tables); });
}

IoStatus write_index_bytes(const std::string& path, std::string_view bytes,
                           TemporaryName temporary) {
    return write_file_replacing(
        path, temporary, [&](ByteSink& sink) { return sink.write(bytes.data(), bytes.size()); });
}

LoadResult load_index_file(const std::string& path) {
    std::optional<FileSource> source = FileSource::open(path);
    if (!source) return {LoadStatus::Missing, {}};
    std::optional<std::vector<VolumeTable>> tables = decode_index(*source);
    if (!tables) return {LoadStatus::Damaged, {}};
    return {LoadStatus::Loaded, std::move(*tables)};
}

SaveResult save_index(Index& index, std::atomic<bool>& dirty, const std::string& path,
                      TemporaryName temporary, const IndexBytesWriter& write) {
    // Two saves at once (a rescan ending while the program quits) would both write index.tmp;
    // one at a time, the second finds the flag clear or writes the newer state. Taken before
    // the index lock, which no writer of the index holds while it waits for this one.
    static std::mutex save_mutex;
    std::lock_guard serialize(save_mutex);
    if (!dirty.exchange(false)) return {SaveOutcome::Unchanged, {}};
    // Cleared before the lock: a change applied while the file is written sets it again and is
    // saved next time. The read lock keeps the bytes a consistent snapshot; it is released
    // before the disk is touched, so watchers and publications (and the searches queued behind
    // them) never wait for a flush.
    std::string bytes;
    {
        std::shared_lock lock(index.lock);
        bytes = encode_index(index.tables);
    }
    if (IoStatus written = write(path, bytes, temporary); !written) {
        dirty.store(true);
        return {SaveOutcome::Failed, written.error()};
    }
    return {SaveOutcome::Written, {}};
}

SaveResult save_index(Index& index, std::atomic<bool>& dirty, const std::string& path) {
    return save_index(index, dirty, path,
                      path == index_path() ? TemporaryName::Beside : TemporaryName::Unique);
}

SaveResult save_index(Index& index) {
    return save_index(index, index_dirty, index_path(), TemporaryName::Beside);
}

std::vector<VolumeTable> load_index() {
    return std::move(load_index_file(index_path()).tables);
}

}  // namespace norvik
