// The few file operations the index file needs, over UTF-8 paths: whole-file reads through a
// source, writes that reach the disk before they are renamed into place, and the folders the
// index lives in. file_io_win.cpp and file_io_posix.cpp hold the two implementations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/folders.h"
#include "store/index_codec.h"

namespace norvik {

// One open file, closed when dropped. Move-only. The handle is a file descriptor natively and a
// Windows HANDLE in file_io_win.cpp, kept as an integer so this header stays portable.
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

// A file read through a buffer of INDEX_BUFFER_BYTES with a budget of its length: a read that
// asks for more bytes than are left fails before touching the file. Large reads (whole entry
// blocks) go from the file straight into the caller's memory.
class FileSource final : public ByteSource {
  public:
    // Nothing when the file cannot be opened or its length cannot be read.
    static std::optional<FileSource> open(const std::string& path);

    bool read(void* out, size_t size) override;
    uint64_t remaining() const override { return budget_; }

  private:
    FileSource(PlatformFile file, uint64_t length);

    PlatformFile file_;
    uint64_t budget_;
    std::unique_ptr<uint8_t[]> buffer_;
    size_t begin_ = 0;  // the unread bytes of buffer_ are [begin_, end_)
    size_t end_ = 0;
};

// A new file (an existing one is truncated) written through a buffer of INDEX_BUFFER_BYTES;
// large blocks go to the file directly once the buffer is flushed.
class FileSink final : public ByteSink {
  public:
    explicit FileSink(PlatformFile file);

    bool write(const void* data, size_t size) override;
    // Writes the buffer out, has the system put the file's data on the disk and closes it. Only
    // after this may the file be renamed over another.
    [[nodiscard]] bool commit();

  private:
    bool flush_buffer();

    PlatformFile file_;
    std::unique_ptr<uint8_t[]> buffer_;
    size_t used_ = 0;
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
