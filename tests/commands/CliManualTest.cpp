// The manual page and the bash completion against q7k3fm-cli itself: every command its
// help lists, every option of every command, every convert kind, every exit code and
// environment variable it names must be in the manual page, and the completion must offer
// the commands, each command's own options and the kinds. A command or option added to
// the program without them fails here.

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "support/CliRun.h"

namespace {

using q7k3::test::ReadAll;
using q7k3::test::RunCli;

// The lines of `text` after the line `heading` up to the next empty line.
std::vector<std::string> Section(const std::string& text, const std::string& heading) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        if (line == heading) {
            inside = true;
        } else if (inside) {
            if (line.empty()) break;
            lines.push_back(line);
        }
    }
    return lines;
}

std::set<std::string> Matches(const std::string& text, const std::regex& pattern) {
    std::set<std::string> found;
    for (std::sregex_iterator m(text.begin(), text.end(), pattern), end; m != end; ++m)
        found.insert((*m)[1].str());
    return found;
}

// What the program says of itself, read from its help.
struct Syntax {
    std::vector<std::string> commands;
    std::map<std::string, std::set<std::string>> options;  // long options by command
    std::set<std::string> kinds, exitCodes, environment;
};

Syntax ProgramSyntax() {
    Syntax s;
    const auto top = RunCli({"--help"});
    EXPECT_EQ(top.code, 0);
    for (const std::string& line : Section(top.out, "Команды:"))
        s.commands.push_back(line.substr(2, line.find(' ', 2) - 2));
    for (const std::string& line : Section(top.out, "Коды завершения:"))
        s.exitCodes.insert(line.substr(2, line.find(' ', 2) - 2));
    const std::regex option(R"((?:^|[ ,])(--[a-z][a-z0-9-]*))");
    const std::regex variable(R"((Q7K3FM_[A-Z_]+))");
    for (const std::string& command : s.commands) {
        const auto help = RunCli({"help", command});
        EXPECT_EQ(help.code, 0) << command;
        for (const std::string& line : Section(help.out, "Параметры:"))
            for (const std::string& o : Matches(line, option)) s.options[command].insert(o);
        s.options[command].erase("--help");
        for (const std::string& v : Matches(help.out, variable)) s.environment.insert(v);
        if (command == "convert")
            s.kinds = Matches(help.out, std::regex(R"(\b([a-z]{3}2[a-z]{3}|jad)\b)"));
    }
    return s;
}

// The manual page as text: the roff escapes of dashes and fonts taken away.
std::string ManualText(const std::string& page) {
    std::string text = ReadAll(std::string(Q7K3_SOURCE_DIR) + "/data/man/" + page);
    text = std::regex_replace(text, std::regex(R"(\\f[BIRP])"), "");
    text = std::regex_replace(text, std::regex(R"(\\-)"), "-");
    return text;
}

bool HasWord(const std::string& text, const std::string& word) {
    const std::regex escaped(R"([.^$|()\[\]{}*+?\\])");
    return std::regex_search(
        text, std::regex("(^|[^a-zA-Z0-9_-])" + std::regex_replace(word, escaped, R"(\$&)") +
                         "($|[^a-zA-Z0-9_-])"));
}

// What the completion offers for the words typed so far (the last one being completed).
std::set<std::string> Offered(const std::vector<std::string>& words) {
    std::string list;
    for (const std::string& w : words) list += " '" + w + "'";
    const std::string script = "source '" + std::string(Q7K3_SOURCE_DIR) +
                               "/data/completion/q7k3fm-cli.bash'; COMP_WORDS=(q7k3fm-cli" + list +
                               "); COMP_CWORD=" + std::to_string(words.size()) +
                               "; _q7k3fm_cli; printf '%s\\n' \"${COMPREPLY[@]}\"";
    const std::string path = testing::TempDir() + "/completion-script.sh";
    FILE* out = std::fopen(path.c_str(), "w");
    EXPECT_NE(out, nullptr);
    if (!out) return {};
    std::fputs(script.c_str(), out);
    std::fclose(out);
    std::set<std::string> offered;
    FILE* run = popen(("cd / && bash " + path).c_str(), "r");
    if (!run) return offered;
    char line[4096];
    while (std::fgets(line, sizeof line, run)) {
        std::string word(line);
        if (!word.empty() && word.back() == '\n') word.pop_back();
        offered.insert(word);
    }
    pclose(run);
    return offered;
}

TEST(CliManual, TheManualPageNamesEveryCommandOptionKindCodeAndVariable) {
    const Syntax s = ProgramSyntax();
    ASSERT_GE(s.commands.size(), 13u);
    ASSERT_TRUE(s.kinds.count("mmf2wav"));
    const std::string man = ManualText("q7k3fm-cli.1");
    for (const std::string& command : s.commands)
        EXPECT_TRUE(std::regex_search(man, std::regex("\n\\.BI? " + command + "\\b")))
            << "no entry for the command " << command;
    for (const auto& [command, options] : s.options)
        for (const std::string& o : options) EXPECT_TRUE(HasWord(man, o)) << command << " " << o;
    for (const std::string& kind : s.kinds) EXPECT_TRUE(HasWord(man, kind)) << kind;
    for (const std::string& code : s.exitCodes)
        EXPECT_TRUE(man.find("\n.B " + code + "\n") != std::string::npos) << "exit " << code;
    for (const std::string& v : s.environment) EXPECT_TRUE(HasWord(man, v)) << v;
    // The port's search and reading standard input.
    EXPECT_TRUE(HasWord(man, "--port auto"));
    EXPECT_TRUE(HasWord(man, "put -"));
    // The window's page: the phone search and what a first connection needs.
    const std::string window = ManualText("q7k3fm.1");
    for (const char* word : {"Найти телефон", "dialout", "ModemManager"})
        EXPECT_NE(window.find(word), std::string::npos) << word;
}

TEST(CliManual, TheCompletionOffersEveryCommandItsOptionsAndTheKinds) {
    const Syntax s = ProgramSyntax();
    const std::set<std::string> commands = Offered({""});
    for (const std::string& command : s.commands) {
        EXPECT_TRUE(commands.count(command)) << "command " << command;
        const std::set<std::string> offered = Offered({command, "-"});
        for (const std::string& o : s.options.at(command))
            EXPECT_TRUE(offered.count(o)) << command << " " << o;
    }
    const std::set<std::string> kinds = Offered({"convert", ""});
    for (const std::string& kind : s.kinds) EXPECT_TRUE(kinds.count(kind)) << kind;
    EXPECT_TRUE(Offered({"--port", ""}).count("auto"));
}

}  // namespace
