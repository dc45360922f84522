#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/files.h"
#include "platform/full_path_win.h"
#include "platform/long_path.h"
#include "platform/wide_text.h"

namespace norvik {

namespace {

constexpr DWORD RENAME_TRIES = 20;

HANDLE handle_of(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// The long-path form, so a deep LOCALAPPDATA still works.
std::wstring wide_path(const std::string& path) {
    std::u16string long_form = to_long_path(from_wide(full_path_of(path)));
    return std::wstring(long_form.begin(), long_form.end());
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

std::optional<PlatformFile> PlatformFile::create_new(const std::string& path,
                                                     std::optional<uint32_t>) {
    // CREATE_NEW fails on any name that exists, a symbolic link included.
    HANDLE h = CreateFileW(wide_path(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
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
    std::wstring source = wide_path(from);
    std::wstring target = wide_path(to);
    // While another writer is replacing the same file, the old one is briefly marked for
    // deletion and the rename is refused with "access denied"; it goes through a moment later.
    for (DWORD attempt = 0;; ++attempt) {
        if (MoveFileExW(source.c_str(), target.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        DWORD error = GetLastError();
        bool busy = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
        if (!busy || attempt == RENAME_TRIES) return false;
        Sleep(std::min<DWORD>(1 + attempt * 5, 50));
    }
}

bool remove_file(const std::string& path) {
    if (DeleteFileW(wide_path(path).c_str())) return true;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

PathKind path_kind(const std::string& path) {
    DWORD attributes = GetFileAttributesW(wide_path(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return PathKind::Other;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Folder;
    if (attributes & FILE_ATTRIBUTE_DEVICE) return PathKind::Other;
    return PathKind::File;
}

std::optional<uint32_t> file_mode(const std::string&) {
    return std::nullopt;
}

std::string last_system_error() {
    DWORD error = GetLastError();
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = length ? from_wide(std::wstring_view(text, length))
                                 : "system error " + std::to_string(error);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}

char path_separator() {
    return '\\';
}

}  // namespace norvik
