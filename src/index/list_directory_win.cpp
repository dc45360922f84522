// FindFirstFileExW listing: basic information (no short names) and large fetch, one pass.
#include <cwchar>

#include "index/excluded_names.h"
#include "index/list_directory.h"
#include "platform/long_path.h"
#include "platform/wide_text.h"
#include "platform/win_handles.h"

namespace norvik {

NativePath native_path(std::string_view path) {
    std::u16string wide = to_long_path(path);
    return NativePath(wide.begin(), wide.end());
}

NativePath join_native(const NativePath& folder, const NativePath& name) {
    NativePath joined;
    joined.reserve(folder.size() + 1 + name.size());
    joined = folder;
    joined.push_back(L'\\');
    joined += name;
    return joined;
}

ListStatus list_directory(const NativePath& folder, std::vector<ListedItem>& out) {
    out.clear();
    NativePath pattern = join_native(folder, L"*");
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) {
        switch (GetLastError()) {
            case ERROR_FILE_NOT_FOUND:  // no name matches "*": an empty folder
                return ListStatus::Listed;
            case ERROR_PATH_NOT_FOUND:
            case ERROR_DIRECTORY:  // a file stands there now
                return ListStatus::Gone;
            default:
                return ListStatus::Unreadable;
        }
    }
    // FindNextFileW failing, whatever the error, ends the listing with what was read.
    do {
        size_t length = wcsnlen(data.cFileName, MAX_PATH);
        std::wstring_view wide(data.cFileName, length);
        if (wide == L"." || wide == L"..") continue;
        std::string name = from_wide(wide);
        if (is_excluded_name(name)) continue;

        ListedItem item;
        item.facts.size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
        item.facts.mtime = filetime_to_unix((uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                            data.ftLastWriteTime.dwLowDateTime);
        item.facts.attributes = data.dwFileAttributes;
        item.reparse_tag = effective_reparse_tag(data.dwFileAttributes, data.dwReserved0);
        if (is_walkable_folder(item.facts.attributes, item.reparse_tag)) item.native_name = wide;
        item.name = std::move(name);
        out.push_back(std::move(item));
    } while (FindNextFileW(find.get(), &data));
    return ListStatus::Listed;
}

}  // namespace norvik
