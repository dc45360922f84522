// The outcome of a file operation whose failure the user should hear about: success, or what
// failed and the system's reason ("cannot create /x/.index.tmp: Permission denied").
#pragma once

#include <string>
#include <utility>

namespace norvik {

class [[nodiscard]] IoStatus {
  public:
    static IoStatus success() { return IoStatus(); }
    static IoStatus failure(std::string message) { return IoStatus(std::move(message)); }

    explicit operator bool() const { return error_.empty(); }
    // Empty on success.
    const std::string& error() const { return error_; }

  private:
    IoStatus() = default;
    explicit IoStatus(std::string message) : error_(std::move(message)) {}
    std::string error_;
};

}  // namespace norvik
