#include "app/updater/win/installer_file_win.h"

#include "app/updater/command_line.h"
#include "app/updater/win/system_win.h"
#include "platform/long_path.h"
#include "platform/process_win.h"

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
    // The installer is started while this file is still held, sharing reading only: the program
    // that starts is the one whose digest and signature were checked.
    return static_cast<bool>(create_process(to_wide(path_), to_wide(*command_line)));
}

void InstallerFile::discard() {
    file_.reset();
    DeleteFileW(long_path(path_).c_str());
}

}  // namespace norvik
