// The long-path form of a path for every file-system call on Windows: "C:\" becomes \\?\C:,
// "C:\Users\a" becomes \\?\C:\Users\a, "\\server\share" becomes \\?\UNC\server\share.
#pragma once

#include <string>
#include <string_view>

namespace norvik {

// '/' becomes '\', trailing backslashes go, and the \\?\ (or \\?\UNC\) prefix is added unless
// the path has it already. The result's c_str() is the zero-terminated form the API takes.
std::u16string to_long_path(std::string_view path);

}  // namespace norvik
