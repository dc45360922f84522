// SHA-256 (FIPS 180-4) through the system's BCrypt, fed in pieces so an installer is digested as
// it is read. Windows only.
#pragma once

#include <windows.h>

#include <bcrypt.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace norvik {

class Sha256 {
  public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    // False once any step has failed (also when BCrypt could not be opened).
    [[nodiscard]] bool update(std::span<const uint8_t> bytes);
    // 64 lower-case hexadecimal digits, two a byte; nothing if any step failed. Call once.
    std::optional<std::string> finish_hex();

  private:
    BCRYPT_ALG_HANDLE algorithm_ = nullptr;
    BCRYPT_HASH_HANDLE hash_ = nullptr;
    bool failed_ = false;
};

// The digest of bytes in one pass; nothing when BCrypt fails.
std::optional<std::string> sha256_hex(std::span<const uint8_t> bytes);

}  // namespace norvik
