#include "app/input/decode_utf16.h"

#include "hangul/utf8.h"

namespace norvik {

std::u32string decode_utf16(std::u16string_view units) {
    std::u32string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (is_high_surrogate(u) && i + 1 < units.size() && is_low_surrogate(units[i + 1])) {
            out.push_back(combine_surrogates(u, units[i + 1]));
            ++i;
        } else if (is_high_surrogate(u) || is_low_surrogate(u)) {
            out.push_back(REPLACEMENT_CHARACTER);
        } else {
            out.push_back(u);
        }
    }
    return out;
}

}  // namespace norvik
