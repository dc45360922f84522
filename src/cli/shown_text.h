// Names and paths from the file system, or from the command line, made safe for where they are
// printed: a terminal must not take a name's control characters as commands (ESC [31m would
// recolour it), and a tab-separated row must keep one line and its columns whatever a name holds.
#pragma once

#include <string>
#include <string_view>

namespace norvik {

// text for a person to read: control characters (C0, DEL, C1) and bytes that are not UTF-8
// become \xNN (\u0085 for a C1 character), everything else stays as it is.
std::string escape_for_terminal(std::string_view text);

// One field of a tab-separated row: tab, newline, carriage return and backslash become \t, \n,
// \r and \\; everything else stays as it is.
std::string escape_tsv_field(std::string_view text);

}  // namespace norvik
