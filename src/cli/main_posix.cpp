#include <string>
#include <vector>

#include "cli/cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    norvik::SystemConsole console;
    return norvik::run_cli(args, console);
}
