#include "platform/long_path.h"

#include <algorithm>

#include "hangul/utf8.h"

namespace norvik {

std::u16string to_long_path(std::string_view path) {
    std::string p(path);
    std::replace(p.begin(), p.end(), '/', '\\');
    while (!p.empty() && p.back() == '\\')
        p.pop_back();
    if (p.starts_with("\\\\?\\")) {
        // Already in long form.
    } else if (p.starts_with("\\\\")) {
        p.replace(0, 2, "\\\\?\\UNC\\");
    } else {
        p.insert(0, "\\\\?\\");
    }
    return utf8_to_utf16(p);
}

}  // namespace norvik
