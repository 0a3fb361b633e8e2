#include "app/cli/CliSession.h"

#include <unistd.h>

#include <cstdio>
#include <vector>

#include "app/cli/Cli.h"
#include "app/cli/Terminal.h"
#include "commands/CommandSupport.h"
#include "link/Connection.h"
#include "base/Failure.h"
#include "settings/SettingsStore.h"
#include "base/Messages.h"

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

CliSession::CliSession() : m_view(progress), m_ui(prompts) {}

CliSession::CliSession(ProgressView& view, Prompts& ui) : m_view(view), m_ui(ui) {}

CliSession::~CliSession() {
    if (!m_session) return;
    m_session->End(Outcome::Done);
    // The port's last close.
    m_session->Close();
}

int CliSession::TakeOptions(const ParsedArgs& parsed) {
    std::vector<std::string> words;
    if (const int rc = LinkWords(parsed, words)) return rc;
    if (const int rc = TakeLinkOptions(words, options)) return rc;
    hidden = parsed.Has("--hidden");
    return ModeOption(parsed, true, mode);
}

int CliSession::Open() {
    if (!link.Prepare(options)) return LinkFailure(link, options);
    m_session = std::make_unique<PhoneSession>(link.Link(), link.Flags, m_ui, m_view, m_dialog,
                                               m_observer, PhoneSession::Threading::Inline,
                                               PhoneSession::Role::Command);
    PhoneSession& session = *m_session;
    session.AlsoStopOn(&InterruptSignal());
    session.OnPortFailed = [this] { link.PortFailed(); };
    session.OnPhoneRefused = [this](const Identification& found) { link.PhoneRefused(found); };
    session.AfterIdentify = [this](PhoneFs& phone) {
        EndProgressLine();
        if (connecting.NamePort && CurrentVerbosity() == Verbosity::Verbose)
            std::fprintf(stderr, "q7k3fm-cli: %s%s, %s%s\n", Msg(kMsgCliPortNamed).c_str(),
                         Printable(link.Link().Port.PortName()).c_str(),
                         Msg(kMsgCliModelNamed).c_str(),
                         Printable(link.Channel().PhoneModel).c_str());
        ApplyMode(mode, link.Flags);
        if (connecting.TakeHidden) link.Flags.HiddenFiles = hidden;
        if (connecting.RereadModel) phone.RereadModel();
        if (!connecting.FinishUnfinished) return;
        // A replacement an earlier run was killed in the middle of is finished first.
        for (const std::string& line :
             commands::FinishUnfinishedReplacements(phone, CliSamePhone(options)))
            Fail(line);  // a note on standard error, not a failure of this command
    };
    bool connected = false;
    session.Start(true, [&connected](bool ok) { connected = ok; });
    if (!connected) {
        const int rc = LinkFailure(link, options);
        return rc ? rc : kExitPhoneFailed;
    }
    fs = &session.Fs();
    // The command's work is the session's operation from here to its end; the progress line
    // is the command's to show.
    session.Begin(BusyView{false, {}, {}, 0, 0});
    return 0;
}

int CliSession::PhoneError(const Failure& failure, const std::string& localPath) {
    progress.Hide();
    if (Interrupted()) {
        if (m_session) m_session->End(Outcome::Stopped);
        return kExitInterrupted;
    }
    Failure named = failure;
    // A local file the failure did not name is named now.
    if (named.Reason == kErrLocalFile && named.Text.empty()) named.Text = localPath;
    ReportFailure(named);
    return IsLocalFailure(named.Reason) ? kExitLocalFile : kExitPhoneFailed;
}

void CliSession::ReportFailure(const Failure& failure) {
    // The session's report leaves an abort unsaid; the command line says it all the same.
    const bool said = !m_session || !m_session->Begun() || failure.Reason == kErrAborted;
    if (said) Fail(OneLine(FailureReport(failure)));
    if (m_session) m_session->End(Outcome::Failed(failure));
}

}  // namespace q7k3::cli
