// One Norvik per logon: the first instance holds a named mutex; a later start hands over to it.
#pragma once

#include "app/core/second_start.h"

namespace norvik {

inline constexpr wchar_t SINGLE_INSTANCE_MUTEX[] = L"Local\\Norvik.SingleInstance";
inline constexpr wchar_t MAIN_WINDOW_CLASS[] = L"Norvik.Main";

// Creates the mutex, owned, and keeps it until the process ends. False when another process
// holds it already. A mutex that cannot be created counts as first.
bool claim_first_instance(const wchar_t* mutex_name = SINGLE_INSTANCE_MUTEX);

// Finds the first instance's window. With show, lets that process take the foreground and asks
// the window to show itself (WM_APP_SHOW), waiting up to a second for its answer. True when the
// window is there and, with show, answered SHOW_TAKEN.
bool reach_first_instance(bool show, const wchar_t* window_class = MAIN_WINDOW_CLASS);

// The hand-over of a second start (app/core/second_start.h) over the two calls above, Sleep and
// the steady clock.
SecondStartPorts system_second_start_ports();

}  // namespace norvik
