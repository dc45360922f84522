// What the update check and the installer download hand to the window: the check's verdict, and
// either a verified installer ready to start or the reason it was refused.
#pragma once

#include <array>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "app/core/update_info.h"

namespace norvik {

struct UpToDate {
    bool operator==(const UpToDate&) const = default;
};

// A failure, with the text the user is shown.
struct UpdateFailed {
    std::string message;

    bool operator==(const UpdateFailed&) const = default;
};

// A newer version (UpdateInfo), none, or why the check could not tell.
using UpdateVerdict = std::variant<UpdateInfo, UpToDate, UpdateFailed>;

struct UpdateCheckResult {
    UpdateVerdict verdict;
    bool manual = false;  // asked for from the menu: outcomes without news are shown too
};

// The switches the installer is started with: no pages, no message boxes, no restart, and the
// update mode that first closes the running program.
inline constexpr std::array<std::string_view, 4> INSTALLER_ARGUMENTS = {
    "/SILENT", "/SUPPRESSMSGBOXES", "/NORESTART", "/UPDATE=1"};

// A downloaded installer that passed the size, digest and signature checks. It stays open,
// shared for reading only, until it has been started, so what runs is what was checked.
class VerifiedInstaller {
  public:
    virtual ~VerifiedInstaller() = default;
    virtual const std::string& path() const = 0;
    // Starts it with arguments, not waiting for it; false when it could not be started.
    [[nodiscard]] virtual bool start(std::span<const std::string_view> arguments) = 0;
};

using UpdateDownloadResult = std::variant<std::unique_ptr<VerifiedInstaller>, UpdateFailed>;

}  // namespace norvik
