// What the result actions and the menus start outside the program: the shell's "open" verb and
// processes. A seam, so tests capture what would have been started.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/core/shell.h"

namespace norvik {

class Launcher {
  public:
    virtual ~Launcher() = default;
    // ShellExecuteW(verb "open", SW_SHOWNORMAL) on a file, folder or web address.
    virtual void shell_open(const std::wstring& target) = 0;
    // A result handed to the shell: Open and Properties through ShellExecuteExW with its own
    // error reports turned off, Open with through the system's chooser. 0 when the shell took
    // it, else the Windows error code.
    virtual uint32_t shell_verb(const std::wstring& path, ShellVerb verb) = 0;
    // CreateProcessW(application, command_line) without waiting; false when it did not start.
    virtual bool start_process(const std::wstring& application,
                               const std::wstring& command_line) = 0;
};

// The real thing.
class SystemLauncher : public Launcher {
  public:
    void shell_open(const std::wstring& target) override;
    uint32_t shell_verb(const std::wstring& path, ShellVerb verb) override;
    bool start_process(const std::wstring& application, const std::wstring& command_line) override;
};

// The program's launcher: the real thing, unless the environment variable NORVIK_TEST_NO_LAUNCH
// is set, when what would be started is written to the trace instead ("open TARGET", "open-with
// PATH", "properties PATH", "start COMMAND LINE"), so tests under Wine see exactly what the shell
// would have been given.
std::unique_ptr<Launcher> program_launcher();

// explorer.exe in the Windows folder, by its full path (a bare name would also find one planted
// in the current folder); empty when the folder cannot be had.
std::wstring explorer_path();

// The command line CreateProcessW gets for explorer: the quoted program path, a space, and the
// argument exactly as given.
std::wstring explorer_command_line(const std::wstring& explorer, const std::wstring& argument);

}  // namespace norvik
