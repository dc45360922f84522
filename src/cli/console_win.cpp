#include <windows.h>

#include "cli/console.h"
#include "hangul/utf8.h"
#include "store/file_io.h"

namespace norvik {

std::string write_standard_stream(bool error_stream, std::string_view text) {
    if (text.empty()) return {};
    HANDLE handle = GetStdHandle(error_stream ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return "there is no such stream";
    DWORD mode;
    if (GetConsoleMode(handle, &mode)) {
        // A console takes UTF-16 whatever its code page.
        std::u16string wide = utf8_to_utf16(text);
        const wchar_t* from = reinterpret_cast<const wchar_t*>(wide.data());
        size_t left = wide.size();
        while (left != 0) {
            DWORD written = 0;
            DWORD ask = static_cast<DWORD>(std::min<size_t>(left, 8192));
            if (!WriteConsoleW(handle, from, ask, &written, nullptr) || written == 0)
                return last_system_error();
            from += written;
            left -= written;
        }
        return {};
    }
    // A file or a pipe gets the UTF-8 bytes.
    while (!text.empty()) {
        DWORD written = 0;
        DWORD ask = static_cast<DWORD>(std::min<size_t>(text.size(), 1u << 30));
        if (!WriteFile(handle, text.data(), ask, &written, nullptr) || written == 0)
            return last_system_error();
        text.remove_prefix(written);
    }
    return {};
}

bool standard_error_is_terminal() {
    DWORD mode;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

bool standard_output_is_terminal() {
    DWORD mode;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

}  // namespace norvik
