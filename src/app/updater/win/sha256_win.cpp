#include "app/updater/win/sha256_win.h"

#include <algorithm>
#include <array>
#include <limits>

namespace norvik {

Sha256::Sha256() {
    failed_ = !BCRYPT_SUCCESS(
                  BCryptOpenAlgorithmProvider(&algorithm_, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) ||
              !BCRYPT_SUCCESS(BCryptCreateHash(algorithm_, &hash_, nullptr, 0, nullptr, 0, 0));
}

Sha256::~Sha256() {
    if (hash_ != nullptr) BCryptDestroyHash(hash_);
    if (algorithm_ != nullptr) BCryptCloseAlgorithmProvider(algorithm_, 0);
}

bool Sha256::update(std::span<const uint8_t> bytes) {
    while (!failed_ && !bytes.empty()) {
        const ULONG piece =
            static_cast<ULONG>(std::min<size_t>(bytes.size(), std::numeric_limits<ULONG>::max()));
        // BCryptHashData takes a non-const pointer but only reads.
        failed_ =
            !BCRYPT_SUCCESS(BCryptHashData(hash_, const_cast<PUCHAR>(bytes.data()), piece, 0));
        bytes = bytes.subspan(piece);
    }
    return !failed_;
}

std::optional<std::string> Sha256::finish_hex() {
    std::array<uint8_t, 32> digest{};
    if (failed_ || !BCRYPT_SUCCESS(BCryptFinishHash(hash_, digest.data(), digest.size(), 0))) {
        failed_ = true;
        return std::nullopt;
    }
    failed_ = true;  // a finished hash takes no more data
    static constexpr char HEX[] = "0123456789abcdef";
    std::string hex;
    for (uint8_t byte : digest) {
        hex += HEX[byte >> 4];
        hex += HEX[byte & 0xF];
    }
    return hex;
}

std::optional<std::string> sha256_hex(std::span<const uint8_t> bytes) {
    Sha256 hash;
    if (!hash.update(bytes)) return std::nullopt;
    return hash.finish_hex();
}

}  // namespace norvik
