#include "app/updater/win/installer_file_win.h"

#include "app/updater/command_line.h"
#include "app/updater/win/system_win.h"
#include "platform/long_path.h"

namespace norvik {

namespace {

std::wstring long_path(const std::string& path) {
    const std::u16string units = to_long_path(path);
    return std::wstring(units.begin(), units.end());
}

}  // namespace

std::optional<InstallerFile> InstallerFile::open(const std::string& path) {
    FileHandle file(CreateFileW(long_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                                nullptr));
    if (!file) return std::nullopt;
    return InstallerFile(path, std::move(file));
}

bool InstallerFile::start(std::span<const std::string_view> arguments) {
    std::optional<std::string> command_line = build_command_line(path_, arguments);
    if (!command_line) return false;
    std::wstring line = to_wide(*command_line);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    // The installer is started while this file is still held, sharing reading only: the program
    // that starts is the one whose digest and signature were checked.
    if (!CreateProcessW(to_wide(path_).c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started)) {
        return false;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

void InstallerFile::discard() {
    file_.reset();
    DeleteFileW(long_path(path_).c_str());
}

}  // namespace norvik
