#include "app/win/launcher_win.h"

#include <windows.h>

#include <shellapi.h>

#include "app/win/trace_win.h"
#include "app/win/win_raii.h"
#include "platform/process_win.h"

namespace norvik {
namespace {

class TracingLauncher : public Launcher {
  public:
    void shell_open(const std::wstring& target) override { trace_text("open", from_wide(target)); }
    bool start_process(const std::wstring&, const std::wstring& command_line) override {
        trace_text("start", from_wide(command_line));
        return true;
    }
};

}  // namespace

void SystemLauncher::shell_open(const std::wstring& target) {
    ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool SystemLauncher::start_process(const std::wstring& application,
                                   const std::wstring& command_line) {
    return static_cast<bool>(create_process(application, command_line));  // not waited for
}

std::unique_ptr<Launcher> program_launcher() {
    if (GetEnvironmentVariableW(L"NORVIK_TEST_NO_LAUNCH", nullptr, 0) != 0)
        return std::make_unique<TracingLauncher>();
    return std::make_unique<SystemLauncher>();
}

std::wstring explorer_path() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::wstring path(folder, length);
    if (path.back() != L'\\') path += L'\\';
    return path + L"explorer.exe";
}

std::wstring explorer_command_line(const std::wstring& explorer, const std::wstring& argument) {
    return L"\"" + explorer + L"\" " + argument;
}

}  // namespace norvik
