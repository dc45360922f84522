#include "app/win/shell_items_win.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <memory>
#include <optional>

#include "app/win/menus_win.h"
#include "app/win/trace_win.h"
#include "app/win/win_raii.h"

namespace norvik {

using Microsoft::WRL::ComPtr;

namespace {

// The system's answers for "the user said no": not failures, so nothing is said of them.
constexpr HRESULT COPY_ENGINE_USER_CANCELLED = static_cast<HRESULT>(0x80270000);

struct IdListFree {
    void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
// An ID list of the shell's, freed with the task allocator that made it.
using IdList = std::unique_ptr<ITEMIDLIST, IdListFree>;

// The items as the shell names them: each one's absolute ID list, and, when they all lie in one
// folder, that folder's list and each item's last ID (pointing into its absolute list).
struct Items {
    std::vector<IdList> absolute;
    IdList common_folder;
    std::vector<LPCITEMIDLIST> in_folder;

    std::vector<LPCITEMIDLIST> absolute_lists() const {
        std::vector<LPCITEMIDLIST> lists;
        for (const IdList& list : absolute)
            lists.push_back(list.get());
        return lists;
    }
    UINT count() const { return static_cast<UINT>(absolute.size()); }
};

IdList folder_of(LPCITEMIDLIST item) {
    IdList folder(ILClone(item));
    if (folder) ILRemoveLastID(folder.get());
    return folder;
}

std::optional<Items> parse_items(const std::vector<std::string>& paths) {
    if (paths.empty()) return std::nullopt;
    Items items;
    for (const std::string& path : paths) {
        LPITEMIDLIST list = nullptr;
        if (FAILED(SHParseDisplayName(to_wide(path).c_str(), nullptr, &list, 0, nullptr)) || !list)
            return std::nullopt;
        items.absolute.emplace_back(list);
    }
    IdList folder = folder_of(items.absolute[0].get());
    if (!folder) return items;
    for (const IdList& item : items.absolute) {
        const IdList other = folder_of(item.get());
        if (!other || !ILIsEqual(other.get(), folder.get())) return items;
    }
    items.common_folder = std::move(folder);
    for (const IdList& item : items.absolute)
        items.in_folder.push_back(ILFindLastID(item.get()));
    return items;
}

uint32_t error_of(HRESULT result) {
    if (HRESULT_FACILITY(result) == FACILITY_WIN32) return HRESULT_CODE(result);
    return static_cast<uint32_t>(result);
}

bool cancelled(HRESULT result) {
    return result == HRESULT_FROM_WIN32(ERROR_CANCELLED) || result == COPY_ENGINE_USER_CANCELLED;
}

ComPtr<IDataObject> data_object(const Items& items) {
    // Items of several folders go as absolute lists under the desktop, as the shell takes them.
    std::vector<LPCITEMIDLIST> lists =
        items.common_folder ? items.in_folder : items.absolute_lists();
    ComPtr<IDataObject> object;
    if (SUCCEEDED(SHCreateDataObject(items.common_folder.get(), items.count(), lists.data(),
                                     nullptr, IID_PPV_ARGS(&object))))
        return object;
    // The folder's own data object, as the file manager takes it from its folder (Wine 8 has no
    // SHCreateDataObject; its desktop folder names items of other folders wrongly, so this is
    // for items of one folder only).
    if (!items.common_folder) return nullptr;
    ComPtr<IShellFolder> folder;
    LPCITEMIDLIST last = nullptr;
    if (FAILED(SHBindToParent(items.absolute[0].get(), IID_PPV_ARGS(&folder), &last)) ||
        FAILED(folder->GetUIObjectOf(nullptr, items.count(), lists.data(), IID_IDataObject, nullptr,
                                     reinterpret_cast<void**>(object.GetAddressOf()))))
        return nullptr;
    return object;
}

// A paste takes the files as a copy, as after Ctrl+C in the file manager (not as a move).
void prefer_copy(IDataObject& object) {
    const UINT format = RegisterClipboardFormatW(CFSTR_PREFERREDDROPEFFECT);
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD)));
    if (!format || !memory) return;
    {
        GlobalLockGuard lock(memory.get());
        if (!lock.get()) return;
        *static_cast<DWORD*>(lock.get()) = DROPEFFECT_COPY;
    }
    FORMATETC kind{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = memory.get();
    if (SUCCEEDED(object.SetData(&kind, &medium, TRUE))) memory.release();  // the object's now
}

// The shell's context menu while it is up, for forward_to_shell_menu.
thread_local IContextMenu2* shown_menu2 = nullptr;
thread_local IContextMenu3* shown_menu3 = nullptr;

class ShownMenu {
  public:
    explicit ShownMenu(IContextMenu& menu) {
        menu.QueryInterface(IID_PPV_ARGS(&menu2_));
        menu.QueryInterface(IID_PPV_ARGS(&menu3_));
        shown_menu2 = menu2_.Get();
        shown_menu3 = menu3_.Get();
    }
    ShownMenu(const ShownMenu&) = delete;
    ShownMenu& operator=(const ShownMenu&) = delete;
    ~ShownMenu() {
        shown_menu2 = nullptr;
        shown_menu3 = nullptr;
    }

  private:
    ComPtr<IContextMenu2> menu2_;
    ComPtr<IContextMenu3> menu3_;
};

// The folder the items' menu comes from and the items as that folder names them.
HRESULT items_menu(HWND window, const Items& items, ComPtr<IContextMenu>& menu) {
    ComPtr<IShellFolder> folder;
    HRESULT result;
    std::vector<LPCITEMIDLIST> lists;
    if (items.common_folder) {
        LPCITEMIDLIST last = nullptr;
        result = SHBindToParent(items.absolute[0].get(), IID_PPV_ARGS(&folder), &last);
        lists = items.in_folder;
    } else {
        result = SHGetDesktopFolder(&folder);
        lists = items.absolute_lists();
    }
    if (FAILED(result)) return result;
    return folder->GetUIObjectOf(window, items.count(), lists.data(), IID_IContextMenu, nullptr,
                                 reinterpret_cast<void**>(menu.GetAddressOf()));
}

POINT screen_point(HWND window, const std::optional<Point>& at_client) {
    POINT at{};
    if (at_client) {
        at = POINT{static_cast<LONG>(at_client->x), static_cast<LONG>(at_client->y)};
        ClientToScreen(window, &at);
    } else {
        GetCursorPos(&at);
    }
    return at;
}

uint32_t show_system_menu(HWND window, const Items& items, const ItemsRequest& request) {
    ComPtr<IContextMenu> menu;
    if (HRESULT result = items_menu(window, items, menu); FAILED(result)) return error_of(result);
    MenuHandle popup(CreatePopupMenu());
    if (!popup) return GetLastError();
    constexpr UINT FIRST_COMMAND = 1;
    const UINT flags = CMF_NORMAL | (request.extended ? CMF_EXTENDEDVERBS : 0);
    if (HRESULT result = menu->QueryContextMenu(popup.get(), 0, FIRST_COMMAND, 0x7FFF, flags);
        FAILED(result))
        return error_of(result);
    const POINT at = screen_point(window, request.at_client);
    trace_menu(popup.get(), "system");
    UINT command = 0;
    {
        const ShownMenu shown(*menu.Get());
        command = static_cast<UINT>(TrackPopupMenuEx(popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                     at.x, at.y, window, nullptr));
    }
    if (command < FIRST_COMMAND) return 0;
    CMINVOKECOMMANDINFOEX invoke{};
    invoke.cbSize = sizeof invoke;
    invoke.fMask = CMIC_MASK_UNICODE | CMIC_MASK_PTINVOKE;
    if (GetKeyState(VK_CONTROL) < 0) invoke.fMask |= CMIC_MASK_CONTROL_DOWN;
    if (GetKeyState(VK_SHIFT) < 0) invoke.fMask |= CMIC_MASK_SHIFT_DOWN;
    invoke.hwnd = window;
    invoke.lpVerb = MAKEINTRESOURCEA(command - FIRST_COMMAND);
    invoke.lpVerbW = MAKEINTRESOURCEW(command - FIRST_COMMAND);
    invoke.nShow = SW_SHOWNORMAL;
    invoke.ptInvoke = at;
    const HRESULT result = menu->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&invoke));
    return SUCCEEDED(result) || cancelled(result) ? 0 : error_of(result);
}

// IFileOperation, the system's own file operation (its progress, its questions, its undo).
// Nothing when the system has none that works (Wine 8 answers E_NOTIMPL).
std::optional<uint32_t> delete_with_file_operation(HWND window, const Items& items, bool for_good) {
    ComPtr<IFileOperation> operation;
    if (FAILED(
            CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&operation))))
        return std::nullopt;
    // Without FOF_ALLOWUNDO and FOF_NOCONFIRMATION, the system asks before deleting for good.
    const DWORD flags =
        for_good ? 0
                 : FOF_ALLOWUNDO | FOFX_RECYCLEONDELETE | FOFX_ADDUNDORECORD | FOF_WANTNUKEWARNING;
    HRESULT result = operation->SetOperationFlags(flags);
    if (result == E_NOTIMPL) return std::nullopt;
    if (FAILED(result)) return error_of(result);
    (void)operation->SetOwnerWindow(window);
    ComPtr<IShellItemArray> array;
    std::vector<LPCITEMIDLIST> lists = items.absolute_lists();
    result = SHCreateShellItemArrayFromIDLists(items.count(), lists.data(), &array);
    if (SUCCEEDED(result)) result = operation->DeleteItems(array.Get());
    if (SUCCEEDED(result)) result = operation->PerformOperations();
    if (result == E_NOTIMPL) return std::nullopt;
    if (cancelled(result)) return 0;
    return SUCCEEDED(result) ? 0 : error_of(result);
}

// The older form of the same operation, for a system without a working IFileOperation.
uint32_t delete_with_file_op_struct(HWND window, const std::vector<std::string>& paths,
                                    bool for_good) {
    std::wstring from;  // each path ends in a zero, the list in a second one
    for (const std::string& path : paths) {
        from += to_wide(path);
        from.push_back(L'\0');
    }
    from.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = window;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags =
        static_cast<FILEOP_FLAGS>(for_good ? 0 : FOF_ALLOWUNDO | FOF_WANTNUKEWARNING);
    const int result = SHFileOperationW(&operation);
    if (operation.fAnyOperationsAborted) return 0;
    return static_cast<uint32_t>(result);
}

uint32_t delete_items(HWND window, const Items& items, const ItemsRequest& request) {
    const bool for_good = request.operation == ItemsOperation::DeleteForGood;
    if (std::optional<uint32_t> done = delete_with_file_operation(window, items, for_good))
        return *done;
    return delete_with_file_op_struct(window, request.paths, for_good);
}

// The drag's rules, as every Windows drag has them: Esc cancels, the left button's release drops,
// and the system's cursors show what a drop would do. The shell would make one itself, but
// Wine 8's SHDoDragDrop hands a missing one to DoDragDrop, which refuses it.
class DropSource final : public IDropSource {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDropSource) {
            *out = static_cast<IDropSource*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the stack of drag(), which outlasts the drag.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        if (!(keys & MK_LBUTTON)) return DRAGDROP_S_DROP;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

uint32_t drag(HWND window, const Items& items) {
    ComPtr<IDataObject> object = data_object(items);
    if (!object) return ERROR_FILE_NOT_FOUND;
    // The shell's picture of the items under the pointer: their icons, a count for several.
    ComPtr<IDragSourceHelper> helper;
    if (SUCCEEDED(CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_PPV_ARGS(&helper))))
        (void)helper->InitializeFromWindow(nullptr, nullptr, object.Get());
    trace_event("drag-start", items.count());
    DropSource source;
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT result =
        SHDoDragDrop(window, object.Get(), &source,
                     DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
    trace_event("drag-end", static_cast<uint64_t>(static_cast<uint32_t>(result)) << 8 | effect);
    return SUCCEEDED(result) ? 0 : error_of(result);
}

uint32_t show_properties(const Items& items) {
    ComPtr<IDataObject> object = data_object(items);
    if (!object) return ERROR_FILE_NOT_FOUND;
    const HRESULT result = SHMultiFileProperties(object.Get(), 0);
    return SUCCEEDED(result) ? 0 : error_of(result);
}

// Each folder once, with all of its items selected.
uint32_t show_in_folders(const Items& items) {
    std::vector<bool> shown(items.absolute.size(), false);
    for (size_t i = 0; i < items.absolute.size(); ++i) {
        if (shown[i]) continue;
        const IdList folder = folder_of(items.absolute[i].get());
        if (!folder) return ERROR_FILE_NOT_FOUND;
        std::vector<LPCITEMIDLIST> selected;
        for (size_t j = i; j < items.absolute.size(); ++j) {
            const IdList other = folder_of(items.absolute[j].get());
            if (shown[j] || !other || !ILIsEqual(other.get(), folder.get())) continue;
            shown[j] = true;
            selected.push_back(ILFindLastID(items.absolute[j].get()));
        }
        const HRESULT result = SHOpenFolderAndSelectItems(
            folder.get(), static_cast<UINT>(selected.size()), selected.data(), 0);
        if (FAILED(result)) return error_of(result);
    }
    return 0;
}

const char* operation_name(ItemsOperation operation) {
    switch (operation) {
        case ItemsOperation::Recycle:
            return "recycle";
        case ItemsOperation::DeleteForGood:
            return "delete";
        case ItemsOperation::SystemMenu:
            return "system-menu";
        case ItemsOperation::Drag:
            return "drag";
        case ItemsOperation::Properties:
            return "properties";
        case ItemsOperation::ShowInFolders:
            return "show-in-folders";
    }
    return "?";
}

}  // namespace

ComPtr<IDataObject> items_data_object(const std::vector<std::string>& paths) {
    const std::optional<Items> items = parse_items(paths);
    return items ? data_object(*items) : nullptr;
}

bool copy_files_to_clipboard(const std::vector<std::string>& paths) {
    ComPtr<IDataObject> object = items_data_object(paths);
    if (!object) return false;
    prefer_copy(*object.Get());
    // Another program (a clipboard manager, Wine's copy to the X selection) may hold the
    // clipboard for a moment after it changed.
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (attempt > 0) Sleep(10);
        if (FAILED(OleSetClipboard(object.Get()))) continue;
        // Rendered now, so the files stay on the clipboard when the program ends.
        (void)OleFlushClipboard();
        return true;
    }
    return false;
}

uint32_t perform_items(HWND window, const ItemsRequest& request) {
    if (tracing()) {
        for (const std::string& path : request.paths)
            trace_text(operation_name(request.operation), path);
    }
    const std::optional<Items> items = parse_items(request.paths);
    if (!items) return ERROR_FILE_NOT_FOUND;
    switch (request.operation) {
        case ItemsOperation::Recycle:
        case ItemsOperation::DeleteForGood:
            return delete_items(window, *items, request);
        case ItemsOperation::SystemMenu:
            return show_system_menu(window, *items, request);
        case ItemsOperation::Drag:
            return drag(window, *items);
        case ItemsOperation::Properties:
            return show_properties(*items);
        case ItemsOperation::ShowInFolders:
            return show_in_folders(*items);
    }
    return 0;
}

bool forward_to_shell_menu(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
    switch (message) {
        case WM_INITMENUPOPUP:
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
        case WM_MENUCHAR:
            break;
        default:
            return false;
    }
    if (shown_menu3) {
        LRESULT answer = 0;
        if (FAILED(shown_menu3->HandleMenuMsg2(message, wparam, lparam, &answer))) return false;
        result = answer;
        return true;
    }
    if (shown_menu2) {
        if (FAILED(shown_menu2->HandleMenuMsg(message, wparam, lparam))) return false;
        result = message == WM_INITMENUPOPUP ? 0 : TRUE;
        return true;
    }
    return false;
}

}  // namespace norvik
