// What the user is told when the shell would not open a result, show the "Open with" chooser or
// its properties: the Windows error code, put in words.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/core/shell.h"

namespace norvik {

// The Windows error codes the shell's failures come as.
enum ShellError : uint32_t {
    SHELL_OK = 0,
    SHELL_FILE_NOT_FOUND = 2,     // ERROR_FILE_NOT_FOUND
    SHELL_PATH_NOT_FOUND = 3,     // ERROR_PATH_NOT_FOUND
    SHELL_ACCESS_DENIED = 5,      // ERROR_ACCESS_DENIED
    SHELL_BAD_EXE_FORMAT = 193,   // ERROR_BAD_EXE_FORMAT
    SHELL_NO_ASSOCIATION = 1155,  // ERROR_NO_ASSOCIATION
    SHELL_CANCELLED = 1223,       // ERROR_CANCELLED: the user closed a prompt; nothing to say
};

// "Not found. It was deleted or moved.": a result gone from the disk.
std::string not_found_text();

// The extension the shell looks a program up by, lower-cased ASCII and with its dot (".md"), from
// a path's last name; empty when the name has none ("Makefile", "report.").
std::string extension_of(std::string_view path);

// The toast for a verb on path that failed with error, naming the action that failed (open, the
// list of programs, the properties); nothing for success and for a prompt the user cancelled.
// Only an Open can fail for want of a program: the chooser and the properties dialog need none.
std::optional<std::string> open_failure_text(uint32_t error, std::string_view path,
                                             ShellVerb verb = ShellVerb::Open);

}  // namespace norvik
