// A downloaded installer held open from its first check until it has been started. Windows only.
#pragma once

#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/updater/update_results.h"
#include "platform/win_handles.h"

namespace norvik {

class InstallerFile final : public VerifiedInstaller {
  public:
    // Opens path for reading, sharing only reading: while it is open nobody can write to the
    // file, rename it or delete it, and no writer may still have it open. Nothing when it cannot
    // be opened (GetLastError tells why).
    static std::optional<InstallerFile> open(const std::string& path);

    HANDLE handle() const { return file_.get(); }
    const std::string& path() const override { return path_; }
    // Starts the installer, with every argument quoted, and lets it run.
    bool start(std::span<const std::string_view> arguments) override;
    // Closes the file and deletes it (a failure to delete is ignored).
    void discard();

  private:
    InstallerFile(std::string path, FileHandle file)
        : path_(std::move(path)), file_(std::move(file)) {}

    std::string path_;
    FileHandle file_;
};

}  // namespace norvik
