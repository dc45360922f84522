// When a frame tells that the renderer must be rebuilt: the two places a lost device shows.
#pragma once

#include <windows.h>

#include <cstdint>

#include <d2derr.h>
#include <dxgi.h>

namespace norvik {

// EndDraw asked for a new target: the frame is not presented, the renderer is rebuilt.
constexpr bool end_draw_lost_device(HRESULT end_draw) {
    return static_cast<uint32_t>(end_draw) == static_cast<uint32_t>(D2DERR_RECREATE_TARGET);
}

// Present reported the device removed (0x887A0005) or reset (0x887A0007); other failures leave
// the renderer as it is.
constexpr bool present_lost_device(HRESULT present) {
    return (static_cast<uint32_t>(present) & ~uint32_t{2}) ==
           static_cast<uint32_t>(DXGI_ERROR_DEVICE_REMOVED);
}

}  // namespace norvik
