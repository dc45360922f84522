#include <windows.h>

#include <memory>
#include <vector>

#include "app/updater/curl_command.h"
#include "app/updater/installer_version.h"
#include "app/updater/update_messages.h"
#include "app/updater/version.h"
#include "app/updater/win/download_file.h"
#include "app/updater/win/installer_file_win.h"
#include "app/updater/win/private_folder_win.h"
#include "app/updater/win/sha256_win.h"
#include "app/updater/win/system_win.h"
#include "app/updater/win/update_tasks.h"
#include "app/updater/win/verify_signature_win.h"
#include "vendor.h"

namespace norvik {

namespace {

constexpr DWORD READ_PIECE_BYTES = 1u << 20;

struct ViewUnmapper {
    void operator()(const void* view) const { UnmapViewOfFile(view); }
};

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

// The product version in the held file's version resource, read through a read-only view of
// that very file.
std::optional<std::string> held_file_version(HANDLE file, uint64_t size) {
    KernelHandle mapping(CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return std::nullopt;
    const std::unique_ptr<const void, ViewUnmapper> view(
        MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return std::nullopt;
    return installer_product_version(
        std::span(static_cast<const uint8_t*>(view.get()), static_cast<size_t>(size)));
}

// Every check on the held file, in order: size, digest, signature, version. Nothing when all
// pass.
std::optional<UpdateFailed> check_installer(const InstallerFile& installer, const UpdateInfo& info,
                                            const SignerPolicy& signer) {
    LARGE_INTEGER measured{};
    if (!GetFileSizeEx(installer.handle(), &measured)) return last_error_failure();
    const auto size = static_cast<uint64_t>(measured.QuadPart);
    if (info.size != 0 ? size != info.size : size > INSTALLER_MAX_BYTES) return size_mismatch();
    if (size == 0) return signature_not_verified();  // nothing to map, nothing signed

    std::variant<std::string, UpdateFailed> digest = digest_of(installer.handle(), size);
    if (auto* failed = std::get_if<UpdateFailed>(&digest)) return std::move(*failed);
    if (std::get<std::string>(digest) != info.sha256) return digest_mismatch();

    if (std::optional<UpdateFailed> refused =
            verify_signature(installer.handle(), to_wide(installer.path()), signer))
        return refused;
    // A signed installer of an old, vulnerable version offered under a new number would pass
    // every check above: the installer must itself say it is the version offered.
    const std::optional<std::string> version = held_file_version(installer.handle(), size);
    if (!version || !version_equal(*version, info.version))
        return wrong_installer_version(info.version);
    return std::nullopt;
}

}  // namespace

UpdateDownloadResult download_update(const UpdateInfo& info, const SignerPolicy& signer) {
    // The check let only newer versions through; a download is never a downgrade either.
    if (!version_newer(info.version, vendor::PROGRAM_VERSION))
        return wrong_installer_version(info.version);
    std::variant<std::string, UpdateFailed> folder = private_updates_folder();
    if (auto* failed = std::get_if<UpdateFailed>(&folder)) return std::move(*failed);
    const std::string path =
        std::get<std::string>(folder) + "Norvik-Setup-" + info.version + ".exe";
    if (std::optional<UpdateFailed> failed =
            download_file(info.url, path, installer_download_cap(info.size))) {
        DeleteFileW(to_wide(path).c_str());  // a partial download is of no use
        return std::move(*failed);
    }
    std::optional<InstallerFile> installer = InstallerFile::open(path);
    if (!installer) {
        UpdateFailed failed = last_error_failure();
        DeleteFileW(to_wide(path).c_str());
        return failed;
    }
    if (std::optional<UpdateFailed> failed = check_installer(*installer, info, signer)) {
        installer->discard();
        return std::move(*failed);
    }
    return std::make_unique<InstallerFile>(std::move(*installer));
}

}  // namespace norvik
