#include <windows.h>

#include "index/volumes.h"

namespace norvik {

std::vector<std::string> list_volumes() {
    std::vector<std::string> kept;
    for (const std::string& root : roots_from_drive_mask(GetLogicalDrives())) {
        wchar_t wide_root[4] = {static_cast<wchar_t>(root[0]), L':', L'\\', 0};
        UINT type = GetDriveTypeW(wide_root);
        wchar_t file_system[32] = {};
        // A volume whose file-system name cannot be read is not indexed.
        if (type != DRIVE_FIXED || !GetVolumeInformationW(wide_root, nullptr, 0, nullptr, nullptr,
                                                          nullptr, file_system, 32))
            continue;
        std::u16string_view name(reinterpret_cast<const char16_t*>(file_system),
                                 wcsnlen(file_system, 32));
        if (is_indexed_volume(type, name)) kept.push_back(root);
    }
    return kept;
}

}  // namespace norvik
