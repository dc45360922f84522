#include "app/core/window_events.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "app/input/keys.h"
#include "app/input/typed_char.h"
#include "app/text/text.h"
#include "query/query.h"
#include "store/index_file.h"
#include "support/app_fixture.h"
#include "support/temp_folder.h"

namespace norvik {
namespace {

using testing::AppFixture;

// A result for the fixture's current query and order, of hits (entry, table position) made
// against tables with the given ids.
SearchResult result_for(const App& app, std::vector<Hit> hits,
                        std::vector<uint32_t> table_ids = {7, 8}) {
    SearchResult result;
    result.hits = std::move(hits);
    result.table_ids = std::move(table_ids);
    result.query = parse("report", false, 0);
    result.generation = app.query_generation;
    result.sort_column = static_cast<uint8_t>(app.sort_column);
    result.descending = app.sort_descending;
    result.elapsed = Elapsed{0, 12'000'000};
    return result;
}

// An app showing rows of hits (entry e in table position 0, id 7) with row `selected` selected.
void show_rows(AppFixture& f, std::vector<uint32_t> entries, std::optional<uint32_t> selected) {
    f.app.results.clear();
    for (uint32_t e : entries)
        f.app.results.push_back(Hit{e, 0, false});
    f.app.table_ids = {7, 8};
    f.app.selected = selected;
    f.app.query_generation = 5;
}

TEST(SearchResultTest, OnlyTheAnswerToTheLatestQueryInTheCurrentOrderIsShown) {
    AppFixture f;
    show_rows(f, {10, 11}, 1);
    struct Case {
        const char* what;
        void (*change)(SearchResult&);
    };
    const Case dropped[] = {
        {"older query", [](SearchResult& r) { r.generation = 4; }},
        {"other column", [](SearchResult& r) { r.sort_column = 3; }},
        {"other direction", [](SearchResult& r) { r.descending = true; }},
    };
    for (const Case& c : dropped) {
        SearchResult result = result_for(f.app, {Hit{99, 0, false}});
        c.change(result);
        accept_search_result(f.app, f.shell, std::move(result));
        EXPECT_EQ(f.app.results.size(), 2u) << c.what;
        EXPECT_EQ(f.shell.invalidations, 0) << c.what;
    }
    accept_search_result(f.app, f.shell, result_for(f.app, {Hit{99, 0, false}}));
    EXPECT_EQ(f.app.results, (std::vector<Hit>{Hit{99, 0, false}}));
    EXPECT_EQ(f.app.result_generation, 5u);
    EXPECT_EQ(f.app.search_time.nanoseconds, 12'000'000u);
    EXPECT_TRUE(f.app.result_query && !is_empty(*f.app.result_query));
    EXPECT_EQ(f.shell.invalidations, 1);

    // What All would find travels with an empty filtered answer, and goes with the next answer.
    SearchResult empty_tab = result_for(f.app, {});
    empty_tab.unfiltered_count = 12;
    accept_search_result(f.app, f.shell, std::move(empty_tab));
    EXPECT_EQ(f.app.unfiltered_count, 12u);
    accept_search_result(f.app, f.shell, result_for(f.app, {Hit{99, 0, false}}));
    EXPECT_EQ(f.app.unfiltered_count, std::nullopt);
}

// Typing draws no frame of its own: the frame comes with the answer, or at the caret's deadline
// when the answer is late; keys that start no search repaint at once.
TEST(OneFramePerAnswerTest, KeysThatSearchWaitForTheirResultsOrTheCaretDeadline) {
    struct Case {
        const char* what;
        void (*type)(AppFixture&);
        bool searches;
    };
    const Case cases[] = {
        {"typed letter", [](AppFixture& f) { on_char(f.app, f.shell, u'r'); }, true},
        {"backspace", [](AppFixture& f) { on_key_down(f.app, f.shell, KeyEvent{VK_KEY_BACK}); },
         true},
        {"ctrl+tab to the next filter",
         [](AppFixture& f) {
             on_key_down(f.app, f.shell, KeyEvent{VK_KEY_TAB, true});
         },
         true},
        {"caret left", [](AppFixture& f) { on_key_down(f.app, f.shell, KeyEvent{VK_KEY_LEFT}); },
         false},
    };
    for (const Case& c : cases) {
        for (const bool late : {false, true}) {
            AppFixture f;
            f.app.text = U"repo";
            f.app.caret = f.app.anchor = 4;
            c.type(f);
            if (!c.searches) {
                EXPECT_EQ(f.shell.invalidations, 1) << c.what;
                EXPECT_EQ(f.shell.timers.count(Timer::Caret), 0u) << c.what;
                continue;
            }
            EXPECT_EQ(f.shell.invalidations, 0) << c.what;
            EXPECT_EQ(f.shell.timers[Timer::Caret], CARET_MS) << c.what;
            if (late) {
                on_timer(f.app, f.shell, Timer::Caret);
                EXPECT_EQ(f.shell.invalidations, 1) << c.what;
            }
            // An answer to an older query draws nothing and leaves the deadline running.
            SearchResult stale = result_for(f.app, {Hit{1, 0, false}});
            --stale.generation;
            accept_search_result(f.app, f.shell, std::move(stale));
            EXPECT_EQ(f.shell.timers.count(Timer::Caret), late ? 0u : 1u) << c.what;
            accept_search_result(f.app, f.shell, result_for(f.app, {Hit{1, 0, false}}));
            EXPECT_EQ(f.shell.invalidations, late ? 2 : 1) << c.what;
            EXPECT_EQ(f.shell.timers.count(Timer::Caret), 0u) << c.what;
            EXPECT_FALSE(f.app.caret_timer_pending) << c.what;
        }
    }
}

TEST(SearchResultTest, SelectionFollowsTheEntryOrKeepsItsRow) {
    struct Case {
        const char* what;
        std::vector<Hit> hits;
        std::vector<uint32_t> table_ids;
        std::optional<uint32_t> selected;  // after; row 2 (entry 12 of table id 7) before
    };
    const Case cases[] = {
        {"moved up", {{12, 0, false}, {20, 0, false}}, {7, 8}, 0},
        {"gone: row kept",
         {{30, 0, false}, {31, 0, false}, {32, 0, false}, {33, 0, false}},
         {7, 8},
         2},
        {"gone: row clamped", {{30, 0, false}}, {7, 8}, 0},
        {"gone: empty list", {}, {7, 8}, std::nullopt},
        {"same entry in another table", {{1, 0, false}, {12, 1, false}}, {7, 8}, 1},
        {"table rebuilt, entry moved", {{12, 0, false}, {2, 0, false}, {3, 0, false}}, {9, 8}, 2},
    };
    for (const Case& c : cases) {
        AppFixture f;
        show_rows(f, {10, 11, 12}, 2);
        accept_search_result(f.app, f.shell, result_for(f.app, c.hits, c.table_ids));
        EXPECT_EQ(f.app.selected, c.selected) << c.what;
    }
    // Without a selection none appears.
    AppFixture f;
    show_rows(f, {10}, std::nullopt);
    accept_search_result(f.app, f.shell, result_for(f.app, {{10, 0, false}}));
    EXPECT_EQ(f.app.selected, std::nullopt);
}

TEST(SearchResultTest, AResetSelectsTheFirstRowAtTheTopAndAShorterListClampsTheScroll) {
    AppFixture f;  // 470-pixel list of 32-pixel rows
    std::vector<uint32_t> many(100);
    show_rows(f, many, 50);
    f.app.scroll = 1000;
    f.app.reset_selection = true;
    accept_search_result(f.app, f.shell, result_for(f.app, std::vector<Hit>(40)));
    EXPECT_EQ(f.app.selected, 0u);
    EXPECT_EQ(f.app.scroll, 0);
    EXPECT_FALSE(f.app.reset_selection);

    f.app.reset_selection = true;
    accept_search_result(f.app, f.shell, result_for(f.app, {}));
    EXPECT_EQ(f.app.selected, std::nullopt);

    f.app.scroll = 2000;  // 20 rows leave 640 - 470 = 170 pixels to scroll
    accept_search_result(f.app, f.shell, result_for(f.app, std::vector<Hit>(20)));
    EXPECT_EQ(f.app.scroll, 170);
}

TEST(IndexChangedTest, RefreshDelayIsFourSearchesWithinHalfASecondToTenSeconds) {
    struct Case {
        Elapsed search;
        uint32_t expected;
    };
    const Case cases[] = {
        {{0, 0}, 500},
        {{0, 124'999'999}, 500},  // 124 ms: 496
        {{0, 300'000'000}, 1200},
        {{0, 600'000'000}, 2400},
        {{1, 999'999'999}, 7996},
        {{2, 500'000'000}, 10000},
        {{4'000'000'000'000'000ULL, 0}, 10000},  // no overflow
    };
    for (const Case& c : cases)
        EXPECT_EQ(refresh_delay_ms(c.search), c.expected) << c.search.seconds;
}

TEST(IndexChangedTest, SearchesAgainOnlyWhileVisibleWithAQuery) {
    struct Case {
        const char* what;
        bool visible;
        const char* query;
        IndexChange change;
        bool refreshed_just_now;
        bool searched, timer;
    };
    const Case cases[] = {
        {"hidden", false, "report", IndexChange::Now, false, false, false},
        {"no query", true, "", IndexChange::Now, false, false, false},
        {"scan ended", true, "report", IndexChange::Now, true, true, false},
        {"watcher batch after a calm spell", true, "report", IndexChange::Debounced, false, true,
         false},
        {"watcher batch right after a refresh", true, "report", IndexChange::Debounced, true, false,
         true},
        {"hidden batch", false, "report", IndexChange::Debounced, false, false, false},
    };
    for (const Case& c : cases) {
        AppFixture f;
        if (c.refreshed_just_now) f.app.last_refresh = f.shell.clock;
        f.shell.visible = c.visible;
        f.app.result_query = parse(c.query, false, 0);
        f.app.search_time = Elapsed{0, 800'000'000};
        on_index_changed(f.app, f.shell, c.change);
        EXPECT_EQ(f.worker.pending_request().has_value(), c.searched) << c.what;
        EXPECT_EQ(f.shell.timers.count(Timer::Refresh), c.timer ? 1u : 0u) << c.what;
        EXPECT_EQ(f.app.refresh_pending, c.timer) << c.what;
        EXPECT_GE(f.shell.invalidations, 1) << c.what;
    }
}

TEST(IndexChangedTest, OneRefreshPerDebounceThenTheTimerSearches) {
    AppFixture f;
    f.app.last_refresh = f.shell.clock;
    f.app.result_query = parse("report", false, 0);
    f.app.search_time = Elapsed{0, 800'000'000};
    on_index_changed(f.app, f.shell, IndexChange::Debounced);
    EXPECT_EQ(f.shell.timers[Timer::Refresh], 3200u);
    f.app.search_time = Elapsed{0, 0};
    on_index_changed(f.app, f.shell, IndexChange::Debounced);  // still pending: not re-armed
    EXPECT_EQ(f.shell.timers[Timer::Refresh], 3200u);
    EXPECT_FALSE(f.worker.pending_request().has_value());

    on_timer(f.app, f.shell, Timer::Refresh);
    EXPECT_FALSE(f.app.refresh_pending);
    EXPECT_EQ(f.shell.timers.count(Timer::Refresh), 0u);
    ASSERT_TRUE(f.worker.pending_request().has_value());
    EXPECT_FALSE(f.app.reset_selection);

    // A search at once makes a waiting refresh pointless.
    on_index_changed(f.app, f.shell, IndexChange::Debounced);
    on_index_changed(f.app, f.shell, IndexChange::Now);
    EXPECT_FALSE(f.app.refresh_pending);
    EXPECT_EQ(f.shell.timers.count(Timer::Refresh), 0u);
}

TEST(IndexChangedTest, AChangeAfterACalmSpellShowsAtOnceAndTheRestWaitOutTheDebounce) {
    using std::chrono::milliseconds;
    // A storm: a change every 100 ms for 3 s. The first searches at once; the rest are gathered,
    // one search per half-second debounce, when its timer fires or, with the timer starved by a
    // queue the storm keeps full, at the first change after the debounce ran out.
    for (bool timers_fire : {true, false}) {
        SCOPED_TRACE(timers_fire ? "timers fire" : "timers starved");
        AppFixture f;
        f.app.result_query = parse("report", false, 0);
        f.app.search_time = Elapsed{0, 12'000'000};
        constexpr Clock::time_point NOT_ARMED = Clock::time_point::max();
        Clock::time_point timer_due = NOT_ARMED;
        std::vector<int64_t> searched_at;
        uint64_t searches = 0;
        auto note_search = [&](int64_t t) {
            if (f.worker.query_generation().load() == searches) return;
            searches = f.worker.query_generation().load();
            searched_at.push_back(t);
        };
        for (int64_t t = 0; t <= 3'000; t += 100) {
            f.shell.clock = Clock::time_point{} + milliseconds(t);
            if (timers_fire && f.shell.clock >= timer_due) {
                timer_due = NOT_ARMED;
                on_timer(f.app, f.shell, Timer::Refresh);
                note_search(t);
            }
            on_index_changed(f.app, f.shell, IndexChange::Debounced);
            note_search(t);
            if (!f.shell.timers.count(Timer::Refresh)) {
                timer_due = NOT_ARMED;
            } else if (timer_due == NOT_ARMED) {
                timer_due = f.shell.clock + milliseconds(f.shell.timers[Timer::Refresh]);
            }
        }
        EXPECT_EQ(searched_at, (std::vector<int64_t>{0, 500, 1000, 1500, 2000, 2500, 3000}));
    }
}

TEST(IndexChangedTest, AChangeThatFollowsAnotherShowsWithinHalfASecond) {
    using std::chrono::milliseconds;
    // A change some time after the refresh of the one before it: it waits at most the rest of a
    // half-second debounce (a 12 ms search), whatever the gap.
    struct Case {
        int64_t gap_ms;
        std::optional<uint32_t> timer_ms;  // nothing: it searches at once
    };
    const Case cases[] = {{100, 400u}, {499, 1u}, {500, std::nullopt}, {1000, std::nullopt}};
    for (const Case& c : cases) {
        AppFixture f;
        f.app.result_query = parse("report", false, 0);
        f.app.search_time = Elapsed{0, 12'000'000};
        on_index_changed(f.app, f.shell, IndexChange::Debounced);
        ASSERT_TRUE(f.worker.pending_request().has_value());
        const uint64_t first = f.worker.query_generation().load();
        f.shell.clock += milliseconds(c.gap_ms);
        on_index_changed(f.app, f.shell, IndexChange::Debounced);
        const bool searched = f.worker.query_generation().load() != first;
        EXPECT_EQ(searched, !c.timer_ms) << c.gap_ms;
        if (c.timer_ms) {
            EXPECT_EQ(f.shell.timers[Timer::Refresh], *c.timer_ms) << c.gap_ms;
        }
    }
}

TEST(TimerTest, ToastEndsWhenOldEnoughAndTickRepaintsOnlyWhileReading) {
    using std::chrono::milliseconds;
    AppFixture f;
    set_toast(f.app, f.shell, "Copied");
    f.shell.clock += milliseconds(1000);  // early: the toast stays for the rest of its time
    on_timer(f.app, f.shell, Timer::Toast);
    EXPECT_TRUE(f.app.toast.has_value());
    EXPECT_EQ(f.shell.timers[Timer::Toast], 1500u);
    f.shell.clock += milliseconds(1500);
    const int before = f.shell.invalidations;
    on_timer(f.app, f.shell, Timer::Toast);
    EXPECT_FALSE(f.app.toast.has_value());
    EXPECT_EQ(f.shell.timers.count(Timer::Toast), 0u);
    EXPECT_EQ(f.shell.invalidations, before + 1);

    struct Case {
        bool visible, ready;
        uint64_t scans;
        bool repaint;
    };
    const Case ticks[] = {
        {true, false, 0, true},
        {true, true, 1, true},
        {true, true, 0, false},
        {false, false, 1, false},
    };
    for (const Case& c : ticks) {
        AppFixture t;
        t.shell.visible = c.visible;
        t.service.index_ready = c.ready;
        t.service.scans_in_progress = c.scans;
        on_timer(t.app, t.shell, Timer::Tick);
        on_timer(t.app, t.shell, Timer::Update);  // the updater's: nothing here
        EXPECT_EQ(t.shell.invalidations, c.repaint ? 1 : 0);
    }
}

TEST(ShowWindowTest, PlacedOnceWholeQuerySelectedAndSearchedIfTheIndexChanged) {
    AppFixture f;
    f.shell.visible = false;
    f.app.text = U"보고서";
    f.app.caret = f.app.anchor = 1;
    show_main_window(f.app, f.shell);
    EXPECT_TRUE(f.app.placed);
    EXPECT_EQ(f.shell.first_shows, 1);
    EXPECT_EQ(f.app.anchor, 0u);
    EXPECT_EQ(f.app.caret, 3u);
    EXPECT_FALSE(f.worker.pending_request().has_value());  // the index did not change

    hide_main_window(f.app, f.shell);
    EXPECT_FALSE(f.shell.visible);
    EXPECT_EQ(f.shell.placement_saves, 1);
    f.service.index_generation = 3;
    show_main_window(f.app, f.shell);
    EXPECT_EQ(f.shell.shows, 2);
    EXPECT_EQ(f.shell.first_shows, 1);
    ASSERT_TRUE(f.worker.pending_request().has_value());
    EXPECT_EQ(f.worker.pending_request()->text, "보고서");
    EXPECT_EQ(f.app.index_generation_at_search, 3u);

    AppFixture empty;  // nothing to search for
    empty.service.index_generation = 3;
    show_main_window(empty.app, empty.shell);
    EXPECT_FALSE(empty.worker.pending_request().has_value());
}

TEST(WindowMessagesTest, SizeAndDpiKeepTheScrollInRange) {
    AppFixture f;
    f.app.results.resize(100);  // 3,200 pixels of rows
    f.app.scroll = 5000;
    on_size(f.app, f.shell, 960, 200);  // a 30-pixel list
    EXPECT_EQ(f.app.client_height, 200);
    EXPECT_EQ(f.app.scroll, 3170);
    on_size(f.app, f.shell, -5, -5);
    EXPECT_EQ(f.app.client_width, 0);

    on_size(f.app, f.shell, 960, 640);
    f.app.scroll = 320;  // ten rows down
    on_dpi_changed(f.app, f.shell, 144);
    EXPECT_EQ(f.app.dpi, 144u);
    EXPECT_FLOAT_EQ(f.app.scale, 1.5f);
    EXPECT_FLOAT_EQ(f.app.scroll, 480);  // still ten rows down
    on_dpi_changed(f.app, f.shell, 72);
    EXPECT_EQ(f.app.dpi, 96u);
    EXPECT_FLOAT_EQ(f.app.scale, 1);
    EXPECT_GE(f.shell.invalidations, 5);
}

TEST(WindowMessagesTest, WheelScrollsThreeRowsANotchAndTouchpadDeltasScrollToo) {
    struct Case {
        float scroll_before;
        int delta;
        float scroll_after;
    };
    const Case cases[] = {
        {0, -120, 96},       // one notch towards the user: three rows down
        {200, 120, 104},     // away: up
        {50, 240, 0},        // never above the top
        {2700, -120, 2730},  // nor past the end (3,200 - 470)
        {0, -30, 24},        // a touchpad's quarter notch
        {0, -1, 0.8f},
    };
    for (const Case& c : cases) {
        AppFixture f;
        f.app.results.resize(100);
        f.app.scroll = c.scroll_before;
        on_mouse_wheel(f.app, f.shell, c.delta);
        EXPECT_FLOAT_EQ(f.app.scroll, c.scroll_after) << c.delta;
        EXPECT_EQ(f.shell.invalidations, c.scroll_after != c.scroll_before ? 1 : 0);
    }
}

TEST(WindowMessagesTest, MouseLeaveClearsTheHoverAndFocusRepaints) {
    AppFixture f;
    f.app.mouse_tracked = true;
    on_mouse_leave(f.app, f.shell);
    EXPECT_FALSE(f.app.mouse_tracked);
    EXPECT_EQ(f.shell.invalidations, 0);  // nothing was hovered
    f.app.hover = HitTarget{HitKind::ResultRow, 3};
    on_mouse_leave(f.app, f.shell);
    EXPECT_EQ(f.app.hover, HitTarget{});
    EXPECT_EQ(f.shell.invalidations, 1);
    on_focus_changed(f.app, f.shell);
    EXPECT_EQ(f.shell.invalidations, 2);
    EXPECT_TRUE(f.shell.visible);
}

// An app whose service saves into a folder of the test's own.
struct SavingApp : AppFixture {
    testing::TempFolder folder;
    std::string index_file = testing::utf8_of(folder.path() / "index.bin");
    IndexService saving{index, testing::idle_platform(),
                        ServiceOptions{index_file, &items_read, &exit_requested, &index_dirty}};

    SavingApp() {
        app.engine.service = &saving;
        index.tables.push_back(VolumeTable::with_root("C:\\"));
    }
    bool saved() const { return std::filesystem::exists(folder.path() / "index.bin"); }
};

TEST(ShutdownTest, DestroyRemovesTheTrayIconAndHotKeyAndSavesTheChangedIndex) {
    for (bool visible : {true, false}) {
        SavingApp f;
        f.shell.visible = visible;
        f.index_dirty = true;
        on_destroy(f.app, f.shell);
        EXPECT_EQ(f.shell.tray_removals, 1);
        EXPECT_EQ(f.shell.hot_key_removals, 1);
        EXPECT_EQ(f.shell.placement_saves, visible ? 1 : 0);
        EXPECT_TRUE(f.exit_requested);
        EXPECT_TRUE(f.saved());
        EXPECT_FALSE(f.index_dirty);
        EXPECT_EQ(load_index_file(f.index_file).tables.size(), 1u);
    }
    SavingApp clean;  // an unchanged index is not written again
    on_destroy(clean.app, clean.shell);
    EXPECT_FALSE(clean.saved());
}

TEST(ShutdownTest, ASearchThatCouldNotFinishIsToldAndTheIndexIsStillSavedAtTheEnd) {
    SavingApp f;
    show_rows(f, {10, 11}, 1);
    f.app.result_generation = 4;
    f.index_dirty = true;
    SearchResult failed = result_for(f.app, {});
    failed.failed = true;
    failed.query.reset();
    accept_search_result(f.app, f.shell, std::move(failed));
    ASSERT_TRUE(f.app.toast.has_value());
    EXPECT_EQ(f.app.toast->text,
              choose_text("메모리가 모자라 검색을 끝내지 못했습니다. 낱말을 더 넣어 좁혀 보세요.",
                          "Not enough memory to finish this search. Add words to narrow it."));
    EXPECT_EQ(f.app.results.size(), 2u) << "the list stays as it was";
    EXPECT_EQ(f.app.selected, 1u);
    EXPECT_EQ(f.app.result_generation, 4u) << "not taken for an answer that found nothing";

    SearchResult stale = result_for(f.app, {});
    stale.failed = true;
    stale.generation = 4;  // a failure of an older query says nothing
    f.app.toast.reset();
    accept_search_result(f.app, f.shell, std::move(stale));
    EXPECT_FALSE(f.app.toast.has_value());

    on_destroy(f.app, f.shell);
    EXPECT_TRUE(f.saved());
}

TEST(ShutdownTest, EndingSessionSavesAndARestartManagerAlsoClosesTheWindow) {
    struct Case {
        bool ending, close_app;
        bool saved, destroyed;
    };
    const Case cases[] = {
        {false, false, false, false},  // the end was cancelled
        {true, false, true, false},    // logoff: saved, the window stays until the system ends it
        {true, true, true, true},      // an installer's restart manager: closed after saving
    };
    for (const Case& c : cases) {
        SavingApp f;
        f.index_dirty = true;
        on_end_session(f.app, f.shell, c.ending, c.close_app);
        EXPECT_EQ(f.saved(), c.saved);
        EXPECT_EQ(f.exit_requested.load(), c.saved);
        ASSERT_EQ(f.shell.deferred.size(), c.destroyed ? 1u : 0u);
        if (c.destroyed) {
            EXPECT_TRUE(std::holds_alternative<DestroyRequest>(f.shell.deferred[0]));
        }
        EXPECT_EQ(f.shell.tray_removals, 0);  // WM_DESTROY does that
    }
}

TEST(WindowMessagesTest, MinimumTrackSizeScalesWithTheDpi) {
    struct Case {
        uint32_t dpi;
        TrackSize expected;
    };
    const Case cases[] = {{96, {560, 360}},
                          {72, {560, 360}},
                          {120, {700, 450}},
                          {144, {840, 540}},
                          {168, {980, 630}}};
    for (const Case& c : cases)
        EXPECT_EQ(min_track_size(c.dpi), c.expected) << c.dpi;
}

}  // namespace
}  // namespace norvik
