#include "app/win/folder_picker_win.h"

#include <shobjidl.h>
#include <wrl/client.h>

#include "app/win/win_raii.h"

namespace norvik {

using Microsoft::WRL::ComPtr;

namespace {

// CoTaskMemFree for the path the shell item gives.
struct TaskMemoryText {
    wchar_t* text = nullptr;
    ~TaskMemoryText() { CoTaskMemFree(text); }
};

}  // namespace

std::optional<std::string> file_system_path(IShellItem& item) {
    TaskMemoryText path;
    if (FAILED(item.GetDisplayName(SIGDN_FILESYSPATH, &path.text)) || !path.text)
        return std::nullopt;
    return from_wide(path.text);
}

std::optional<std::string> pick_folder(HWND owner) {
    ComPtr<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&dialog))))
        return std::nullopt;
    FILEOPENDIALOGOPTIONS options = 0;
    if (FAILED(dialog->GetOptions(&options)) ||
        FAILED(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM)))
        return std::nullopt;
    if (FAILED(dialog->Show(owner))) return std::nullopt;  // cancelled, among others
    ComPtr<IShellItem> item;
    if (FAILED(dialog->GetResult(&item))) return std::nullopt;
    return file_system_path(*item.Get());
}

}  // namespace norvik
