#include "app/updater/update_messages.h"

#include "app/text/text.h"

namespace norvik {

namespace {

// The literal pairs stay at the choose_text calls, where the translation check finds them.
UpdateFailed failed(std::string text) {
    return UpdateFailed{std::move(text)};
}

UpdateFailed refused(std::string_view text, std::string_view value) {
    return UpdateFailed{fill_placeholders(text, {value})};
}

}  // namespace

UpdateFailed download_failed() {
    return failed(choose_text("다운로드하지 못했습니다", "Download failed"));
}

UpdateFailed size_mismatch() {
    return failed(choose_text("받은 파일 크기가 다릅니다", "Downloaded size mismatch"));
}

UpdateFailed digest_mismatch() {
    return failed(choose_text("받은 파일이 손상되었습니다 (해시 불일치)",
                              "Downloaded file is corrupt (hash mismatch)"));
}

UpdateFailed signature_not_verified() {
    return failed(choose_text("설치 파일의 디지털 서명을 확인할 수 없습니다",
                              "The installer's digital signature could not be verified"));
}

UpdateFailed server_unreachable() {
    return failed(
        choose_text("업데이트 서버에 연결하지 못했습니다. 인터넷 연결을 확인하고 다시 시도하세요.",
                    "Could not reach the update server. Check the internet connection and try "
                    "again."));
}

UpdateFailed server_error() {
    return failed(choose_text("업데이트 서버가 오류로 응답했습니다. 나중에 다시 시도하세요.",
                              "The update server answered with an error. Try again later."));
}

UpdateFailed server_unverified() {
    return failed(choose_text(
        "업데이트 서버의 신원을 확인하지 못했습니다. 컴퓨터의 날짜와 시간을 확인하세요.",
        "The update server's identity could not be verified. Check the computer's "
        "date and time."));
}

UpdateFailed unusable_manifest() {
    return failed(choose_text(
        "업데이트 서버가 Norvik이 쓸 수 없는 응답을 보냈습니다. 나중에 다시 시도하세요.",
        "The update server sent an answer Norvik cannot use. Try again later."));
}

UpdateFailed curl_missing() {
    return failed(
        choose_text("업데이트에 필요한 curl.exe가 Windows 시스템 폴더에 없습니다",
                    "Updates need curl.exe in the Windows system folder, and it is missing"));
}

UpdateFailed not_signed_by(std::string_view publisher) {
    return refused(choose_text("업데이트를 거부했습니다: {0}의 서명이 아닙니다",
                               "The update was refused: not signed by {0}"),
                   publisher);
}

UpdateFailed revocation_unchecked() {
    return failed(
        choose_text("업데이트를 거부했습니다: 서명 인증서의 폐기 여부를 확인하지 못했습니다. "
                    "인터넷에 연결한 뒤 다시 시도하세요.",
                    "The update was refused: the signing certificate could not be checked for "
                    "revocation. Connect to the internet and try again."));
}

UpdateFailed certificate_revoked() {
    return failed(choose_text("업데이트를 거부했습니다: 서명 인증서가 폐기되었습니다",
                              "The update was refused: the signing certificate has been revoked"));
}

UpdateFailed wrong_installer_version(std::string_view offered) {
    return refused(choose_text("업데이트를 거부했습니다: 설치 파일이 {0} 버전이 아닙니다",
                               "The update was refused: the installer is not version {0}"),
                   offered);
}

UpdateFailed folder_not_private(std::string_view folder) {
    return refused(
        choose_text("업데이트를 거부했습니다: 다운로드 폴더를 혼자 쓰는 폴더로 만들지 못했습니다: "
                    "{0}",
                    "The update was refused: the download folder {0} could not be made private"),
        folder);
}

UpdateFailed curl_failure(uint32_t exit_code) {
    switch (exit_code) {
        case 5:   // the proxy's name could not be resolved
        case 6:   // the server's name could not be resolved
        case 7:   // no connection
        case 28:  // timed out
        case 35:  // the TLS handshake broke off
        case 52:  // nothing came back
        case 55:  // sending failed
        case 56:  // receiving failed
            return server_unreachable();
        case 22:  // an HTTP error status
        case 47:  // too many redirects
            return server_error();
        case 51:  // the server's certificate or fingerprint was not accepted
        case 60:  // the server's certificate chain was not accepted
        case 83:  // the issuer check failed
            return server_unverified();
        case 63:  // more than the limit: not the file that was announced
            return size_mismatch();
        default:
            return download_failed();
    }
}

}  // namespace norvik
