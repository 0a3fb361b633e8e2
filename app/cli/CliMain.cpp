// q7k3fm-cli: the file manager's core without a window, for scripting, batch conversion
// and end-to-end checks without a display.

#include <QCoreApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/Cli.h"
#include "app/cli/Options.h"
#include "app/cli/Terminal.h"
#include "settings/SettingsStore.h"
#include "base/Language.h"
#include "base/Messages.h"

#ifndef Q7K3_VERSION
#define Q7K3_VERSION "0"
#endif

namespace {

using q7k3::Tr;
using q7k3::cli::CliCommand;
using q7k3::cli::Commands;

void PrintUsage(FILE* out) {
    std::fprintf(out, "%s",
                 Tr(QT_TRANSLATE_NOOP("Cli", "Вызов: q7k3fm-cli КОМАНДА [ПАРАМЕТРЫ] [АРГУМЕНТЫ...]\n"
                 "       q7k3fm-cli help КОМАНДА | КОМАНДА --help | --version\n\nКоманды:\n")).c_str());
    for (const auto* c : Commands()) std::fprintf(out, "  %s\n", Tr(c->usage).c_str());
    std::fprintf(out, "\n%s", q7k3::cli::ExitCodeHelp().c_str());
}

const CliCommand* Find(const std::string& name) {
    for (const auto* c : Commands())
        if (name == c->name) return c;
    return nullptr;
}

int UnknownCommand(const std::string& word) {
    std::vector<std::string> names;
    for (const auto* c : Commands()) names.emplace_back(c->name);
    std::string text =
        q7k3::Msg(q7k3::kMsgCliUnknownCommand) + "«" + q7k3::cli::Printable(word) + "»";
    const std::string near = q7k3::cli::Nearest(word, names);
    if (!near.empty()) text += q7k3::Msg(q7k3::kMsgCliDidYouMean) + "«" + near + "»?";
    std::fprintf(stderr, "q7k3fm-cli: %s\n", text.c_str());
    std::fprintf(stderr, "%s\n", Tr(QT_TRANSLATE_NOOP("Cli", "Список команд: q7k3fm-cli --help")).c_str());
    return q7k3::cli::kExitUsage;
}

int Help(const std::string& name) {
    const CliCommand* c = Find(name);
    if (!c) return UnknownCommand(name);
    if (c->spec) {
        q7k3::cli::PrintCommandHelp(*c->spec, stdout);
    } else {
        std::printf("%s%s\n\n%s", Tr(QT_TRANSLATE_NOOP("Cli", "Вызов: q7k3fm-cli ")).c_str(),
                    Tr(c->usage).c_str(), q7k3::cli::ExitCodeHelp().c_str());
    }
    return 0;
}

// Options that take a value: their value is never the command's name.
bool TakesValue(const std::string& word) {
    for (const char* name :
         {"--port", "--baud", "--sleep", "--trace", "--mode", "--slot", "--width", "--name"})
        if (word == name) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The language: Q7K3FM_LANGUAGE, the stored choice, then the locale.
    q7k3::UseLanguage(
        q7k3::ChooseLanguage(q7k3::SettingsStore().ReadString(q7k3::kLanguageKey, "auto")));
    // Joined as main returns, before the program's statics go.
    const auto interrupts = q7k3::cli::WatchInterrupts();
    std::vector<std::string> args(argv + 1, argv + argc);
    // Options may come before the command name (q7k3fm-cli --port /dev/pts/3 identify):
    // the first plain word is the command; every other word goes to its parser.
    size_t at = 0;
    for (; at < args.size(); ++at) {
        const std::string& w = args[at];
        if (w == "--version") {
            std::printf("q7k3fm-cli %s\n", Q7K3_VERSION);
            return 0;
        }
        if (w == "--help" || w == "-h") {
            PrintUsage(stdout);
            return 0;
        }
        if (w.empty() || w[0] != '-' || w == "-" || w == "--") break;
        if (TakesValue(w)) ++at;
    }
    if (at >= args.size() || args[at] == "--") {
        PrintUsage(stderr);
        return q7k3::cli::kExitUsage;
    }
    const std::string name = args[at];
    args.erase(args.begin() + static_cast<long>(at));
    if (name == "help") {
        if (args.empty()) {
            PrintUsage(stdout);
            return 0;
        }
        return Help(args.front());
    }
    const CliCommand* command = Find(name);
    if (!command) return UnknownCommand(name);
    return command->run(args);
}
