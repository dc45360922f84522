#include <windows.h>

#include <filesystem>

#include "platform/folders.h"
#include "platform/full_path_win.h"
#include "platform/wide_text.h"

namespace norvik {

std::wstring full_path_of(const std::string& path) {
    const std::wstring wide = to_wide(path);
    DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return wide;
    std::wstring full(needed, L'\0');
    DWORD written = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed) return wide;
    full.resize(written);
    return full;
}

bool create_folders(const std::string& folder) {
    std::filesystem::path path(full_path_of(folder));
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

std::optional<std::string> environment_value(const char* name) {
    std::wstring wide_name(name, name + std::char_traits<char>::length(name));
    DWORD needed = GetEnvironmentVariableW(wide_name.c_str(), nullptr, 0);
    if (needed <= 1) return std::nullopt;
    std::wstring value(needed, L'\0');
    DWORD written = GetEnvironmentVariableW(wide_name.c_str(), value.data(), needed);
    if (written == 0 || written >= needed) return std::nullopt;
    value.resize(written);
    return from_wide(value);
}

std::optional<std::string> local_app_data_folder() {
    return environment_value("LOCALAPPDATA");
}

std::string temporary_folder() {
    // GetTempPath2W is missing before Windows 11 and in Wine 8: look it up, fall back.
    using GetTempPathFn = DWORD(WINAPI*)(DWORD, LPWSTR);
    static GetTempPathFn get_temp_path = [] {
        HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        FARPROC found = kernel ? GetProcAddress(kernel, "GetTempPath2W") : nullptr;
        return found ? reinterpret_cast<GetTempPathFn>(reinterpret_cast<void*>(found))
                     : &GetTempPathW;
    }();
    wchar_t buffer[MAX_PATH + 1];
    DWORD written = get_temp_path(MAX_PATH + 1, buffer);
    if (written == 0 || written > MAX_PATH) return ".";
    return from_wide(std::wstring_view(buffer, written));
}

std::string application_data_folder() {
    std::optional<std::string> local = local_app_data_folder();
    return local ? *local : temporary_folder();
}

}  // namespace norvik
