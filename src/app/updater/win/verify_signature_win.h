// The Authenticode check of a downloaded installer. Windows only.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace norvik {

// Whether the open file at path carries a signature that WinVerifyTrust accepts (no revocation
// check, no user interface) and whose signing certificate's simple display name equals
// publisher exactly, letter case included. WinVerifyTrust reads the file through the handle, so
// the check applies to the very file the caller holds open.
bool verify_signature(HANDLE file, const std::wstring& path, std::string_view publisher);

}  // namespace norvik
