#include <unistd.h>

#include <cerrno>

#include "cli/console.h"
#include "store/file_io.h"

namespace norvik {

std::string write_standard_stream(bool error_stream, std::string_view text) {
    int fd = error_stream ? STDERR_FILENO : STDOUT_FILENO;
    while (!text.empty()) {
        ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return last_system_error();  // a full disk, a closed output
        }
        text.remove_prefix(static_cast<size_t>(written));
    }
    return {};
}

bool standard_error_is_terminal() {
    return isatty(STDERR_FILENO) == 1;
}

bool standard_output_is_terminal() {
    return isatty(STDOUT_FILENO) == 1;
}

}  // namespace norvik
