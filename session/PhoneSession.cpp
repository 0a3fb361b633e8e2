#include "session/PhoneSession.h"

#include <QMetaObject>
#include <QPointer>
#include <QThread>

#include "phonefs/FileListCache.h"

#ifdef Q_OS_UNIX
#include "ports/PortDiagnostics.h"
#endif
#include "base/Messages.h"

namespace q7k3 {

PhoneSession::PhoneSession(PhoneLink& link, AppFlags& flags, Prompts& prompts,
                           ProgressView& progress, ConnectionDialog& dialog,
                           SessionObserver& observer, Threading threading, Role role)
    : m_link(link),
      m_flags(flags),
      m_prompts(prompts),
      m_progress(progress),
      m_dialog(dialog),
      m_observer(observer),
      m_role(role),
      m_bridge(m_toWindow, m_closingSignal),
      m_bridgedPrompts(m_bridge, prompts),
      m_bridgedProgress(m_bridge, progress),
      m_questions(m_bridge),
      m_fs(std::make_unique<PhoneFs>(link.Channel, flags, m_bridgedProgress, m_bridgedPrompts)),
      m_thread(std::make_unique<LinkThread>(threading == Threading::Inline)) {
    m_fs->SetStopSignal(&m_operationStop);
    m_keepAlive.setInterval(kKeepAliveMs);
    connect(&m_keepAlive, &QTimer::timeout, this, [this] { KeepAliveTick(); });
    // Whoever drops the tree (a scan, the report, a failed walk), the window lets go of
    // it before it is shown again.
    m_fs->onTreeDropped = [this] {
        m_current = nullptr;
        Note(kNoteTree);
    };
}

bool SessionStateFollows(SessionState from, SessionState to) {
    using S = SessionState;
    switch (from) {
        case S::NoPhone:
            return to == S::Asking || to == S::Connecting || to == S::Closing;
        case S::Asking:
            // Start connects; Cancel goes back to what was there, or reopens the port of a
            // connection that stands.
            return to == S::Connecting || to == S::NoPhone || to == S::Closing;
        case S::Idle:
            return to == S::Asking || to == S::Connecting || to == S::Running ||
                   to == S::Pinging || to == S::Closing;
        case S::Connecting:
        case S::Running:
        case S::Pinging:
            // A task ends with or without a phone, or is asked to stop by the close.
            return to == S::Idle || to == S::NoPhone || to == S::Closing;
        case S::Closing:
            return to == S::Closed;
        case S::Closed:
            return false;
    }
    return false;
}

PhoneSession::~PhoneSession() {
    m_keepAlive.stop();
    // What still runs ends at its next safe point and asks nothing more. Told nobody: the
    // observer may be gone already.
    if (!Closing()) m_state = TaskRuns() ? SessionState::Closing : SessionState::Closed;
    m_flags.AbortRequested = true;
    // Joined while the pointer is still valid: the last task asks it whether it runs inline.
    m_thread->Join();
    m_fs->onTreeDropped = nullptr;
}

void PhoneSession::SetQuestions(ConflictQuestion* conflicts, RenameQuestion* renames) {
    m_questions.Set(conflicts, renames);
}

bool PhoneSession::OnWindowThread() const { return QThread::currentThread() == thread(); }

bool PhoneSession::TaskRuns() const {
    switch (m_state.load()) {
        case SessionState::Connecting:
        case SessionState::Running:
        case SessionState::Pinging:
        case SessionState::Closing:
            return true;
        default:
            return false;
    }
}

bool PhoneSession::Busy() const {
    const SessionState state = m_state.load();
    return TaskRuns() || state == SessionState::Asking;
}

bool PhoneSession::Closing() const {
    const SessionState state = m_state.load();
    return state == SessionState::Closing || state == SessionState::Closed;
}

bool PhoneSession::TreeReadable() const { return !TaskRuns() || m_thread->OnLinkThread(); }

Tree4* PhoneSession::Root() const { return TreeReadable() ? m_fs->PhoneRoot() : nullptr; }

Tree4* PhoneSession::CurrentFolder() const { return TreeReadable() ? m_current : nullptr; }

std::string PhoneSession::FreeSpaceText() const {
    return TreeReadable() ? m_fs->EstimateFreeSpace() : std::string();
}

Admission PhoneSession::Admit(bool needsPhone) const {
    if (Closing()) return Admission::Closing;
    if (Busy()) return Admission::Busy;
    if (needsPhone && !HasPhone()) return Admission::NoPhone;
    return Admission::Open;
}

bool PhoneSession::SetState(SessionState state) {
    const SessionState from = m_state.load();
    if (from == state) return true;
    if (!SessionStateFollows(from, state)) return false;
    m_state = state;
    m_observer.StateChanged(state);
    return true;
}

void PhoneSession::Note(int what) {
    if (OnWindowThread() && !TaskRuns()) {
        m_notes |= what;
        DeliverNotes();
        return;
    }
    m_notes |= what;
}

void PhoneSession::DeliverNotes() {
    const int notes = m_notes.exchange(0);
    if (notes & kNoteModel) m_observer.ModelChanged(PhoneModel());
    if (notes & kNoteTree)
        m_observer.TreeChanged();
    else if (notes & kNoteFolder)
        m_observer.FolderChanged();
}

void PhoneSession::ShowError(int message) {
    m_bridgedProgress.Hide();
    m_bridgedPrompts.MessageBox(Msg(message), Msg(kMsgErrorCaption), BoxIcon::Error);
}

void PhoneSession::OfferSearch() {
    // The dialog lives on the window's thread; told before the box, it is shown after it.
    m_bridge.Tell([this, port = m_link.Port.PortName()] { m_dialog.OfferPhoneSearch(port); });
}

bool PhoneSession::HasPhone() const {
    return m_role == Role::Command ? m_linked.load() : PhoneReady();
}

void PhoneSession::ShowPortError() {
    if (OnPortFailed) {
        OnPortFailed();
        return;
    }
    OfferSearch();
#ifdef Q_OS_UNIX
    const std::string text = PortOpenFailureText(m_link.Port.PortName());
#else
    const std::string text = Msg(kMsgCannotOpenPort);
#endif
    m_bridgedProgress.Hide();
    m_bridgedPrompts.MessageBox(text, Msg(kMsgErrorCaption), BoxIcon::Error);
}

void PhoneSession::StopKeepAlive() { m_keepAlive.stop(); }

void PhoneSession::ArmKeepAlive() {
    // A command's session ends with its command: nothing to keep alive between operations.
    if (m_role == Role::Window && m_flags.IRDAReq && !Closing())
        m_keepAlive.start();
    else
        m_keepAlive.stop();
}

void PhoneSession::DropTree() {
    m_linked = false;
    m_fs->DropTree();
}

// ---- the door ------------------------------------------------------------------------

void PhoneSession::Launch(SessionState state, const BusyView* view, Task task,
                          std::function<void(const Ended&)> after) {
    Admitted(state, view);
    m_thread->Post([this, inlineTask = m_thread->Inline(), task = std::move(task),
                    after = std::move(after)] {
        const Ended ended = task();
        if (inlineTask) {
            Finish(ended, after);
            return;
        }
        // The end is heard on the window's thread; once the session is gone, nobody hears.
        m_toWindow.Post([this, ended, after] { Finish(ended, after); });
    });
}

void PhoneSession::Admitted(SessionState state, const BusyView* view) {
    StopKeepAlive();
    // The one place the abort is lowered: as the operation is admitted, before its progress
    // dialog shows. From here on a press of the abort button holds to the operation's end,
    // whatever command or step of it runs.
    m_flags.AbortRequested = false;
    SetState(state);
    if (state != SessionState::Pinging) m_observer.BusyChanged(true);
    if (view && view->ShowProgress) {
        m_progress.SetMax(1, view->BlocksMax);
        m_progress.SetMax(2, view->FilesMax);
        m_progress.SetPosition(1, 0);
        m_progress.SetPosition(2, 0);
        if (!view->QuickStatus.empty()) m_progress.SetQuickStatus(view->QuickStatus);
        if (!view->LongStatus.empty()) m_progress.SetLongStatus(view->LongStatus);
        m_progress.Show();
    }
    m_bridgedProgress.Mirror();
}

void PhoneSession::Finish(const Ended& ended, const std::function<void(const Ended&)>& after) {
    const SessionState was = m_state.load();
    // What waited for the ping is the ping's no longer: it runs below, or not at all.
    std::function<void()> next = std::move(m_afterPing);
    m_afterPing = nullptr;
    if (was != SessionState::Pinging) m_progress.Hide();
    if (was == SessionState::Closing) {
        m_notes = 0;
        FinishClose();
        return;
    }
    const bool phone = m_role == Role::Command ? m_linked.load() : m_fs->PhoneRoot() != nullptr;
    SetState(phone ? SessionState::Idle : SessionState::NoPhone);
    DeliverNotes();
    if (was != SessionState::Pinging) m_observer.BusyChanged(false);
    if (after) after(ended);
    if (m_state.load() != SessionState::Idle) return;
    ArmKeepAlive();
    // A command that came while the keep-alive pinged runs now.
    if (next) next();
}

PhoneSession::Task PhoneSession::Reported(Operation operation, bool report) {
    return [this, operation = std::move(operation), report] {
        Ended ended;
        ended.Result = operation(*m_fs);
        if (ended.Result.IsFailed() && report && !Closing()) {
            ended.LinkLost = !Guard(ended.Result.Why());
        }
        return ended;
    };
}

bool PhoneSession::Run(const BusyView& view, Operation operation, Done done) {
    // Never nested: an operation that asks for another is refused, not run inside it.
    if (TaskRuns() && m_thread->OnLinkThread()) return false;
    const Admission door = Admit();
    if (door != Admission::Open) {
        if (door == Admission::Busy) m_observer.StatusChanged(Msg(kMsgSessionBusy));
        return false;
    }
    Launch(SessionState::Running, &view, Reported(std::move(operation), true),
           [this, done = std::move(done)](const Ended& ended) {
               if (done) done(ended.Result);
               // The link is gone: the connection dialog, with the window usable again.
               if (ended.LinkLost) ConnectionDialogLoop();
           });
    return true;
}

bool PhoneSession::AfterPing(std::function<void()> again) {
    if (m_state.load() != SessionState::Pinging || m_afterPing) return false;
    m_afterPing = std::move(again);
    return true;
}

bool PhoneSession::Begin(const BusyView& view) {
    if (!m_thread->Inline() || m_begun || Admit() != Admission::Open) return false;
    Admitted(SessionState::Running, &view);
    m_begun = true;
    return true;
}

Outcome PhoneSession::End(Outcome outcome) {
    if (!m_begun) return outcome;
    m_begun = false;
    const Ended ended = Reported([outcome](PhoneFs&) { return outcome; }, true)();
    Finish(ended, [this](const Ended& end) {
        if (end.LinkLost) ConnectionDialogLoop();
    });
    return outcome;
}

// ---- connection ----------------------------------------------------------------------

void PhoneSession::Start(bool portStored, Connected done) {
    if (!portStored) {
        ConnectionDialogLoop(std::move(done));
        return;
    }
    if (Admit(false) != Admission::Open) {
        if (done) done(false);
        return;
    }
    ConnectOrAsk(std::move(done));
}

void PhoneSession::ConnectionDialogLoop(Connected done) {
    if (Closing() || TaskRuns() || !SetState(SessionState::Asking)) {
        if (done) done(false);
        return;
    }
    StopKeepAlive();
    // The dialog is asked only with the window usable: it is the window's child. Its answer
    // comes later, from the window's event loop; a session gone by then hears nothing.
    m_dialog.AskConnectionSettings(
        [self = QPointer<PhoneSession>(this), done = std::move(done)](bool start) {
            if (self) self->DialogAnswered(start, done);
        });
}

void PhoneSession::DialogAnswered(bool start, const Connected& done) {
    // Closed meanwhile (a stop signal while the dialog was up): the close is final.
    if (Closing() || m_state.load() != SessionState::Asking) {
        if (done) done(false);
        return;
    }
    if (start) {
        ConnectOrAsk(done);
        return;
    }
    if (!PhoneReady()) {
        SetState(SessionState::NoPhone);
        if (done) done(false);
        return;
    }
    // Cancel on a connection that stands ("Настройки" closed its port): the port is opened
    // again, off the window's thread, and the connection keeps being pinged.
    Launch(
        SessionState::Connecting, nullptr,
        [this] {
            m_link.Port.Connect();
            return Ended{};
        },
        [done](const Ended&) {
            if (done) done(false);
        });
}

void PhoneSession::ConnectOrAsk(Connected done) {
    Connect([this, done = std::move(done)](bool ok) {
        if (ok) {
            if (done) done(true);
            return;
        }
        ConnectionDialogLoop(done);
    });
}

void PhoneSession::Connect(Connected done) {
    Launch(
        SessionState::Connecting, nullptr,
        [this, place = m_returnPlace] {
            Ended ended;
            ended.Result = Outcome::Stopped;
            // The tree of an earlier connection belongs to it: a new one reads its own, and
            // one that fails leaves none.
            DropTree();
            if (!m_link.Port.Connect()) {
                ShowPortError();
                return ended;
            }
            if (m_role == Role::Command) {
                // A command reads what it needs itself.
                if (!Identify()) return ended;
                m_linked = true;
                ended.Result = Outcome::Done;
                return ended;
            }
            if (!IdentifyAndScan()) return ended;
            ended.Result = Outcome::Done;
            if (AfterScan) AfterScan(*m_fs);
            // Back where the user was, when this phone still has that folder (and an
            // aborted scan did not leave it unread).
            if (Tree4* back = FindPlace(m_fs->PhoneRoot(), place); back && back->Listed)
                m_current = back;
            return ended;
        },
        [done = std::move(done)](const Ended& ended) {
            if (done) done(ended.Result == Outcome::Done);
        });
}

bool PhoneSession::Identify() {
    // A link that came with its own countdown (the command line's status line) keeps it.
    if (m_role == Role::Window || !m_link.OnCutTransferWait)
        m_link.OnCutTransferWait = [this](int64_t leftMs, int64_t totalMs) {
            m_bridgedProgress.SetLongStatus(Msg(kMsgPhoneFinishingCut) +
                                            std::to_string((leftMs + 999) / 1000) +
                                            Msg(kMsgSecondsWait));
            m_bridgedProgress.SetMax(2, static_cast<int>(totalMs / 500));
            m_bridgedProgress.SetPosition(2, static_cast<int>((totalMs - leftMs) / 500));
        };
    const Identification check = IdentifyPhone(
        m_link, m_flags, [this] { m_bridgedProgress.SetLongStatus(Msg(kMsgInitializing)); });
    if (check != PhoneCheck::Supported) {
        if (OnPhoneRefused) {
            OnPhoneRefused(check);
            return false;
        }
        if (check == PhoneCheck::Silent) OfferSearch();
        const int message = PhoneCheckMessage(check);
        // A silent phone: the port it was asked on, and where another one is chosen.
        m_bridgedProgress.Hide();
        m_bridgedPrompts.MessageBox(
            message == kMsgPhoneSilent ? SilentPhoneText(m_link.Port.PortName()) : Msg(message),
            Msg(kMsgErrorCaption), BoxIcon::Error);
        return false;
    }
    if (AfterIdentify) AfterIdentify(*m_fs);
    return true;
}

bool PhoneSession::IdentifyAndScan() {
    if (!Identify()) return false;
    if (Scan() != Outcome::Done) {
        // Whatever the scan left behind, a failed start ends without a link or a tree.
        m_link.Port.Disconnect();
        m_bridgedProgress.Hide();
        DropTree();
        return false;
    }
    m_bridgedProgress.Hide();
    return true;
}

Outcome PhoneSession::Scan() {
    ProgressView& progress = m_bridgedProgress;
    RenewScratchFileName();
    progress.Show();
    progress.SetQuickStatus(Msg(kMsgCachingFiles));
    progress.SetLongStatus(Msg(kMsgInitializing));
    for (const int bar : {1, 2}) {
        progress.SetMax(bar, 0);
        progress.SetPosition(bar, 0);
    }
    const Expected<Tree4*> scanned = m_fs->ScanPhone(m_flags.Mode, m_flags.HiddenFiles);
    if (!scanned) {
        DropTree();
        return Outcome::Failed(scanned.error());
    }
    Tree4* root = *scanned;
    m_current = root;
    Note(kNoteModel | kNoteTree);
    if (!m_flags.AbortRequested && !TreeHasFiles(root)) {
        // No file anywhere: an unprepared or freshly formatted phone.
        if (!m_bridgedPrompts.AskYesNo(Msg(kMsgNotPatched), Msg(kMsgAttentionCaption))) {
            DropTree();
            return Outcome::Stopped;
        }
    }
    return Outcome::Done;
}

void PhoneSession::OpenSettings() {
    if (const Admission door = Admit(false); door != Admission::Open) {
        if (door == Admission::Busy) m_observer.StatusChanged(Msg(kMsgSessionBusy));
        return;
    }
    // The dialog may choose another port, or this one at another speed: the port is closed
    // first, off the window's thread (a real port may take its time over it).
    Launch(
        SessionState::Connecting, nullptr,
        [this] {
            m_link.Port.Disconnect();
            return Ended{};
        },
        [this](const Ended&) { ConnectionDialogLoop(); });
}

bool PhoneSession::Disconnect(Done done) {
    if (const Admission door = Admit(); door != Admission::Open) {
        if (door == Admission::Busy) m_observer.StatusChanged(Msg(kMsgSessionBusy));
        return false;
    }
    Launch(
        SessionState::Connecting, nullptr,
        [this] {
            m_link.Port.Disconnect();
            DropTree();
            return Ended{};
        },
        [done = std::move(done)](const Ended&) {
            if (done) done(Outcome::Done);
        });
    return true;
}

void PhoneSession::Close(std::function<void()> closed) {
    if (Closing()) {
        // Closed already, or on its way: the caller hears of it all the same.
        if (m_state.load() == SessionState::Closed) {
            if (closed) closed();
        } else if (closed) {
            m_onClosed = [first = std::move(m_onClosed), closed = std::move(closed)] {
                if (first) first();
                closed();
            };
        }
        return;
    }
    const SessionState was = m_state.load();
    const bool running = TaskRuns();
    // The progress dialog says why the window waits; said before the stop is raised, since
    // the dialog keeps its line once an abort is under way.
    if (running && was != SessionState::Pinging)
        m_progress.SetLongStatus(Msg(kMsgFinishingOperation));
    StopKeepAlive();
    m_afterPing = nullptr;
    m_onClosed = std::move(closed);
    // From here the link thread sees the stop: a write spoils its rest, a stalled exchange
    // ends, and the commands stop between files as on the abort button.
    SetState(SessionState::Closing);
    m_flags.AbortRequested = true;
    if (!running) {
        FinishClose();
        return;
    }
    // A question the operation asked is answered with its cancel.
    if (CancelQuestion) CancelQuestion();
    m_progress.SetLongStatus(Msg(kMsgFinishingOperation));
    m_progress.Show();
}

void PhoneSession::FinishClose() {
    StopKeepAlive();
    // The port's last close is the link thread's last task: a real port may take its time
    // over it, and nothing else is on the line by then.
    m_thread->Post([this, inlineTask = m_thread->Inline()] {
        m_link.Port.Disconnect();
        if (inlineTask) {
            EndClose();
            return;
        }
        m_toWindow.Post([this] { EndClose(); });
    });
}

void PhoneSession::EndClose() {
    SetState(SessionState::Closed);
    m_progress.Hide();
    if (auto closed = std::move(m_onClosed)) {
        m_onClosed = nullptr;
        closed();
    }
}

// ---- the report ----------------------------------------------------------------------

void PhoneSession::SessionGuard(const Failure& failure) {
    if (Busy() || Closing()) return;
    Launch(
        SessionState::Running, nullptr,
        [this, failure] {
            Ended ended;
            ended.Result = Outcome::Failed(failure);
            ended.LinkLost = !Guard(failure);
            return ended;
        },
        [this](const Ended& ended) {
            if (ended.LinkLost) ConnectionDialogLoop();
        });
}

bool PhoneSession::Guard(const Failure& failure) {
    SerialPort& port = m_link.Port;
    // The box comes once the progress dialog has gone, never over it; an abort the user asked
    // for needs no box, the link is recovered all the same.
    m_bridgedProgress.Hide();
    if (failure.Reason != kErrAborted)
        m_bridgedPrompts.MessageBox(FailureReport(failure.Reason, failure.Text),
                                    Msg(kMsgErrorCaption), BoxIcon::Error);
    // The recovery's own exchanges run to their end whatever ended the failed one; the abort
    // stays raised for the rest of the operation, until the next one is admitted.
    const PhoneFs::AbortHold hold(*m_fs);
    if (NeedsLinkRecovery(failure.Reason) && !RecoverLink()) {
        port.Disconnect();
        DropTree();
        return false;
    }
    // The folder shown is read again. Should that fail too (a folder the phone keeps
    // refusing, a phone that answers ATZ but no listing), it is said once, without
    // another recovery, so the boxes cannot follow each other for ever.
    if (m_current && m_current != m_fs->PhoneRoot() && !m_current->IsVirtual()) {
        if (Status listed = ListCurrent(); !listed) {
            m_bridgedProgress.Hide();
            m_bridgedPrompts.MessageBox(FailureReport(listed.error().Reason, listed.error().Text),
                                        Msg(kMsgErrorCaption), BoxIcon::Error);
        }
    }
    return true;
}

Status PhoneSession::RecoverLink() {
    SerialPort& port = m_link.Port;
    port.Disconnect();
    m_link.Clock.Pause(kRecoveryPauseMs);
    if (Closing()) return Fail(kErrAborted);
    if (!port.Connect()) return Fail(kErrPortGone, port.PortName());
    return ResetPhone(m_link);
}

Status PhoneSession::ListCurrent() {
    m_bridgedProgress.SetQuickStatus(Msg(kMsgUpdatingFolder) + m_current->Name);
    m_bridgedProgress.SetLongStatus(Msg(kMsgUpdatingCurrent));
    Status listed = m_fs->ListFolder(m_current, m_flags.HiddenFiles);
    if (m_current) Note(kNoteFolder);
    return listed;
}

// ---- folders -------------------------------------------------------------------------

bool PhoneSession::Rescan(Done done) {
    if (const Admission door = Admit(); door != Admission::Open) {
        if (door == Admission::Busy) m_observer.StatusChanged(Msg(kMsgSessionBusy));
        return false;
    }
    if (!m_current) return false;
    if (m_current == Root()) {
        Launch(
            SessionState::Running, nullptr,
            [this] {
                Ended ended;
                ended.Result = Scan();
                m_bridgedProgress.Hide();
                if (ended.Result != Outcome::Done) m_link.Port.Disconnect();
                return ended;
            },
            [this, done = std::move(done)](const Ended& ended) {
                if (done) done(ended.Result);
                if (ended.Result != Outcome::Done) ConnectionDialogLoop();
            });
        return true;
    }
    if (m_current->IsVirtual()) {
        if (done) done(Outcome::Done);
        return true;
    }
    m_observer.StatusChanged(Msg(kMsgUpdatingCurrent));
    const BusyView view{true, Msg(kMsgUpdatingFolder) + m_current->Name,
                        Msg(kMsgUpdatingCurrent)};
    return Run(view, [this](PhoneFs&) { return OutcomeOf(ListCurrent()); }, std::move(done));
}

bool PhoneSession::OpenFolder(const std::string& name) {
    if (const Admission door = Admit(); door != Admission::Open) {
        if (door == Admission::Busy) m_observer.StatusChanged(Msg(kMsgSessionBusy));
        return false;
    }
    if (!m_current) return false;
    Tree4* target = m_current;
    if (name == "..") {
        if (m_current->Parent) target = m_current->Parent;
    } else {
        target = FindChild(name, m_current);
    }
    if (target == m_current) return false;
    m_current = target;
    // The pane stands in the new folder at once, however little of it is known, and ".."
    // leads back.
    m_observer.FolderChanged();
    if (!target->Listed) {
        // A folder the scan did not reach (it was aborted) is read once, now.
        m_observer.StatusChanged(Msg(kMsgUpdatingCurrent));
        const BusyView view{true, Msg(kMsgUpdatingFolder) + target->Name,
                            Msg(kMsgUpdatingCurrent)};
        Run(view, [this, place = PlaceOf(target)](PhoneFs& fs) {
            Tree4* folder = FindPlace(fs.PhoneRoot(), place);
            if (!folder) return Outcome::Stopped;
            Note(kNoteFolder);
            if (Status changed = fs.ChangeFolder(folder->Id); !changed) return OutcomeOf(changed);
            if (Status listed = fs.ListFolder(folder, m_flags.HiddenFiles); !listed) {
                return OutcomeOf(listed);
            }
            // Only a complete listing counts: a failed one is tried again next time.
            folder->Listed = true;
            return Outcome::Done;
        });
    }
    return true;
}

// ---- keep-alive ----------------------------------------------------------------------

void PhoneSession::KeepAliveTick() {
    m_keepAlive.stop();
    // The end of whatever runs arms it again.
    if (Closing() || Busy()) return;
    if (!PhoneReady()) {
        ArmKeepAlive();
        return;
    }
    // A dialog of the window's own is up (a question before a command): no exchange now.
    if (QuestionOpen && QuestionOpen()) {
        ArmKeepAlive();
        return;
    }
    Launch(
        SessionState::Pinging, nullptr,
        [this] {
            Ended ended;
            Status answered = m_link.Channel.PingPhone();
            if (answered) return ended;
            ended.Result = OutcomeOf(answered);
            if (!Closing()) ended.LinkLost = !Guard(answered.error());
            return ended;
        },
        [this](const Ended& ended) {
            if (ended.LinkLost) ConnectionDialogLoop();
        });
}

}  // namespace q7k3
