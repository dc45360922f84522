// The folder the updater downloads into: %LOCALAPPDATA%\Norvik\updates\, made by Norvik with
// access for the current user alone, so no other account can plant, swap or redirect what is
// checked and started there (a shared temporary folder allows all three). Windows only.
#pragma once

#include <string>
#include <variant>

#include "app/updater/update_results.h"

namespace norvik {

// The folder's path, with a trailing backslash, whether or not it exists.
std::string updates_folder_path();

// The folder's path once it is private (make_private_folder: owned by the current user, no
// reparse point, a protected access list that lets that user alone in; anything else found there
// gives way to a folder made anew). A failure when it cannot be made so, or when LOCALAPPDATA is
// not set.
std::variant<std::string, UpdateFailed> private_updates_folder();

// Deletes the installers and the manifest an earlier run left in the folder: the installer it
// started has done its work by now. One still running stays until the next start. Nothing is
// touched unless the folder is private.
void remove_started_installers();

// For the uninstaller: remove_started_installers, then the folder itself if that left it empty.
void remove_updates_folder();

}  // namespace norvik
