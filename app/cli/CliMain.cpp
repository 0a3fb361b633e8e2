// q7k3fm-cli: the file manager's core without a window, for scripting, batch conversion
// and end-to-end checks without a display.

#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/cli/Cli.h"

namespace {

void PrintUsage(FILE* out) {
    std::fprintf(out, "usage: q7k3fm-cli COMMAND [ARGS...]\n\ncommands:\n");
    for (const auto* c : q7k3::cli::Commands()) std::fprintf(out, "  %s\n", c->usage);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        PrintUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    // Options may come before the command name (q7k3fm-cli --port /dev/pts/3 identify):
    // the first word that names a command is the command; every other word is passed on.
    std::vector<std::string> args(argv + 1, argv + argc);
    for (size_t i = 0; i < args.size(); ++i) {
        for (const auto* c : q7k3::cli::Commands()) {
            if (args[i] == c->name) {
                args.erase(args.begin() + static_cast<long>(i));
                return c->run(args);
            }
        }
    }
    std::fprintf(stderr, "q7k3fm-cli: unknown command\n");
    PrintUsage(stderr);
    return 2;
}
