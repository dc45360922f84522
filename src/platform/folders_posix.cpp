#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/folders.h"

namespace norvik {

bool create_folders(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return std::filesystem::is_directory(folder, error);
}

std::optional<std::string> environment_value(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return std::string(value);
}

std::optional<std::string> local_app_data_folder() {
    return environment_value("LOCALAPPDATA");
}

std::string temporary_folder() {
    std::optional<std::string> tmp = environment_value("TMPDIR");
    return tmp ? *tmp : "/tmp";
}

std::string application_data_folder() {
    if (std::optional<std::string> local = local_app_data_folder()) return *local;
    // Only an absolute XDG_CACHE_HOME counts (the base directory rules say to ignore others).
    std::optional<std::string> cache = environment_value("XDG_CACHE_HOME");
    if (cache && cache->front() == '/') return *cache;
    std::optional<std::string> home = environment_value("HOME");
    if (!home) {
        if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir && *user->pw_dir)
            home = std::string(user->pw_dir);
    }
    // With no home at all, the folder the program runs in: still the user's choice, unlike a
    // shared temporary folder where another user could plant a link.
    return home ? *home + "/.cache" : ".";
}

}  // namespace norvik
