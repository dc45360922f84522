#include <windows.h>

#include <memory>

#include "platform/detached_thread.h"
#include "platform/win_handles.h"

namespace norvik {

namespace {

constexpr DWORD DETACHED_STACK_BYTES = 256 * 1024;

DWORD WINAPI run_detached(void* parameter) {
    std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
    try {
        (*work)();
    } catch (...) {
        // Nothing leaves a thread entry.
    }
    return 0;
}

}  // namespace

bool start_detached_thread(std::function<void()> work) {
    auto owned = std::make_unique<std::function<void()>>(std::move(work));
    KernelHandle thread(CreateThread(nullptr, DETACHED_STACK_BYTES, run_detached, owned.get(),
                                     STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread) return false;
    owned.release();  // the thread owns it now; the handle is closed here, the thread runs on
    return true;
}

}  // namespace norvik
