#include "app/cli/CliSession.h"

#include <unistd.h>

#include <cstdio>
#include <vector>

#include "app/cli/Cli.h"
#include "app/cli/Terminal.h"
#include "commands/CommandSupport.h"
#include "link/Connection.h"
#include "link/Failure.h"
#include "link/SettingsStore.h"
#include "ui/Messages.h"

namespace q7k3::cli {

void CliPrompts::MessageBox(const std::string& text, const std::string&, BoxIcon) {
    Fail(OneLine(text));
    ++shown;
}

commands::SamePhoneQuestion CliSamePhone(const LinkOptions& options) {
    return [samePhone = options.SamePhone](const std::string& question) {
        if (samePhone) return true;
        if (isatty(STDIN_FILENO) && isatty(STDERR_FILENO)) {
            EndProgressLine();
            std::fprintf(stderr, "q7k3fm-cli: %s%s", OneLine(question).c_str(),
                         Msg(kMsgCliYesNo).c_str());
            std::fflush(stderr);
            char answer[64] = {};
            if (!std::fgets(answer, sizeof answer, stdin)) return false;
            const std::string word = answer;
            return word.starts_with("д") || word.starts_with("Д") || word.starts_with("y") ||
                   word.starts_with("Y");
        }
        // Nobody to ask: the step waits, and the line says how to finish it.
        std::string said = question;
        const std::string& end = Msg(kMsgSamePhoneQuestionEnd);
        if (said.ends_with(end)) said.resize(said.size() - end.size());
        Fail(OneLine(said) + Msg(kMsgCliSamePhoneAdvice));
        return false;
    };
}

int CliSession::TakeOptions(const ParsedArgs& parsed) {
    std::vector<std::string> words;
    if (const int rc = LinkWords(parsed, words)) return rc;
    if (const int rc = TakeLinkOptions(words, options)) return rc;
    hidden = parsed.Has("--hidden");
    return ModeOption(parsed, true, mode);
}

int CliSession::Open() {
    if (!link.Open(options)) return LinkFailure(link, options);
    if (CurrentVerbosity() == Verbosity::Verbose)
        std::fprintf(stderr, "q7k3fm-cli: %s%s, %s%s\n", Msg(kMsgCliPortNamed).c_str(),
                     Printable(link.Link().Port.PortName()).c_str(), Msg(kMsgCliModelNamed).c_str(),
                     Printable(link.Channel().PhoneModel).c_str());
    ApplyMode(mode, link.Flags);
    link.Flags.HiddenFiles = hidden;
    // The link's model query was followed to its final "OK": nothing of it is left.
    fs = std::make_unique<PhoneFs>(link.Channel(), link.Flags, progress, prompts);
    fs->SetStopSignal(&InterruptSignal());
    // A replacement an earlier run was killed in the middle of is finished first.
    for (const std::string& line :
         commands::FinishUnfinishedReplacements(*fs, CliSamePhone(options)))
        Fail(line);  // a note on standard error, not a failure of this command
    return 0;
}

int CliSession::PhoneError(const Failure& failure, const std::string& localPath) {
    progress.Hide();
    if (Interrupted()) return kExitInterrupted;
    std::string text = FailureReport(failure);
    if (failure.Reason == kErrLocalFile && failure.Text.empty()) text += localPath;
    return Fail(OneLine(text), IsLocalFailure(failure.Reason) ? kExitLocalFile : kExitPhoneFailed);
}

}  // namespace q7k3::cli
