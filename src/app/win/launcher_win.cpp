#include "app/win/launcher_win.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include "app/win/trace_win.h"
#include "app/win/win_raii.h"
#include "platform/process_win.h"

namespace norvik {
namespace {

class TracingLauncher : public Launcher {
  public:
    void shell_open(const std::wstring& target) override { trace_text("open", from_wide(target)); }
    uint32_t shell_verb(const std::wstring& path, ShellVerb verb) override {
        static constexpr const char* NAMES[] = {"open", "open-with", "properties"};
        trace_text(NAMES[static_cast<size_t>(verb)], from_wide(path));
        return 0;
    }
    bool start_process(const std::wstring&, const std::wstring& command_line) override {
        trace_text("start", from_wide(command_line));
        return true;
    }
};

}  // namespace

void SystemLauncher::shell_open(const std::wstring& target) {
    ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

namespace {

// ShellExecuteExW's failure as a Windows error code. It sets the thread's last error; where it
// does not, its older SE_ERR_* result in hInstApp says what went wrong.
uint32_t shell_execute_error(const SHELLEXECUTEINFOW& info) {
    const DWORD error = GetLastError();
    if (error != ERROR_SUCCESS) return error;
    const auto result = reinterpret_cast<INT_PTR>(info.hInstApp);
    if (result == SE_ERR_NOASSOC || result == SE_ERR_ASSOCINCOMPLETE) return ERROR_NO_ASSOCIATION;
    if (result > 0 && result <= 32) return static_cast<uint32_t>(result);
    return ERROR_GEN_FAILURE;
}

uint32_t shell_execute(const std::wstring& path, const wchar_t* verb, ULONG mask) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // The shell's own error boxes are off: the window says what went wrong in its toast.
    info.fMask = SEE_MASK_FLAG_NO_UI | mask;
    info.lpVerb = verb;
    info.lpFile = path.c_str();
    info.nShow = SW_SHOWNORMAL;
    SetLastError(ERROR_SUCCESS);
    if (ShellExecuteExW(&info)) return ERROR_SUCCESS;
    return shell_execute_error(info);
}

uint32_t open_with_chooser(const std::wstring& path) {
    OPENASINFO info{};
    info.pcszFile = path.c_str();
    info.oaifInFlags = OAIF_ALLOW_REGISTRATION | OAIF_REGISTER_EXT | OAIF_EXEC;
    const HRESULT result = SHOpenWithDialog(nullptr, &info);
    if (SUCCEEDED(result)) return ERROR_SUCCESS;
    if (result == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return ERROR_CANCELLED;
    // Where the chooser is not to be had (older shells, Wine), the "openas" verb shows it.
    return shell_execute(path, L"openas", 0);
}

}  // namespace

uint32_t SystemLauncher::shell_verb(const std::wstring& path, ShellVerb verb) {
    switch (verb) {
        case ShellVerb::OpenWith:
            return open_with_chooser(path);
        case ShellVerb::Properties:
            // The properties dialog is a verb of the item's shell menu, not of its program.
            return shell_execute(path, L"properties", SEE_MASK_INVOKEIDLIST);
        case ShellVerb::Open:
            break;
    }
    return shell_execute(path, L"open", 0);
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
