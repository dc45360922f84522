#include "app/text/text.h"

#include <gtest/gtest.h>

#include <string>

#include "vendor.h"

namespace norvik {
namespace {

TEST(ChooseLanguageTest, SettingWhenExactlyACodeElseTheWindowsLanguage) {
    struct Case {
        std::string_view setting;
        uint16_t langid;
        Language expected;
    };
    const Case cases[] = {
        {"ko", 0x0409, Language::Ko},  // Korean chosen on an English Windows
        {"zh-Hant", 0x0804, Language::ZhHant},
        {"en", 0x0412, Language::En},
        {"", 0x0412, Language::Ko},    // empty: follow Windows
        {"KO", 0x0409, Language::En},  // letter case differs: not a code
        {"Ko", 0x0411, Language::Ja},
        {"zh-hans", 0x0404, Language::ZhHant},
        {" ko", 0x0407, Language::De},
        {"it", 0x0410, Language::En},    // not one of the ten
        {"", 0x0804, Language::ZhHans},  // Chinese (PRC)
        {"", 0x1004, Language::ZhHans},  // Chinese (Singapore)
        {"", 0x0404, Language::ZhHant},  // Chinese (Taiwan)
        {"", 0x0C04, Language::ZhHant},  // Chinese (Hong Kong)
        {"", 0x1404, Language::ZhHant},  // Chinese (Macao)
        {"", 0x0004, Language::ZhHant},  // Chinese, no region
        {"", 0x0411, Language::Ja},
        {"", 0x0407, Language::De},
        {"", 0x0807, Language::De},  // German (Switzerland)
        {"", 0x0C0A, Language::Es},
        {"", 0x080A, Language::Es},  // Spanish (Mexico)
        {"", 0x040C, Language::Fr},
        {"", 0x0C0C, Language::Fr},  // French (Canada)
        {"", 0x0416, Language::Pt},  // Portuguese (Brazil)
        {"", 0x0816, Language::Pt},  // Portuguese (Portugal)
        {"", 0x0419, Language::Ru},
        {"", 0x0410, Language::En},  // Italian has no table
        {"", 0x0422, Language::En},  // Ukrainian
        {"", 0x0809, Language::En},
        {"", 0x0000, Language::En},
        {"", 0xFC12, Language::Ko},  // only the low 10 bits name the language
    };
    for (const Case& c : cases) {
        EXPECT_EQ(choose_language(c.setting, c.langid), c.expected)
            << "setting \"" << c.setting << "\", LANGID 0x" << std::hex << c.langid;
    }
    for (const LanguageInfo& info : LANGUAGES) {
        EXPECT_EQ(choose_language(info.code, 0x0419), info.language) << info.code;
    }
}

TEST(LanguagesTest, InEnumOrderWithConsecutiveMenuIds) {
    // language_code and the per-language tables index LANGUAGES by the enum's value.
    for (size_t i = 0; i < LANGUAGES.size(); ++i) {
        EXPECT_EQ(static_cast<size_t>(LANGUAGES[i].language), i);
        EXPECT_EQ(LANGUAGES[i].menu_id, FOLLOW_WINDOWS_MENU_ID + 1 + i);
        EXPECT_EQ(language_code(LANGUAGES[i].language), LANGUAGES[i].code);
    }
}

// The filter tabs and the context menu, in every language.
TEST(TextForTest, TabsAndContextMenuInEveryLanguage) {
    struct Row {
        std::string_view korean, english;
        std::string_view ja, zh_hans, zh_hant, es, fr, de, pt, ru;
    };
    const Row rows[] = {
        {"전체", "All", "すべて", "全部", "全部", "Todo", "Tout", "Alle", "Tudo", "Все"},
        {"폴더", "Folders", "フォルダー", "文件夹", "資料夾", "Carpetas", "Dossiers", "Ordner",
         "Pastas", "Папки"},
        {"문서", "Documents", "ドキュメント", "文档", "文件", "Documentos", "Documents",
         "Dokumente", "Documentos", "Документы"},
        {"사진", "Pictures", "画像", "图片", "圖片", "Imágenes", "Images", "Bilder", "Imagens",
         "Изображения"},
        {"음악", "Music", "音楽", "音乐", "音樂", "Música", "Musique", "Musik", "Música", "Музыка"},
        {"동영상", "Videos", "動画", "视频", "影片", "Vídeos", "Vidéos", "Videos", "Vídeos",
         "Видео"},
        {"압축", "Archives", "圧縮ファイル", "压缩文件", "壓縮檔", "Comprimidos", "Archives",
         "Archive", "Compactados", "Архивы"},
        {"열기", "Open", "開く", "打开", "開啟", "Abrir", "Ouvrir", "Öffnen", "Abrir", "Открыть"},
        {"폴더 열기", "Open folder", "フォルダーを開く", "打开所在文件夹", "開啟所在資料夾",
         "Abrir carpeta", "Ouvrir le dossier", "Ordner öffnen", "Abrir pasta", "Открыть папку"},
        {"경로 복사", "Copy path", "パスをコピー", "复制路径", "複製路徑", "Copiar ruta",
         "Copier le chemin", "Pfad kopieren", "Copiar caminho", "Копировать путь"},
        {"이름 복사", "Copy name", "名前をコピー", "复制名称", "複製名稱", "Copiar nombre",
         "Copier le nom", "Name kopieren", "Copiar nome", "Копировать имя"},
    };
    for (const Row& row : rows) {
        const std::pair<Language, std::string_view> expected[] = {
            {Language::Ko, row.korean},      {Language::En, row.english},
            {Language::Ja, row.ja},          {Language::ZhHans, row.zh_hans},
            {Language::ZhHant, row.zh_hant}, {Language::Es, row.es},
            {Language::Fr, row.fr},          {Language::De, row.de},
            {Language::Pt, row.pt},          {Language::Ru, row.ru},
        };
        for (const auto& [language, text] : expected) {
            EXPECT_EQ(text_for(language, row.korean, row.english), text)
                << language_code(language) << ": " << row.english;
        }
    }
}

TEST(TextForTest, TextThatIsNoKeyShowsInEnglishOutsideKorean) {
    for (const LanguageInfo& info : LANGUAGES) {
        const std::string_view expected = info.language == Language::Ko ? "없음" : "Not a key";
        EXPECT_EQ(text_for(info.language, "없음", "Not a key"), expected) << info.code;
        // Keys match byte for byte: another letter case is another text.
        if (info.language != Language::Ko) {
            EXPECT_EQ(text_for(info.language, "열기", "open"), "open") << info.code;
        }
    }
}

TEST(VendorPageTest, EachLanguageHasItsPageBelowTheMainAddress) {
    const std::string main(vendor::MAIN_URL);
    const std::pair<Language, std::string> pages[] = {
        {Language::En, main},
        {Language::Ko, main + "ko/"},
        {Language::Ja, main + "ja/"},
        {Language::ZhHans, main + "zh-hans/"},
        {Language::ZhHant, main + "zh-hant/"},
        {Language::Es, main + "es/"},
        {Language::Fr, main + "fr/"},
        {Language::De, main + "de/"},
        {Language::Pt, main + "pt/"},
        {Language::Ru, main + "ru/"},
    };
    for (const auto& [language, page] : pages) {
        EXPECT_EQ(vendor_page_for(language), page) << language_code(language);
    }
}

TEST(FillPlaceholdersTest, ReplacesEachIndexOnceAndLeavesTheRest) {
    struct Case {
        std::string_view text;
        std::initializer_list<std::string_view> values;
        std::string_view expected;
    };
    const Case cases[] = {
        {"{0} found", {"1,234"}, "1,234 found"},
        {"Прочитано: {0}", {"12 345"}, "Прочитано: 12 345"},
        {"全 {0} 件", {"7"}, "全 7 件"},
        {"{0} of {0}", {"x"}, "x of x"},
        {"{1} before {0}", {"a", "b"}, "b before a"},
        {"{0}{1}", {"{1}", "z"}, "{1}z"},  // a value is never searched for placeholders
        {"{2} and {0}", {"a"}, "{2} and a"},
        {"{00} {+0} {-0} { 0} {}", {"a"}, "{00} {+0} {-0} { 0} {}"},
        {"{{0}}", {"a"}, "{a}"},
        {"{0", {"a"}, "{0"},
        {"{99999999999999999999999}", {"a"}, "{99999999999999999999999}"},
        {"no placeholder", {"a"}, "no placeholder"},
        {"", {}, ""},
        {"{10}/{1}", {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "ten"}, "ten/1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fill_placeholders(c.text, c.values), c.expected) << c.text;
    }
}

}  // namespace
}  // namespace norvik
