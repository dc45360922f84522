// Which drives are indexed: fixed drives formatted NTFS or ReFS, in letter order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace norvik {

inline constexpr uint32_t DRIVE_TYPE_FIXED = 3;

// "A:\" ... "Z:\" for the set bits 0-25 of a GetLogicalDrives mask, in letter order.
std::vector<std::string> roots_from_drive_mask(uint32_t mask);

// True for a drive whose type is fixed and whose file-system name is exactly "NTFS" or "ReFS".
bool is_indexed_volume(uint32_t drive_type, std::u16string_view file_system);

// The roots to index ("C:\", ...), in letter order. Natively there are no drive letters and the
// list is empty: tools name the folders they want instead.
std::vector<std::string> list_volumes();

}  // namespace norvik
