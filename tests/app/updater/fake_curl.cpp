// A stand-in for the system's curl.exe, for the updater's tests under Wine (which ships no
// curl.exe). It appends its arguments to the file named by NORVIK_FAKE_CURL_LOG (the count on a
// line, then each argument ended by a NUL), then serves a download: the file in the folder
// NORVIK_FAKE_CURL_SITE named like the last path segment of the URL (the last argument) is
// copied to the path after -o. A missing file exits 22, as curl -f does on a 404;
// NORVIK_FAKE_CURL_EXIT forces another exit code without writing anything, and
// NORVIK_FAKE_CURL_DELAY_MS makes it wait first.
#include <windows.h>

#include <shellapi.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

std::wstring variable(const wchar_t* name) {
    wchar_t buffer[32768];
    const DWORD length = GetEnvironmentVariableW(name, buffer, 32768);
    return length == 0 || length >= 32768 ? std::wstring() : std::wstring(buffer, length);
}

std::string utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

// The file name the URL asks for: after the last '/', before any '?'.
std::wstring requested_name(const std::wstring& url) {
    std::wstring path = url.substr(0, url.find(L'?'));
    return path.substr(path.rfind(L'/') + 1);
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == nullptr) return 2;
    std::vector<std::wstring> arguments(argv + 1, argv + count);
    LocalFree(argv);

    const std::wstring log = variable(L"NORVIK_FAKE_CURL_LOG");
    if (!log.empty()) {
        std::ofstream out(log.c_str(), std::ios::binary | std::ios::app);
        out << arguments.size() << '\n';
        for (const std::wstring& argument : arguments)
            out << utf8(argument) << '\0';
    }
    const std::wstring delay = variable(L"NORVIK_FAKE_CURL_DELAY_MS");
    if (!delay.empty()) Sleep(static_cast<DWORD>(std::stoul(delay)));
    const std::wstring forced = variable(L"NORVIK_FAKE_CURL_EXIT");
    if (!forced.empty()) return std::stoi(forced);

    std::wstring destination;
    for (size_t i = 0; i + 1 < arguments.size(); ++i)
        if (arguments[i] == L"-o") destination = arguments[i + 1];
    if (arguments.empty() || destination.empty()) return 2;
    const std::wstring source =
        variable(L"NORVIK_FAKE_CURL_SITE") + L"\\" + requested_name(arguments.back());
    if (GetFileAttributesW(source.c_str()) == INVALID_FILE_ATTRIBUTES) return 22;
    return CopyFileW(source.c_str(), destination.c_str(), FALSE) ? 0 : 23;
}
