#include <windows.h>

#include <vector>

#include "app/text/text.h"
#include "app/updater/curl_command.h"
#include "app/updater/win/download_file.h"
#include "app/updater/win/installer_file_win.h"
#include "app/updater/win/sha256_win.h"
#include "app/updater/win/system_win.h"
#include "app/updater/win/update_tasks.h"
#include "app/updater/win/verify_signature_win.h"

namespace norvik {

namespace {

constexpr DWORD READ_PIECE_BYTES = 1u << 20;

UpdateFailed size_mismatch() {
    return UpdateFailed{choose_text("받은 파일 크기가 다릅니다", "Downloaded size mismatch")};
}

UpdateFailed digest_mismatch() {
    return UpdateFailed{choose_text("받은 파일이 손상되었습니다 (해시 불일치)",
                                    "Downloaded file is corrupt (hash mismatch)")};
}

UpdateFailed signature_refused() {
    return UpdateFailed{choose_text("설치 파일의 디지털 서명을 확인할 수 없습니다",
                                    "The installer's digital signature could not be verified")};
}

// Digests exactly size bytes of the open file, a piece at a time. A file that ends early (it
// cannot grow: nobody may write to it while it is held) differs in size from what was measured.
std::variant<std::string, UpdateFailed> digest_of(HANDLE file, uint64_t size) {
    Sha256 hash;
    std::vector<uint8_t> piece(static_cast<size_t>(std::min<uint64_t>(size, READ_PIECE_BYTES)));
    for (uint64_t left = size; left != 0;) {
        const DWORD ask = static_cast<DWORD>(std::min<uint64_t>(left, piece.size()));
        DWORD got = 0;
        if (!ReadFile(file, piece.data(), ask, &got, nullptr)) return last_error_failure();
        if (got == 0) return size_mismatch();
        if (!hash.update(std::span(piece.data(), got))) return digest_mismatch();
        left -= got;
    }
    std::optional<std::string> hex = hash.finish_hex();
    if (!hex) return digest_mismatch();
    return std::move(*hex);
}

// Every check on the held file, in order: size, digest, signature. Nothing when all pass.
std::optional<UpdateFailed> check_installer(const InstallerFile& installer, const UpdateInfo& info,
                                            std::string_view publisher) {
    LARGE_INTEGER measured{};
    if (!GetFileSizeEx(installer.handle(), &measured)) return last_error_failure();
    const auto size = static_cast<uint64_t>(measured.QuadPart);
    if (info.size != 0 ? size != info.size : size > INSTALLER_MAX_BYTES) return size_mismatch();

    std::variant<std::string, UpdateFailed> digest = digest_of(installer.handle(), size);
    if (auto* failed = std::get_if<UpdateFailed>(&digest)) return std::move(*failed);
    if (std::get<std::string>(digest) != info.sha256) return digest_mismatch();

    if (!verify_signature(installer.handle(), to_wide(installer.path()), publisher))
        return signature_refused();
    return std::nullopt;
}

}  // namespace

UpdateDownloadResult download_update(const UpdateInfo& info, std::string_view publisher) {
    const std::string path = updates_folder() + "Norvik-Setup-" + info.version + ".exe";
    const uint64_t most = info.size != 0 ? info.size : INSTALLER_MAX_BYTES;
    if (std::optional<UpdateFailed> failed = download_file(info.url, path, most)) {
        DeleteFileW(to_wide(path).c_str());  // a partial download is of no use
        return std::move(*failed);
    }
    std::optional<InstallerFile> installer = InstallerFile::open(path);
    if (!installer) {
        UpdateFailed failed = last_error_failure();
        DeleteFileW(to_wide(path).c_str());
        return failed;
    }
    if (std::optional<UpdateFailed> failed = check_installer(*installer, info, publisher)) {
        installer->discard();
        return std::move(*failed);
    }
    return std::make_unique<InstallerFile>(std::move(*installer));
}

}  // namespace norvik
