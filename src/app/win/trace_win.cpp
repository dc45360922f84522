#include "app/win/trace_win.h"

#include <windows.h>

#include <mutex>
#include <string>

#include "platform/win_handles.h"

namespace norvik {
namespace {

FileHandle trace_file;
LARGE_INTEGER started{};
LARGE_INTEGER frequency{};
// The UI thread and the workers trace at once, and appending writes from two threads came out
// cut into each other under Wine; one writer at a time keeps every line whole.
std::mutex trace_mutex;

}  // namespace

void start_trace() {
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&started);
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"NORVIK_TRACE", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    trace_file = FileHandle(CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool tracing() {
    return static_cast<bool>(trace_file);
}

void trace_text(std::string_view event, std::string_view text) {
    if (!trace_file) return;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const uint64_t micros = static_cast<uint64_t>(now.QuadPart - started.QuadPart) * 1'000'000 /
                            static_cast<uint64_t>(frequency.QuadPart);
    std::string line = std::to_string(micros);
    line.append(" ").append(event).append(" ").append(text).append("\n");
    DWORD written = 0;
    const std::lock_guard lock(trace_mutex);
    WriteFile(trace_file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void trace_event(std::string_view event, uint64_t value) {
    if (trace_file) trace_text(event, std::to_string(value));
}

}  // namespace norvik
