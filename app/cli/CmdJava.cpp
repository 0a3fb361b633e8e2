// java rebuild: the compile command (F7) from the command line. The phone rebuilds its
// Java suite registry from the MIDlets in its java folder. Exit codes: 0 done, 1 the phone
// failed, 2 a bad command line, 3-5 the link's own. Registry files erased before a line
// died are kept on the computer and written back at the next connection.
#include <cstdio>

#include "app/cli/Cli.h"
#include "app/cli/CliLink.h"
#include "app/cli/CliSession.h"
#include "app/cli/Options.h"
#include "app/cli/Terminal.h"
#include "commands/CommandSupport.h"
#include "link/Connection.h"
#include "base/Failure.h"
#include "settings/SettingsStore.h"
#include "commands/SuiteRegistry.h"
#include "base/Messages.h"
#include "base/Text.h"

namespace q7k3::cli {
namespace {

// Boxes become lines on standard error; the rebuild asks no questions.
class JavaPrompts final : public Prompts {
public:
    void MessageBox(const std::string& text, const std::string&, BoxIcon) override {
        Fail(OneLine(text));
    }
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
};

// A progress view that prints the operation's steps, one line each.
class StepLines final : public ProgressView {
public:
    void Show() override {}
    void Hide() override {}
    void SetCaption(const std::string&) override {}
    void SetQuickStatus(const std::string& text) override {
        if (text != m_last) std::printf("%s\n", OneLine(text).c_str());
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

int RunJava(const ParsedArgs& a) {
    if (a.positional[0] != "rebuild")
        return UsageError("java", Msg(kMsgCliUnknownCommand) + "«" + Printable(a.positional[0]) +
                                      "»" + Msg(kMsgCliDidYouMean) + "«rebuild»?");
    StepLines progress;
    JavaPrompts prompts;
    CliSession s(progress, prompts);
    std::vector<std::string> words;
    if (const int rc = LinkWords(a, words)) return rc;
    if (const int rc = TakeLinkOptions(words, s.options)) return rc;
    // The phone registers no suites in the PIMS tree.
    if (const int rc = ModeOption(a, false, s.mode)) return rc;
    // The model query of the link's opening may still have its "OK" on the way.
    s.connecting = {false, false, true, true};
    if (const int rc = s.Open()) return rc;
    PhoneFs& fs = *s.fs;
    (void)fs.BuildFolderTree(s.link.Flags.Mode);
    // The registry is erased before it is written anew: an interrupt is noted, not obeyed
    // at once, so that the old files are kept or written back first.
    const WriteGuard writing;
    if (Status rebuilt = RebuildSuiteRegistry(fs); !rebuilt) {
        // A line that died after the erase: this program ends now, so the old files wait
        // on the computer for the next connection (kept while the tree is there, before the
        // failure's report may drop it).
        const std::vector<std::string> kept = commands::KeepErasedRegistry(fs);
        s.ReportFailure(rebuilt.error());
        if (!kept.empty())
            Fail(Msg(kMsgErasedKeptForNextConnection) + Printable(JoinText(kept, ", ")));
        return kExitPhoneFailed;
    }
    return Interrupted() ? kExitInterrupted : kExitOk;
}

const std::vector<OptionSpec> kJavaOptions = [] {
    std::vector<OptionSpec> all(LinkOptionSpecs().begin(), LinkOptionSpecs().end());
    all.push_back({"--mode", "normal|pro", QT_TRANSLATE_NOOP("Cli", "дерево папок: обычное или расширенное")});
    return all;
}();

const CommandSyntax kJavaSpec{
    "java",
    QT_TRANSLATE_NOOP("Cli", "java [ПАРАМЕТРЫ] rebuild"),
    QT_TRANSLATE_NOOP("Cli", "rebuild: телефон заново составляет список Java-приложений по мидлетам своей\n"
    "папки Java; шаги печатаются по строке."),
    kJavaOptions,
    1,
    1};

const CliCommand kJava{kJavaSpec, Entry<kJavaSpec, RunJava>};

}  // namespace
}  // namespace q7k3::cli
