// The two names Windows keeps for itself at every level of a drive: never listed by the scan,
// never added by a change.
#pragma once

#include <string_view>

namespace norvik {

// True for "$recycle.bin" and "System Volume Information" in any ASCII letter case.
bool is_excluded_name(std::string_view name);

// True when any backslash-separated component of path is an excluded name.
bool has_excluded_component(std::string_view path);

}  // namespace norvik
