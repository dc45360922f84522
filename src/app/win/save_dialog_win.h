// The system's save dialog for "Export results…", owned by the main window.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app/core/shell.h"

namespace norvik {

struct ChosenFile {
    std::string path;  // UTF-8
    ExportFormat format = ExportFormat::Csv;
};

// IFileSaveDialog offering CSV and a plain list of paths, suggesting `file_name`, asking before
// it replaces a file: the chosen file and the type chosen with it, or nothing when the user
// cancelled or the dialog could not be made. Runs a modal loop: never call it while App is lent.
std::optional<ChosenFile> choose_export_file(HWND owner, const std::string& file_name);

}  // namespace norvik
