#include "ui_support/pump_messages.h"

#include <windows.h>

namespace norvik::testing {

void pump_messages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace norvik::testing
