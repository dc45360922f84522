#include "app/trace_win.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "index/win_handles.h"

namespace norvik {
namespace {

FileHandle trace_file;
LARGE_INTEGER started{};
LARGE_INTEGER frequency{};

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

void trace_event(std::string_view event, uint64_t value) {
    if (!trace_file) return;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const uint64_t micros = static_cast<uint64_t>(now.QuadPart - started.QuadPart) * 1'000'000 /
                            static_cast<uint64_t>(frequency.QuadPart);
    char line[160];
    const int length = std::snprintf(
        line, sizeof line, "%llu %.*s %llu\n", static_cast<unsigned long long>(micros),
        static_cast<int>(event.size()), event.data(), static_cast<unsigned long long>(value));
    if (length <= 0) return;
    DWORD written = 0;
    WriteFile(trace_file.get(), line, static_cast<DWORD>(std::min<int>(length, sizeof line - 1)),
              &written, nullptr);
}

}  // namespace norvik
