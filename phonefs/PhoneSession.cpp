#include "phonefs/PhoneSession.h"

#include "phonefs/FileListCache.h"

#ifdef Q_OS_UNIX
#include "link/PortDiagnostics.h"
#endif
#include "ui/Messages.h"

namespace q7k3 {

// The window is busy for as long as one of these lives (nested ones count once).
class PhoneSession::BusyScope {
public:
    explicit BusyScope(PhoneSession& s) : m_s(s) {
        if (m_s.m_busyDepth++ == 0) m_s.m_observer.BusyChanged(true);
    }
    ~BusyScope() {
        if (--m_s.m_busyDepth == 0) m_s.m_observer.BusyChanged(false);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    PhoneSession& m_s;
};

PhoneSession::PhoneSession(PhoneLink& link, AppFlags& flags, Prompts& prompts,
                           ProgressView& progress, ConnectionDialog& dialog,
                           SessionObserver& observer)
    : m_link(link),
      m_flags(flags),
      m_prompts(prompts),
      m_progress(progress),
      m_dialog(dialog),
      m_observer(observer),
      m_fs(std::make_unique<PhoneFs>(link.Channel, flags, progress, prompts)) {
    m_keepAlive.setInterval(kKeepAliveMs);
    QObject::connect(&m_keepAlive, &QTimer::timeout, [this] { KeepAliveTick(); });
    // Whoever drops the tree (a scan, the report, a failed walk), the window lets go of
    // it before it is freed.
    m_fs->onTreeDropped = [this] {
        m_current = nullptr;
        m_ready = false;
        m_observer.TreeChanged();
    };
}

PhoneSession::~PhoneSession() {
    m_keepAlive.stop();
    m_fs->onTreeDropped = nullptr;
}

Tree4* PhoneSession::Root() const {
    return m_ready ? m_fs->PhoneRoot() : nullptr;
}

std::string PhoneSession::FreeSpaceText() const {
    return m_fs->EstimateFreeSpace();
}

void PhoneSession::ShowError(int message) {
    m_prompts.MessageBox(Msg(message), Msg(kMsgErrorCaption), BoxIcon::Error);
}

void PhoneSession::ShowPortError() {
    m_dialog.OfferPhoneSearch(m_link.Port.PortName());
#ifdef Q_OS_UNIX
    const std::string text = PortOpenFailureText(m_link.Port.PortName());
#else
    const std::string text = Msg(kMsgCannotOpenPort);
#endif
    m_prompts.MessageBox(text, Msg(kMsgErrorCaption), BoxIcon::Error);
}

void PhoneSession::StopKeepAlive() {
    m_keepAlive.stop();
}

void PhoneSession::ArmKeepAlive() {
    if (m_flags.IRDAReq)
        m_keepAlive.start();
    else
        m_keepAlive.stop();
}

void PhoneSession::DropTree() {
    m_fs->DropTree();
}

bool PhoneSession::Start(bool portStored) {
    if (!portStored) return ConnectionDialogLoop();
    m_ready = false;
    if (m_link.Port.Connect()) {
        if (IdentifyAndScan()) return true;
    } else {
        ShowPortError();
    }
    return ConnectionDialogLoop();
}

bool PhoneSession::ConnectionDialogLoop() {
    for (;;) {
        StopKeepAlive();
        // The dialog is asked only with the window usable: it is the window's child.
        if (!m_dialog.AskConnectionSettings()) return false;
        m_ready = false;
        if (!m_link.Port.Connect()) {
            ShowPortError();
            continue;
        }
        if (IdentifyAndScan()) return true;
    }
}

bool PhoneSession::IdentifyAndScan() {
    m_flags.AbortRequested = false;
    PhoneCheck check;
    {
        BusyScope busy(*this);
        check = IdentifyPhone(m_link, m_flags, [this] {
            StopKeepAlive();
            m_progress.SetLongStatus(Msg(kMsgInitializing));
        });
        if (check == PhoneCheck::Supported) {
            if (!Scan()) {
                // Whatever the scan left behind, a failed start ends without a link or a tree.
                m_link.Port.Disconnect();
                m_progress.Hide();
                DropTree();
                return false;
            }
            m_progress.Hide();
        }
    }
    if (check != PhoneCheck::Supported) {
        if (check == PhoneCheck::Silent) m_dialog.OfferPhoneSearch(m_link.Port.PortName());
        ShowError(PhoneCheckMessage(check, m_link.Channel.LastError));
        return false;
    }
    ArmKeepAlive();
    return true;
}

bool PhoneSession::Scan() {
    RenewScratchFileName();
    m_ready = false;
    m_progress.Show();
    m_progress.SetQuickStatus(Msg(kMsgCachingFiles));
    m_progress.SetLongStatus(Msg(kMsgInitializing));
    for (const int bar : {1, 2}) {
        m_progress.SetMax(bar, 0);
        m_progress.SetPosition(bar, 0);
    }
    Tree4* root = m_fs->ScanPhone(m_flags.Mode, m_flags.HiddenFiles);
    if (!root) {
        DropTree();
        return false;
    }
    m_ready = true;
    m_current = root;
    m_observer.ModelChanged(PhoneModel());
    m_observer.TreeChanged();
    if (m_flags.AbortRequested) {
        m_flags.AbortRequested = false;
    } else if (!TreeHasFiles(root)) {
        // No file anywhere: an unprepared or freshly formatted phone.
        if (!m_prompts.AskYesNo(Msg(kMsgNotPatched), Msg(kMsgAttentionCaption))) {
            DropTree();
            return false;
        }
    }
    return true;
}

void PhoneSession::OpenSettings() {
    m_link.Port.Disconnect();
    // Cancel returns to the running connection (the dialog reopens its port), and that
    // connection keeps being pinged.
    if (!ConnectionDialogLoop() && PhoneReady()) ArmKeepAlive();
}

void PhoneSession::Close() {
    StopKeepAlive();
    m_link.Port.Disconnect();
    m_progress.Hide();
}

Outcome PhoneSession::Run(const BusyView& view, const Operation& operation) {
    if (Busy()) return operation(*m_fs);
    StopKeepAlive();
    // An abort left raised by an earlier operation must not cut this one's exchanges.
    m_flags.AbortRequested = false;
    Outcome outcome;
    bool linkLost = false;
    {
        BusyScope busy(*this);
        if (view.ShowProgress) {
            m_progress.SetMax(1, view.BlocksMax);
            m_progress.SetMax(2, view.FilesMax);
            m_progress.SetPosition(1, 0);
            m_progress.SetPosition(2, 0);
            if (!view.QuickStatus.empty()) m_progress.SetQuickStatus(view.QuickStatus);
            if (!view.LongStatus.empty()) m_progress.SetLongStatus(view.LongStatus);
            m_progress.Show();
        }
        outcome = operation(*m_fs);
        if (outcome == Outcome::Failed) linkLost = !Guard();
        m_progress.Hide();
    }
    if (linkLost) {
        // The link is gone: the connection dialog, with the window usable again.
        ConnectionDialogLoop();
        return outcome;
    }
    ArmKeepAlive();
    return outcome;
}

void PhoneSession::SessionGuard() {
    bool linkLost = false;
    {
        BusyScope busy(*this);
        linkLost = !Guard();
        m_progress.Hide();
    }
    if (linkLost) ConnectionDialogLoop();
}

bool PhoneSession::Guard() {
    AtChannel& ch = m_link.Channel;
    SerialPort& comm = m_link.Port;
    m_prompts.MessageBox(FailureText(ch.LastError, ch.ErrorText), Msg(kMsgErrorCaption),
                         BoxIcon::Error);
    m_progress.Hide();
    // The recovery's own exchanges run to their end whatever ended the failed one.
    m_flags.AbortRequested = false;
    if (NeedsLinkRecovery(ch.LastError)) {
        comm.Disconnect();
        m_link.Clock.Pause(kRecoveryPauseMs);
        if (!comm.Connect() || !ResetPhone(m_link)) {
            comm.Disconnect();
            DropTree();
            return false;
        }
    }
    // The folder shown is read again. Should that fail too (a folder the phone keeps
    // refusing, a phone that answers ATZ but no listing), it is said once, without
    // another recovery, so the boxes cannot follow each other for ever.
    if (m_current && m_current != Root() && !m_current->IsVirtual()) {
        if (!ListCurrent()) {
            m_prompts.MessageBox(FailureText(ch.LastError, ch.ErrorText), Msg(kMsgErrorCaption),
                                 BoxIcon::Error);
        }
    }
    return true;
}

bool PhoneSession::ListCurrent() {
    m_progress.SetQuickStatus(Msg(kMsgUpdatingFolder) + m_current->Name);
    m_progress.SetLongStatus(Msg(kMsgUpdatingCurrent));
    const bool ok = m_fs->ListFolder(m_current, m_flags.HiddenFiles);
    if (m_current) m_observer.FolderChanged();
    return ok;
}

bool PhoneSession::Rescan() {
    if (!m_current || !PhoneReady() || Busy()) return false;
    if (m_current == Root()) {
        StopKeepAlive();
        bool ok;
        {
            BusyScope busy(*this);
            ok = Scan();
            m_progress.Hide();
        }
        if (!ok) {
            m_link.Port.Disconnect();
            ConnectionDialogLoop();
            return false;
        }
        ArmKeepAlive();
        return true;
    }
    if (m_current->IsVirtual()) return true;
    m_observer.StatusChanged(Msg(kMsgUpdatingCurrent));
    const BusyView view{true, Msg(kMsgUpdatingFolder) + m_current->Name, Msg(kMsgUpdatingCurrent)};
    return Run(view, [this](PhoneFs&) { return OutcomeOf(ListCurrent()); }) == Outcome::Done;
}

bool PhoneSession::OpenFolder(const std::string& name) {
    if (!m_current || Busy()) return false;
    Tree4* target = m_current;
    if (name == "..") {
        if (m_current->Parent) target = m_current->Parent;
    } else {
        target = FindChild(name, m_current);
    }
    if (target == m_current) return false;
    m_current = target;
    if (!target->Listed) {
        // A folder the scan did not reach (it was aborted) is read once, now.
        m_observer.StatusChanged(Msg(kMsgUpdatingCurrent));
        const BusyView view{true, Msg(kMsgUpdatingFolder) + target->Name, Msg(kMsgUpdatingCurrent)};
        Run(view, [this, target](PhoneFs& fs) {
            if (!fs.ChangeFolder(target->Id)) return Outcome::Failed;
            if (!fs.ListFolder(target, m_flags.HiddenFiles)) return Outcome::Failed;
            // Only a complete listing counts: a failed one is tried again next time.
            target->Listed = true;
            return Outcome::Done;
        });
    }
    // The report may have dropped the tree; otherwise the pane now stands in the new
    // folder, however little of it is known, and ".." leads back.
    if (m_current) m_observer.FolderChanged();
    return true;
}

void PhoneSession::KeepAliveTick() {
    m_keepAlive.stop();
    if (Busy()) return;
    if (PhoneReady() && !m_link.Channel.PingPhone()) {
        SessionGuard();
        return;
    }
    ArmKeepAlive();
}

}  // namespace q7k3
