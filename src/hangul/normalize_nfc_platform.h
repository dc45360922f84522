// The platform's Unicode normalizer, behind normalize_nfc's fast pre-checks: ICU natively,
// NormalizeString on Windows. Internal to the hangul library.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace norvik {

// Normalization Form C of UTF-16 text (free of unpaired surrogates), or nothing when the
// normalizer fails.
std::optional<std::u16string> normalize_nfc_utf16(std::u16string_view text);

}  // namespace norvik
