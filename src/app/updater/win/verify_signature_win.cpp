#include "app/updater/win/verify_signature_win.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <optional>

#include "app/updater/update_messages.h"
#include "app/updater/win/sha256_win.h"
#include "app/updater/win/system_win.h"

namespace norvik {

namespace {

// The first signer's signing certificate in a verified state.
PCCERT_CONTEXT signing_certificate(HANDLE state) {
    CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(state);
    if (provider == nullptr) return nullptr;
    CRYPT_PROVIDER_SGNR* signer = WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0);
    if (signer == nullptr || signer->csCertChain == 0 || signer->pasCertChain == nullptr)
        return nullptr;
    return signer->pasCertChain[0].pCert;
}

// Its simple display name, at the length the system gives for it (closing NUL included), so a
// NUL inside the name is compared too rather than ending it.
std::optional<std::string> certificate_name(PCCERT_CONTEXT certificate) {
    const DWORD needed =
        CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
    std::u16string buffer(needed, u'\0');
    const DWORD returned =
        CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr,
                           reinterpret_cast<wchar_t*>(buffer.data()), needed);
    return signer_name(buffer, returned);
}

}  // namespace

std::optional<UpdateFailed> verify_signature(HANDLE file, const std::wstring& path,
                                             const SignerPolicy& policy) {
    // The digest was read through the same handle: start the signature's reading at the top.
    LARGE_INTEGER top{};
    if (!SetFilePointerEx(file, top, nullptr, FILE_BEGIN)) return signature_not_verified();

    WINTRUST_FILE_INFO file_info{};
    file_info.cbStruct = sizeof file_info;
    file_info.pcwszFilePath = path.c_str();
    file_info.hFile = file;
    WINTRUST_DATA data{};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    // A stolen signing key is revoked: an installer signed with it must not pass, so revocation
    // is checked for every certificate of the chain, and a check that cannot be made refuses.
    data.fdwRevocationChecks = WTD_REVOKE_WHOLECHAIN;
    data.dwProvFlags = WTD_REVOCATION_CHECK_CHAIN;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file_info;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const HWND no_window = static_cast<HWND>(INVALID_HANDLE_VALUE);

    SignerFacts facts;
    facts.trust_result = static_cast<uint32_t>(WinVerifyTrust(no_window, &action, &data));
    if (facts.trust_result == 0) {
        if (PCCERT_CONTEXT certificate = signing_certificate(data.hWVTStateData)) {
            facts.name = certificate_name(certificate);
            facts.leaf_sha256 = sha256_hex(std::span<const uint8_t>(certificate->pbCertEncoded,
                                                                    certificate->cbCertEncoded))
                                    .value_or("");
        }
    }
    // The state is released whatever the verdict.
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(no_window, &action, &data);
    return judge_signer(facts, policy);
}

}  // namespace norvik
