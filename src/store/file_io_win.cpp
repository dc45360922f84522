#include <windows.h>

#include <filesystem>
#include <utility>

#include "hangul/utf8.h"
#include "index/long_path.h"
#include "store/file_io.h"

namespace norvik {

namespace {

HANDLE handle_of(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::string narrow(std::wstring_view wide);

// The absolute form of a path given as UTF-8 (a command line may give a relative one).
std::wstring full_path_of(const std::string& path) {
    std::u16string utf16 = utf8_to_utf16(path);
    std::wstring wide(utf16.begin(), utf16.end());
    DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return wide;
    std::wstring full(needed, L'\0');
    DWORD written = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed) return wide;
    full.resize(written);
    return full;
}

// The long-path form, so a deep LOCALAPPDATA still works.
std::wstring wide_path(const std::string& path) {
    std::u16string long_form = to_long_path(narrow(full_path_of(path)));
    return std::wstring(long_form.begin(), long_form.end());
}

std::string narrow(std::wstring_view wide) {
    return utf16_to_utf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace

std::optional<PlatformFile> PlatformFile::open_for_reading(const std::string& path) {
    HANDLE h =
        CreateFileW(wide_path(path).c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    return PlatformFile(reinterpret_cast<intptr_t>(h));
}

std::optional<PlatformFile> PlatformFile::create(const std::string& path) {
    HANDLE h = CreateFileW(wide_path(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    return PlatformFile(reinterpret_cast<intptr_t>(h));
}

std::optional<uint64_t> PlatformFile::size() const {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_of(handle_), &size) || size.QuadPart < 0) return std::nullopt;
    return static_cast<uint64_t>(size.QuadPart);
}

std::optional<size_t> PlatformFile::read_some(void* out, size_t size) {
    DWORD ask = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(handle_of(handle_), out, ask, &got, nullptr)) return std::nullopt;
    return got;
}

bool PlatformFile::write_all(const void* data, size_t size) {
    const auto* from = static_cast<const char*>(data);
    while (size != 0) {
        DWORD ask = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        DWORD put = 0;
        if (!WriteFile(handle_of(handle_), from, ask, &put, nullptr) || put == 0) return false;
        from += put;
        size -= put;
    }
    return true;
}

bool PlatformFile::sync() {
    return FlushFileBuffers(handle_of(handle_)) != 0;
}

bool PlatformFile::close() {
    if (handle_ == NONE) return true;
    return CloseHandle(handle_of(std::exchange(handle_, NONE))) != 0;
}

bool replace_file(const std::string& from, const std::string& to) {
    return MoveFileExW(wide_path(from).c_str(), wide_path(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
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
    return narrow(value);
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
    return narrow(std::wstring_view(buffer, written));
}

char path_separator() {
    return '\\';
}

}  // namespace norvik
