#include "index/excluded_names.h"

#include "hangul/utf8.h"

namespace norvik {

bool is_excluded_name(std::string_view name) {
    return ascii_equal_ignoring_case(name, "$recycle.bin") ||
           ascii_equal_ignoring_case(name, "System Volume Information");
}

bool has_excluded_component(std::string_view path) {
    while (true) {
        size_t cut = path.find('\\');
        if (is_excluded_name(path.substr(0, cut))) return true;
        if (cut == std::string_view::npos) return false;
        path.remove_prefix(cut + 1);
    }
}

}  // namespace norvik
