#include <string>
#include <vector>

#include "cli/cli.h"
#include "hangul/utf8.h"

// wmain (-municode): arguments come as UTF-16 and go on as UTF-8, so Korean folder names and
// queries survive whatever the console's code page.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        std::u16string_view wide(reinterpret_cast<const char16_t*>(argv[i]));
        args.push_back(norvik::utf16_to_utf8(wide));
    }
    norvik::SystemConsole console;
    return norvik::run_cli(args, console);
}
