#include "platform/process_win.h"

namespace norvik {

std::optional<std::wstring> system_folder_file(std::wstring_view name) {
    wchar_t folder[MAX_PATH + 1];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) return std::nullopt;
    std::wstring path(folder, length);
    if (path.back() != L'\\') path += L'\\';
    path += name;
    return path;
}

KernelHandle create_process(const std::wstring& application, std::wstring command_line,
                            DWORD flags) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    // command_line is a copy of our own: CreateProcessW may write into it.
    if (!CreateProcessW(application.c_str(), command_line.data(), nullptr, nullptr, FALSE, flags,
                        nullptr, nullptr, &startup, &started)) {
        return KernelHandle();
    }
    KernelHandle thread(started.hThread);
    return KernelHandle(started.hProcess);
}

}  // namespace norvik
