#include "app/updater/win/download_file.h"

#include <vector>

#include "app/updater/command_line.h"
#include "app/updater/curl_command.h"
#include "app/updater/update_messages.h"
#include "app/updater/win/system_win.h"
#include "platform/process_win.h"

namespace norvik {

std::optional<UpdateFailed> download_file(const std::string& url, const std::string& destination,
                                          uint64_t max_bytes) {
    std::optional<std::wstring> curl = system_folder_file(L"curl.exe");
    if (!curl) return last_error_failure();
    const std::vector<std::string> arguments = curl_arguments(url, destination, max_bytes);
    const std::vector<std::string_view> views(arguments.begin(), arguments.end());
    // Every argument is quoted, so an address or a folder name can never become another option.
    std::optional<std::string> command_line = build_command_line(from_wide(*curl), views);
    if (!command_line) return download_failed();

    const KernelHandle process = create_process(*curl, to_wide(*command_line), CREATE_NO_WINDOW);
    if (!process) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return curl_missing();
        return UpdateFailed{system_error_text(error)};
    }
    // curl gives up by itself after 600 seconds.
    if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0) return last_error_failure();
    DWORD exit_code = 0;
    if (!GetExitCodeProcess(process.get(), &exit_code)) return last_error_failure();
    if (exit_code != 0) return curl_failure(exit_code);
    return std::nullopt;
}

}  // namespace norvik
