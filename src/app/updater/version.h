// Version texts as the update manifest and the program write them: numbers separated by dots.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace norvik {

// The numbers of a version text. Surrounding white space and any leading lower-case "v"s are
// dropped; the rest is split at every "."; each piece is its unsigned 32-bit decimal value (one
// leading "+" allowed), or 0 when it is empty, holds anything else or overflows.
std::vector<uint32_t> parse_version(std::string_view text);

// Whether offered is a later version than running: the lists compared number by number, the
// shorter one padded with zeros (so 0.1.0.0 equals 0.1.0, and 0.10.0 is later than 0.9.9).
bool version_newer(std::string_view offered, std::string_view running);

// Whether two version texts name the same version under the same rules (0.2.0 equals 0.2.0.0).
bool version_equal(std::string_view a, std::string_view b);

}  // namespace norvik
