#include "app/core/export_results.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "app/core/commands.h"
#include "app/core/menus.h"
#include "app/input/keys.h"
#include "app/text/text.h"
#include "query/test_tables.h"
#include "support/app_fixture.h"
#include "support/temp_folder.h"

namespace norvik {
namespace {

using testing::AppFixture;

TEST(ExportCsvTest, FieldsAreQuotedAndGuardedAgainstFormulas) {
    struct Case {
        std::string text, field;
    };
    const Case cases[] = {
        {"report.pdf", "report.pdf"},
        {"", ""},
        {"보고서 2024.hwp", "보고서 2024.hwp"},
        {"report, final.hwp", "\"report, final.hwp\""},
        {"say \"hi\".txt", "\"say \"\"hi\"\".txt\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"=HYPERLINK(1).txt", "'=HYPERLINK(1).txt"},
        {"+1.txt", "'+1.txt"},
        {"-draft.txt", "'-draft.txt"},
        {"@sum.txt", "'@sum.txt"},
        {"\t=1.txt", "'\t=1.txt"},
        {"=1,2.txt", "\"'=1,2.txt\""},  // guarded first, then quoted
        {"a=b.txt", "a=b.txt"},         // only the first character counts
        {"'quoted", "'quoted"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(csv_field(c.text), c.field) << c.text;
}

TEST(ExportCsvTest, DatesAreIso8601InUtc) {
    struct Case {
        uint32_t seconds;
        std::string text;
    };
    const Case cases[] = {
        {0, ""},  // unknown
        {1, "1970-01-01T00:00:01Z"},
        {951782400, "2000-02-29T00:00:00Z"},
        {1709647629, "2024-03-05T14:07:09Z"},
        {4102444799, "2099-12-31T23:59:59Z"},
        {4294967295, "2106-02-07T06:28:15Z"},  // the largest time the index holds
    };
    for (const Case& c : cases)
        EXPECT_EQ(iso8601_utc(c.seconds), c.text) << c.seconds;
}

std::string repeat(std::string_view text, int times) {
    std::string repeated;
    for (int i = 0; i < times; ++i)
        repeated += text;
    return repeated;
}

TEST(ExportCsvTest, SuggestedNamesAreNamesWindowsTakes) {
    struct Case {
        std::string query;
        ExportFormat format;
        std::string name;
    };
    const Case cases[] = {
        {"report", ExportFormat::Csv, "report.csv"},
        {"보고서 2024", ExportFormat::PathList, "보고서 2024.txt"},
        {"", ExportFormat::Csv, "Norvik.csv"},
        {"  ", ExportFormat::Csv, "Norvik.csv"},
        {"*.hwp ext:pdf", ExportFormat::Csv, "_.hwp ext_pdf.csv"},
        {"C:\\docs/x?\"<>|", ExportFormat::Csv, "C__docs_x_____.csv"},
        {"trailing. ", ExportFormat::Csv, "trailing.csv"},
        // Cut at 60 bytes, never inside a Hangul syllable (3 bytes each: 20 fit).
        {repeat("가", 21), ExportFormat::Csv, repeat("가", 20) + ".csv"},
        {"a" + repeat("가", 21), ExportFormat::Csv, "a" + repeat("가", 19) + ".csv"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(suggested_export_name(c.query, c.format), c.name) << c.query;
}

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// "C:\" with the folder "My, Docs" holding three files; the results list them newest first,
// with a fourth row whose entry the index has removed since the search.
struct ExportFixture : AppFixture {
    testing::TempFolder temp;
    uint32_t removed = 0;

    ExportFixture() {
        VolumeTable table = VolumeTable::with_root("C:\\");
        const uint32_t folder = testing::add_folder(table, 0, "My, Docs", 1709647629);
        const uint32_t photo = testing::add_file(table, folder, "사진.jpg", 1709647000, 2048);
        const uint32_t formula = testing::add_file(table, folder, "=cmd.txt", 1000, 7);
        removed = testing::add_file(table, folder, "gone.txt", 500, 1);
        table.entries[removed].flags |= FLAG_REMOVED;
        table.table_id = 9;
        index.tables.push_back(std::move(table));
        app.results = {Hit{folder, 0}, Hit{photo, 0}, Hit{removed, 0}, Hit{formula, 0}};
        app.table_ids = {9};
    }

    // Starts the export and handles the thread's posts until it finished (at most 10 s).
    void export_to(const std::string& path, ExportFormat format) {
        start_export(app, shell, path, format);
        ASSERT_TRUE(app.export_job);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (app.export_job && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            on_export_progress(app, shell);
        }
        ASSERT_FALSE(app.export_job) << "the export did not finish";
    }
};

TEST(ExportTest, CsvHoldsEveryLiveRowInOrderBehindABom) {
    ExportFixture f;
    const std::string path = testing::utf8_of(f.temp.path() / "out.csv");
    f.export_to(path, ExportFormat::Csv);
    const std::string expected = std::string(UTF8_BOM) + csv_header() +
                                 "\"My, Docs\",C:\\,,"
                                 "2024-03-05T14:07:09Z," +
                                 choose_text("폴더", "Folder") + "\r\n" +
                                 "사진.jpg,\"C:\\My, Docs\",2048,2024-03-05T13:56:40Z," +
                                 choose_text("사진", "Picture") + "\r\n" +
                                 "'=cmd.txt,\"C:\\My, Docs\",7,1970-01-01T00:16:40Z," +
                                 choose_text("문서", "Document") + "\r\n";
    EXPECT_EQ(read_file(f.temp.path() / "out.csv"), expected);
    EXPECT_EQ(
        f.app.toast->text,
        fill_placeholders(choose_text("결과 {0}개를 내보냈습니다", "Exported {0} results"), {"3"}));
    EXPECT_FALSE(f.shell.posts.empty());
}

TEST(ExportTest, PathListHoldsOneFullPathALine) {
    ExportFixture f;
    const std::string path = testing::utf8_of(f.temp.path() / "out.txt");
    f.export_to(path, ExportFormat::PathList);
    EXPECT_EQ(read_file(f.temp.path() / "out.txt"),
              std::string(UTF8_BOM) +
                  "C:\\My, Docs\r\nC:\\My, Docs\\사진.jpg\r\nC:\\My, Docs\\=cmd.txt\r\n");
}

TEST(ExportTest, RowsPastTheOrderedFrontAreExportedInTheListsOrder) {
    ExportFixture f;
    f.app.results_ordered = 1;  // only the folder's row is in its place
    f.app.sort_column = SortColumn::Name;
    const std::string path = testing::utf8_of(f.temp.path() / "names.txt");
    f.export_to(path, ExportFormat::PathList);
    EXPECT_EQ(read_file(f.temp.path() / "names.txt"),
              std::string(UTF8_BOM) +
                  "C:\\My, Docs\r\nC:\\My, Docs\\=cmd.txt\r\nC:\\My, Docs\\사진.jpg\r\n");
}

TEST(ExportTest, AFailedWriteSaysWhyAndLeavesNoFile) {
    ExportFixture f;
    f.temp.folder("taken");  // a folder where the file should go
    f.export_to(testing::utf8_of(f.temp.path() / "taken"), ExportFormat::Csv);
    ASSERT_TRUE(f.app.toast);
    EXPECT_EQ(f.app.toast->text.rfind(
                  choose_text("내보내지 못했습니다", "Could not export the results"), 0),
              0u);
    EXPECT_NE(f.app.toast->text.find("is a folder"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(f.temp.path()), {}), 1);
}

TEST(ExportTest, CtrlSAndTheMenuAskForAFileOnlyWhenThereIsSomethingToExport) {
    ExportFixture f;
    f.app.text.assign(U"my", 2);
    f.app.caret = f.app.anchor = 2;
    EXPECT_TRUE(on_key_down(f.app, f.shell, KeyEvent{VK_KEY_S, true}));
    on_menu_command(f.app, f.shell, MenuKind::Settings, MENU_EXPORT);
    ASSERT_EQ(f.shell.deferred.size(), 2u);
    EXPECT_EQ(std::get<SaveDialogRequest>(f.shell.deferred[0]).file_name, "my.csv");
    EXPECT_EQ(std::get<SaveDialogRequest>(f.shell.deferred[1]).file_name, "my.csv");

    f.app.export_job = std::make_shared<ExportJob>();  // one runs already
    on_key_down(f.app, f.shell, KeyEvent{VK_KEY_S, true});
    EXPECT_EQ(f.app.toast->text,
              choose_text("아직 내보내는 중입니다", "An export is still running"));
    EXPECT_NE(export_status(f.app), "");

    f.app.export_job.reset();
    f.app.results.clear();
    on_key_down(f.app, f.shell, KeyEvent{VK_KEY_S, true});
    EXPECT_EQ(f.app.toast->text,
              choose_text("내보낼 결과가 없습니다", "There are no results to export"));
    EXPECT_EQ(f.shell.deferred.size(), 2u);
    EXPECT_EQ(export_status(f.app), "");
}

}  // namespace
}  // namespace norvik
