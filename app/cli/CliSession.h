#pragma once
// What a q7k3fm-cli phone command holds while it runs: its options, the link, the progress
// line, the boxes (lines on standard error) and the phone session it works through. The
// session runs on the command's own thread: it connects (the phone identified, what an
// earlier run left half replaced finished), and the command's work is one operation of it,
// ended by its failure report (with link recovery after a time-out) when the phone failed.

#include <memory>
#include <string>

#include "app/cli/CliLink.h"
#include "app/cli/Options.h"
#include "app/cli/Terminal.h"
#include "commands/Unfinished.h"
#include "base/Prompts.h"
#include "phonefs/PhoneFs.h"
#include "session/PhoneSession.h"

namespace q7k3::cli {

// Boxes become lines on standard error; the CLI never waits for an answer.
class CliPrompts final : public Prompts {
public:
    void MessageBox(const std::string& text, const std::string& caption, BoxIcon icon) override;
    bool AskYesNo(const std::string&, const std::string&) override { return true; }
    int shown = 0;  // boxes shown: the command tells of a problem
};

// The command line's answer to "is this the phone the step was cut on?" (asked only of a
// phone that gives no serial number): yes with --same-phone; asked on the terminal while
// standard input and standard error are one; otherwise no, with a line that says how to
// finish it.
commands::SamePhoneQuestion CliSamePhone(const LinkOptions& options);

// The command line has no connection dialog: a connection that failed, or a link lost for
// good, ends the command.
class NoConnectionDialog final : public ConnectionDialog {
public:
    void AskConnectionSettings(ConnectionAnswer answered) override { answered(false); }
};

// Nothing of the session is shown but its boxes and progress.
class NoSessionObserver final : public SessionObserver {
public:
    void TreeChanged() override {}
    void FolderChanged() override {}
    void BusyChanged(bool) override {}
    void ModelChanged(const std::string&) override {}
};

struct CliSession {
    // The progress line and the boxes of the terminal.
    CliSession();
    // A command's own progress view and boxes.
    CliSession(ProgressView& view, Prompts& ui);
    // The command's operation ends (a success unless a failure was reported) and the port
    // is closed.
    ~CliSession();
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    LinkOptions options;
    FolderMode mode = FolderMode::Normal;
    bool hidden = false;
    // What a connection does once the phone is identified, besides taking --mode.
    struct Connecting {
        bool NamePort = true;          // -v names the port and the model
        bool TakeHidden = true;        // --hidden is taken (else the stored setting stays)
        bool RereadModel = false;      // the model is asked again
        bool FinishUnfinished = true;  // what an earlier run left half replaced is finished
    } connecting;
    CliLink link;
    CliProgress progress;
    CliPrompts prompts;
    // The session's file system once Open has succeeded.
    PhoneFs* fs = nullptr;

    // Takes the link options, --mode and --hidden; 0 or the exit code of a bad option.
    int TakeOptions(const ParsedArgs& parsed);
    // Connects through the session and starts the command's operation; 0 or the link's
    // exit code after its message.
    int Open();
    // Ends the operation with the phone's failure: the session reports it (the catalogue's
    // text; a local file that cannot be opened is named) and recovers the link after a
    // time-out. Returns the command's exit code: the local-file code, the phone's, or 130
    // after Ctrl+C, which is not reported.
    int PhoneError(const Failure& failure, const std::string& localPath = {});
    // Ends the operation with the phone's failure as it stands, reported even after Ctrl+C.
    void ReportFailure(const Failure& failure);
    PhoneSession& Session() { return *m_session; }

private:
    ProgressView& m_view;
    Prompts& m_ui;
    NoConnectionDialog m_dialog;
    NoSessionObserver m_observer;
    std::unique_ptr<PhoneSession> m_session;
};

}  // namespace q7k3::cli
