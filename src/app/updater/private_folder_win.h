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

// The folder's path once it is private: owned by the current user, no reparse point, and with a
// protected access list that lets that user alone in. Anything else found there (a junction, a
// file, a folder another account owns) is moved aside and the folder made anew. A failure when
// it cannot be made so.
std::variant<std::string, UpdateFailed> private_updates_folder();

// Deletes the installers and the manifest an earlier run left in the folder: the installer it
// started has done its work by now. One still running stays until the next start. Nothing is
// touched unless the folder is private.
void remove_started_installers();

// For the uninstaller: remove_started_installers, then the folder itself if that left it empty.
void remove_updates_folder();

}  // namespace norvik
