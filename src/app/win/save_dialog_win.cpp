#include "app/win/save_dialog_win.h"

#include <shobjidl.h>
#include <wrl/client.h>

#include "app/text/text.h"
#include "app/win/folder_picker_win.h"
#include "app/win/win_raii.h"

namespace norvik {

using Microsoft::WRL::ComPtr;

std::optional<ChosenFile> choose_export_file(HWND owner, const std::string& file_name) {
    ComPtr<IFileSaveDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&dialog))))
        return std::nullopt;
    const std::wstring csv = to_wide(choose_text("CSV (쉼표로 구분)", "CSV (comma-separated)"));
    const std::wstring list = to_wide(choose_text("경로 목록", "List of paths"));
    const COMDLG_FILTERSPEC types[] = {{csv.c_str(), L"*.csv"}, {list.c_str(), L"*.txt"}};
    FILEOPENDIALOGOPTIONS options = 0;
    if (FAILED(dialog->GetOptions(&options)) ||
        FAILED(dialog->SetOptions(options | FOS_OVERWRITEPROMPT | FOS_FORCEFILESYSTEM |
                                  FOS_STRICTFILETYPES)) ||
        FAILED(dialog->SetFileTypes(2, types)) || FAILED(dialog->SetFileTypeIndex(1)) ||
        FAILED(dialog->SetDefaultExtension(L"csv")))
        return std::nullopt;
    (void)dialog->SetFileName(to_wide(file_name).c_str());
    if (FAILED(dialog->Show(owner))) return std::nullopt;  // cancelled, among others
    ComPtr<IShellItem> item;
    if (FAILED(dialog->GetResult(&item))) return std::nullopt;
    std::optional<std::string> path = file_system_path(*item.Get());
    if (!path) return std::nullopt;
    UINT type = 1;
    (void)dialog->GetFileTypeIndex(&type);
    ChosenFile chosen{std::move(*path), ExportFormat::Csv};
    // The type chosen in the dialog, or the extension typed: "x.txt" is a list of paths.
    const bool txt =
        chosen.path.size() >= 4 &&
        _wcsicmp(to_wide(chosen.path.substr(chosen.path.size() - 4)).c_str(), L".txt") == 0;
    if (type == 2 || txt) chosen.format = ExportFormat::PathList;
    return chosen;
}

}  // namespace norvik
