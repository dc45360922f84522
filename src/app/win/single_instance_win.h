// One Norvik per logon: the first instance holds a named mutex; a later start hands over to it.
#pragma once

namespace norvik {

inline constexpr wchar_t SINGLE_INSTANCE_MUTEX[] = L"Local\\Norvik.SingleInstance";
inline constexpr wchar_t MAIN_WINDOW_CLASS[] = L"Norvik.Main";

// Creates the mutex, owned, and keeps it until the process ends. False when another process
// holds it already. A mutex that cannot be created counts as first.
bool claim_first_instance(const wchar_t* mutex_name = SINGLE_INSTANCE_MUTEX);

// Asks the first instance's window to show itself (WM_APP_SHOW), letting it take the foreground.
// Nothing when there is no such window.
void hand_off_to_first_instance(const wchar_t* window_class = MAIN_WINDOW_CLASS);

}  // namespace norvik
