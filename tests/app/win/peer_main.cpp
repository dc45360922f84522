// "Another process" for the window shell's tests:
//   reverse-clipboard     reads the clipboard's Unicode text and puts it back reversed
//   print-clipboard       writes the clipboard's Unicode text to stdout as UTF-8 (exit 3: none)
//   hold-hot-key MS       holds Ctrl+Alt+F for MS milliseconds, writing "held" to stdout once it
//                         has it (exit 1 if it cannot)
//   find-window           exit 0 when a Norvik.Main window exists
//   post-message M [W L]  posts message M (a name below) to the Norvik.Main window
//   send-message M [W L]  sends it and waits for the answer
//   print-files           writes the files on the clipboard (CF_HDROP) to stdout, one UTF-8 path
//                         a line (exit 3: none)
//   drop-target SECONDS   shows a window "Norvik drop target" at (1125, 300), 150 x 200 (beside a
//                         centred Norvik on a 1280 x 800 screen), that takes
//                         dropped files: it writes "ready" once registered, then each file of a
//                         drop (CF_HDROP) as a line, and exits after the drop or SECONDS (exit 3)
#include <windows.h>

#include <ole2.h>
#include <shellapi.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace {

// The writer, or Wine's copy to the X selection, may still hold the clipboard for a moment.
bool open_clipboard(HWND owner) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (attempt > 0) Sleep(20);
        if (OpenClipboard(owner)) return true;
    }
    return false;
}

// The clipboard's Unicode text; empty when it has none.
std::wstring clipboard_text() {
    if (!open_clipboard(nullptr)) return {};
    std::wstring text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

// Writes text to stdout as UTF-8.
void write_text(const std::wstring& text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes,
                        nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()),
              &written, nullptr);
}

int print_clipboard() {
    const std::wstring text = clipboard_text();
    if (text.empty()) return 3;
    write_text(text);
    return 0;
}

void write_line(const std::wstring& text) {
    write_text(text + L"\n");
}

// Each file a CF_HDROP block names, as a line; the number of files.
UINT write_dropped_files(HDROP drop) {
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
        write_line(path);
    }
    return count;
}

int print_files() {
    if (!open_clipboard(nullptr)) return 4;
    UINT count = 0;
    if (HANDLE data = GetClipboardData(CF_HDROP))
        count = write_dropped_files(static_cast<HDROP>(data));
    CloseClipboard();
    return count > 0 ? 0 : 3;
}

// Takes a drop of files, as a folder window or a mail would.
class FileDropTarget : public IDropTarget {
  public:
    bool dropped = false;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDropTarget) {
            *out = static_cast<IDropTarget*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        *effect = DROPEFFECT_NONE;
        if (SUCCEEDED(data->GetData(&format, &medium))) {
            write_dropped_files(static_cast<HDROP>(medium.hGlobal));
            ReleaseStgMedium(&medium);
            *effect = DROPEFFECT_COPY;
        }
        dropped = true;
        PostQuitMessage(0);
        return S_OK;
    }
};

int drop_target(DWORD seconds) {
    if (FAILED(OleInitialize(nullptr))) return 4;
    // A class of its own: a STATIC control lets the pointer through to the window below.
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"NorvikDropTarget";
    RegisterClassW(&window_class);
    HWND window = CreateWindowExW(WS_EX_TOPMOST, L"NorvikDropTarget", L"Norvik drop target",
                                  WS_POPUP | WS_VISIBLE | WS_BORDER, 1125, 300, 150, 200, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window) return 5;
    FileDropTarget target;
    if (FAILED(RegisterDragDrop(window, &target))) return 6;
    write_line(L"ready");
    SetTimer(nullptr, 0, seconds * 1000, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER) break;
        DispatchMessageW(&message);
    }
    RevokeDragDrop(window);
    DestroyWindow(window);
    OleUninitialize();
    return target.dropped ? 0 : 3;
}

int reverse_clipboard() {
    std::wstring text = clipboard_text();
    if (text.empty()) return 3;
    text.assign(text.rbegin(), text.rend());
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    HWND owner = CreateWindowExW(0, L"STATIC", L"peer", 0, 0, 0, 1, 1, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (!open_clipboard(owner)) return 4;
    EmptyClipboard();
    const bool taken = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    DestroyWindow(owner);
    return taken ? 0 : 5;
}

int hold_hot_key(DWORD milliseconds) {
    if (!RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT | MOD_NOREPEAT, 'F')) return 1;
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "held\n", 5, &written, nullptr);
    Sleep(milliseconds);
    return 0;
}

UINT message_number(const wchar_t* name) {
    struct Named {
        const wchar_t* name;
        UINT number;
    };
    static const Named names[] = {
        {L"WM_CLOSE", WM_CLOSE},         {L"WM_ENDSESSION", WM_ENDSESSION},
        {L"WM_APP_TRAY", 0x8004},        {L"WM_APP_SHOW", 0x8005},
        {L"WM_RBUTTONUP", WM_RBUTTONUP}, {L"WM_LBUTTONUP", WM_LBUTTONUP},
    };
    for (const Named& named : names)
        if (std::wcscmp(named.name, name) == 0) return named.number;
    return static_cast<UINT>(std::wcstoul(name, nullptr, 0));
}

int to_window(int argc, wchar_t** argv, bool wait) {
    HWND window = FindWindowW(L"Norvik.Main", nullptr);
    if (!window) return 1;
    const UINT message = message_number(argv[2]);
    const WPARAM wparam = argc > 3 ? message_number(argv[3]) : 0;
    const LPARAM lparam = argc > 4 ? message_number(argv[4]) : 0;
    if (wait) {
        SendMessageW(window, message, wparam, lparam);
        return 0;
    }
    return PostMessageW(window, message, wparam, lparam) ? 0 : 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2 && std::wcscmp(argv[1], L"reverse-clipboard") == 0) return reverse_clipboard();
    if (argc >= 2 && std::wcscmp(argv[1], L"print-clipboard") == 0) return print_clipboard();
    if (argc >= 3 && std::wcscmp(argv[1], L"hold-hot-key") == 0)
        return hold_hot_key(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
    if (argc >= 2 && std::wcscmp(argv[1], L"print-files") == 0) return print_files();
    if (argc >= 3 && std::wcscmp(argv[1], L"drop-target") == 0)
        return drop_target(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
    if (argc >= 2 && std::wcscmp(argv[1], L"find-window") == 0)
        return FindWindowW(L"Norvik.Main", nullptr) ? 0 : 1;
    if (argc >= 3 && std::wcscmp(argv[1], L"post-message") == 0)
        return to_window(argc, argv, false);
    if (argc >= 3 && std::wcscmp(argv[1], L"send-message") == 0) return to_window(argc, argv, true);
    return 64;
}
