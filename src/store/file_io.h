// The index file's reads and writes, over UTF-8 paths: whole-file reads through a source, and
// writes that reach the disk before they are renamed into place. The file calls under them are
// the platform's (platform/files.h, platform/folders.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/folders.h"
#include "store/index_codec.h"

namespace norvik {

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

}  // namespace norvik
