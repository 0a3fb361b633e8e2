#pragma once
// The phone session: the connection, the phone's file system and its folder tree, and
// the one bracket every phone operation runs in. It knows no widget: the window watches
// it through SessionObserver and answers its questions through the Prompts seams.
//
// Run(view, operation) is the bracket: the keep-alive stops, the window goes busy, the
// progress dialog shows what the view asks, the operation runs; when it fails the error
// report (with link recovery after a time-out) runs exactly once; and on every way out the
// progress dialog is hidden, the window is usable again and the keep-alive is armed as
// IRDAReq says.

#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "link/AppFlags.h"
#include "link/Connection.h"
#include "link/Failure.h"
#include "link/PhoneLink.h"
#include "link/Prompts.h"
#include "phonefs/PhoneFs.h"
#include "phonefs/Tree.h"

namespace q7k3 {

// What the main window shows of the session.
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
};

// How an operation ended.
enum class Outcome {
    Done,     // it did what it was asked
    Failed,   // a phone operation failed: the reason is in the channel's LastError and
              // the bracket runs the error report
    Stopped,  // it ended early without a phone failure (the user cancelled, or it has
              // said why itself): no error report
};
inline Outcome OutcomeOf(bool ok) {
    return ok ? Outcome::Done : Outcome::Failed;
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

class PhoneSession {
public:
    // The operation works on the phone through fs (its progress view is fs.Progress()).
    using Operation = std::function<Outcome(PhoneFs& fs)>;

    PhoneSession(PhoneLink& link, AppFlags& flags, Prompts& prompts, ProgressView& progress,
                 ConnectionDialog& dialog, SessionObserver& observer);
    ~PhoneSession();
    PhoneSession(const PhoneSession&) = delete;
    PhoneSession& operator=(const PhoneSession&) = delete;

    // Start-up: with a stored port, open it and start the connection; without one (the
    // first run) the connection dialog comes first, so nothing is sent before Start.
    // Every failure brings the dialog back until a connection stands (true) or the user
    // cancels (false).
    bool Start(bool portStored);
    // The connection dialog loop (the settings dialog, open, identify, scan).
    bool ConnectionDialogLoop();
    // The "Настройки" menu: the port is closed and the dialog shown; Cancel returns to a
    // running connection (the dialog reopens its port) and re-arms the keep-alive.
    void OpenSettings();
    // Closing the program: keep-alive off, port closed.
    void Close();

    // The refresh of the current phone folder: the whole scan at the root, nothing in a
    // folder that exists only in the program, one listing elsewhere.
    bool Rescan();
    // Opens a child of the current folder by its name, or the parent for "..". A folder
    // the scan did not reach is read first. False when nothing changed.
    bool OpenFolder(const std::string& name);

    // The busy bracket. Called while another operation runs, it runs the operation
    // plainly and leaves the report to the outer bracket.
    Outcome Run(const BusyView& view, const Operation& operation);

    // The error report after a failed phone operation, with link recovery after a
    // time-out. Run calls it; the keep-alive tick does too.
    void SessionGuard();
    // The keep-alive tick (every 20 s while armed).
    void KeepAliveTick();
    bool KeepAliveArmed() const { return m_keepAlive.isActive(); }

    PhoneFs& Fs() { return *m_fs; }
    // Runs once the phone of a new connection is identified, before its scan: the window
    // finishes there what an earlier run was killed in the middle of.
    std::function<void(PhoneFs& fs)> AfterIdentify;
    PhoneLink& Link() { return m_link; }
    AppFlags& Flags() { return m_flags; }
    ProgressView& Progress() { return m_progress; }
    Prompts& Ui() { return m_prompts; }
    // The tree's root once a scan succeeded; null before, after a failure and while a
    // connection starts (PhoneReady).
    Tree4* Root() const;
    bool PhoneReady() const { return Root() != nullptr; }
    Tree4* CurrentFolder() const { return m_current; }
    bool Busy() const { return m_busyDepth > 0; }
    const std::string& PhoneModel() const { return m_link.Channel.PhoneModel; }
    std::string FreeSpaceText() const;

    static constexpr int kKeepAliveMs = 20000;
    static constexpr int kRecoveryPauseMs = 200;

private:
    class BusyScope;
    // The error report itself; false when the link could not be recovered (the tree is
    // then dropped and the connection dialog must come, with the window usable).
    bool Guard();
    bool IdentifyAndScan();
    bool Scan();
    bool ListCurrent();
    void StopKeepAlive();
    void ArmKeepAlive();
    void ShowError(int message);
    // "Невозможно открыть порт" with why: missing, busy (by whom), not permitted.
    void ShowPortError();
    void DropTree();

    PhoneLink& m_link;
    AppFlags& m_flags;
    Prompts& m_prompts;
    ProgressView& m_progress;
    ConnectionDialog& m_dialog;
    SessionObserver& m_observer;
    std::unique_ptr<PhoneFs> m_fs;
    Tree4* m_current = nullptr;
    bool m_ready = false;
    int m_busyDepth = 0;
    QTimer m_keepAlive;
};

}  // namespace q7k3
