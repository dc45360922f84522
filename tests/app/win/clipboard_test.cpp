// The clipboard adapters on Wine's clipboard, in-process and with another process.
#include "app/win/clipboard_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/win/win_raii.h"
#include "app/win/win_test_support.h"

namespace norvik {
namespace {

// Puts raw bytes on the clipboard as CF_UNICODETEXT, the way a careless program might.
void put_raw_units(HWND owner, const std::u16string& units) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, units.size() * sizeof(char16_t));
    ASSERT_NE(memory, nullptr);
    memcpy(GlobalLock(memory), units.data(), units.size() * sizeof(char16_t));
    GlobalUnlock(memory);
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    ASSERT_NE(SetClipboardData(CF_UNICODETEXT, memory), nullptr);
    CloseClipboard();
}

// The clipboard is closed again: another opening succeeds at once.
bool clipboard_is_closed() {
    if (!OpenClipboard(nullptr)) return false;
    CloseClipboard();
    return true;
}

TEST(ClipboardTest, TextRoundTripsAndTheClipboardIsClosedAfterEveryUse) {
    testing::TestWindow window;
    const std::u16string text = u"D:\\보고서 2024, 최종\\😀 report.hwp";
    ASSERT_TRUE(write_clipboard_text(window.get(), text));
    EXPECT_TRUE(clipboard_is_closed());
    EXPECT_EQ(read_clipboard_text(window.get()), text);
    EXPECT_TRUE(clipboard_is_closed());
    EXPECT_EQ(read_clipboard_text(window.get(), 4), u"D:\\보");
}

TEST(ClipboardTest, ReadStopsAtTheEndOfTheBlockOrItsFirstZero) {
    testing::TestWindow window;
    // A block without a terminating zero: the read never runs past the block. (Windows hands it
    // over as it is; Wine makes its last unit a zero, so the text may lose its last letter.)
    put_raw_units(window.get(), u"no terminator");
    std::optional<std::u16string> read = read_clipboard_text(window.get());
    ASSERT_TRUE(read.has_value());
    EXPECT_TRUE(read == u"no terminator" || read == u"no terminato")
        << ::testing::PrintToString(*read);
    put_raw_units(window.get(), std::u16string(u"two\0lines", 9));
    EXPECT_EQ(read_clipboard_text(window.get()), u"two");
}

TEST(ClipboardTest, NoUnicodeTextReadsAsNothing) {
    testing::TestWindow window;
    ASSERT_TRUE(OpenClipboard(window.get()));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_EQ(read_clipboard_text(window.get()), std::nullopt);
    EXPECT_TRUE(clipboard_is_closed());
}

TEST(ClipboardTest, RoundTripsWithAnotherProcess) {
    testing::TestWindow window;
    const std::u16string text = u"C:\\Users\\민지\\Documents\\계획, 2024.docx";
    ASSERT_TRUE(write_clipboard_text(window.get(), text));
    // The peer reads the clipboard and puts back what it read, reversed.
    ASSERT_EQ(testing::run_peer(L"reverse-clipboard"), 0u);
    EXPECT_EQ(read_clipboard_text(window.get()), std::u16string(text.rbegin(), text.rend()));
}

}  // namespace
}  // namespace norvik
