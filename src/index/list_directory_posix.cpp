// opendir/readdir/fstatat listing, shaped like the Windows one: folders carry 0x10, a symbolic
// link carries 0x400 with the symlink tag (0x10 too when it points at a folder) so it is an
// entry that is never entered, and a name starting with "." is hidden.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "hangul/utf8.h"
#include "index/excluded_names.h"
#include "index/list_directory.h"

namespace norvik {

namespace {

class DirCloser {
  public:
    explicit DirCloser(DIR* dir) : dir_(dir) {}
    DirCloser(const DirCloser&) = delete;
    DirCloser& operator=(const DirCloser&) = delete;
    ~DirCloser() {
        if (dir_) closedir(dir_);
    }
    DIR* get() const { return dir_; }

  private:
    DIR* dir_;
};

// Linux names are bytes; the table keeps valid UTF-8 only, so anything else becomes U+FFFD one
// byte at a time, as decode_utf8 reads it.
std::string to_valid_utf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + 2);
    for (size_t pos = 0; pos < bytes.size();)
        append_utf8(out, decode_utf8(bytes, pos));
    return out;
}

// Opens the folder at path for reading. The system takes at most PATH_MAX bytes of path in one
// call, and deep trees pass that; such a path is opened a piece at a time, each piece relative
// to the folder the one before it opened, so depth has no limit.
int open_folder(const std::string& path) {
    constexpr int FLAGS = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    int fd = open(path.c_str(), FLAGS);
    if (fd >= 0 || errno != ENAMETOOLONG) return fd;
    constexpr size_t PIECE = PATH_MAX / 2;
    int folder = AT_FDCWD;
    for (size_t pos = 0; pos < path.size();) {
        size_t end = path.size();
        if (end - pos > PIECE) {
            end = path.rfind('/', pos + PIECE);
            if (end == std::string::npos || end <= pos) {
                if (folder != AT_FDCWD) close(folder);
                errno = ENAMETOOLONG;  // one name longer than a piece
                return -1;
            }
        }
        int next = openat(folder, path.substr(pos, end - pos).c_str(), FLAGS);
        int error = errno;
        if (folder != AT_FDCWD) close(folder);
        if (next < 0) {
            errno = error;
            return -1;
        }
        folder = next;
        pos = end + 1;  // past the separator
    }
    return folder;
}

}  // namespace

NativePath native_path(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return NativePath(path);
}

NativePath join_native(const NativePath& folder, const NativePath& name) {
    NativePath joined;
    joined.reserve(folder.size() + 1 + name.size());
    joined = folder;
    if (joined.empty() || joined.back() != '/') joined.push_back('/');
    joined += name;
    return joined;
}

ListStatus list_directory(const NativePath& folder, std::vector<ListedItem>& out) {
    out.clear();
    int fd = open_folder(folder);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? ListStatus::Gone : ListStatus::Unreadable;
    DirCloser dir(fdopendir(fd));
    if (!dir.get()) {
        close(fd);
        return ListStatus::Unreadable;
    }
    while (dirent* d = readdir(dir.get())) {
        std::string_view raw = d->d_name;
        if (raw == "." || raw == "..") continue;
        std::string name = is_valid_utf8(raw) ? std::string(raw) : to_valid_utf8(raw);
        if (is_excluded_name(name)) continue;

        struct stat st;
        // An item that vanished since readdir is simply not listed.
        if (fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;

        ListedItem item;
        item.facts.mtime = clamp_unix_time(st.st_mtim.tv_sec);
        uint32_t attributes = 0;
        if (S_ISDIR(st.st_mode)) {
            attributes |= ATTRIBUTE_DIRECTORY;
            item.native_name = raw;
        } else if (S_ISLNK(st.st_mode)) {
            attributes |= ATTRIBUTE_REPARSE_POINT;
            item.reparse_tag = REPARSE_TAG_SYMLINK;
            struct stat target;
            if (fstatat(fd, d->d_name, &target, 0) == 0 && S_ISDIR(target.st_mode))
                attributes |= ATTRIBUTE_DIRECTORY;
        } else {
            item.facts.size = static_cast<uint64_t>(st.st_size);
        }
        if (raw.front() == '.') attributes |= ATTRIBUTE_HIDDEN;
        item.facts.attributes = attributes;
        item.name = std::move(name);
        out.push_back(std::move(item));
    }
    return ListStatus::Listed;
}

}  // namespace norvik
