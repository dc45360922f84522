// The file operations the program needs, over UTF-8 paths: one open file, renames that replace,
// removal, what a path names and the system's account of a failure. files_win.cpp and
// files_posix.cpp hold the two implementations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace norvik {

// One open file, closed when dropped. Move-only. The handle is a file descriptor natively and a
// Windows HANDLE in files_win.cpp, kept as an integer so this header stays portable.
class PlatformFile {
  public:
    PlatformFile() = default;
    PlatformFile(PlatformFile&& other) noexcept;
    PlatformFile& operator=(PlatformFile&& other) noexcept;
    PlatformFile(const PlatformFile&) = delete;
    PlatformFile& operator=(const PlatformFile&) = delete;
    ~PlatformFile();

    // For reading, sharing read, write and delete. Nothing when it cannot be opened.
    static std::optional<PlatformFile> open_for_reading(const std::string& path);
    // A file that did not exist, for writing. It is made without following a link at its name,
    // so a link planted there cannot send the bytes elsewhere. `mode` (POSIX permission bits,
    // ignored on Windows) is set exactly when given; else the system's default for a new file.
    // Nothing when the name is taken or the file cannot be made (last_system_error says why).
    static std::optional<PlatformFile> create_new(const std::string& path,
                                                  std::optional<uint32_t> mode);

    std::optional<uint64_t> size() const;
    // Up to size bytes; 0 at the end, nothing on an error.
    std::optional<size_t> read_some(void* out, size_t size);
    [[nodiscard]] bool write_all(const void* data, size_t size);
    // Makes the system write the file's data to the disk (fsync / FlushFileBuffers).
    [[nodiscard]] bool sync();
    // Closes now; false when closing reported an error.
    [[nodiscard]] bool close();

  private:
    static constexpr intptr_t NONE = -1;
    explicit PlatformFile(intptr_t handle) : handle_(handle) {}
    intptr_t handle_ = NONE;
};

// Renames from over to, replacing it, and makes the rename durable where the system allows.
[[nodiscard]] bool replace_file(const std::string& from, const std::string& to);

// Removes a file (a link, not what it points at); false when it is there and stays.
bool remove_file(const std::string& path);

// What a path names, without following a link at its end.
enum class PathKind {
    Missing,
    File,    // a regular file
    Folder,  // a folder
    Other,   // a link, a device, a pipe, a socket
};
PathKind path_kind(const std::string& path);

// The permission bits of the file at path (POSIX); nothing on Windows, where a file gets its
// folder's permissions, or when it cannot be read.
std::optional<uint32_t> file_mode(const std::string& path);

// The system's account of why the last call on this thread failed ("Permission denied").
std::string last_system_error();

// The platform's path separator.
char path_separator();

}  // namespace norvik
