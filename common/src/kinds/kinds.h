// File kinds by extension, and the display of sizes and counts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace norvik {

enum class Kind : uint8_t {
    Picture = 0,
    Video = 1,
    Music = 2,
    Document = 3,
    Archive = 4,
    Program = 5,
    Temporary = 6,
    Other = 7,
};

// Filter tabs in their on-screen order; the search request carries the number.
enum FilterTab : int {
    TAB_ALL = 0,
    TAB_FOLDERS = 1,
    TAB_DOCUMENTS = 2,
    TAB_PICTURES = 3,
    TAB_MUSIC = 4,
    TAB_VIDEOS = 5,
    TAB_ARCHIVES = 6,
};
inline constexpr int FILTER_TAB_COUNT = 7;

// The kind of a file by the text after its last dot (ASCII case-insensitive, whole extension).
// A folder is Kind 0 without looking at the name.
Kind classify(std::string_view name, bool is_folder);

// "1023 B", "1.12 KB", "10.00 KB", "1024 PB": 2/1/0 decimals below 10/100/above, ties to even.
std::string format_size(uint64_t bytes);

// Decimal digits with a comma before every group of three: 1000000 -> "1,000,000".
std::string format_count(uint64_t count);

}  // namespace norvik
