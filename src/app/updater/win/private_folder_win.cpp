#include "app/updater/win/private_folder_win.h"

#include <windows.h>

#include "app/updater/update_messages.h"
#include "platform/folders.h"
#include "platform/private_folder_win.h"
#include "platform/wide_text.h"
#include "platform/win_handles.h"

namespace norvik {

namespace {

// The folder's path without its trailing backslash, as the calls that name it want it.
std::string without_separator(const std::string& folder) {
    return folder.substr(0, folder.size() - 1);
}

// Whether the folder stands there private already; nothing is made or changed.
bool stands_private(const std::string& folder) {
    return local_app_data_folder() && is_private_folder(without_separator(folder));
}

}  // namespace

std::string updates_folder_path() {
    std::string folder = local_app_data_folder().value_or("%LOCALAPPDATA%");
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder + "Norvik\\updates\\";
}

std::variant<std::string, UpdateFailed> private_updates_folder() {
    const std::string folder = updates_folder_path();
    if (!local_app_data_folder()) return folder_not_private(folder);
    // The parent is the user's own Norvik folder, beside the index file.
    const std::string parent = folder.substr(0, folder.size() - std::string("updates\\").size());
    (void)create_folders(parent);
    if (!make_private_folder(without_separator(folder))) return folder_not_private(folder);
    return folder;
}

void remove_started_installers() {
    const std::string folder = updates_folder_path();
    if (!stands_private(folder)) return;
    for (const wchar_t* pattern : {L"Norvik-Setup-*.exe", L"update.json"}) {
        WIN32_FIND_DATAW entry{};
        FindHandle find(FindFirstFileW((to_wide(folder) + pattern).c_str(), &entry));
        for (bool more = static_cast<bool>(find); more; more = FindNextFileW(find.get(), &entry)) {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((to_wide(folder) + entry.cFileName).c_str());
        }
    }
}

void remove_updates_folder() {
    remove_started_installers();
    const std::string folder = updates_folder_path();
    if (stands_private(folder)) RemoveDirectoryW(to_wide(without_separator(folder)).c_str());
}

}  // namespace norvik
