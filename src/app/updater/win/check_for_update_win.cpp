#include <windows.h>

#include "app/updater/curl_command.h"
#include "app/updater/manifest.h"
#include "app/updater/update_messages.h"
#include "app/updater/win/download_file.h"
#include "app/updater/win/private_folder_win.h"
#include "app/updater/win/system_win.h"
#include "app/updater/win/update_tasks.h"
#include "platform/files.h"
#include "vendor.h"

namespace norvik {

namespace {

// The whole manifest, or why it could not be read; longer than MANIFEST_MAX_BYTES is no manifest.
std::variant<std::string, UpdateFailed> read_manifest(const std::string& path) {
    std::optional<PlatformFile> file = PlatformFile::open_for_reading(path);
    if (!file) return last_error_failure();
    std::optional<uint64_t> size = file->size();
    if (!size) return last_error_failure();
    if (*size > MANIFEST_MAX_BYTES) return unusable_manifest();
    std::string bytes(static_cast<size_t>(*size), '\0');
    size_t filled = 0;
    while (filled < bytes.size()) {
        std::optional<size_t> got = file->read_some(bytes.data() + filled, bytes.size() - filled);
        if (!got) return last_error_failure();
        if (*got == 0) break;
        filled += *got;
    }
    bytes.resize(filled);
    return bytes;
}

}  // namespace

UpdateVerdict check_for_update(const std::string& manifest_url) {
    std::variant<std::string, UpdateFailed> folder = private_updates_folder();
    if (auto* failed = std::get_if<UpdateFailed>(&folder)) return std::move(*failed);
    const std::string path = std::get<std::string>(folder) + "update.json";
    std::optional<UpdateFailed> failed = download_file(manifest_url, path, MANIFEST_MAX_BYTES);
    std::variant<std::string, UpdateFailed> manifest =
        failed ? std::variant<std::string, UpdateFailed>(std::move(*failed)) : read_manifest(path);
    // Read or not, the file goes (a failure to delete is ignored: the next check overwrites it).
    DeleteFileW(to_wide(path).c_str());
    if (auto* failure = std::get_if<UpdateFailed>(&manifest)) return std::move(*failure);
    return judge_manifest(std::get<std::string>(manifest), vendor::PROGRAM_VERSION);
}

}  // namespace norvik
