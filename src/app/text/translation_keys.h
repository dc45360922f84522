// The English texts that the translation tables translate, in the tables' stored order. Every
// (Korean, English) pair the window shows has its English text here, and every table holds
// exactly these keys: a text added to the program is added here too, and the table tests then
// name each table that lacks its translation.
#pragma once

#include <array>
#include <string_view>

#include "vendor.h"

namespace norvik {

inline constexpr std::array<std::string_view, 81> TRANSLATION_KEYS = {
    "All",
    "Folders",
    "Documents",
    "Pictures",
    "Music",
    "Videos",
    "Archives",
    "Not found. It was deleted or moved.",
    "Name copied",
    "Path copied",
    "Search file and folder names",
    "Name",
    "Folder",
    "Size",
    "Date modified",
    "Building the file list for this PC (first time only)",
    "{0} items read",
    "Type part of a file or folder name",
    "Korean initials: ㅂㄱㅅ → 보고서     Typed in English mode: qhrhtj → 보고서",
    "Extensions: *.hwp   ext:pdf,hwp     Several words: 2026 report",
    "Nothing found",
    "{0} found",
    "{0} indexed",
    "Reading",
    "Ctrl+Alt+F opens Norvik anytime  ·  Enter open  ·  Ctrl+Enter folder",
    "Ctrl+Alt+F is taken by another app, so the shortcut is off",
    "Follow Windows",
    "Language",
    vendor::MAIN_URL,  // each table maps it to that language's page on the vendor's site
    "A free file name search app, made for Korean",
    "About Norvik",
    "Takes effect the next time Norvik starts",
    "Automatic updates",
    "Check for updates",
    "More apps from Kastrel",
    "Rebuild the file list",
    "Start with Windows",
    "Quit",
    "Open",
    "Open folder",
    "Copy path",
    "Copy name",
    "Checking for updates…",
    "A new version is available:",
    "current",
    "Update now?",
    "Downloading update…",
    "You're up to date",
    "Download failed",
    "Downloaded size mismatch",
    "Downloaded file is corrupt (hash mismatch)",
    "The installer's digital signature could not be verified",
    "Pasted text was cut to its first {0} characters",
    "Not enough memory to finish this search. Add words to narrow it.",
    "Could not reach the update server. Check the internet connection and try again.",
    "The update server answered with an error. Try again later.",
    "The update server's identity could not be verified. Check the computer's date and time.",
    "The update server sent an answer Norvik cannot use. Try again later.",
    "Updates need curl.exe in the Windows system folder, and it is missing",
    "The update was refused: not signed by {0}",
    "The update was refused: the signing certificate could not be checked for revocation. Connect "
    "to the internet and try again.",
    "The update was refused: the signing certificate has been revoked",
    "The update was refused: the installer is not version {0}",
    "The update was refused: the download folder {0} could not be made private",
    "Exclude from Norvik",
    "Excluded folders",
    "Exclude a folder…",
    "Nothing in {0} · {1} in {2}",
    "Open with…",
    "Properties",
    "No app is set to open {0} files",
    "No app is set to open this file",
    "Could not open it: access denied",
    "Could not open it (error {0})",
    "Best match",
    "Could not open the list of programs: access denied",
    "Could not open the list of programs (error {0})",
    "Could not show the properties: access denied",
    "Could not show the properties (error {0})",
    "Excluded from Norvik: {0}",
    "Undo",
};

}  // namespace norvik
