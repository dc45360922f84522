#include "app/updater/win/verify_signature_win.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <optional>

#include "app/updater/win/system_win.h"

namespace norvik {

namespace {

constexpr DWORD NAME_UNITS = 256;

bool has_unpaired_surrogate(std::wstring_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            return true;
        }
    }
    return false;
}

// The simple display name of the first signer's signing certificate, from a verified state.
std::optional<std::string> signer_name(HANDLE state) {
    CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(state);
    if (provider == nullptr) return std::nullopt;
    CRYPT_PROVIDER_SGNR* signer = WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0);
    if (signer == nullptr || signer->csCertChain == 0 || signer->pasCertChain == nullptr)
        return std::nullopt;
    wchar_t buffer[NAME_UNITS] = {};
    CertGetNameStringW(signer->pasCertChain[0].pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr,
                       buffer, NAME_UNITS);
    std::wstring_view name(buffer, wcsnlen(buffer, NAME_UNITS));
    if (has_unpaired_surrogate(name)) return std::nullopt;
    return from_wide(name);
}

}  // namespace

bool verify_signature(HANDLE file, const std::wstring& path, std::string_view publisher) {
    // The digest was read through the same handle: start the signature's reading at the top.
    LARGE_INTEGER top{};
    if (!SetFilePointerEx(file, top, nullptr, FILE_BEGIN)) return false;

    WINTRUST_FILE_INFO file_info{};
    file_info.cbStruct = sizeof file_info;
    file_info.pcwszFilePath = path.c_str();
    file_info.hFile = file;
    WINTRUST_DATA data{};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file_info;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const HWND no_window = static_cast<HWND>(INVALID_HANDLE_VALUE);

    const LONG verdict = WinVerifyTrust(no_window, &action, &data);
    std::optional<std::string> name;
    if (verdict == 0) name = signer_name(data.hWVTStateData);
    // The state is released whatever the verdict.
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(no_window, &action, &data);
    return verdict == 0 && name == publisher;
}

}  // namespace norvik
