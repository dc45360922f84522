#include "app/core/second_start.h"

namespace norvik {

SecondStart settle_second_start(const SecondStartPorts& ports, bool tray) {
    const auto deadline = ports.now() + SECOND_START_PATIENCE;
    for (;;) {
        if (ports.reach_first(!tray)) return SecondStart::HandedOver;
        if (ports.now() >= deadline) return SecondStart::GaveUp;
        ports.wait(SECOND_START_RETRY);
        if (ports.claim_first()) return SecondStart::RunAsFirst;
    }
}

}  // namespace norvik
