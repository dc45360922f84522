// Norvik.exe's entry. The process ends here with TerminateProcess rather than by returning: the
// detached workers (search threads, scans, watchers) may still be using the index and other
// shared state, which static destructors would pull from under them. The index was saved before.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/program/startup_win.h"
#include "app/win/trace_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    norvik::start_trace();
    norvik::trace_event("entry");
    std::vector<std::wstring> arguments;
    int count = 0;
    if (wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            arguments.emplace_back(argv[i]);
        LocalFree(argv);
    }
    const norvik::StartOptions options = norvik::read_start_options(arguments);
    int code = 0;
    if (options.unregister) {
        norvik::unregister_norvik();
    } else {
        code = norvik::run_norvik(options);
    }
    norvik::trace_event("exit", static_cast<uint64_t>(code));
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
    return code;
}
