#include "app/text/query_message.h"

#include "app/text/text.h"

namespace norvik {

std::string query_error_text(const QueryError& error) {
    std::string text;
    switch (error.problem) {
        case QueryProblem::UnknownFilter:
            text = choose_text(
                "{0}라는 조건은 없습니다. 쓸 수 있는 조건: 크기: 날짜: 폴더: 파일: ext:",
                "{0} is not a filter. Filters: size: dm: ext: folder: file:");
            break;
        case QueryProblem::BadSize:
            text = choose_text("{0} 다음에 {0}>10mb처럼 크기를 적어 주세요",
                               "{0} needs a size such as {0}>10mb");
            break;
        case QueryProblem::BadDate:
            text =
                choose_text("{0} 다음에 {0}2026-03-05, {0}>2026-03, {0}오늘처럼 날짜를 적어 주세요",
                            "{0} needs a date such as {0}2026-03-05, {0}>2026-03 or {0}today");
            break;
        case QueryProblem::BadAlternative:
            text = choose_text("| 양쪽에는 이름이나 와일드카드만 쓸 수 있습니다: {0}",
                               "Each side of | must be a name or a wildcard: {0}");
            break;
    }
    return fill_placeholders(text, {error.argument});
}

}  // namespace norvik
