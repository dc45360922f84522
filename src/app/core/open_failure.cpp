#include "app/core/open_failure.h"

#include <string>

#include "app/text/text.h"

namespace norvik {

std::string not_found_text() {
    return choose_text("찾을 수 없습니다. 지워졌거나 옮겨졌습니다.",
                       "Not found. It was deleted or moved.");
}

std::string extension_of(std::string_view path) {
    const size_t name_start = path.find_last_of("\\/");
    const std::string_view name =
        name_start == std::string_view::npos ? path : path.substr(name_start + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot + 1 == name.size()) return {};
    std::string extension(name.substr(dot));
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

namespace {

bool is_program(std::string_view extension) {
    for (std::string_view program : {".exe", ".com", ".bat", ".cmd", ".scr", ".pif"})
        if (extension == program) return true;
    return false;
}

std::string no_program_text(std::string_view path) {
    const std::string extension = extension_of(path);
    if (extension.empty()) {
        return choose_text("이 파일을 열 프로그램이 지정되어 있지 않습니다",
                           "No app is set to open this file");
    }
    return fill_placeholders(choose_text("{0} 파일을 열 프로그램이 지정되어 있지 않습니다",
                                         "No app is set to open {0} files"),
                             {extension});
}

// What the refused action was, said with the reason: each verb names itself, so a failed
// Properties never reads as a failed open.
std::string denied_text(ShellVerb verb) {
    switch (verb) {
        case ShellVerb::OpenWith:
            return choose_text("연결 프로그램 목록을 열 수 없습니다: 접근 권한이 없습니다",
                               "Could not open the list of programs: access denied");
        case ShellVerb::Properties:
            return choose_text("속성 창을 열 수 없습니다: 접근 권한이 없습니다",
                               "Could not show the properties: access denied");
        case ShellVerb::Open:
            break;
    }
    return choose_text("열 수 없습니다: 접근 권한이 없습니다", "Could not open it: access denied");
}

std::string error_text(ShellVerb verb, uint32_t error) {
    std::string text;
    switch (verb) {
        case ShellVerb::OpenWith:
            text = choose_text("연결 프로그램 목록을 열 수 없습니다 (오류 {0})",
                               "Could not open the list of programs (error {0})");
            break;
        case ShellVerb::Properties:
            text = choose_text("속성 창을 열 수 없습니다 (오류 {0})",
                               "Could not show the properties (error {0})");
            break;
        case ShellVerb::Open:
            text = choose_text("열 수 없습니다 (오류 {0})", "Could not open it (error {0})");
            break;
    }
    return fill_placeholders(text, {std::to_string(error)});
}

}  // namespace

std::optional<std::string> open_failure_text(uint32_t error, std::string_view path,
                                             ShellVerb verb) {
    // A shell with no program for a document runs the document itself, which is no program
    // (Wine's answer where Windows says ERROR_NO_ASSOCIATION).
    if (verb == ShellVerb::Open && error == SHELL_BAD_EXE_FORMAT && !is_program(extension_of(path)))
        error = SHELL_NO_ASSOCIATION;
    switch (error) {
        case SHELL_OK:
        case SHELL_CANCELLED:
            return std::nullopt;
        // Gone between the existence check and the shell's own look.
        case SHELL_FILE_NOT_FOUND:
        case SHELL_PATH_NOT_FOUND:
            return not_found_text();
        case SHELL_ACCESS_DENIED:
            return denied_text(verb);
        case SHELL_NO_ASSOCIATION:
            if (verb == ShellVerb::Open) return no_program_text(path);
            [[fallthrough]];
        default:
            return error_text(verb, error);
    }
}

}  // namespace norvik
