#include <unistd.h>

#include <cerrno>

#include "cli/console.h"

namespace norvik {

void write_standard_stream(bool error_stream, std::string_view text) {
    int fd = error_stream ? STDERR_FILENO : STDOUT_FILENO;
    while (!text.empty()) {
        ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return;  // a closed pipe or a full disk: nothing more can be said
        }
        text.remove_prefix(static_cast<size_t>(written));
    }
}

bool standard_error_is_terminal() {
    return isatty(STDERR_FILENO) == 1;
}

}  // namespace norvik
