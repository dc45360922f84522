// The absolute form of a path, for the Win32 calls that need one. Windows only.
#pragma once

#include <string>

namespace norvik {

// The absolute form of a path given as UTF-8 (a command line may give a relative one); the path
// itself, widened, when the system cannot make it absolute.
std::wstring full_path_of(const std::string& path);

}  // namespace norvik
