#include "app/view/paint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/view/format_date.h"
#include "app/view/layout.h"
#include "app/view/syntax_card.h"
#include "hangul/utf8.h"
#include "query/query.h"
#include "support/app_fixture.h"
#include "support/canvas_window.h"
#include "support/recording_canvas.h"

namespace norvik {
namespace {

using testing::AppFixture;
using testing::CanvasWindow;
using testing::DrawCall;
using testing::Op;
using testing::RecordingCanvas;

constexpr uint32_t MARCH_5_2026 = 1772669220;

// A high-contrast theme of black text on white with a dark violet highlight.
const SystemColors black_on_white{rgb(0xFFFFFF), rgb(0x000000), rgb(0x37006E),
                                  rgb(0xFFFFFF), rgb(0x600000), rgb(0x00009F)};

// Entries of the one table C:\ the tests show.
enum : uint32_t { ROOT = 0, USERS, REPORT, BOGOSEO, HIDDEN, EMOJI };

// A window with an index of one table, ready to paint on a recording canvas.
struct PaintedApp : CanvasWindow {
    explicit PaintedApp(float scale = 1) : CanvasWindow(scale) {
        app.hot_key_ok = true;
        service.index_ready = true;

        VolumeTable table = VolumeTable::with_root("C:\\");
        table.add_entry(ROOT, "Users", FileFacts{0, MARCH_5_2026, ATTRIBUTE_DIRECTORY}, 0);
        table.add_entry(USERS, "Report.docx", FileFacts{1024, MARCH_5_2026, 0}, 0);
        table.add_entry(USERS, "보고서.hwp", FileFacts{1023, 0, 0}, 0);
        table.add_entry(USERS, "hidden.txt", FileFacts{5, MARCH_5_2026, ATTRIBUTE_HIDDEN}, 0);
        table.add_entry(USERS, "😀report.txt", FileFacts{7, MARCH_5_2026, 0}, 0);
        table.table_id = 4;
        index.tables.push_back(std::move(table));
    }

    // The results of query (typed into the box) are the given entries of C:\.
    void show(std::u32string query, std::vector<uint32_t> entries) {
        app.text = std::move(query);
        app.caret = app.anchor = static_cast<uint32_t>(app.text.size());
        std::string utf8;
        for (char32_t c : app.text)
            append_utf8(utf8, c);
        app.result_query = parse(utf8, false, app.filter);
        app.results.clear();
        for (uint32_t entry : entries)
            app.results.push_back(Hit{entry, 0, false});
        app.table_ids = {4};
        app.search_time = Elapsed{0, 12'400'000};
        app.query_generation = app.result_generation = 9;
    }

    // Paints one frame and checks its shape: one begin, one end, clips paired.
    void frame() {
        EXPECT_FALSE(paint(app));
        const std::vector<DrawCall>& calls = canvas->calls;
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.front().op, Op::BeginFrame);
        EXPECT_EQ(calls.back().op, Op::EndFrame);
        EXPECT_EQ(canvas->of(Op::PushClip).size(), canvas->of(Op::PopClip).size());
    }

    const DrawCall& text(std::string_view wanted) const {
        const DrawCall* call = canvas->find_text(wanted);
        EXPECT_NE(call, nullptr) << "no text " << wanted;
        static const DrawCall none;
        return call ? *call : none;
    }
    size_t count_texts(std::string_view wanted) const {
        size_t count = 0;
        for (const DrawCall& call : canvas->of(Op::Text))
            count += call.text == wanted;
        return count;
    }
    // The rounded fills of a row band starting at y.
    std::vector<DrawCall> row_bands(float y) const {
        std::vector<DrawCall> bands;
        for (const DrawCall& call : canvas->of(Op::FillRoundedRect))
            if (call.rect.y == y && call.rect.x == 6 * app.scale) bands.push_back(call);
        return bands;
    }
};

TEST(PaintTest, NothingWithoutARendererAndADeviceLossIsReported) {
    AppFixture bare;
    EXPECT_FALSE(paint(bare.app));
    PaintedApp f;
    f.canvas->lose_device = true;
    EXPECT_TRUE(paint(f.app));
}

TEST(PaintTest, SearchBoxAccentBarCaretSelectionAndComposition) {
    PaintedApp f;  // 7.5 pixels per character of the search text
    f.show(U"rep", {});
    f.app.anchor = 0;
    f.frame();
    const std::vector<DrawCall> fills = f.canvas->of(Op::FillRect);
    auto has_fill = [&](RectF rect, Color color) {
        for (const DrawCall& call : fills)
            if (call.rect == rect && call.color == color) return true;
        return false;
    };
    const std::vector<DrawCall> rounded = f.canvas->of(Op::FillRoundedRect);
    ASSERT_GE(rounded.size(), 2u);
    EXPECT_EQ(rounded[1].rect, edges(16, 56, 898, 58));  // the accent bar under the box
    EXPECT_EQ(rounded[1].color, rgb(0x6D28D9));
    EXPECT_TRUE(has_fill(edges(60, 24, 82.5f, 48), rgb(0x6D28D9, 0.28f)));  // selection
    EXPECT_TRUE(has_fill(edges(82.5f, 25, 84, 47), rgb(0x6D28D9)));         // caret
    EXPECT_EQ(f.text("rep").rect, (RectF{60, 14, 22.5f + 40, 44}));
    EXPECT_EQ(f.canvas->find_text("Search file and folder names"), nullptr);

    // A composition inside the text is underlined where it sits, and hides the caret.
    f.app.text = U"ab";
    f.app.caret = f.app.anchor = 1;
    f.app.composition = "한";
    f.frame();
    EXPECT_EQ(f.text("a한b").font, Font::Input);
    const std::vector<DrawCall> after = f.canvas->of(Op::FillRect);
    EXPECT_TRUE(std::any_of(after.begin(), after.end(), [](const DrawCall& c) {
        return c.rect == edges(67.5f, 47, 75, 48.5f) && c.color == rgb(0x16181D);
    }));
    EXPECT_FALSE(
        std::any_of(after.begin(), after.end(), [](const DrawCall& c) { return c.rect.y == 25; }));

    // Empty: the placeholder.
    f.app.composition.clear();
    f.show(U"", {});
    f.frame();
    EXPECT_EQ(f.text("Search file and folder names").color, rgb(0x596070));
}

TEST(PaintTest, ALongQueryIsShiftedSoTheCaretStaysInside) {
    PaintedApp f;
    f.show(std::u32string(200, U'x'), {});  // 1,500 pixels in an 824-pixel area
    f.frame();
    const float offset = 1500 + 2 - 824;
    EXPECT_EQ(f.text(std::string(200, 'x')).rect.x, 60 - offset);
    EXPECT_EQ(f.canvas->of(Op::PushClip)[0].rect, edges(60, 14, 884, 58));
}

TEST(PaintTest, TabsAndTheSortMark) {
    PaintedApp f;
    f.app.filter = 2;
    f.app.sort_column = SortColumn::Size;
    f.app.sort_descending = true;
    f.app.hover = HitTarget{HitKind::FilterTab, 3};
    f.show(U"", {});
    f.frame();
    const DrawCall& documents = f.text("Documents");
    EXPECT_EQ(documents.color, rgb(0xFFFFFF));
    EXPECT_EQ(f.text("Pictures").color, rgb(0x16181D));
    auto fill_under = [&](const DrawCall& label) {
        for (const DrawCall& fill : f.canvas->of(Op::FillRoundedRect))
            if (fill.rect == label.rect) return fill.color;
        return Color{};
    };
    EXPECT_EQ(fill_under(documents), rgb(0x6D28D9));                  // the current tab
    EXPECT_EQ(fill_under(f.text("Pictures")), rgb(0x596070, 0.20f));  // hovered
    EXPECT_EQ(fill_under(f.text("All")), rgb(0x596070, 0.10f));
    EXPECT_EQ(f.text("Size").font, Font::BodyBold);
    EXPECT_EQ(f.text("Name").font, Font::Small);

    struct Case {
        SortColumn column;
        bool descending;
        char32_t glyph;
        float x;
    };
    const Case marks[] = {
        {SortColumn::Size, true, 0xE70D, 712 + 6 + 74 - 26 - 18},  // right of a trailing label
        {SortColumn::Name, false, 0xE70E, 46 + 6 + 26 + 4},
    };
    for (const Case& c : marks) {
        f.app.sort_column = c.column;
        f.app.sort_descending = c.descending;
        f.frame();
        bool found = false;
        for (const DrawCall& glyph : f.canvas->of(Op::Glyph)) {
            if (glyph.glyph != c.glyph) continue;
            found = true;
            EXPECT_EQ(glyph.rect, (RectF{c.x, 110, 14, 30}));
            EXPECT_FLOAT_EQ(glyph.glyph_scale, 0.6f);
        }
        EXPECT_TRUE(found);
    }
    f.app.sort_column = SortColumn::Relevance;
    f.frame();
    for (const DrawCall& glyph : f.canvas->of(Op::Glyph))
        EXPECT_TRUE(glyph.glyph != 0xE70D && glyph.glyph != 0xE70E);
}

// A row's size and date sit in their header label's room wherever the borders are; nothing of
// the header or the rows reaches the scroll bar's strip, and a sort mark stays in its column.
TEST(PaintTest, CellsFollowTheirHeaderAndStayClearOfTheScrollBar) {
    struct Case {
        float scale, width;
        std::optional<ColumnWidths> sized;
        SortColumn sorted;
    };
    const Case cases[] = {
        {1, 960, ColumnWidths{233, 186, 136}, SortColumn::Size},  // Folder|Size dragged left
        {1, 544, std::nullopt, SortColumn::Name},                 // the smallest window
        {1.5f, 816, std::nullopt, SortColumn::Name},
        {1, 544, ColumnWidths{400, 86, 136}, SortColumn::DateModified},
        {1, 300, std::nullopt, SortColumn::DateModified},
        {1, 960, ColumnWidths{200, 86, 50}, SortColumn::DateModified},  // label cut short
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.scale << " x " << c.width);
        PaintedApp f(c.scale);
        f.app.client_width = c.width;
        f.app.column_widths = c.sized;
        f.app.sort_column = c.sorted;
        f.show(U"rep", {REPORT});
        f.frame();
        const std::array<ColumnSpec, 4> columns = column_specs(f.app);
        if (columns[2].width > 0) {
            EXPECT_FLOAT_EQ(f.text("1.00 KB").rect.right(), f.text("Size").rect.right());
        }
        EXPECT_FLOAT_EQ(f.text(format_date(MARCH_5_2026)).rect.x, f.text("Date modified").rect.x);
        const float list_bottom = 140 * c.scale + metrics(f.app).list_height;
        for (const DrawCall& text : f.canvas->of(Op::Text)) {
            if (text.rect.y < 110 * c.scale || text.rect.y >= list_bottom) continue;
            EXPECT_LE(text.rect.right(), c.width - 26 * c.scale) << text.text;
        }
        const ColumnSpec& sorted = columns[static_cast<size_t>(c.sorted) - 1];
        for (const DrawCall& glyph : f.canvas->of(Op::Glyph)) {
            if (glyph.glyph != 0xE70D && glyph.glyph != 0xE70E) continue;
            EXPECT_GE(glyph.rect.x, sorted.x + 6 * c.scale);
            EXPECT_LE(glyph.rect.right(), sorted.x + sorted.width - 6 * c.scale);
        }
    }
}

TEST(PaintTest, AHoveredOrDraggedBorderShowsWhereTheColumnsPart) {
    // The line is a 2-DIP bar down the middle of the header, in the secondary text colour at 0.6.
    auto border_lines = [](const PaintedApp& f) {
        std::vector<RectF> lines;
        for (const DrawCall& fill : f.canvas->of(Op::FillRect))
            if (fill.color == rgb(0x596070, 0.6f)) lines.push_back(fill.rect);
        return lines;
    };
    struct Case {
        float scale;
        HitTarget hover;
        bool dragging;
        std::vector<RectF> lines;
    };
    const Case cases[] = {
        {1, {HitKind::ColumnHeader, 2}, false, {}},
        {1, {HitKind::ColumnBorder, 1}, false, {RectF{711, 116, 2, 18}}},
        {1.5f, {HitKind::ColumnBorder, 2}, false, {RectF{1195.5f, 174, 3, 27}}},
        {1, {HitKind::ResultRow, 0}, true, {RectF{378, 116, 2, 18}}},  // border 0 dragged
    };
    for (const Case& c : cases) {
        PaintedApp f(c.scale);
        f.app.hover = c.hover;
        f.app.column_drag.active = c.dragging;
        f.show(U"", {});
        f.frame();
        EXPECT_EQ(border_lines(f), c.lines) << c.scale << " " << c.dragging;
    }
}

TEST(PaintTest, RowsWithIconsHighlightsAndCellsAtBothScales) {
    for (float s : {1.0f, 1.5f}) {
        PaintedApp f(s);
        f.show(U"rep ㅂㄱ", {REPORT, BOGOSEO, HIDDEN, EMOJI, USERS});
        f.app.selected = 1;
        f.app.hover = HitTarget{HitKind::ResultRow, 0};
        f.frame();
        const float row = s == 1 ? 32 : 48;
        const float top = 140 * s;
        const float name_width = s == 1 ? 333 : 500;
        const float folder_x = s == 1 ? 379 : 569;
        const float folder_width = s == 1 ? 333 : 499;

        const DrawCall& report = f.text("Report.docx");
        EXPECT_EQ(report.rect, (RectF{50 * s, top, name_width - 10 * s, row}));
        EXPECT_EQ(report.color, rgb(0x16181D));
        EXPECT_EQ(report.highlights, (std::vector<TextRange>{{0, 3}}));
        EXPECT_EQ(report.highlight, rgb(0x6D28D9));
        EXPECT_EQ(f.text("보고서.hwp").highlights, (std::vector<TextRange>{{0, 2}}));
        // The emoji takes two UTF-16 units before the match.
        EXPECT_EQ(f.text("😀report.txt").highlights, (std::vector<TextRange>{{2, 3}}));
        EXPECT_EQ(f.text("hidden.txt").color, rgb(0x596070));  // hidden: dimmed

        const DrawCall& folder = f.text("C:\\Users");
        EXPECT_EQ(folder.rect, (RectF{folder_x + 6 * s, top, folder_width - 12 * s, row}));
        EXPECT_EQ(folder.font, Font::Small);
        EXPECT_EQ(f.text("1.00 KB").align, Align::Trailing);
        EXPECT_EQ(f.text("1023 B").rect.y, top + row);
        EXPECT_EQ(f.count_texts(format_date(MARCH_5_2026)), 4u);  // 보고서.hwp has no date
        EXPECT_EQ(f.text("C:\\").rect.y, top + 4 * row);          // the folder Users is in

        const std::vector<DrawCall> glyphs = f.canvas->of(Op::Glyph);
        auto icon_at = [&](float y) {
            for (const DrawCall& g : glyphs)
                if (g.rect == RectF{16 * s, y, 30 * s, row}) return g;
            return DrawCall{};
        };
        EXPECT_EQ(icon_at(top).glyph, 0xE8A5u);  // a document
        EXPECT_EQ(icon_at(top).color, rgb(0x0C8F64));
        EXPECT_EQ(icon_at(top + 4 * row).glyph, 0xE8B7u);  // a folder
        EXPECT_EQ(icon_at(top + 4 * row).color, rgb(0xA37500));
        EXPECT_EQ(f.count_texts("5 B") + f.count_texts("0 B"), 1u);  // folders have no size

        ASSERT_EQ(f.row_bands(top + row).size(), 1u);  // selected
        EXPECT_EQ(f.row_bands(top + row)[0].rect,
                  edges(6 * s, top + row, 960 * s - 16 * s, top + 2 * row));
        EXPECT_EQ(f.row_bands(top + row)[0].color, rgb(0x6D28D9, 0.12f));
        ASSERT_EQ(f.row_bands(top).size(), 1u);  // hovered
        EXPECT_EQ(f.row_bands(top)[0].color, rgb(0x596070, 0.09f));

        EXPECT_NE(f.canvas->find_text("5 found (12 ms)  ·  6 indexed"), nullptr);
        EXPECT_EQ(f.canvas->find_text("Nothing found"), nullptr);
    }
}

TEST(PaintTest, ARowWhoseTableChangedSinceTheSearchIsLeftBlank) {
    struct Case {
        const char* what;
        std::vector<uint32_t> table_ids;
        uint32_t entry;
    };
    const Case cases[] = {
        {"table rebuilt", {5}, REPORT},
        {"no id delivered", {}, REPORT},
        {"entry past the table", {4}, 99},
    };
    for (const Case& c : cases) {
        PaintedApp f;
        f.show(U"rep", {c.entry, REPORT});
        f.app.results[1].table = 1;  // a table position the index does not have
        f.app.table_ids = c.table_ids;
        f.app.selected = 0;
        f.frame();
        EXPECT_TRUE(f.canvas->of(Op::Text).size() > 0) << c.what;
        EXPECT_EQ(f.canvas->find_text("Report.docx"), nullptr) << c.what;
        EXPECT_TRUE(f.row_bands(140).empty()) << c.what;  // not even the selection
        for (const DrawCall& glyph : f.canvas->of(Op::Glyph))
            EXPECT_NE(glyph.rect.y, 140) << c.what;
    }
}

// A row past the ordered front is left blank, selection included, until the search worker
// delivers it in order.
TEST(PaintTest, ARowNotInOrderYetIsLeftBlank) {
    PaintedApp f;
    f.show(U"rep", {EMOJI, REPORT});
    f.app.results_ordered = 1;
    f.app.selected = 1;
    f.frame();
    EXPECT_NE(f.canvas->find_text("😀report.txt"), nullptr);
    EXPECT_EQ(f.canvas->find_text("Report.docx"), nullptr);
    EXPECT_TRUE(f.row_bands(140 + 32).empty());
}

TEST(PaintTest, ARowWhoseEntryWasRemovedSinceIsDrawnFadedUntilTheRefresh) {
    PaintedApp f;
    f.show(U"rep", {REPORT, EMOJI});
    f.index.tables[0].entries[REPORT].flags |= FLAG_REMOVED;
    f.frame();
    const DrawCall& removed = f.text("Report.docx");
    EXPECT_EQ(removed.color, rgb(0x16181D, 0.4f));
    EXPECT_EQ(removed.highlight, rgb(0x6D28D9, 0.4f));
    EXPECT_EQ(f.text("1.00 KB").color, rgb(0x596070, 0.4f));
    const DrawCall& live = f.text("😀report.txt");
    EXPECT_EQ(live.color, rgb(0x16181D));
    EXPECT_EQ(live.highlight, rgb(0x6D28D9));
}

// Five million rows scrolled to the end: the centre of every painted row hit-tests to that row,
// at scales whose row heights put the offsets beyond a float's whole-pixel range.
TEST(PaintTest, EveryPaintedRowHitTestsToItselfAtFiveMillionRows) {
    constexpr size_t ROWS = 5'000'000;
    for (float s : {1.0f, 1.25f, 1.5f}) {
        SCOPED_TRACE(s);
        PaintedApp f(s);
        f.show(U"rep", std::vector<uint32_t>(ROWS, REPORT));
        select_row(f.app, f.shell, ROWS - 1);
        f.frame();
        std::vector<float> centres;
        for (const DrawCall& call : f.canvas->of(Op::Text))
            if (call.text == "Report.docx") centres.push_back(call.rect.y + call.rect.height / 2);
        ASSERT_GE(centres.size(), 10u);
        const Metrics m = metrics(f.app);
        EXPECT_FLOAT_EQ(centres.back(), m.list_top + m.list_height - m.row_height / 2);
        for (size_t k = 0; k < centres.size(); ++k) {
            if (centres[k] < m.list_top) continue;  // a row cut off above the list
            const uint32_t row = static_cast<uint32_t>(ROWS - centres.size() + k);
            EXPECT_EQ(hit_test(f.app, 300 * s, centres[k]), (HitTarget{HitKind::ResultRow, row}))
                << "row " << row;
        }
    }
}

TEST(PaintTest, OnlyTheVisibleRowsAreDrawnWhateverTheCount) {
    PaintedApp f;
    f.show(U"rep", std::vector<uint32_t>(20, REPORT));
    f.frame();
    EXPECT_EQ(f.count_texts("Report.docx"), 15u);  // 470 pixels: 14 rows and a part
    const size_t layouts = f.canvas->text_layouts();

    f.show(U"rep", std::vector<uint32_t>(1'000'000, REPORT));
    f.app.scroll = 32 * 500'000;
    f.frame();
    EXPECT_EQ(f.count_texts("Report.docx"), 15u);
    EXPECT_EQ(f.canvas->text_layouts(), layouts);
    f.app.scroll += 16;  // half rows at both ends
    f.frame();
    EXPECT_EQ(f.count_texts("Report.docx"), 16u);
    EXPECT_EQ(f.canvas->of(Op::FillRoundedRect).back().rect.x, 950);  // the scroll thumb
}

// What the renderer must lay out anew per frame, counted by the recording canvas with the
// renderer's own keys: a frame like the last costs nothing, and a one-row scroll one row.
TEST(PaintTest, LayoutsBuiltPerFrameForASelectionMoveAndAOneRowScroll) {
    PaintedApp f;
    std::vector<uint32_t> rows;
    for (uint32_t i = 0; i < 40; ++i) {
        rows.push_back(
            f.index.tables[0].add_entry(USERS, "report " + std::to_string(i) + ".txt",
                                        FileFacts{1000u + i, MARCH_5_2026 + 86400 * i, 0}, 0));
    }
    f.show(U"report", rows);
    f.app.selected = 0;
    f.frame();
    const size_t full = f.canvas->layouts_built;
    EXPECT_GT(full, 4 * 14u);  // every visible cell and label, the first time

    f.app.selected = 5;
    f.frame();
    EXPECT_EQ(f.canvas->layouts_built, 0u) << "selection move";

    f.app.scroll += metrics(f.app).row_height;
    f.frame();
    EXPECT_GE(f.canvas->layouts_built, 1u) << "one-row scroll";
    EXPECT_LE(f.canvas->layouts_built, 4u) << "one-row scroll";  // a row's four cells at most

    f.app.text += U"s";  // a new query: its rows and the typed text are new
    f.frame();
    EXPECT_GE(f.canvas->layouts_built, 2u) << "typed";
}

TEST(PaintTest, FirstBuildIntroAndNothingFound) {
    struct Case {
        const char* what;
        bool ready;
        std::u32string typed;
        bool answered;
        std::vector<std::pair<std::string, float>> lines;  // text and y
        Font first_font;
    };
    // a = 470 x 0.36 = 169.2
    const Case cases[] = {
        {"first build, even with a query",
         false,
         U"rep",
         true,
         {{"Building the file list for this PC (first time only)", 140 + 139.2f},
          {"12,345 items read", 140 + 169.2f}},
         Font::Title},
        {"intro",
         true,
         U"",
         true,
         {{"Type part of a file or folder name", 140 + 109.2f},
          {"Korean initials: ㅂㄱㅅ → 보고서     Typed in English mode: qhrhtj → 보고서",
           140 + 139.2f},
          {"Extensions: *.hwp   ext:pdf,hwp     Several words: 2026 report", 140 + 169.2f},
          {"Filters: size:>10mb   dm:thisweek   folder:     Not: !ext:tmp     Or: 보고서|report",
           140 + 199.2f}},
         Font::BodyBold},
        {"nothing found", true, U"zzz", true, {{"Nothing found", 140 + 154.2f}}, Font::BodyBold},
        {"still searching", true, U"zzz", false, {}, Font::Body},
    };
    for (const Case& c : cases) {
        PaintedApp f;
        f.service.index_ready = c.ready;
        f.items_read = 12345;
        f.show(c.typed, {});
        if (!c.answered) ++f.app.query_generation;
        f.frame();
        for (const auto& [line, y] : c.lines) {
            const DrawCall& call = f.text(line);
            EXPECT_NEAR(call.rect.y, y, 1e-3) << c.what << ": " << line;
            EXPECT_EQ(call.rect, (RectF{20, call.rect.y, 920, 30})) << c.what << ": " << line;
            EXPECT_EQ(call.align, Align::Center) << c.what;
        }
        if (!c.lines.empty()) {
            EXPECT_EQ(f.text(c.lines[0].first).font, c.first_font) << c.what;
        }
        const size_t messages = f.count_texts("Nothing found") +
                                f.count_texts("Type part of a file or folder name") +
                                f.count_texts("12,345 items read");
        EXPECT_EQ(messages, c.lines.empty() ? 0u : 1u) << c.what;
    }
}

// The scans go on while a frame is drawn: the count they read is taken once for the whole frame.
TEST(PaintTest, TheFirstBuildsCountIsTheSameInTheMessageAndTheStatusLine) {
    struct CountingOnCanvas : RecordingCanvas {
        std::atomic<uint64_t>* items_read = nullptr;
        void draw_text(std::string_view text, RectF rect, Color color, Font font, Align align,
                       std::span<const TextRange> highlights, Color highlight) override {
            RecordingCanvas::draw_text(text, rect, color, font, align, highlights, highlight);
            *items_read += 1000;
        }
    };
    PaintedApp f;
    auto counting = std::make_unique<CountingOnCanvas>();
    counting->items_read = &f.items_read;
    f.canvas = counting.get();
    f.app.renderer = std::move(counting);
    f.service.index_ready = false;
    f.service.scans_in_progress = 1;
    f.items_read = 12000;
    f.frame();
    f.text("12,000 items read");
    f.text("6 indexed  ·  Reading 12,000");
}

TEST(PaintTest, StatusLineCountsReadingAndTheHotKeyNotice) {
    PaintedApp f;
    f.service.scans_in_progress = 1;
    f.items_read = 12000;
    f.show(U"", {});
    f.frame();
    const DrawCall& status = f.text("6 indexed  ·  Reading 12,000");
    EXPECT_EQ(status.rect, (RectF{16, 610, 576, 30}));
    EXPECT_EQ(status.font, Font::Small);
    const DrawCall& hint =
        f.text("Ctrl+Alt+F opens Norvik anytime  ·  Enter open  ·  Ctrl+Enter folder");
    EXPECT_EQ(hint.rect, (RectF{384, 610, 560, 30}));
    EXPECT_EQ(hint.align, Align::Trailing);
    const std::string hint_text = hint.text;
    const std::vector<DrawCall> fills = f.canvas->of(Op::FillRect);
    EXPECT_TRUE(std::any_of(fills.begin(), fills.end(), [](const DrawCall& c) {
        return c.rect == edges(0, 610, 960, 640) && c.color == rgb(0xFFFFFF);
    }));

    f.app.hot_key_ok = false;
    f.frame();
    EXPECT_EQ(f.text("Ctrl+Alt+F is taken by another app, so the shortcut is off").color,
              rgb(0xDC2626));
    EXPECT_EQ(f.canvas->find_text(hint_text), nullptr);
}

// The focus outline: a 2-pixel frame in the text colour just outside what the keyboard is on,
// in the palettes and in high contrast; the search box shows its caret instead.
TEST(PaintTest, TheFocusOutlineFramesWhatTheKeyboardIsOn) {
    struct Case {
        const char* name;
        FocusArea focus;
        bool high_contrast;
        std::optional<RectF> outline;
    };
    const Case cases[] = {
        {"search box", FocusArea::SearchBox, false, std::nullopt},
        {"menu button", FocusArea::MenuButton, false, RectF{902, 14, 44, 44}},
        {"menu button in high contrast", FocusArea::MenuButton, true, RectF{902, 14, 44, 44}},
        {"size header", FocusArea::Headers, false, RectF{710, 108, 90, 34}},
        {"selected row, kept inside the list", FocusArea::Results, false, RectF{4, 140, 942, 34}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PaintedApp f;
        f.show(U"rep", {REPORT});
        f.app.selected = 0;
        f.app.focus = c.focus;
        f.app.focused_column = SortColumn::Size;
        if (c.high_contrast) f.app.high_contrast = black_on_white;
        EXPECT_EQ(focus_outline(f.app), c.outline);
        f.frame();
        if (!c.outline) continue;
        const Color text = palette_for(f.app).text;
        const RectF r = *c.outline;
        const RectF sides[] = {edges(r.x, r.y, r.right(), r.y + 2),
                               edges(r.x, r.bottom() - 2, r.right(), r.bottom()),
                               edges(r.x, r.y + 2, r.x + 2, r.bottom() - 2),
                               edges(r.right() - 2, r.y + 2, r.right(), r.bottom() - 2)};
        for (const RectF& side : sides) {
            bool drawn = false;
            for (const DrawCall& call : f.canvas->of(Op::FillRect))
                drawn = drawn || (call.rect == side && call.color == text);
            EXPECT_TRUE(drawn) << side.x << "," << side.y;
        }
    }
}

// A word that cannot be read: the status line says what was expected, in the notice colour,
// where the count would be; the list says nothing was found.
TEST(PaintTest, AnUnreadableWordIsSaidInTheStatusLine) {
    PaintedApp f;
    f.show(U"report size:big", {});
    f.frame();
    const DrawCall& problem = f.text("size: needs a size such as size:>10mb  ·  ");
    EXPECT_EQ(problem.color, palette(false).notice);
    EXPECT_EQ(problem.rect.x, 16);
    const DrawCall& rest = f.text("6 indexed");
    EXPECT_GT(rest.rect.x, problem.rect.x);
    EXPECT_EQ(rest.color, palette(false).secondary);
    EXPECT_EQ(f.count_texts("Nothing found"), 1u);
    EXPECT_EQ(f.canvas->find_text("0 found (12 ms)  ·  6 indexed"), nullptr);
}

// The Search syntax card, drawn last over a veil, holds every line inside the window, down to
// the smallest window.
TEST(PaintTest, TheSyntaxCardShowsEveryFormInsideTheWindow) {
    for (const auto& [width, height] : {std::pair{960.0f, 640.0f}, std::pair{560.0f, 360.0f}}) {
        PaintedApp f;
        f.app.client_width = width;
        f.app.client_height = height;
        f.app.syntax_card = true;
        f.frame();
        const std::vector<SyntaxLine> lines = syntax_lines();
        ASSERT_EQ(lines.size(), 12u);
        for (const SyntaxLine& line : lines) {
            for (const std::string& text : {line.example, line.meaning}) {
                const DrawCall& call = f.text(text);
                EXPECT_GE(call.rect.y, 0) << text;
                EXPECT_LE(call.rect.bottom(), height) << width << ": " << text;
                EXPECT_GE(call.rect.x, 0) << text;
                EXPECT_LE(call.rect.right(), width) << text;
            }
        }
        EXPECT_EQ(f.canvas->calls[f.canvas->calls.size() - 2].text,
                  "Esc or a click closes this card");  // drawn last
        EXPECT_EQ(f.text("Search syntax").font, Font::BodyBold);
    }
}

TEST(PaintTest, ToastIsCentredAboveTheStatusLine) {
    PaintedApp f;
    f.app.toast = Toast{"Copied", {}};  // 6 x 6.5 = 39 pixels wide
    f.frame();
    const DrawCall box = f.canvas->of(Op::FillRoundedRect).back();
    EXPECT_EQ(box.rect, (RectF{445, 558, 71, 38}));
    EXPECT_EQ(box.radius, 8);
    EXPECT_EQ(box.color, rgb(0x111214, 0.92f));
    const DrawCall& text = f.text("Copied");
    EXPECT_EQ(text.rect, (RectF{457, 558, 47, 38}));  // centred with room to spare
    EXPECT_EQ(text.color, rgb(0xFFFFFF));
    EXPECT_EQ(f.canvas->calls[f.canvas->calls.size() - 2].text, "Copied");  // drawn last
}

// Toasts of every length: the text whole with room to spare, the box within the window.
TEST(PaintTest, AToastIsAsWideAsItsTextWithinTheWindow) {
    const std::string long_text(200, 'x');
    struct Case {
        const char* what;
        float scale;
        std::string text;
    };
    const Case cases[] = {
        {"Korean", 1, "경로를 복사했습니다"},
        {"Korean at 150 %", 1.5f, "경로를 복사했습니다"},
        {"wider than the window", 1, long_text},
    };
    for (const Case& c : cases) {
        PaintedApp f(c.scale);
        f.app.toast = Toast{c.text, {}};
        f.frame();
        const float width = 960 * c.scale;
        const float text_width = f.canvas->width_of(c.text, Font::Body);
        const DrawCall box = f.canvas->of(Op::FillRoundedRect).back();
        const DrawCall& text = f.text(c.text);
        EXPECT_GE(box.rect.x, 16 * c.scale) << c.what;
        EXPECT_LE(box.rect.right(), width - 16 * c.scale + 0.5f) << c.what;
        EXPECT_FLOAT_EQ(box.rect.width,
                        std::min(std::ceil(text_width) + 32 * c.scale, width - 32 * c.scale))
            << c.what;
        if (text_width + 32 * c.scale < width - 32 * c.scale) {
            EXPECT_GE(text.rect.width, text_width + 2) << c.what;  // never trimmed
        }
        EXPECT_GE(text.rect.x, box.rect.x) << c.what;
        EXPECT_LE(text.rect.right(), box.rect.right()) << c.what;
    }
}

// An exclusion's toast has its Undo button at its right, clear of the text; a long folder in it
// is shortened in the middle so its own name stays, and the box stays within the window.
TEST(PaintTest, AnExclusionToastShowsItsUndoButtonAndTheFoldersEnd) {
    std::string deep = "D:\\Projects";
    for (int i = 0; i < 30; ++i)
        deep += "\\level " + std::to_string(i);
    deep += "\\Saves";
    struct Case {
        float scale, width;
        std::string folder;
        bool shortened;
    };
    const Case cases[] = {
        {1, 960, "C:\\Games", false},
        {1.5f, 1440, "C:\\Games", false},
        {1, 544, deep, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        PaintedApp f(c.scale);
        f.app.client_width = c.width;
        set_exclusion_toast(f.app, f.shell, "Excluded from Norvik: " + c.folder, c.folder);
        f.frame();
        const DrawCall& undo = f.text("Undo");
        EXPECT_EQ(undo.font, Font::BodyBold);
        std::optional<DrawCall> text;
        for (const DrawCall& call : f.canvas->of(Op::Text))
            if (call.text.starts_with("Excluded from Norvik: ")) text = call;
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(text->text.find("\u2026") != std::string::npos, c.shortened);
        EXPECT_TRUE(text->text.ends_with(c.shortened ? "\\Saves" : c.folder));
        EXPECT_LE(text->rect.right(), undo.rect.x);
        const std::optional<ToastGeometry> toast = toast_geometry(f.app);
        ASSERT_TRUE(toast.has_value());
        EXPECT_EQ(*toast->button, undo.rect);
        EXPECT_GE(toast->box.x, 16 * c.scale);
        EXPECT_LE(toast->box.right(), c.width - 16 * c.scale + 0.5f);
        EXPECT_LE(undo.rect.right(), toast->box.right());
        if (!c.shortened) {
            EXPECT_GE(text->rect.width, f.canvas->width_of(text->text, Font::Body));
        }
        const Point middle{undo.rect.x + undo.rect.width / 2, undo.rect.y + undo.rect.height / 2};
        EXPECT_EQ(hit_test(f.app, middle.x, middle.y), (HitTarget{HitKind::ToastButton, 0}));
    }
}

TEST(PaintTest, LongNamesKeepTheirExtensionAndDeepFoldersTheirEnd) {
    for (float s : {1.0f, 1.5f}) {
        PaintedApp f(s);
        VolumeTable& table = f.index.tables[0];
        uint32_t folder =
            table.add_entry(ROOT, "깊은폴더1", FileFacts{0, 0, ATTRIBUTE_DIRECTORY}, 0);
        for (int level = 2; level <= 10; ++level) {
            folder = table.add_entry(folder, "level" + std::to_string(level),
                                     FileFacts{0, 0, ATTRIBUTE_DIRECTORY}, 0);
        }
        const std::string name = "report " + std::string(214, 'r') + " final name.pdf";  // 230
        const uint32_t deep = table.add_entry(folder, name, FileFacts{1, MARCH_5_2026, 0}, 0);
        f.show(U"report", {deep, REPORT});
        f.frame();

        const float name_room = (s == 1 ? 333 : 500) - 10 * s;
        const std::vector<DrawCall> names = f.canvas->of(Op::Text);
        const auto shown = std::find_if(names.begin(), names.end(), [](const DrawCall& call) {
            return call.text.ends_with("… name.pdf");
        });
        ASSERT_NE(shown, names.end()) << s;
        EXPECT_TRUE(shown->text.starts_with("report rrr")) << s;
        const float used = f.canvas->width_of(shown->text, Font::Body);
        EXPECT_LE(used, name_room - 1) << s;                                  // never trimmed again
        EXPECT_GT(used, name_room - 1 - f.canvas->advance(Font::Body)) << s;  // and no room wasted
        EXPECT_EQ(shown->highlights, (std::vector<TextRange>{{0, 6}})) << s;  // "report" still lit

        const DrawCall& path =
            f.text("C:\\깊은폴더1\\…\\level5\\level6\\level7\\level8\\level9\\level10");
        EXPECT_EQ(path.font, Font::Small) << s;
        f.text("C:\\Users");  // short: whole
        f.text("Report.docx");
        // A few candidates measured by halving, not one per length; none again the next frame.
        EXPECT_LE(f.canvas->measures, 30u) << s;
        f.frame();
        EXPECT_EQ(f.canvas->layouts_built, 0u) << s;
    }
}

TEST(PaintTest, ATooltipShowsTheWholeTextOfAShortenedCellUnderTheRestingPointer) {
    const std::string name = std::string(223, 'n') + "_v2.docx";  // 231 characters
    std::string folder = "C:";
    for (int level = 1; level <= 8; ++level)
        folder += "\\folder-0" + std::to_string(level);  // 82 characters
    struct Case {
        const char* what;
        float scale;
        float x;  // DIPs; the rows are at 140 and 172
        float y;
        bool due;           // the timer fired
        std::string whole;  // the tooltip's text; none when empty
    };
    const Case cases[] = {
        {"over a cut name", 1, 100, 150, true, name},
        {"over a cut name at 150 %", 1.5f, 100, 150, true, name},
        {"over a cut folder", 1, 500, 150, true, folder},
        {"over a whole name", 1, 100, 182, true, ""},
        {"over the size", 1, 750, 150, true, ""},
        {"not yet due", 1, 100, 150, false, ""},
    };
    for (const Case& c : cases) {
        PaintedApp f(c.scale);
        VolumeTable& table = f.index.tables[0];
        uint32_t parent = ROOT;
        for (int level = 1; level <= 8; ++level) {
            parent = table.add_entry(parent, "folder-0" + std::to_string(level),
                                     FileFacts{0, 0, ATTRIBUTE_DIRECTORY}, 0);
        }
        const uint32_t entry = table.add_entry(parent, name, FileFacts{1, MARCH_5_2026, 0}, 0);
        f.show(U"", {entry, REPORT});
        f.app.rest = PointerRest{c.x * c.scale, c.y * c.scale, c.due};
        f.app.hover = hit_test(f.app, f.app.rest.x, f.app.rest.y);
        f.frame();

        // The tooltip: a border, its fill and its lines, the last calls of the frame.
        const std::vector<DrawCall>& calls = f.canvas->calls;
        size_t last_box = 0;
        for (size_t k = 0; k < calls.size(); ++k)
            if (calls[k].op == Op::FillRoundedRect) last_box = k;
        std::vector<DrawCall> lines;
        for (size_t k = last_box + 1; k < calls.size(); ++k)
            if (calls[k].op == Op::Text) lines.push_back(calls[k]);
        if (c.whole.empty()) {  // the status line's texts come last
            EXPECT_EQ(f.canvas->of(Op::Text).back().rect.y, metrics(f.app).status_top) << c.what;
            continue;
        }
        ASSERT_GE(last_box, 1u) << c.what;
        const DrawCall& fill = calls[last_box];
        const DrawCall& border = calls[last_box - 1];
        EXPECT_EQ(fill.color, rgb(0xFFFFFF)) << c.what;
        EXPECT_EQ(border.color, rgb(0xE3E6EA)) << c.what;
        EXPECT_GE(border.rect.x, 0) << c.what;
        EXPECT_LE(border.rect.right(), 960 * c.scale) << c.what;
        EXPECT_GE(border.rect.y, 172 * c.scale) << c.what;  // below the row
        EXPECT_LE(border.rect.bottom(), metrics(f.app).status_top) << c.what;
        std::string whole;
        for (const DrawCall& line : lines) {
            whole += line.text;
            EXPECT_EQ(line.color, rgb(0x16181D)) << c.what;
            EXPECT_LT(f.canvas->width_of(line.text, Font::Small), line.rect.width) << c.what;
            EXPECT_GE(line.rect.x, border.rect.x) << c.what;
            EXPECT_LE(line.rect.right(), border.rect.right()) << c.what;
            EXPECT_LE(line.rect.bottom(), border.rect.bottom()) << c.what;
        }
        EXPECT_EQ(whole, c.whole) << c.what;  // whole, on as many lines as it needs
        EXPECT_EQ(lines.size(), c.whole == name ? 2u : 1u) << c.what;
    }
}

TEST(PaintTest, AnEmptyTabSaysWhereTheResultsAre) {
    struct Case {
        const char* what;
        uint8_t filter;
        std::optional<size_t> unfiltered;
        const char* message;
    };
    const Case cases[] = {
        {"found in All", 3, 12, "Nothing in Pictures · 12 in All"},
        {"thousands", 2, 12345, "Nothing in Documents · 12,345 in All"},
        {"nowhere", 3, 0, "Nothing found"},
        {"not counted", 3, std::nullopt, "Nothing found"},
        {"All itself", 0, std::nullopt, "Nothing found"},
    };
    for (const Case& c : cases) {
        PaintedApp f;
        f.app.filter = c.filter;
        f.show(U"zzz", {});
        f.app.unfiltered_count = c.unfiltered;
        f.frame();
        EXPECT_EQ(f.text(c.message).font, Font::BodyBold) << c.what;
    }
}

// At the smallest window, at 100 % and 150 %: the counts are never clipped and the hint on the
// right shortens, then goes, rather than running over them.
TEST(PaintTest, TheStatusLineNeverOverlapsAtTheMinimumSize) {
    struct Case {
        const char* what;
        float scale;
        float width;  // DIPs
        bool scanning;
        bool hot_key_ok;
        const char* hint;  // empty: none
    };
    const Case cases[] = {
        {"wide", 1, 960, false, true,
         "Ctrl+Alt+F opens Norvik anytime  ·  Enter open  ·  Ctrl+Enter folder"},
        {"minimum", 1, 560, false, true, "Ctrl+Alt+F opens Norvik anytime  ·  Enter open"},
        {"minimum at 150 %", 1.5f, 560, false, true,
         "Ctrl+Alt+F opens Norvik anytime  ·  Enter open"},
        {"minimum while reading", 1, 560, true, true, "Ctrl+Alt+F opens Norvik anytime"},
        {"minimum while reading at 150 %", 1.5f, 560, true, true,
         "Ctrl+Alt+F opens Norvik anytime"},
        {"the hot-key notice does not fit", 1, 560, true, false, ""},
        {"the hot-key notice fits", 1, 960, true, false,
         "Ctrl+Alt+F is taken by another app, so the shortcut is off"},
    };
    for (const Case& c : cases) {
        PaintedApp f(c.scale);
        f.app.client_width = c.width * c.scale;
        f.app.client_height = 360 * c.scale;
        f.app.hot_key_ok = c.hot_key_ok;
        f.service.scans_in_progress = c.scanning ? 1 : 0;
        f.items_read = 12000;
        f.show(U"rep", {REPORT, BOGOSEO, HIDDEN, EMOJI, USERS});
        f.frame();
        const float top = metrics(f.app).status_top;
        std::vector<DrawCall> line;
        for (const DrawCall& call : f.canvas->of(Op::Text))
            if (call.rect.y == top) line.push_back(call);
        ASSERT_EQ(line.size(), *c.hint ? 2u : 1u) << c.what;
        const DrawCall& counts = line[0];
        const float counts_end = counts.rect.x + f.canvas->width_of(counts.text, Font::Small);
        EXPECT_TRUE(counts.text.starts_with("5 found (12 ms)")) << c.what;
        EXPECT_LT(counts_end, counts.rect.right()) << c.what;  // whole
        if (!*c.hint) continue;
        const DrawCall& hint = line[1];
        EXPECT_EQ(hint.text, c.hint) << c.what;
        EXPECT_EQ(hint.align, Align::Trailing) << c.what;
        const float hint_start = hint.rect.right() - f.canvas->width_of(hint.text, Font::Small);
        EXPECT_GE(hint_start, hint.rect.x) << c.what;  // whole
        EXPECT_GE(hint_start - counts_end, 24 * c.scale - 1) << c.what;
        EXPECT_EQ(hint.rect.right(), (c.width - 16) * c.scale) << c.what;
    }
}

TEST(PaintTest, DarkPalette) {
    PaintedApp f;
    f.app.dark = true;
    f.show(U"rep", {REPORT});
    f.app.selected = 0;
    f.frame();
    EXPECT_EQ(f.canvas->calls.front().color, rgb(0x17181B));
    EXPECT_EQ(f.row_bands(140)[0].color, rgb(0xA78BFA, 0.20f));
    EXPECT_EQ(f.text("Report.docx").color, rgb(0xECEDEF));
    EXPECT_EQ(f.text("Report.docx").highlight, rgb(0xA78BFA));
    const std::vector<DrawCall> fills = f.canvas->of(Op::FillRect);
    EXPECT_TRUE(std::any_of(fills.begin(), fills.end(), [](const DrawCall& c) {
        return c.rect == edges(0, 610, 960, 640) && c.color == rgb(0x222327);
    }));
}

// Rows 0, 1 and 3 of five selected together, the focus on row 4 outside them: each selected row
// has the band (a frame in high contrast), the focused row the accent frame (doubled in high
// contrast), and the status line counts them with their files' size.
TEST(PaintTest, SeveralSelectedRowsAndTheFocusedRowAreDrawnApart) {
    struct Case {
        const char* what;
        bool dark;
        std::optional<SystemColors> high_contrast;
        Color band;     // the selected rows' rounded band; none in high contrast
        Color accent;   // the frames
        size_t frames;  // fills of the focused row's frame edges
    };
    const Case cases[] = {
        {"light", false, std::nullopt, rgb(0x6D28D9, 0.12f), rgb(0x6D28D9), 4},
        {"dark", true, std::nullopt, rgb(0xA78BFA, 0.20f), rgb(0xA78BFA), 4},
        {"high contrast", false, black_on_white, Color{}, rgb(0x37006E), 8},
    };
    for (const Case& c : cases) {
        PaintedApp f;
        f.show(U"r", {REPORT, BOGOSEO, USERS, HIDDEN, EMOJI});
        f.app.dark = c.dark;
        f.app.high_contrast = c.high_contrast;
        f.app.marked = {0, 1, 3};
        f.app.selected = 4;
        f.frame();
        const auto edges_at = [&](float y) {
            size_t n = 0;
            for (const DrawCall& call : f.canvas->of(Op::FillRect))
                n += call.rect.y >= y && call.rect.bottom() <= y + 32 && call.color == c.accent;
            return n;
        };
        for (const float y : {140.0f, 172.0f, 236.0f}) {
            if (c.high_contrast) {
                EXPECT_EQ(edges_at(y), 4u) << c.what << " " << y;
            } else {
                ASSERT_EQ(f.row_bands(y).size(), 1u) << c.what << " " << y;
                EXPECT_EQ(f.row_bands(y)[0].color, c.band) << c.what;
                EXPECT_EQ(edges_at(y), 0u) << c.what << " " << y;
            }
        }
        EXPECT_TRUE(f.row_bands(204).empty()) << c.what;  // row 2: not selected
        EXPECT_EQ(edges_at(204), 0u) << c.what;
        EXPECT_EQ(edges_at(268), c.frames) << c.what;  // the focused row
        // Report.docx 1024 B, 보고서.hwp 1023 B, hidden.txt 5 B.
        EXPECT_NE(f.canvas->find_text("5 found (12 ms)  ·  3 selected · 2.00 KB  ·  6 indexed"),
                  nullptr)
            << c.what;
    }
}

}  // namespace
}  // namespace norvik
