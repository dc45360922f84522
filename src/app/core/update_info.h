// A newer version offered by the vendor's update manifest.
#pragma once

#include <cstdint>
#include <string>

namespace norvik {

struct UpdateInfo {
    std::string version;  // digits and dots only
    std::string url;      // begins with https://
    std::string sha256;   // lower-case hexadecimal
    uint64_t size = 0;    // bytes; 0 = not compared

    bool operator==(const UpdateInfo&) const = default;
};

}  // namespace norvik
