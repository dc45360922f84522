// Move-only owners of Win32 handles, one class per kind, each with an explicit get(). Included
// only by *_win.cpp files (the window shell's own kinds build on it in app/win/win_raii.h); the
// portable core never sees <windows.h>.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

namespace norvik {

// Owns a handle of one kind; Close is the function that releases it (what it returns is not
// looked at), Invalid the value that means "no handle" for that kind.
template <class H, auto Close, auto Invalid = static_cast<intptr_t>(0)>
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(H handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    H get() const { return handle_; }
    explicit operator bool() const { return handle_ != invalid(); }
    H release() { return std::exchange(handle_, invalid()); }
    void reset(H handle = invalid()) {
        if (handle_ != invalid()) (void)Close(handle_);
        handle_ = handle;
    }

  private:
    static H invalid() { return reinterpret_cast<H>(Invalid); }
    H handle_ = invalid();
};

// CreateFileW and friends: INVALID_HANDLE_VALUE means none.
using FileHandle = UniqueHandle<HANDLE, CloseHandle, static_cast<intptr_t>(-1)>;
// Events, threads, timers, processes: NULL means none.
using KernelHandle = UniqueHandle<HANDLE, CloseHandle, static_cast<intptr_t>(0)>;
// FindFirstFileExW: INVALID_HANDLE_VALUE means none; closed with FindClose.
using FindHandle = UniqueHandle<HANDLE, FindClose, static_cast<intptr_t>(-1)>;

}  // namespace norvik
