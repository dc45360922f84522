// Listing one folder: the names in it with their file facts, as the scan and the subtree walk
// need them. Two implementations: FindFirstFileExW on Windows (list_directory_win.cpp) and
// opendir/readdir/fstatat elsewhere (list_directory_posix.cpp), so the walks above are written
// once.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "index/entry.h"

namespace norvik {

// A path as the platform's file API takes it: long-path UTF-16 on Windows, bytes elsewhere.
#ifdef _WIN32
using NativeChar = wchar_t;
#else
using NativeChar = char;
#endif
using NativePath = std::basic_string<NativeChar>;

struct ListedItem {
    std::string name;  // UTF-8; unpaired surrogates and invalid bytes became U+FFFD
    FileFacts facts;
    uint32_t reparse_tag = 0;
    // The name exactly as the system gave it, kept only for folders that may be entered, since
    // the UTF-8 name cannot be turned back into it when it held invalid units.
    NativePath native_name;
};

enum class ListStatus : uint8_t {
    Listed,      // out holds what the folder holds (possibly nothing)
    Gone,        // nothing is there any more: removed or renamed away since it was found
    Unreadable,  // it is there but cannot be listed (access denied, held by another program)
};

// Lists folder into out (cleared first), in the order the file system returns the names,
// without ".", ".." and the names is_excluded_name rejects. A folder that holds nothing is an
// empty listing; whatever is not Listed leaves out empty.
[[nodiscard]] ListStatus list_directory(const NativePath& folder, std::vector<ListedItem>& out);

// list_directory's shape, so tests can put a listing of their own under the walks.
using ListDirectoryFn = std::function<ListStatus(const NativePath&, std::vector<ListedItem>&)>;

// The native form of a folder path given as UTF-8: to_long_path on Windows; elsewhere the path
// itself without trailing slashes ("/" stays "/").
NativePath native_path(std::string_view path);

// folder, one separator, name ("/" + "usr" gives "/usr", not "//usr").
NativePath join_native(const NativePath& folder, const NativePath& name);

// True for a junction or a symbolic link: a reparse point with one of the two link tags.
inline bool is_link(uint32_t attributes, uint32_t reparse_tag) {
    return (attributes & ATTRIBUTE_REPARSE_POINT) &&
           (reparse_tag == REPARSE_TAG_MOUNT_POINT || reparse_tag == REPARSE_TAG_SYMLINK);
}

// True for a folder that the walks enter: a folder that is not a link.
inline bool is_walkable_folder(uint32_t attributes, uint32_t reparse_tag) {
    return (attributes & ATTRIBUTE_DIRECTORY) && !is_link(attributes, reparse_tag);
}

// The tag to keep for a listed item. A folder reparse point whose tag reads 0 is taken for a
// symbolic link: 0 is a reserved tag no Windows item carries, but Wine shows a Linux symlink to a
// folder that way, and entering it could loop (/usr/bin/X11 -> .).
inline uint32_t effective_reparse_tag(uint32_t attributes, uint32_t reparse_tag) {
    constexpr uint32_t folder_reparse = ATTRIBUTE_DIRECTORY | ATTRIBUTE_REPARSE_POINT;
    if ((attributes & folder_reparse) == folder_reparse && reparse_tag == 0)
        return REPARSE_TAG_SYMLINK;
    return reparse_tag;
}

// Seconds since 1970 from a FILETIME value (100-nanosecond units since 1601), whole seconds,
// 0 before 1970, saturating at 0xFFFFFFFF.
inline uint32_t filetime_to_unix(uint64_t filetime) {
    constexpr int64_t EPOCH_DIFFERENCE = 11644473600;
    return clamp_unix_time(static_cast<int64_t>(filetime / 10000000) - EPOCH_DIFFERENCE);
}

}  // namespace norvik
