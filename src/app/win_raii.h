// Move-only owners of the window shell's Win32 handles and openings, one class per kind, each
// with an explicit get(). Kernel handles (mutexes, processes) use KernelHandle of
// index/win_handles.h. Included only by the shell's *_win.cpp files.
#pragma once

#include <windows.h>

#include <imm.h>

#include <string>
#include <string_view>
#include <utility>

#include "hangul/utf8.h"

namespace norvik {

// Owns one value of type H released by Release; Invalid means "none".
template <class H, class Release>
class Owned {
  public:
    Owned() = default;
    explicit Owned(H value) : value_(value) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : value_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~Owned() { reset(); }

    H get() const { return value_; }
    explicit operator bool() const { return value_ != H{}; }
    H release() { return std::exchange(value_, H{}); }
    void reset(H value = H{}) {
        if (value_ != H{}) Release{}(value_);
        value_ = value;
    }

  private:
    H value_{};
};

struct CloseRegKey {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
struct DestroyMenuHandle {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};
struct DestroyIconHandle {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct FreeGlobal {
    void operator()(HGLOBAL memory) const { GlobalFree(memory); }
};

using RegKey = Owned<HKEY, CloseRegKey>;
using MenuHandle = Owned<HMENU, DestroyMenuHandle>;
using IconHandle = Owned<HICON, DestroyIconHandle>;
// A global memory block still ours: freed unless release() handed it to the clipboard.
using GlobalMemory = Owned<HGLOBAL, FreeGlobal>;

// The clipboard, opened for the life of this object. Every path out closes it again.
class ClipboardOpening {
  public:
    explicit ClipboardOpening(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ClipboardOpening(const ClipboardOpening&) = delete;
    ClipboardOpening& operator=(const ClipboardOpening&) = delete;
    ~ClipboardOpening() {
        if (open_) CloseClipboard();
    }
    explicit operator bool() const { return open_; }

  private:
    bool open_;
};

// A global memory block locked for the life of this object; get() is null when locking failed.
class GlobalLockGuard {
  public:
    explicit GlobalLockGuard(HGLOBAL memory)
        : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
    ~GlobalLockGuard() {
        if (data_) GlobalUnlock(memory_);
    }
    void* get() const { return data_; }

  private:
    HGLOBAL memory_;
    void* data_;
};

// The window's input context, released (not destroyed) when done; get() is null when the window
// has none (no IME, or a display without one).
class ImeContext {
  public:
    explicit ImeContext(HWND window) : window_(window), context_(ImmGetContext(window)) {}
    ImeContext(const ImeContext&) = delete;
    ImeContext& operator=(const ImeContext&) = delete;
    ~ImeContext() {
        if (context_) ImmReleaseContext(window_, context_);
    }
    HIMC get() const { return context_; }

  private:
    HWND window_;
    HIMC context_;
};

// UTF-8 to the UTF-16 that Windows calls take, and back. Unpaired surrogates become U+FFFD.
inline std::wstring to_wide(std::string_view utf8) {
    std::u16string units = utf8_to_utf16(utf8);
    return std::wstring(units.begin(), units.end());
}
inline std::string from_wide(std::wstring_view wide) {
    return utf16_to_utf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace norvik
