// Hangul typed through the input method into the real window procedure with the program's message
// map: ImmSetCompositionStringW composes, ImmNotifyIME commits, and a started search worker answers
// each query over a small index, so what the window shows is what the composition asked for.
#include <windows.h>

#include <imm.h>

#include <mutex>
#include <set>
#include <shared_mutex>
#include <string>

#include <gtest/gtest.h>

#include "app/program/dispatch_win.h"
#include "app/win/win_test_support.h"
#include "app/win/window_proc_win.h"
#include "search/resolve_hit.h"
#include "support/app_fixture.h"
#include "support/recording_canvas.h"

namespace norvik {
namespace {

std::set<std::string> names(const std::vector<std::string>& list) {
    return {list.begin(), list.end()};
}

class ImeWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        VolumeTable table = VolumeTable::with_root("D:\\");
        for (const char* name : {"보고서.hwp", "복사본.txt", "report.pdf", "photo.jpg"})
            table.add_entry(0, name, FileFacts{1, 1'700'000'000, 0}, 0);
        index.replace_or_insert(std::move(table));
        service.index_ready = true;
        ASSERT_TRUE(worker.start());

        ASSERT_NE(window, nullptr);
        window_for_results = window;

        auto app = std::make_unique<App>();
        auto owned = std::make_unique<testing::RecordingCanvas>();
        canvas = owned.get();
        app->renderer = std::move(owned);
        app->client_width = 960;
        app->client_height = 640;
        app->engine = Engine{&index, &worker, &service, &exit_requested, &index_dirty};
        WindowHost& host = window_host();
        host.handlers = program_handlers();
        host.handlers.paint = [](App&) { return false; };  // nothing to see here
        host.app = std::move(app);

        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        SetFocus(window);
        context = ImmGetContext(window);
        ASSERT_NE(context, nullptr) << "no input method context on this display";
    }

    void TearDown() override {
        if (context) ImmReleaseContext(window, context);
        window_for_results = nullptr;
    }

    App& app() { return *window_host().app; }

    void compose(std::wstring text) {
        ASSERT_TRUE(ImmSetCompositionStringW(context, SCS_SETSTR, text.data(),
                                             static_cast<DWORD>(text.size() * sizeof(wchar_t)),
                                             nullptr, 0));
    }

    void commit() { ASSERT_TRUE(ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0)); }

    // Pumps messages until the worker's answer to the latest query is shown (10 s at most), then
    // reads the shown rows' names.
    std::vector<std::string> shown_names() {
        const uint64_t deadline = GetTickCount64() + 10'000;
        while (app().result_generation != app().query_generation && GetTickCount64() < deadline) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            testing::pump_messages();
        }
        EXPECT_EQ(app().result_generation, app().query_generation) << "no answer to the query";
        std::vector<std::string> shown;
        std::shared_lock lock(index.lock);
        for (const Hit& hit : app().results) {
            if (const VolumeTable* table = resolve_hit(index, app().table_ids, hit))
                shown.emplace_back(table->stored_name(hit.entry));
        }
        return shown;
    }

    static inline HWND window_for_results = nullptr;

    Index index;
    std::atomic<uint64_t> items_read{0};
    std::atomic<bool> exit_requested{false};
    std::atomic<bool> index_dirty{false};
    SearchWorker worker{index, [] {
                            if (window_for_results)
                                PostMessageW(window_for_results, WM_APP_SEARCH_DONE, 0, 0);
                        }};
    IndexService service{index, testing::idle_platform(),
                         ServiceOptions{"", &items_read, &exit_requested, &index_dirty}};
    HIMC context = nullptr;
    testing::RecordingCanvas* canvas = nullptr;
    // Last, so it goes first: App and the window go while the worker and the index are there.
    testing::ShellWindow shell_window{L"ImeWindow", 960, 640};
    HWND window = shell_window.get();
};

TEST_F(ImeWindowTest, AnOpenSyllableIsSearchedWhileComposedAndCommittedOnce) {
    SendMessageW(window, WM_CHAR, L'ㄱ', 0);
    SendMessageW(window, WM_CHAR, L'데', 0);
    SendMessageW(window, WM_CHAR, L'ㅐ', 0);
    compose(L"ㄱ");  // r of "report" typed in Korean mode, still open
    EXPECT_EQ(app().composition, "ㄱ");
    EXPECT_EQ(names(shown_names()), (std::set<std::string>{"report.pdf"}));
    commit();
    testing::pump_messages();
    EXPECT_EQ(app().text, U"ㄱ데ㅐㄱ") << "committed once, composition gone";
    EXPECT_EQ(app().composition, "");
    EXPECT_EQ(app().caret, 4u);
    EXPECT_EQ(names(shown_names()), (std::set<std::string>{"report.pdf"}));

    app().text.clear();
    app().caret = app().anchor = 0;
    // 복 while composing may still become 보 + 고 (its ㄱ moving on): both names answer. Committed,
    // 복 is a finished syllable and only 복사본 holds it.
    compose(L"복");
    EXPECT_EQ(names(shown_names()), (std::set<std::string>{"보고서.hwp", "복사본.txt"}));
    commit();
    testing::pump_messages();
    EXPECT_EQ(app().text, U"복");
    EXPECT_EQ(names(shown_names()), (std::set<std::string>{"복사본.txt"}));
}

TEST_F(ImeWindowTest, TheCompositionWindowSitsAtTheCaretInTheSearchBox) {
    SendMessageW(window, WM_CHAR, L'보', 0);
    SendMessageW(window, WM_CHAR, L'고', 0);
    compose(L"ㅅ");
    COMPOSITIONFORM form{};
    ASSERT_TRUE(ImmGetCompositionWindow(context, &form));
    EXPECT_EQ(form.dwStyle, static_cast<DWORD>(CFS_POINT));
    // 60 px to the text, two characters of the search box's font, 14 + 8 px down.
    EXPECT_EQ(form.ptCurrentPos.x, static_cast<LONG>(60 + canvas->width_of("보고", Font::Input)));
    EXPECT_EQ(form.ptCurrentPos.y, 22);
    commit();
    testing::pump_messages();
    EXPECT_EQ(app().text, U"보고ㅅ");
}

}  // namespace
}  // namespace norvik
