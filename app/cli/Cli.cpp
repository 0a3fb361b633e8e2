#include "app/cli/Cli.h"

#include <algorithm>
#include <cstdio>

#include "app/cli/Options.h"
#include "app/cli/Terminal.h"
#include "base/Messages.h"

namespace q7k3::cli {
namespace {
std::vector<const CliCommand*>& Registry() {
    static std::vector<const CliCommand*> registry;
    return registry;
}
}  // namespace

CliCommand::CliCommand(const char* n, const char* u, CliRun r) : name(n), usage(u), run(r) {
    Registry().push_back(this);
}

CliCommand::CliCommand(const CommandSyntax& s, CliRun r)
    : name(s.name), usage(s.synopsis), run(r), spec(&s) {
    Registry().push_back(this);
}

const std::vector<const CliCommand*>& Commands() {
    auto& r = Registry();
    std::sort(r.begin(), r.end(), [](const CliCommand* a, const CliCommand* b) {
        return std::string(a->name) < b->name;
    });
    return r;
}

std::string TakeOption(std::vector<std::string>& args, const std::string& name,
                       const std::string& fallback, bool& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != name) continue;
        if (i + 1 >= args.size()) {
            error = true;
            args.erase(args.begin() + static_cast<long>(i));
            return fallback;
        }
        std::string value = args[i + 1];
        args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
        return value;
    }
    return fallback;
}

bool TakeFlag(std::vector<std::string>& args, const std::string& name) {
    const auto it = std::find(args.begin(), args.end(), name);
    if (it == args.end()) return false;
    args.erase(it);
    return true;
}

void PrintToCopy(const std::string& line) {
    std::fprintf(stderr, "    %s\n", OneLine(line).c_str());
}

void Advise(int message, const std::string& command, int code) {
    Fail(Msg(message), code);
    PrintToCopy(command);
}

int Fail(const std::string& text, int code) {
    // Messages name files and quote the phone: one line, no byte the terminal would obey,
    // and never at the end of a progress line.
    EndProgressLine();
    std::fprintf(stderr, "q7k3fm-cli: %s\n", OneLine(text).c_str());
    return code;
}

}  // namespace q7k3::cli
