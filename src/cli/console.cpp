#include "cli/console.h"

namespace norvik {

namespace {

constexpr size_t FLUSH_AT = 1 << 16;

}  // namespace

SystemConsole::SystemConsole() {
    pending_.reserve(FLUSH_AT * 2);
}

SystemConsole::~SystemConsole() {
    flush();
}

void SystemConsole::out(std::string_view text) {
    pending_.append(text);
    if (pending_.size() < FLUSH_AT) return;
    // Only whole lines go out early, so a character is never split between two writes (a
    // console write converts each piece to UTF-16 on its own).
    size_t end = pending_.rfind('\n');
    if (end == std::string::npos) return;
    write_out(std::string_view(pending_).substr(0, end + 1));
    pending_.erase(0, end + 1);
}

void SystemConsole::err(std::string_view text) {
    // A message that cannot be written has nowhere else to go.
    (void)write_standard_stream(true, text);
}

void SystemConsole::flush() {
    if (pending_.empty()) return;
    write_out(pending_);
    pending_.clear();
}

void SystemConsole::write_out(std::string_view text) {
    if (!out_error_.empty()) return;
    out_error_ = write_standard_stream(false, text);
}

bool SystemConsole::err_is_terminal() const {
    return standard_error_is_terminal();
}

bool SystemConsole::out_is_terminal() const {
    return standard_output_is_terminal();
}

}  // namespace norvik
