#include <windows.h>

#include <climits>

#include "hangul/normalize_nfc_platform.h"

namespace norvik {

std::optional<std::u16string> normalize_nfc_utf16(std::u16string_view text) {
    if (text.size() > static_cast<size_t>(INT_MAX / 2)) return std::nullopt;
    const int n = static_cast<int>(text.size());
    const auto* source = reinterpret_cast<LPCWSTR>(text.data());
    int capacity = n + 8;
    // The composed form can be longer than the source (composition exclusions decompose), and
    // then NormalizeString asks for more room with a negative estimate. A few rounds settle it;
    // giving up instead would leave such names unnormalized here while ICU normalizes them.
    for (int round = 0; round < 4; ++round) {
        std::u16string out(static_cast<size_t>(capacity), u'\0');
        const int written = NormalizeString(NormalizationC, source, n,
                                            reinterpret_cast<LPWSTR>(out.data()), capacity);
        if (written > 0) {
            out.resize(static_cast<size_t>(written));
            return out;
        }
        if (written == 0 || GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
        const int wanted = -written;
        if (wanted <= capacity) {
            capacity = capacity <= INT_MAX / 2 ? capacity * 2 : INT_MAX;
        } else {
            capacity = wanted;
        }
    }
    return std::nullopt;
}

}  // namespace norvik
