#include "platform/private_folder_win.h"

#include <windows.h>

#include <aclapi.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/wide_text.h"
#include "platform/win_handles.h"

namespace norvik {

namespace {

struct LocalFreer {
    void operator()(void* memory) const { LocalFree(memory); }
};

// The current user's SID, from the process token.
std::optional<std::vector<uint8_t>> current_user_sid() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return std::nullopt;
    KernelHandle token(raw);
    DWORD needed = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &needed);
    std::vector<uint8_t> buffer(needed);
    if (needed == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), needed, &needed))
        return std::nullopt;
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    std::vector<uint8_t> copy(GetLengthSid(sid));
    if (!CopySid(static_cast<DWORD>(copy.size()), copy.data(), sid)) return std::nullopt;
    return copy;
}

// An access list that gives user full control of the folder and all it will hold, and nobody
// else anything.
std::optional<std::vector<uint8_t>> private_acl(PSID user) {
    const DWORD size = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(user);
    std::vector<uint8_t> acl(size);
    auto* list = reinterpret_cast<PACL>(acl.data());
    if (!InitializeAcl(list, size, ACL_REVISION) ||
        !AddAccessAllowedAceEx(list, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE,
                               FILE_ALL_ACCESS, user)) {
        return std::nullopt;
    }
    return acl;
}

enum class Found { Nothing, Private, Link, Other };

struct SidFreer {
    void operator()(void* sid) const { FreeSid(sid); }
};

bool is_system(PSID sid) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID made = nullptr;
    if (!AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &made))
        return false;
    const std::unique_ptr<void, SidFreer> system(made);
    return EqualSid(sid, system.get());
}

// Whether an access list lets nobody but user in (the system account, which can enter any
// folder anyway, aside).
bool lets_only(PACL acl, PSID user) {
    if (acl == nullptr) return false;  // no list at all: everyone may do anything
    bool user_allowed = false;
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(acl, i, &ace)) return false;
        const auto* header = static_cast<ACE_HEADER*>(ace);
        if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) return false;
        const PSID sid = PSID(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart);
        if (EqualSid(sid, user)) {
            user_allowed = true;
        } else if (!is_system(sid)) {
            return false;
        }
    }
    return user_allowed;
}

// What stands at path: nothing; a real folder that user owns and that lets nobody else in; a
// junction or other link (opened, never followed); or anything else.
Found inspect(const std::wstring& path, PSID user) {
    // Asked of the path itself first: Wine opens what a Linux link leads to even when told not
    // to, so only this sees the link there.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Found::Nothing
                                                                              : Found::Other;
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return Found::Link;
    // FILE_FLAG_OPEN_REPARSE_POINT: a junction or link is opened itself, never followed.
    FileHandle folder(
        CreateFileW(path.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!folder) return Found::Other;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(folder.get(), &info)) return Found::Other;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return Found::Link;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return Found::Other;
    PSID owner = nullptr;
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(folder.get(), SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                        &acl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return Found::Other;
    }
    const std::unique_ptr<void, LocalFreer> held(descriptor);
    return owner != nullptr && EqualSid(owner, user) && lets_only(acl, user) ? Found::Private
                                                                             : Found::Other;
}

// Removes what stands at path without following any link in it: a link or file goes itself, a
// folder after everything in it. Best effort.
void remove_without_following(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    const bool folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
    if (folder && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW entry{};
        FindHandle find(FindFirstFileW((path + L"\\*").c_str(), &entry));
        for (bool more = static_cast<bool>(find); more; more = FindNextFileW(find.get(), &entry)) {
            const std::wstring_view name = entry.cFileName;
            if (name != L"." && name != L"..")
                remove_without_following(path + L"\\" + entry.cFileName);
        }
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (folder) {
        RemoveDirectoryW(path.c_str());
    } else {
        DeleteFileW(path.c_str());
    }
}

// Moves what stands at path out of the way (renaming needs only our rights on the parent, not
// any on the thing itself), then removes it as far as we may.
bool move_aside(const std::wstring& path) {
    const std::wstring aside = path + L".refused-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                               std::to_wstring(GetTickCount64());
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;  // a link now: renaming it could move what it leads to (Wine does)
    if (!MoveFileExW(path.c_str(), aside.c_str(), 0)) return false;
    remove_without_following(aside);
    return true;
}

bool create_private(const std::wstring& path, PSID user, const std::vector<uint8_t>& acl) {
    SECURITY_DESCRIPTOR descriptor{};
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorOwner(&descriptor, user, FALSE) ||
        !SetSecurityDescriptorDacl(
            &descriptor, TRUE, reinterpret_cast<PACL>(const_cast<uint8_t*>(acl.data())), FALSE) ||
        !SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
        return false;
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    return CreateDirectoryW(path.c_str(), &attributes);
}

}  // namespace

bool is_private_folder(const std::string& path) {
    std::optional<std::vector<uint8_t>> user = current_user_sid();
    return user && inspect(to_wide(path), user->data()) == Found::Private;
}

bool make_private_folder(const std::string& path) {
    std::optional<std::vector<uint8_t>> user = current_user_sid();
    if (!user) return false;
    const std::wstring wide = to_wide(path);
    switch (inspect(wide, user->data())) {
        case Found::Private:
            return true;
        case Found::Link:
            // Removed as itself: a junction's target is never entered, moved or emptied.
            if (!RemoveDirectoryW(wide.c_str()) && !DeleteFileW(wide.c_str())) return false;
            break;
        case Found::Other:
            if (!move_aside(wide)) return false;
            break;
        case Found::Nothing:
            break;
    }
    std::optional<std::vector<uint8_t>> acl = private_acl(user->data());
    if (!acl || !create_private(wide, user->data(), *acl)) return false;
    // Made just now, yet checked like any found folder: what is used is what was verified.
    return inspect(wide, user->data()) == Found::Private;
}

}  // namespace norvik
