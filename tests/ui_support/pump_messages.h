// Handles the messages waiting for this thread's windows (sizes, paints, posted work), without
// waiting for more: what a UI test calls between acting on a window and looking at it.
#pragma once

namespace norvik::testing {

void pump_messages();

}  // namespace norvik::testing
