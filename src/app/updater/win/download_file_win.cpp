#include "app/updater/win/download_file.h"

#include <vector>

#include "app/text/text.h"
#include "app/updater/command_line.h"
#include "app/updater/curl_command.h"
#include "app/updater/win/system_win.h"
#include "platform/process_win.h"

namespace norvik {

namespace {

UpdateFailed download_failed() {
    return UpdateFailed{choose_text("다운로드하지 못했습니다", "Download failed")};
}

}  // namespace

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
    if (!process) return last_error_failure();
    // curl gives up by itself after 600 seconds.
    if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0) return last_error_failure();
    DWORD exit_code = 0;
    if (!GetExitCodeProcess(process.get(), &exit_code)) return last_error_failure();
    if (exit_code != 0) return download_failed();
    return std::nullopt;
}

}  // namespace norvik
