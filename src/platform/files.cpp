#include "platform/files.h"

#include <utility>

namespace norvik {

PlatformFile::PlatformFile(PlatformFile&& other) noexcept
    : handle_(std::exchange(other.handle_, NONE)) {}

PlatformFile& PlatformFile::operator=(PlatformFile&& other) noexcept {
    if (this != &other) {
        (void)close();
        handle_ = std::exchange(other.handle_, NONE);
    }
    return *this;
}

PlatformFile::~PlatformFile() {
    (void)close();
}

}  // namespace norvik
