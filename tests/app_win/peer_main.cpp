// "Another process" for the window shell's tests:
//   reverse-clipboard     reads the clipboard's Unicode text and puts it back reversed
//   hold-hot-key MS       holds Ctrl+Alt+F for MS milliseconds (exit 1 if it cannot)
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace {

int reverse_clipboard() {
    if (!OpenClipboard(nullptr)) return 2;
    std::wstring text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    if (text.empty()) return 3;
    text.assign(text.rbegin(), text.rend());
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    HWND owner = CreateWindowExW(0, L"STATIC", L"peer", 0, 0, 0, 1, 1, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (!OpenClipboard(owner)) return 4;
    EmptyClipboard();
    const bool taken = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    DestroyWindow(owner);
    return taken ? 0 : 5;
}

int hold_hot_key(DWORD milliseconds) {
    if (!RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT | MOD_NOREPEAT, 'F')) return 1;
    Sleep(milliseconds);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2 && std::wcscmp(argv[1], L"reverse-clipboard") == 0) return reverse_clipboard();
    if (argc >= 3 && std::wcscmp(argv[1], L"hold-hot-key") == 0)
        return hold_hot_key(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
    return 64;
}
