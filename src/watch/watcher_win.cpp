// ReadDirectoryChangesW watchers: one thread per root, each blocked in a synchronous read.
#include <windows.h>

#include <atomic>
#include <memory>

#include "index/list_directory.h"
#include "index/scan.h"
#include "platform/win_handles.h"
#include "watch/watcher.h"

namespace norvik {

struct SystemWatchers::Shared {
    explicit Shared(WatchSink s) : sink(std::move(s)) {}

    // Held while a watcher delivers a batch or asks for a rescan, so that once `closed` is set
    // under it, nothing more reaches the sink.
    std::mutex mutex;
    std::atomic<bool> closed{false};
    WatchSink sink;
    std::vector<KernelHandle> threads;  // guarded by mutex
};

namespace {

constexpr DWORD WATCHER_STACK_BYTES = 256 * 1024;

struct WatcherThread {
    std::string root;
    FileHandle directory;
    std::shared_ptr<SystemWatchers::Shared> shared;
    // 8-byte aligned, allocated once before the thread starts and reused for every read.
    std::unique_ptr<uint64_t[]> buffer;
};

// The root folder itself: the long form of a drive root ("\\?\C:") names the volume device, so
// the folder needs its backslash back ("\\?\C:\").
NativePath root_folder_path(const std::string& root) {
    NativePath path = native_path(root);
    if (!path.empty() && path.back() == L':') path.push_back(L'\\');
    return path;
}

void watch(WatcherThread& self) {
    SystemWatchers::Shared& shared = *self.shared;
    WatcherIo io;
    io.read = [&](std::span<std::byte> buffer) -> ReadOutcome {
        DWORD bytes = 0;
        BOOL ok = ReadDirectoryChangesW(self.directory.get(), buffer.data(),
                                        static_cast<DWORD>(buffer.size()), TRUE, WATCH_FILTER,
                                        &bytes, nullptr, nullptr);
        DWORD error = ok ? 0 : GetLastError();
        if (shared.closed.load()) return {ReadStatus::Stopped, 0};
        ReadOutcome outcome = classify_read(ok, bytes, error);
        // The handle goes before the rescan request: the drive may be gone for good.
        if (outcome.status == ReadStatus::Failed) self.directory.reset();
        return outcome;
    };
    io.read_facts = read_file_facts;
    io.walk = [](const std::string& full, const std::string& relative) {
        return walk_arrived_folder(
            full, relative, {}, read_file_facts,
            [](std::chrono::milliseconds pause) { Sleep(static_cast<DWORD>(pause.count())); });
    };

    WatchSink sink;
    sink.deliver = [&](const std::string& root, std::vector<Change> batch) {
        std::lock_guard lock(shared.mutex);
        if (!shared.closed.load()) shared.sink.deliver(root, std::move(batch));
    };
    sink.request_rescan = [&](const std::string& root) {
        std::lock_guard lock(shared.mutex);
        if (!shared.closed.load()) shared.sink.request_rescan(root);
    };
    sink.ended = [&](const std::string& root) {
        std::lock_guard lock(shared.mutex);
        if (!shared.closed.load() && shared.sink.ended) shared.sink.ended(root);
    };
    sink.excluded = [&](const std::string& root) {
        std::lock_guard lock(shared.mutex);
        if (shared.closed.load() || !shared.sink.excluded) return FolderExclusions{};
        return shared.sink.excluded(root);
    };
    if (shared.sink.relist) {
        sink.relist = [&](const std::string& root, RelistFolders folders) {
            std::lock_guard lock(shared.mutex);
            if (!shared.closed.load()) shared.sink.relist(root, std::move(folders));
        };
    }
    try {
        run_watcher(
            self.root, io, sink,
            std::span(reinterpret_cast<std::byte*>(self.buffer.get()), NOTIFY_BUFFER_BYTES));
    } catch (...) {
        // Out of memory in a batch: the batch is lost, so the watcher ends as one whose read
        // failed, and the rescan it asks for starts the next one.
        self.directory.reset();
        sink.ended(self.root);
        sink.request_rescan(self.root);
    }
}

DWORD WINAPI watcher_entry(void* parameter) {
    std::unique_ptr<WatcherThread> self(static_cast<WatcherThread*>(parameter));
    try {
        watch(*self);
    } catch (...) {
        // Out of memory even for the rescan request: the watcher ends quietly.
    }
    return 0;
}

}  // namespace

SystemWatchers::SystemWatchers(WatchSink sink)
    : shared_(std::make_shared<Shared>(std::move(sink))) {}

SystemWatchers::~SystemWatchers() {
    std::vector<KernelHandle> threads;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->closed.store(true);
        threads = std::move(shared_->threads);
    }
    // A thread blocked in its read is woken where the system can cancel it; one that cannot be
    // woken stays blocked and, being closed, delivers nothing when it wakes.
    for (KernelHandle& thread : threads) {
        CancelSynchronousIo(thread.get());
        WaitForSingleObject(thread.get(), 1000);
    }
}

bool SystemWatchers::start(const std::string& root) {
    auto self = std::make_unique<WatcherThread>();
    self->root = root;
    self->directory =
        FileHandle(CreateFileW(root_folder_path(root).c_str(), FILE_LIST_DIRECTORY,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!self->directory) return false;
    self->shared = shared_;
    self->buffer = std::make_unique<uint64_t[]>(NOTIFY_BUFFER_BYTES / sizeof(uint64_t));

    std::lock_guard lock(shared_->mutex);
    if (shared_->closed.load()) return false;
    KernelHandle thread(CreateThread(nullptr, WATCHER_STACK_BYTES, watcher_entry, self.get(),
                                     STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread) return false;
    self.release();  // the thread owns it now
    shared_->threads.push_back(std::move(thread));
    return true;
}

std::optional<FileFacts> read_file_facts(const std::string& full_path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(native_path(full_path).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    FileFacts facts;
    facts.size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    facts.mtime = filetime_to_unix((uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                   data.ftLastWriteTime.dwLowDateTime);
    facts.attributes = data.dwFileAttributes;
    return facts;
}

}  // namespace norvik
