#pragma once
// The phone session: the connection, the phone's file system and its folder tree, and the
// one door every phone operation passes. It knows no widget: the window watches it through
// SessionObserver and answers its questions through the Prompts seams.
//
// Every exchange with the phone runs on the session's link thread, one operation at a time.
// The window's thread submits an operation (Run) and hears of its end through a queued
// call; it never waits for the phone. While an operation runs, the tree belongs to the link
// thread: on the window's thread Root() and CurrentFolder() are null until it has ended. A
// box or a question the operation asks is put on the window's thread while the link thread
// waits for the answer.
//
// The door: an operation is admitted only while the session is idle with a phone; whatever
// comes meanwhile (a key, a drop, the preview, the keep-alive) is refused, never nested. An
// operation that fails with a phone failure gets the error report (with link recovery after
// a time-out) exactly once, after its progress dialog has gone.

#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "base/AppFlags.h"
#include "link/Connection.h"
#include "base/Failure.h"
#include "link/PhoneLink.h"
#include "base/StopSignal.h"
#include "base/Prompts.h"
#include "session/LinkThread.h"
#include "phonefs/PhoneFs.h"
#include "phonefs/Tree.h"
#include "session/WindowBridge.h"

namespace q7k3 {

// Where the session stands: one value, changed only on the window's thread (and read on
// either), and only along the steps SessionStateFollows allows.
enum class SessionState {
    NoPhone,     // no link: before the first connection, after a lost one
    Asking,      // the connection dialog is up; nothing is sent meanwhile
    Connecting,  // the port is opened (or closed for the dialog) and the phone read
    Idle,        // a phone with its tree, nothing running
    Running,     // an operation runs (with any question it asked)
    Pinging,     // the keep-alive asks the phone whether it is still there
    Closing,     // the program ends: what runs stops at its next safe point, then the port closes
    Closed,      // the port is shut; nothing runs or is asked again
};

// True when `to` may follow `from`. Closing leads only to Closed, and Closed nowhere: once
// the program ends, nothing brings the session back to life.
bool SessionStateFollows(SessionState from, SessionState to);

// What the door says to an entry point.
enum class Admission {
    Open,     // it may run now
    Busy,     // something runs (or the connection dialog is up): refused, said in the status
    NoPhone,  // there is no phone to run it on
    Closing,  // the program is ending
};

// What the main window shows of the session. Every call comes on the window's thread.
class SessionObserver {
public:
    virtual ~SessionObserver() = default;
    // The tree was replaced or dropped: every pointer into the old one is gone. Root()
    // and CurrentFolder() tell what is there now (both null without a tree).
    virtual void TreeChanged() = 0;
    // CurrentFolder() changed, or the files of the current folder did (it was listed, a
    // file was written or erased): the phone pane shows it again.
    virtual void FolderChanged() = 0;
    // True while a connection step or an operation runs: the main window takes no input,
    // but every dialog and box the core shows stays usable.
    virtual void BusyChanged(bool busy) = 0;
    // The model line after a successful scan (the status bar's second panel).
    virtual void ModelChanged(const std::string& phoneModel) = 0;
    // A transient line for the status bar's first panel ("Обновление текущей папки").
    virtual void StatusChanged(const std::string& /*text*/) {}
    // The session's state changed.
    virtual void StateChanged(SessionState /*state*/) {}
};

// How an operation ended.
class Outcome {
public:
    enum class Kind {
        Done,     // it did what it was asked
        Failed,   // a phone operation failed: the session runs the error report for Why()
        Stopped,  // it ended early without a phone failure (the user cancelled, or it has
                  // said why itself): no error report
    };
    static const Outcome Done;
    static const Outcome Stopped;
    static Outcome Failed(Failure why) { return Outcome(Fail(std::move(why))); }
    Outcome(Unexpected failure) : m_kind(Kind::Failed), m_why(std::move(failure.Error)) {}

    Kind End() const { return m_kind; }
    bool IsFailed() const { return m_kind == Kind::Failed; }
    // The reason of a failure (none for the other ends).
    const Failure& Why() const { return m_why; }
    // Two outcomes are alike when they ended alike, whatever their reasons.
    bool operator==(const Outcome& other) const { return m_kind == other.m_kind; }

private:
    explicit Outcome(Kind kind) : m_kind(kind) {}
    Kind m_kind;
    Failure m_why;
};
inline const Outcome Outcome::Done{Outcome::Kind::Done};
inline const Outcome Outcome::Stopped{Outcome::Kind::Stopped};
// Done, or Failed with the reason of the step that failed.
inline Outcome OutcomeOf(const Status& done) {
    return done ? Outcome::Done : Outcome::Failed(done.error());
}

// What the progress dialog shows while an operation runs. Bars start at 0; a max of 0
// leaves the bar for the operation to set.
struct BusyView {
    bool ShowProgress = true;
    std::string QuickStatus;
    std::string LongStatus;
    int BlocksMax = 0;  // bar 1
    int FilesMax = 0;   // bar 2
};

class PhoneSession : public QObject {
    Q_OBJECT
public:
    // The operation works on the phone through fs, on the link thread (its progress view
    // is fs.Progress(), its boxes fs.Ui(), its questions Conflicts() and Renames()).
    using Operation = std::function<Outcome(PhoneFs& fs)>;
    // Called on the window's thread once the operation (and its report) has ended.
    using Done = std::function<void(Outcome)>;
    using Connected = std::function<void(bool)>;
    enum class Threading {
        LinkThread,  // the program: a thread of the session's own
        Inline,      // the command line, and tests on the virtual clock: the caller's
                     // thread, everything at once
    };
    // Whom the session serves.
    enum class Role {
        Window,   // the window: a connection reads the whole tree, the keep-alive pings
        Command,  // one command of the command line: a connection identifies the phone and
                  // reads nothing (the command reads what it needs), nothing pings, and the
                  // phone counts as there from its identification until the link is lost
    };

    PhoneSession(PhoneLink& link, AppFlags& flags, Prompts& prompts, ProgressView& progress,
                 ConnectionDialog& dialog, SessionObserver& observer,
                 Threading threading = Threading::LinkThread, Role role = Role::Window);
    ~PhoneSession() override;
    PhoneSession(const PhoneSession&) = delete;
    PhoneSession& operator=(const PhoneSession&) = delete;

    // The window's conflict and rename dialogs, for the commands' questions.
    void SetQuestions(ConflictQuestion* conflicts, RenameQuestion* renames);
    // True while the window has a dialog open that is not the session's (the keep-alive
    // waits for it to close).
    std::function<bool()> QuestionOpen;
    // Answers an open question with its cancel (closing while a dialog is up).
    std::function<void()> CancelQuestion;

    SessionState State() const { return m_state.load(); }
    // The one admission check of every entry point that needs the link.
    Admission Admit(bool needsPhone = true) const;

    // Start-up: with a stored port, open it and start the connection; without one (the
    // first run) the connection dialog comes first, so nothing is sent before Start.
    // Every failure brings the dialog back until a connection stands (true) or the user
    // cancels (false).
    void Start(bool portStored, Connected done = {});
    // The connection dialog loop (the settings dialog, open, identify, scan).
    void ConnectionDialogLoop(Connected done = {});
    // The "Настройки" menu: the port is closed and the dialog shown; Cancel returns to a
    // running connection (the dialog reopens its port) and re-arms the keep-alive.
    void OpenSettings();
    // "Отключить": the port is closed and the tree dropped, off the window's thread; the
    // session is then without a phone until the next connection. False when the door is shut.
    bool Disconnect(Done done = {});
    // The folder a new connection goes to once its scan is over, when the phone still has it
    // (the window keeps it across runs); empty for the root.
    void SetReturnPlace(FolderPlace place) { m_returnPlace = std::move(place); }
    const FolderPlace& ReturnPlace() const { return m_returnPlace; }
    // Closing the program: the keep-alive stops; an operation that runs is asked to stop
    // and is waited for (the progress dialog says so); then the port is closed and
    // `closed` is called. No box is shown from then on.
    void Close(std::function<void()> closed = {});
    // Closing or Closed; true on either thread from the moment Close was called.
    bool Closing() const;
    // A stop signal: the close to come ends the program at once. A write to the phone under
    // way stops at its next data prompt, leaving the phone to give it up by itself (the next
    // connection waits that out), instead of sending the rest spoiled. Safe on any thread.
    void EndAtOnce() { m_endAtOnce = true; }
    // A stop from outside the session (the command line's interrupt) that the phone's
    // exchanges obey as well; it outlives the session.
    void AlsoStopOn(const StopSignal* stop) { m_outsideStop = stop; }

    // Submits an operation through the door; false (and nothing runs) when the door is
    // shut. `done` hears how it ended.
    bool Run(const BusyView& view, Operation operation, Done done = {});
    // While the keep-alive pings (a few milliseconds), what the user set off waits for it:
    // `again` runs once the ping has ended with the phone still there. True when it was
    // kept for then; false when the session is not pinging (or something waits already).
    bool AfterPing(std::function<void()> again);
    // An operation the caller runs itself, on its own thread, between Begin and End (an
    // inline session only: the command line's command). Begin admits it as Run does (false
    // when the door is shut); End gives it the same report as Run and tells how it ended.
    bool Begin(const BusyView& view);
    Outcome End(Outcome outcome);
    bool Begun() const { return m_begun; }

    // The refresh of the current phone folder: the whole scan at the root, nothing in a
    // folder that exists only in the program, one listing elsewhere.
    bool Rescan(Done done = {});
    // Opens a child of the current folder by its name, or the parent for "..". A folder
    // the scan did not reach is read first. False when nothing changed.
    bool OpenFolder(const std::string& name);

    // The error report for `failure`, with link recovery after a time-out, run as an
    // operation of its own.
    void SessionGuard(const Failure& failure);
    // The keep-alive tick (every 20 s while armed).
    void KeepAliveTick();
    bool KeepAliveArmed() const { return m_keepAlive.isActive(); }

    // The link after a command the phone never answered: the port closed, a pause, the
    // port opened again and the phone reset. On the link thread, inside an operation (the
    // report does it by itself after a failed one).
    Status RecoverLink();

    // For operations on the link thread (and tests that run inline).
    PhoneFs& Fs() { return *m_fs; }
    ConflictQuestion& Conflicts() { return m_questions; }
    RenameQuestion& Renames() { return m_questions; }
    // Runs on the link thread once the phone of a new connection is identified, before its
    // scan: what an earlier run was killed in the middle of is finished there (its boxes go
    // through fs.Ui(), which reaches the window's thread).
    std::function<void(PhoneFs& fs)> AfterIdentify;
    // Runs on the link thread once a new connection's scan has succeeded: what the window
    // asks the phone besides its files (its failures are its own, the connection stands).
    std::function<void(PhoneFs& fs)> AfterScan;
    // How a connection that failed is said when not in the window's boxes (the command
    // line says it in lines, with its exit code). Both run on the link thread.
    std::function<void()> OnPortFailed;
    std::function<void(const Identification& found)> OnPhoneRefused;
    PhoneLink& Link() { return m_link; }
    AppFlags& Flags() { return m_flags; }
    // The window's own progress dialog and boxes.
    ProgressView& Progress() { return m_progress; }
    Prompts& Ui() { return m_prompts; }

    // The tree's root once a scan succeeded; null before, after a failure, while a
    // connection starts and, on the window's thread, while an operation runs.
    Tree4* Root() const;
    bool PhoneReady() const { return Root() != nullptr; }
    Tree4* CurrentFolder() const;
    // True while an operation or a connection step runs, or the connection dialog is up.
    bool Busy() const;
    const std::string& PhoneModel() const { return m_link.Channel.PhoneModel; }
    std::string FreeSpaceText() const;

    static constexpr int kKeepAliveMs = 20000;
    static constexpr int kRecoveryPauseMs = 200;

private:
    // What the window hears of once the running task has ended.
    enum Note : int { kNoteTree = 1, kNoteFolder = 2, kNoteModel = 4 };
    struct Ended {
        Outcome Result = Outcome::Done;
        bool LinkLost = false;  // the report could not recover the link
    };
    using Task = std::function<Ended()>;

    // Puts a task on the link thread; `ended` runs on the window's thread after it.
    void Launch(SessionState state, const BusyView* view, Task task,
                std::function<void(const Ended&)> ended);
    // What every admitted operation starts with: the state, the abort lowered, its view.
    void Admitted(SessionState state, const BusyView* view);
    void Finish(const Ended& ended, const std::function<void(const Ended&)>& after);
    // An operation with its report, as a task.
    Task Reported(Operation operation, bool report);
    void Connect(Connected done);
    // Connect, and when that fails the connection dialog again (until the user gives up).
    void ConnectOrAsk(Connected done);
    // The port's last close, as the session's last task; EndClose once it is shut.
    void FinishClose();
    void EndClose();
    void DialogAnswered(bool start, const Connected& done);
    // Moves to `state` when the table allows it (and tells the observer); false otherwise.
    bool SetState(SessionState state);
    // True while a task of the link thread runs (the tree is then the link thread's).
    bool TaskRuns() const;
    void Note(int what);
    void DeliverNotes();
    bool OnWindowThread() const;
    bool TreeReadable() const;

    // Link thread: the error report itself; false when the link could not be recovered
    // (the tree is then dropped and the connection dialog must come).
    bool Guard(const Failure& failure);
    bool IdentifyAndScan();
    // The phone on the port opened identified, and AfterIdentify; false after its report.
    bool Identify();
    // A phone to run operations on: the tree of a window's session, the identified phone
    // of a command's. Read on the thread that owns the tree.
    bool HasPhone() const;
    // Done with a tree, Failed (the walk has said why), or Stopped when the user would not
    // go on with a phone that holds no file.
    Outcome Scan();
    Status ListCurrent();
    void ShowError(int message);
    // "Невозможно открыть порт" with why: missing, busy (by whom), not permitted.
    // The port tried has no phone: the connection dialog offers the search.
    void OfferSearch();
    void ShowPortError();
    void DropTree();
    void StopKeepAlive();
    void ArmKeepAlive();

    PhoneLink& m_link;
    AppFlags& m_flags;
    Prompts& m_prompts;
    ProgressView& m_progress;
    ConnectionDialog& m_dialog;
    SessionObserver& m_observer;
    // The stop the link thread reads: raised once the session is closing.
    class ClosingSignal final : public StopSignal {
    public:
        explicit ClosingSignal(const PhoneSession& session) : m_session(session) {}
        bool Raised() const override { return m_session.Closing(); }
        bool CutsWrite() const override { return m_session.m_endAtOnce.load(); }

    private:
        const PhoneSession& m_session;
    };
    std::atomic<SessionState> m_state = SessionState::NoPhone;
    std::atomic<bool> m_endAtOnce = false;
    ClosingSignal m_closingSignal{*this};
    // What the phone's exchanges obey: the close, and a stop from outside.
    class OperationStop final : public StopSignal {
    public:
        explicit OperationStop(const PhoneSession& session) : m_session(session) {}
        bool Raised() const override {
            return m_session.Closing() ||
                   (m_session.m_outsideStop && m_session.m_outsideStop->Raised());
        }
        bool CutsWrite() const override {
            return m_session.m_endAtOnce.load() ||
                   (m_session.m_outsideStop && m_session.m_outsideStop->CutsWrite());
        }

    private:
        const PhoneSession& m_session;
    };
    const StopSignal* m_outsideStop = nullptr;
    OperationStop m_operationStop{*this};
    const Role m_role;
    // A command's phone: identified, and its link not lost since.
    std::atomic<bool> m_linked = false;
    bool m_begun = false;
    // What the link thread hands to the window's thread (a task's end, the bridge's calls).
    HandOff m_toWindow{this};
    WindowBridge m_bridge;
    BridgedPrompts m_bridgedPrompts;
    BridgedProgress m_bridgedProgress;
    BridgedQuestions m_questions;
    std::unique_ptr<PhoneFs> m_fs;
    // Shared by both threads, each touching it only while the other does not: the link
    // thread while a task runs, the window's thread otherwise.
    Tree4* m_current = nullptr;
    std::atomic<int> m_notes = 0;
    // What belongs to one state: an operation that came while the keep-alive pinged (it runs
    // right after the ping), and whoever waits for the close to end.
    std::function<void()> m_afterPing;
    std::function<void()> m_onClosed;
    // Window's thread only; a connection takes its copy as it starts.
    FolderPlace m_returnPlace;
    QTimer m_keepAlive;
    // Last, so that it is joined before anything its tasks use goes.
    std::unique_ptr<LinkThread> m_thread;
};

}  // namespace q7k3
