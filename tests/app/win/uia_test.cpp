// The window's UI Automation tree as a screen reader reads it: the peer, another process, asks
// the real window procedure for its root (WM_GETOBJECT) through uiautomationcore's client side
// and walks the elements, so every name, value and row below crossed a process boundary.
#include <windows.h>
// After windows.h, which they build on.
#include <gtest/gtest.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/program/dispatch_win.h"
#include "app/win/uia_provider_win.h"
#include "app/win/win_test_support.h"
#include "app/win/window_proc_win.h"
#include "support/app_fixture.h"

namespace norvik {
namespace {

enum : uint32_t { ROOT = 0, USERS, BOGOSEO, DOCS };

// What the peer read, one "depth<TAB>control type<TAB>name<TAB>value" line per element; empty
// when it failed (its exit code is in `code`).
struct Reading {
    DWORD code = 255;
    std::string lines;
};

Reading read_tree(HWND window) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"norvik-uia-tree.txt";
    DeleteFileW(path.c_str());
    HANDLE peer = testing::start_peer(L"read-uia \"" + path + L"\" NorvikShellTestWindow");
    Reading reading;
    if (!peer) return reading;
    // The window's thread answers the peer's questions, so it keeps pumping while it waits.
    for (int waited = 0; waited < 30000; waited += 10) {
        testing::pump_messages();
        if (WaitForSingleObject(peer, 10) == WAIT_OBJECT_0) break;
    }
    GetExitCodeProcess(peer, &reading.code);
    CloseHandle(peer);
    (void)window;
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    reading.lines = text.str();
    return reading;
}

TEST(UiaTest, AScreenReaderInAnotherProcessReadsEveryControlTheBoxAndTheRows) {
    testing::AppFixture fixture;
    VolumeTable table = VolumeTable::with_root("C:\\");
    table.add_entry(ROOT, "Users", FileFacts{0, 0, FILE_ATTRIBUTE_DIRECTORY}, 0);
    table.add_entry(USERS, "보고서.hwp", FileFacts{12 * 1024, 0, 0}, 0);
    table.add_entry(USERS, "Docs", FileFacts{0, 0, FILE_ATTRIBUTE_DIRECTORY}, 0);
    table.table_id = 4;
    fixture.index.tables.push_back(std::move(table));
    App& app = fixture.app;
    for (int i = 0; i < 500; ++i)
        app.results.push_back(Hit{i % 2 == 0 ? BOGOSEO : DOCS, 0, false});
    app.table_ids = {4};
    app.text = U"보고";
    app.caret = app.anchor = 2;
    app.selected = 0;

    testing::ShellWindow window{L"Uia", 960, 640};
    ASSERT_NE(window.get(), nullptr);
    window_host().handlers = program_handlers();
    window_host().app = std::make_unique<App>(std::move(fixture.app));

    const Reading reading = read_tree(window.get());
    ASSERT_EQ(reading.code, 0u) << "1 no window, 2 no client functions, 3 no node";
    const std::string expected[] = {
        "1\t50004\tSearch file and folder names\tSearchBox\n",
        "1\t50000\tMenu\tMenuButton\n",
        "1\t50018\tKinds\tFilterTabs\n",
        "2\t50019\tAll\tTab0\n",
        "2\t50019\tArchives\tTab6\n",
        "1\t50034\tColumn headers\tColumnHeader\n",
        "2\t50035\tDate modified\tColumn4\n",
        "1\t50008\tResults\tResults\n",
        "2\t50007\t보고서.hwp, C:\\Users, 12.0 KB\tRow0\n",
        "2\t50007\tDocs, C:\\Users\tRow1\n",
        "1\t50020\t4 indexed\tStatusLine\n",
        "probe\t30011\tSearchBox\n",
        "probe\t30009\ttrue\n",
    };
    for (const std::string& line : expected)
        EXPECT_NE(reading.lines.find(line), std::string::npos) << line << "in\n" << reading.lines;

    // The patterns, which Wine's client does not reach, read in-process from the same root.
    Microsoft::WRL::ComPtr<IRawElementProviderSimple> root;
    root.Attach(accessibility_root(window.get()));
    Microsoft::WRL::ComPtr<IRawElementProviderFragment> fragment, box;
    ASSERT_HRESULT_SUCCEEDED(root.As(&fragment));
    ASSERT_HRESULT_SUCCEEDED(fragment->Navigate(NavigateDirection_FirstChild, &box));
    Microsoft::WRL::ComPtr<IRawElementProviderSimple> simple;
    ASSERT_HRESULT_SUCCEEDED(box.As(&simple));
    VARIANT value;
    VariantInit(&value);
    ASSERT_HRESULT_SUCCEEDED(simple->GetPropertyValue(30045, &value));  // Value.Value
    ASSERT_EQ(value.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(value.bstrVal), L"보고");
    VariantClear(&value);
    IUnknown* pattern = nullptr;
    EXPECT_HRESULT_SUCCEEDED(simple->GetPatternProvider(10002, &pattern));  // Value
    EXPECT_NE(pattern, nullptr);
    if (pattern) pattern->Release();
    release_accessibility(window.get());
}

}  // namespace
}  // namespace norvik
