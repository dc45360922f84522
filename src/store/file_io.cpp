#include "store/file_io.h"

#include <cstring>
#include <utility>

#include "store/index_format.h"

namespace norvik {

std::optional<FileSource> FileSource::open(const std::string& path) {
    std::optional<PlatformFile> file = PlatformFile::open_for_reading(path);
    if (!file) return std::nullopt;
    std::optional<uint64_t> length = file->size();
    if (!length) return std::nullopt;
    return FileSource(std::move(*file), *length);
}

FileSource::FileSource(PlatformFile file, uint64_t length)
    : file_(std::move(file)),
      budget_(length),
      buffer_(std::make_unique_for_overwrite<uint8_t[]>(INDEX_BUFFER_BYTES)) {}

bool FileSource::read(void* out, size_t size) {
    if (size > budget_) return false;
    auto* to = static_cast<uint8_t*>(out);
    size_t buffered = std::min(size, end_ - begin_);
    if (buffered != 0) std::memcpy(to, buffer_.get() + begin_, buffered);
    begin_ += buffered;
    to += buffered;
    size_t left = size - buffered;
    while (left != 0) {
        if (left >= INDEX_BUFFER_BYTES) {
            std::optional<size_t> got = file_.read_some(to, left);
            if (!got || *got == 0) return false;
            to += *got;
            left -= *got;
            continue;
        }
        std::optional<size_t> got = file_.read_some(buffer_.get(), INDEX_BUFFER_BYTES);
        if (!got || *got == 0) return false;  // the file shrank under us
        begin_ = 0;
        end_ = *got;
        size_t take = std::min(left, end_);
        std::memcpy(to, buffer_.get(), take);
        begin_ = take;
        to += take;
        left -= take;
    }
    budget_ -= size;
    return true;
}

FileSink::FileSink(PlatformFile file)
    : file_(std::move(file)),
      buffer_(std::make_unique_for_overwrite<uint8_t[]>(INDEX_BUFFER_BYTES)) {}

bool FileSink::flush_buffer() {
    if (used_ == 0) return true;
    bool ok = file_.write_all(buffer_.get(), used_);
    used_ = 0;
    return ok;
}

bool FileSink::write(const void* data, size_t size) {
    if (size <= INDEX_BUFFER_BYTES - used_) {
        if (size != 0) std::memcpy(buffer_.get() + used_, data, size);
        used_ += size;
        return true;
    }
    if (!flush_buffer()) return false;
    if (size >= INDEX_BUFFER_BYTES) return file_.write_all(data, size);
    std::memcpy(buffer_.get(), data, size);
    used_ = size;
    return true;
}

bool FileSink::commit() {
    return flush_buffer() && file_.sync() && file_.close();
}

}  // namespace norvik
