// java rebuild: the compile command (F7) from the command line. The phone rebuilds its
// Java suite registry from the MIDlets in its java folder.
#include <cstdio>

#include "app/cli/Cli.h"
#include "app/cli/CliLink.h"
#include "link/Failure.h"
#include "link/Connection.h"
#include "phonefs/SuiteRegistry.h"
#include "ui/Messages.h"

namespace q7k3::cli {
namespace {

// Boxes become lines on standard error; the rebuild asks no questions.
class JavaPrompts final : public Prompts {
public:
    void MessageBox(const std::string& text, const std::string&, BoxIcon) override { Fail(text); }
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
};

// A progress view that prints the operation's steps, one line each.
class StepLines final : public ProgressView {
public:
    void Show() override {}
    void Hide() override {}
    void SetCaption(const std::string&) override {}
    void SetQuickStatus(const std::string& text) override {
        if (text != m_last) std::printf("%s\n", text.c_str());
        m_last = text;
    }
    void SetLongStatus(const std::string&) override {}
    void SetMax(int bar, int max) override { m_bars.SetMax(bar, max); }
    void SetPosition(int bar, int position) override { m_bars.SetPosition(bar, position); }
    void Step(int bar) override { m_bars.Step(bar); }
    int Position(int bar) const override { return m_bars.Position(bar); }
    int Max(int bar) const override { return m_bars.Max(bar); }

private:
    NullProgress m_bars;
    std::string m_last;
};

// Line ends of a message joined into one line.
std::string OneLine(std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " ");
    return text;
}

int RunJava(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    LinkOptions options;
    if (!TakeLinkOptions(args, options)) return 2;
    bool missing = false;
    const std::string modeName = TakeOption(args, "--mode", "normal", missing);
    if (missing || (modeName != "normal" && modeName != "pro")) {
        return Fail("--mode takes normal or pro (the phone registers no suites in pims mode)", 2);
    }
    if (args.size() != 1 || args[0] != "rebuild") return Fail("java takes one word: rebuild", 2);

    CliLink link;
    if (!link.Open(options)) return link.ExitCode();
    struct Close {
        CliLink& link;
        ~Close() { link.Form10().Comm321.Disconnect(); }
    } close{link};
    link.Flags.MODE = modeName == "pro" ? 1 : 0;
    link.Flags.Pro = link.Flags.MODE == 1;
    StepLines progress;
    JavaPrompts prompts;
    PhoneFs fs(link.Channel(), link.Flags, progress, prompts);
    // The model query of the link's opening may still have its "OK" on the way.
    fs.RereadModel();
    fs.BuildFolderTree(link.Flags.MODE);
    if (!RebuildSuiteRegistry(fs)) {
        const AtChannel& ch = link.Channel();
        return Fail(OneLine(FailureText(ch.LastError, ch.ErrorText)));
    }
    return 0;
}

const CliCommand kJava{"java",
                       "java rebuild [--port PATH] [--baud N] [--sleep 0|1|2] [--mode normal|pro]",
                       RunJava};

}  // namespace
}  // namespace q7k3::cli
