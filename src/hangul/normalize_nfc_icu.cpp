#include <unicode/unorm2.h>

#include <climits>

#include "hangul/normalize_nfc_platform.h"

namespace norvik {

std::optional<std::u16string> normalize_nfc_utf16(std::u16string_view text) {
    if (text.size() > static_cast<size_t>(INT32_MAX / 2)) return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    if (U_FAILURE(status)) return std::nullopt;
    const auto n = static_cast<int32_t>(text.size());
    std::u16string out(text.size() + 8, u'\0');
    int32_t length = unorm2_normalize(nfc, text.data(), n, out.data(),
                                      static_cast<int32_t>(out.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        // The composed form can be longer than the source (composition exclusions decompose).
        status = U_ZERO_ERROR;
        out.assign(static_cast<size_t>(length), u'\0');
        length = unorm2_normalize(nfc, text.data(), n, out.data(), length, &status);
    }
    if (U_FAILURE(status) || length < 0) return std::nullopt;
    out.resize(static_cast<size_t>(length));
    return out;
}

}  // namespace norvik
