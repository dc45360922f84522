// The judgement on an installer's Authenticode signature, from what the system found: whether
// the signature and its chain are trusted and not revoked, who signed it, and which certificate.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/updater/update_results.h"

namespace norvik {

// WinVerifyTrust's results that the user is told apart from "could not be verified".
inline constexpr uint32_t TRUST_CERT_REVOKED = 0x80092010;          // CRYPT_E_REVOKED
inline constexpr uint32_t TRUST_REVOCATION_OFFLINE = 0x80092013;    // CRYPT_E_REVOCATION_OFFLINE
inline constexpr uint32_t TRUST_REVOCATION_UNCHECKED = 0x800B010E;  // CERT_E_REVOCATION_FAILURE

struct SignerFacts {
    uint32_t trust_result = 0;        // WinVerifyTrust's result; 0 = trusted
    std::optional<std::string> name;  // the signing certificate's simple display name
    std::string leaf_sha256;          // its thumbprint: SHA-256 of the certificate, lower case
};

// Whom an installer must be signed by: the publisher's exact name and, when the build pins the
// signing certificate, the thumbprints allowed (empty: any certificate of that name).
struct SignerPolicy {
    std::string_view publisher;
    std::string_view pinned_sha256;
};

// Nothing when the signature is accepted: trusted with revocation checked, signed by exactly the
// publisher and, when pinned, by one of the pinned certificates. Otherwise the failure to show.
std::optional<UpdateFailed> judge_signer(const SignerFacts& facts, const SignerPolicy& policy);

// The name CertGetNameStringW wrote into buffer, which it says is `returned` units long with the
// closing NUL: every unit before that NUL, so a NUL inside the name stays part of it and cannot
// cut it short. Nothing when no name was written or it is not valid UTF-16.
std::optional<std::string> signer_name(std::u16string_view buffer, size_t returned);

// The pinned thumbprints of a list: 64 hexadecimal digits each (lowered), separated by ';',
// ',' or white space. Nothing when any entry is not such a thumbprint.
std::optional<std::vector<std::string>> parse_thumbprints(std::string_view list);

}  // namespace norvik
