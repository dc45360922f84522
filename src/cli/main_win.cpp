#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/wide_text.h"

// wmain (-municode): arguments come as UTF-16 and go on as UTF-8, so Korean folder names and
// queries survive whatever the console's code page.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(norvik::from_wide(argv[i]));
    norvik::SystemConsole console;
    return norvik::run_cli(args, console);
}
