// A stand-in for the downloaded installer in the updater's tests under Wine: it writes the
// arguments it was started with (each ended by a NUL) to the file named by
// NORVIK_FAKE_INSTALLER_LOG, through a temporary file renamed into place, so the test sees the
// record whole or not at all. Signed copies of it play the good and the wrongly signed installer.
#include <windows.h>

#include <shellapi.h>

#include <fstream>
#include <string>

int main() {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    wchar_t log[32768];
    const DWORD length = GetEnvironmentVariableW(L"NORVIK_FAKE_INSTALLER_LOG", log, 32768);
    if (argv == nullptr || length == 0 || length >= 32768) return 2;
    const std::wstring final_path(log, length);
    const std::wstring temporary = final_path + L".tmp";
    {
        std::ofstream out(temporary.c_str(), std::ios::binary | std::ios::trunc);
        for (int i = 1; i < count; ++i) {
            const int size =
                WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
            std::string text(static_cast<size_t>(size), '\0');  // keeps the NUL as the end mark
            WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, text.data(), size, nullptr, nullptr);
            out << text;
        }
    }
    LocalFree(argv);
    return MoveFileExW(temporary.c_str(), final_path.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 3;
}
