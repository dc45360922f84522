// The Authenticode check of a downloaded installer. Windows only.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app/updater/signer_check.h"

namespace norvik {

// Nothing when the open file at path carries a signature that WinVerifyTrust accepts with
// revocation checked over the whole chain (no user interface), by a signing certificate whose
// simple display name is exactly policy.publisher and, when the build pins certificates, whose
// thumbprint is pinned. Otherwise why not (judge_signer). WinVerifyTrust reads the file through
// the handle, so the check applies to the very file the caller holds open.
std::optional<UpdateFailed> verify_signature(HANDLE file, const std::wstring& path,
                                             const SignerPolicy& policy);

}  // namespace norvik
