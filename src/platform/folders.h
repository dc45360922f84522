// The folders the program keeps files in and the environment that names them, over UTF-8 paths.
// folders_win.cpp and folders_posix.cpp hold the two implementations.
#pragma once

#include <optional>
#include <string>

namespace norvik {

// Creates folder and its missing parents; true when it exists afterwards.
[[nodiscard]] bool create_folders(const std::string& folder);

// The value of an environment variable, nothing when unset or empty.
std::optional<std::string> environment_value(const char* name);

// The user's local application data folder (LOCALAPPDATA); nothing when it is not set.
std::optional<std::string> local_app_data_folder();

// The user's temporary folder (GetTempPath2W, else GetTempPathW; natively TMPDIR, else /tmp).
std::string temporary_folder();

// The folder under which the program keeps its index: LOCALAPPDATA when set; else on Windows
// the temporary folder, elsewhere the user's own cache folder (XDG_CACHE_HOME, else ~/.cache),
// never a folder that other users can write to.
std::string application_data_folder();

}  // namespace norvik
