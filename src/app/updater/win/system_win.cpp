#include "app/updater/win/system_win.h"

namespace norvik {

std::string system_error_text(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring_view message(buffer, buffer != nullptr ? length : 0);
    while (!message.empty() &&
           (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' '))
        message.remove_suffix(1);
    std::string text = from_wide(message);
    LocalFree(buffer);
    if (!text.empty()) text += ' ';
    return text + "(error " + std::to_string(code) + ")";
}

UpdateFailed last_error_failure() {
    return UpdateFailed{system_error_text(GetLastError())};
}

}  // namespace norvik
