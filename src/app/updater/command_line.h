// Windows command lines built from separate arguments, quoted so that the rules of
// CommandLineToArgvW (and the C runtime's startup code) give back exactly those arguments: a
// space, a quote or a backslash inside an argument can never split it or start another one.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace norvik {

// One argument as it must be written: unchanged when it is not empty and holds no space, tab,
// line feed, vertical tab or '"'; otherwise in quotes, with each '"' escaped by a backslash and
// the backslashes before a '"' (or before the closing quote) doubled.
std::string quote_argument(std::string_view argument);

// The program path in quotes, then each argument quoted as above, separated by single spaces.
// Nothing when the path is empty or holds a '"' (no Windows path does), or when any text holds
// a NUL character, which a command line cannot carry.
std::optional<std::string> build_command_line(std::string_view program,
                                              std::span<const std::string_view> arguments);

}  // namespace norvik
