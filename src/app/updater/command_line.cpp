#include "app/updater/command_line.h"

namespace norvik {

namespace {

bool needs_quotes(std::string_view argument) {
    return argument.empty() || argument.find_first_of(" \t\n\v\"") != std::string_view::npos;
}

}  // namespace

std::string quote_argument(std::string_view argument) {
    if (!needs_quotes(argument)) return std::string(argument);
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are literal unless a quote follows them; then each one needs a partner,
        // and the quote itself one more.
        if (c == '"') backslashes = backslashes * 2 + 1;
        quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');  // they stand before the closing quote
    quoted += '"';
    return quoted;
}

std::optional<std::string> build_command_line(std::string_view program,
                                              std::span<const std::string_view> arguments) {
    if (program.empty() || program.find_first_of(std::string_view("\"\0", 2)) != program.npos)
        return std::nullopt;
    std::string line = "\"";
    line += program;
    line += '"';
    for (std::string_view argument : arguments) {
        if (argument.find('\0') != std::string_view::npos) return std::nullopt;
        line += ' ';
        line += quote_argument(argument);
    }
    return line;
}

}  // namespace norvik
