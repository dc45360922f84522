#include "index/volumes.h"

namespace norvik {

std::vector<std::string> roots_from_drive_mask(uint32_t mask) {
    std::vector<std::string> roots;
    for (int bit = 0; bit < 26; ++bit) {
        if (mask & (uint32_t{1} << bit)) roots.push_back({static_cast<char>('A' + bit), ':', '\\'});
    }
    return roots;
}

bool is_indexed_volume(uint32_t drive_type, std::u16string_view file_system) {
    // FAT, exFAT, network, removable, optical and RAM drives are left out.
    return drive_type == DRIVE_TYPE_FIXED && (file_system == u"NTFS" || file_system == u"ReFS");
}

}  // namespace norvik
