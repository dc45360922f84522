#include "app/view/syntax_card.h"

#include <algorithm>
#include <cmath>

#include "app/text/text.h"
#include "app/view/paint.h"

namespace norvik {

std::vector<SyntaxLine> syntax_lines() {
    const bool korean = current_language() == Language::Ko;
    auto example = [korean](const char* in_korean, const char* in_english) {
        return std::string(korean ? in_korean : in_english);
    };
    return {
        {example("2026 보고서", "2026 report"),
         choose_text("낱말이 모두 든 이름", "Names holding every word")},
        {"ㅂㄱㅅ   qhrhtj", choose_text("초성만, 또는 한/영 전환 없이 친 한글",
                                        "Korean initials, or Korean typed in English mode")},
        {"*.hwp   ext:pdf,hwp", choose_text("와일드카드와 확장자", "Wildcards and extensions")},
        {example("\"2026 보고서\"", "\"2026 report\""),
         choose_text("띄어쓰기까지 이대로 든 이름", "Exactly this text, spaces included")},
        {"보고서|report   *.hwp|*.pdf",
         choose_text("여러 낱말 가운데 하나", "Any one of the words")},
        {example("!ext:tmp   !초안", "!ext:tmp   !draft"),
         choose_text("이 낱말로 찾은 것은 빼기", "Leave out what the word finds")},
        {example("크기:>10mb   크기:1mb..5mb", "size:>10mb   size:1mb..5mb"),
         choose_text("크기로 파일 찾기 (b, kb, mb, gb, tb)",
                     "Files by size in b, kb, mb, gb or tb")},
        {example("날짜:2026-03   날짜:>=2026-03-05", "dm:2026-03   dm:>=2026-03-05"),
         choose_text("그해·그달·그날에 고친 것, 또는 그 뒤나 그 전",
                     "Modified in that year, month or day, or after or before it")},
        {example("날짜:오늘   날짜:지난주", "dm:today   dm:lastweek"),
         choose_text("오늘, 어제, 이번주·지난주, 이번달·지난달, 올해·작년",
                     "Today, yesterday, this or last week, month or year")},
        {example("폴더:   파일:보고서", "folder:   file:report"),
         choose_text("폴더만, 파일만", "Only folders, only files")},
        {example("문서\\보고서", "documents\\report"),
         choose_text("그 이름의 폴더 안", "Inside a folder of that name")},
        {example("size:  dm:  folder:  file:", "크기:  날짜:  폴더:  파일:"),
         choose_text("같은 조건의 영어 이름", "The same filters by their Korean names")},
    };
}

void paint_syntax_card(Canvas& canvas, const Palette& p, const Metrics& m) {
    const float s = m.s;
    const std::vector<SyntaxLine> lines = syntax_lines();
    const float pad = 24 * s;
    const float title_height = 44 * s;
    const float footer_height = 34 * s;
    const float margin = 8 * s;
    // Lines of 26 DIPs, down to 18 in a short window; below that the card is cut at the bottom.
    const float room = m.height - 2 * margin - title_height - footer_height - 8 * s;
    const float line_height = std::clamp(room / static_cast<float>(lines.size()), 18 * s, 26 * s);
    const float width = std::min(m.width - 2 * margin, 760 * s);
    const float height =
        title_height + static_cast<float>(lines.size()) * line_height + 8 * s + footer_height;
    const float x = round_pixel((m.width - width) / 2);
    const float y = round_pixel(std::max(margin, (m.height - height) / 2));

    canvas.fill_rect(RectF{0, 0, m.width, m.height}, with_alpha(p.background, 0.78f));
    canvas.fill_rounded_rect(RectF{x, y, width, height}, 9 * s, p.separator);
    canvas.fill_rounded_rect(RectF{x + 1, y + 1, width - 2, height - 2}, 8 * s, p.box);
    canvas.draw_text(choose_text("검색어 쓰는 법", "Search syntax"),
                     RectF{x + pad, y + 6 * s, width - 2 * pad, title_height - 6 * s}, p.text,
                     Font::BodyBold, Align::Leading);
    const float rule = y + title_height;
    canvas.fill_rect(edges(x + pad, rule - 1, x + width - pad, rule), p.separator);

    // The examples' column is as wide as the widest example, within reason.
    float widest = 0;
    for (const SyntaxLine& line : lines)
        widest = std::max(widest, std::ceil(canvas.measure(line.example, Font::Body)));
    const float inner = width - 2 * pad;
    const float example_width = std::min(widest + 2 * s, 0.5f * inner);
    const float gap = 20 * s;
    float line_y = rule + 4 * s;
    for (const SyntaxLine& line : lines) {
        canvas.draw_text(line.example, RectF{x + pad, line_y, example_width, line_height}, p.accent,
                         Font::Body, Align::Leading);
        canvas.draw_text(
            line.meaning,
            RectF{x + pad + example_width + gap, line_y, inner - example_width - gap, line_height},
            p.text, Font::Body, Align::Leading);
        line_y += line_height;
    }
    canvas.draw_text(choose_text("Esc를 누르거나 아무 곳이나 누르면 닫힙니다",
                                 "Esc or a click closes this card"),
                     RectF{x + pad, y + height - footer_height, inner, footer_height - 4 * s},
                     p.secondary, Font::Small, Align::Center);
}

}  // namespace norvik
