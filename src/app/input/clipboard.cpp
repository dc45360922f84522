#include "app/input/clipboard.h"

#include "app/input/decode_utf16.h"
#include "app/input/edit.h"
#include "app/text/text.h"
#include "hangul/utf8.h"
#include "kinds/kinds.h"
#include "query/query.h"

namespace norvik {

bool copy_selection(const App& app, Shell& shell) {
    if (selection(app).empty()) return false;
    return shell.set_clipboard_text(utf8_to_utf16(selected_text(app)));
}

bool cut_selection(App& app, Shell& shell) {
    if (!copy_selection(app, shell)) return false;
    delete_selection(app);
    return true;
}

std::u32string paste_text(std::u16string_view clipboard) {
    std::u32string text = decode_utf16(clipboard.substr(0, MAX_PASTE_UNITS));
    size_t start = 0;
    size_t end = text.size();
    while (start < end && is_white_space(text[start]))
        ++start;
    while (end > start && is_white_space(text[end - 1]))
        --end;
    return text.substr(start, end - start);
}

void paste(App& app, Shell& shell) {
    std::optional<std::u16string> clipboard = shell.clipboard_text();
    if (!clipboard) return;
    if (insert_text(app, paste_text(*clipboard))) return;
    set_toast(app, shell,
              fill_placeholders(choose_text("붙여넣은 글이 길어 앞의 {0}자만 넣었습니다",
                                            "Pasted text was cut to its first {0} characters"),
                                {format_count(MAX_QUERY_CHARS)}));
}

}  // namespace norvik
