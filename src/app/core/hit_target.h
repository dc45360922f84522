// What lies under a point of the window: the result of the layout's hit test, and the hover
// state the window keeps.
#pragma once

#include <cstdint>

namespace norvik {

enum class HitKind : uint8_t {
    Nothing = 0,
    SearchBox = 1,
    SettingsButton = 2,
    FilterTab = 3,     // payload: the filter value 0-6
    ColumnHeader = 4,  // payload: the column, 1 Name, 2 Folder, 3 Size, 4 Date modified
    ResultRow = 5,     // payload: the row index
    ScrollThumb = 6,
    ScrollTrack = 7,
    ColumnBorder = 8,  // payload: the border, 0 Name|Folder, 1 Folder|Size, 2 Size|Date modified
    ToastButton = 9,   // the toast's Undo
};

struct HitTarget {
    HitKind kind = HitKind::Nothing;
    uint32_t payload = 0;

    bool operator==(const HitTarget&) const = default;
};

}  // namespace norvik
