// The two message boxes (About, and the update question), owned by the main window.
#pragma once

#include <windows.h>

#include <functional>

#include "app/core/shell.h"

namespace norvik {

// MessageBoxW with MB_ICONINFORMATION, and Yes/No buttons for a yes_no request; the button
// chosen (IDOK, IDYES, IDNO). Runs a modal loop: never call it while App is lent out.
int show_message_box(HWND owner, const MessageBoxRequest& request);

// Tests answer in place of the user.
void set_message_box_for_tests(std::function<int(const MessageBoxRequest&)> answer);

}  // namespace norvik
