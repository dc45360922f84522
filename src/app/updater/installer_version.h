// The version an installer says it is: the product version of the version resource in its
// executable image, read from the bytes themselves so no loader runs code of an unchecked file.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace norvik {

// The product version (VS_FIXEDFILEINFO) of a PE32 or PE32+ image, as four numbers with dots
// ("0.2.0.0"). Nothing when the bytes are not such an image, have no version resource, or any
// offset in them points outside the bytes.
std::optional<std::string> installer_product_version(std::span<const uint8_t> image);

}  // namespace norvik
