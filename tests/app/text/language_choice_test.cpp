#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <latch>
#include <string>
#include <thread>

#include "app/text/text.h"
#include "app/text/translations.h"

namespace norvik {
namespace {

// The UI thread and the updater thread may both choose the first text: the language is decided
// once, and both see it and the one table built for it.
TEST(CurrentLanguageTest, TwoThreadsChoosingAtOnceSeeOneLanguageAndOneTable) {
    static std::atomic<int> decisions{0};
    install_language_chooser([] {
        ++decisions;
        return choose_language("ja", 0x0409);
    });

    struct Seen {
        Language language = Language::En;
        std::string open;
        std::string page;
        const TranslationTable* table = nullptr;
    };
    Seen seen[2];
    std::latch start(2);
    auto choose = [&](Seen& s) {
        start.arrive_and_wait();
        s.open = choose_text("열기", "Open");
        s.language = current_language();
        s.page = vendor_page_url();
        s.table = &translation_table(s.language);
    };
    std::thread first(choose, std::ref(seen[0]));
    std::thread second(choose, std::ref(seen[1]));
    first.join();
    second.join();

    EXPECT_EQ(decisions.load(), 1);
    for (const Seen& s : seen) {
        EXPECT_EQ(s.language, Language::Ja);
        EXPECT_EQ(s.open, "開く");
        EXPECT_EQ(s.page, vendor_page_for(Language::Ja));
        EXPECT_EQ(s.table, seen[0].table);
    }

    // Decided for the life of the process: a chooser installed later is never asked.
    install_language_chooser([] { return Language::Ko; });
    EXPECT_EQ(current_language(), Language::Ja);
    EXPECT_EQ(choose_text("열기", "Open"), "開く");
}

}  // namespace
}  // namespace norvik
