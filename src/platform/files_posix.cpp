#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/files.h"

namespace norvik {

namespace {

int fd_of(intptr_t handle) {
    return static_cast<int>(handle);
}

}  // namespace

std::optional<PlatformFile> PlatformFile::open_for_reading(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    return PlatformFile(fd);
}

std::optional<PlatformFile> PlatformFile::create_new(const std::string& path,
                                                     std::optional<uint32_t> mode) {
    // O_EXCL with O_CREAT fails on any name that exists, a link included, and never follows one.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return std::nullopt;
    PlatformFile file(fd);
    // The mode given to open is cut by the umask; a replacement keeps its original's exactly.
    if (mode && ::fchmod(fd, static_cast<mode_t>(*mode)) != 0) {
        int error = errno;
        (void)file.close();
        ::unlink(path.c_str());
        errno = error;
        return std::nullopt;
    }
    return file;
}

std::optional<uint64_t> PlatformFile::size() const {
    struct stat st;
    if (fstat(fd_of(handle_), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
}

std::optional<size_t> PlatformFile::read_some(void* out, size_t size) {
    while (true) {
        ssize_t got = ::read(fd_of(handle_), out, size);
        if (got >= 0) return static_cast<size_t>(got);
        if (errno != EINTR) return std::nullopt;
    }
}

bool PlatformFile::write_all(const void* data, size_t size) {
    const auto* from = static_cast<const char*>(data);
    while (size != 0) {
        ssize_t put = ::write(fd_of(handle_), from, size);
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        from += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

bool PlatformFile::sync() {
    return ::fsync(fd_of(handle_)) == 0;
}

bool PlatformFile::close() {
    if (handle_ == NONE) return true;
    int fd = fd_of(std::exchange(handle_, NONE));
    return ::close(fd) == 0;
}

bool replace_file(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) return false;
    // The rename itself lives in the folder; syncing the folder makes it survive a power cut.
    std::string folder = std::filesystem::path(to).parent_path().string();
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
    return true;
}

bool remove_file(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

PathKind path_kind(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return PathKind::Missing;
    if (S_ISREG(st.st_mode)) return PathKind::File;
    if (S_ISDIR(st.st_mode)) return PathKind::Folder;
    return PathKind::Other;
}

std::optional<uint32_t> file_mode(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return static_cast<uint32_t>(st.st_mode & 07777);
}

std::string last_system_error() {
    return std::error_code(errno, std::generic_category()).message();
}

char path_separator() {
    return '/';
}

}  // namespace norvik
