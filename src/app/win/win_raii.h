// Move-only owners of the window shell's Win32 handles and openings, one class per kind, each
// with an explicit get(): the shell's kinds of platform/win_handles.h's UniqueHandle (null means
// none), whose kernel handles (mutexes, processes) the shell uses as well; and
// platform/wide_text.h's conversions at the API boundary. Included only by the shell's *_win.cpp
// files.
#pragma once

#include <windows.h>

#include <imm.h>

#include "platform/wide_text.h"
#include "platform/win_handles.h"

namespace norvik {

using RegKey = UniqueHandle<HKEY, RegCloseKey>;
using MenuHandle = UniqueHandle<HMENU, DestroyMenu>;
using IconHandle = UniqueHandle<HICON, DestroyIcon>;
using BrushHandle = UniqueHandle<HBRUSH, DeleteObject>;
// A global memory block still ours: freed unless release() handed it to the clipboard.
using GlobalMemory = UniqueHandle<HGLOBAL, GlobalFree>;

// The clipboard, opened for the life of this object. Every path out closes it again. Another
// program (a clipboard manager, a remote desktop, Wine's copy to the X selection) may hold it for
// a moment after it changes: opening is tried again for up to about a tenth of a second.
class ClipboardOpening {
  public:
    explicit ClipboardOpening(HWND owner) {
        for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
            if (attempt > 0) Sleep(10);
            open_ = OpenClipboard(owner) != FALSE;
        }
    }
    ClipboardOpening(const ClipboardOpening&) = delete;
    ClipboardOpening& operator=(const ClipboardOpening&) = delete;
    ~ClipboardOpening() {
        if (open_) CloseClipboard();
    }
    explicit operator bool() const { return open_; }

  private:
    bool open_ = false;
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

}  // namespace norvik
