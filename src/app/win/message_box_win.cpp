#include "app/win/message_box_win.h"

#include "app/win/win_raii.h"

namespace norvik {
namespace {

std::function<int(const MessageBoxRequest&)>& test_answer() {
    static std::function<int(const MessageBoxRequest&)> answer;
    return answer;
}

}  // namespace

int show_message_box(HWND owner, const MessageBoxRequest& request) {
    if (test_answer()) return test_answer()(request);
    const UINT buttons = request.yes_no ? MB_YESNO : MB_OK;
    return MessageBoxW(owner, to_wide(request.text).c_str(), to_wide(request.caption).c_str(),
                       buttons | MB_ICONINFORMATION);
}

void set_message_box_for_tests(std::function<int(const MessageBoxRequest&)> answer) {
    test_answer() = std::move(answer);
}

}  // namespace norvik
