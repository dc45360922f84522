#include "app/updater/signer_check.h"

#include <algorithm>

#include "app/updater/update_messages.h"
#include "hangul/utf8.h"

namespace norvik {

namespace {

bool is_hex_digit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool valid_utf16(std::u16string_view units) {
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<UpdateFailed> judge_signer(const SignerFacts& facts, const SignerPolicy& policy) {
    switch (facts.trust_result) {
        case 0:
            break;
        case TRUST_CERT_REVOKED:
            return certificate_revoked();
        case TRUST_REVOCATION_OFFLINE:
        case TRUST_REVOCATION_UNCHECKED:
            return revocation_unchecked();
        default:
            return signature_not_verified();
    }
    if (facts.name != policy.publisher) return not_signed_by(policy.publisher);
    // A pin list the build got wrong refuses every installer rather than none.
    const std::optional<std::vector<std::string>> pins = parse_thumbprints(policy.pinned_sha256);
    if (!pins) return not_signed_by(policy.publisher);
    if (!pins->empty() && std::find(pins->begin(), pins->end(), facts.leaf_sha256) == pins->end()) {
        return not_signed_by(policy.publisher);
    }
    return std::nullopt;
}

std::optional<std::string> signer_name(std::u16string_view buffer, size_t returned) {
    if (returned <= 1 || returned > buffer.size()) return std::nullopt;
    const std::u16string_view name = buffer.substr(0, returned - 1);
    if (!valid_utf16(name)) return std::nullopt;
    return utf16_to_utf8(name);
}

std::optional<std::vector<std::string>> parse_thumbprints(std::string_view list) {
    std::vector<std::string> thumbprints;
    constexpr std::string_view SEPARATORS = ";, \t\r\n";
    while (!list.empty()) {
        const size_t start = list.find_first_not_of(SEPARATORS);
        if (start == std::string_view::npos) break;
        list.remove_prefix(start);
        const std::string_view entry = list.substr(0, list.find_first_of(SEPARATORS));
        list.remove_prefix(entry.size());
        if (entry.size() != 64 || !std::all_of(entry.begin(), entry.end(), is_hex_digit))
            return std::nullopt;
        std::string lowered(entry);
        for (char& c : lowered)
            if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
        thumbprints.push_back(std::move(lowered));
    }
    return thumbprints;
}

}  // namespace norvik
