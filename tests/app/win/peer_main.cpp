// "Another process" for the window shell's tests:
//   reverse-clipboard     reads the clipboard's Unicode text and puts it back reversed
//   print-clipboard       writes the clipboard's Unicode text to stdout as UTF-8 (exit 3: none)
//   hold-hot-key MS       holds Ctrl+Alt+F for MS milliseconds, writing "held" to stdout once it
//                         has it (exit 1 if it cannot)
//   find-window           exit 0 when a Norvik.Main window exists
//   post-message M [W L]  posts message M (a name below) to the Norvik.Main window
//   send-message M [W L]  sends it and waits for the answer
//   read-uia FILE [CLASS] reads the (Norvik.Main) window's UI Automation tree into FILE
//   (uia_reader.cpp)
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>

int read_uia(const wchar_t* out_path, const wchar_t* class_name);

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

int print_clipboard() {
    const std::wstring text = clipboard_text();
    if (text.empty()) return 3;
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes,
                        nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()),
              &written, nullptr);
    return 0;
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
    if (argc >= 2 && std::wcscmp(argv[1], L"find-window") == 0)
        return FindWindowW(L"Norvik.Main", nullptr) ? 0 : 1;
    if (argc >= 3 && std::wcscmp(argv[1], L"post-message") == 0)
        return to_window(argc, argv, false);
    if (argc >= 3 && std::wcscmp(argv[1], L"send-message") == 0) return to_window(argc, argv, true);
    if (argc >= 3 && std::wcscmp(argv[1], L"read-uia") == 0)
        return read_uia(argv[2], argc > 3 ? argv[3] : L"Norvik.Main");
    return 64;
}
