// Norvik.exe's resources, linked into this test program the way the program links them: the
// icon group with every size Windows asks for, the version strings and the manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hangul/utf8.h"
#include "vendor.h"

namespace {

HMODULE self() {
    return GetModuleHandleW(nullptr);
}

std::wstring version_string(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeW(path, &ignored));
    if (block.empty() ||
        !GetFileVersionInfoW(path, 0, static_cast<DWORD>(block.size()), block.data())) {
        return L"";
    }
    void* value = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0) return L"";
    return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

// The icon group's directory as it is stored in the program (RT_GROUP_ICON).
#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bit_count;
    DWORD bytes;
    WORD id;
};
struct GroupIconHeader {
    WORD reserved, type, count;
};
#pragma pack(pop)

TEST(Resources, TheIconGroupHasEverySize) {
    HRSRC group = FindResourceW(self(), MAKEINTRESOURCEW(1), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* header =
        static_cast<const GroupIconHeader*>(LockResource(LoadResource(self(), group)));
    const auto* entries = reinterpret_cast<const GroupIconEntry*>(header + 1);
    std::vector<int> sizes;
    for (WORD i = 0; i < header->count; ++i) {
        const int size = entries[i].width == 0 ? 256 : entries[i].width;  // 0 stands for 256
        sizes.push_back(size);
        EXPECT_EQ(entries[i].height == 0 ? 256 : entries[i].height, size);
        EXPECT_EQ(entries[i].bit_count, 32) << size;
        EXPECT_NE(FindResourceW(self(), MAKEINTRESOURCEW(entries[i].id), RT_ICON), nullptr)
            << "the image of " << size;
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 128, 256}));
    EXPECT_NE(LoadIconW(self(), MAKEINTRESOURCEW(1)), nullptr) << "as the window class loads it";
}

TEST(Resources, TheVersionNamesTheProgram) {
    EXPECT_EQ(version_string(L"FileVersion"), L"0.1.0");
    EXPECT_EQ(version_string(L"ProductVersion"), L"0.1.0");
    EXPECT_EQ(version_string(L"ProductName"), L"Norvik");
    EXPECT_EQ(version_string(L"FileDescription"), L"Norvik");
    EXPECT_EQ(version_string(L"InternalName"), L"Norvik");
    EXPECT_EQ(version_string(L"OriginalFilename"), L"Norvik.exe");
    // The vendor's notice, "©" included: the script is read as UTF-8.
    const std::u16string notice = norvik::utf8_to_utf16(norvik::vendor::MAKER_NOTICE);
    EXPECT_EQ(version_string(L"LegalCopyright"), std::wstring(notice.begin(), notice.end()));
}

TEST(Resources, TheManifestAsksForWhatTheWindowNeeds) {
    HRSRC found = FindResourceW(self(), MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const auto* text = static_cast<const char*>(LockResource(LoadResource(self(), found)));
    const std::string manifest(text, SizeofResource(self(), found));
    for (const char* wanted :
         {"<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm<",
          ">PerMonitorV2</dpiAwareness>", ">UTF-8</activeCodePage>", ">true</longPathAware>",
          "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
          "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "level=\"asInvoker\""}) {
        EXPECT_NE(manifest.find(wanted), std::string::npos) << wanted;
    }
}

}  // namespace
