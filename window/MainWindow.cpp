#include "window/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

#include "link/PhoneLink.h"
#include "localpane/LocalDirView.h"
#include "base/HelpFile.h"
#include "base/widgets/AboutDialog.h"
#include "base/widgets/FavoritesDialog.h"
#include "base/widgets/InputBox.h"
#include "base/widgets/ProgramIcon.h"
#include "window/BackupCommands.h"
#include "window/ButtonBar.h"
#include "window/ComputerPane.h"
#include "window/ConflictDialog.h"
#include "window/FileCommands.h"
#include "window/HelpCommand.h"
#include "window/PaneLook.h"
#include "window/PhoneListView.h"
#include "window/PhonePane.h"
#include "window/PimView.h"
#include "window/PlugWatch.h"
#include "window/ProgressDialog.h"
#include "window/RenameDialog.h"
#include "window/Texts.h"
#include "window/WindowPlace.h"

namespace q7k3 {

// The window's captions are looked up under its form name.
constexpr const char* kForm = kMainForm;

MainWindow::MainWindow(AppFlags& flags, Prompts& prompts, QWidget* parent)
    : QMainWindow(parent), m_flags(flags), m_prompts(prompts) {
    // This window, its dialogs and the progress dialog carry the program's icon.
    UseProgramIcon();
    setObjectName(kForm);
    setWindowTitle(Cap(kForm, ""));
    resize(694, 440);
    setMinimumSize(640, 440);

    BuildMenu();
    m_plugs = new PlugWatch(*this);

    auto* central = new QWidget(this);
    central->setObjectName("ClientArea");
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_splitter = new QSplitter(Qt::Horizontal, central);
    m_splitter->setObjectName("Splitter1");
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setHandleWidth(3);
    m_compPanel = NamedPanel("CompPanel", m_splitter);
    m_phonePanel = NamedPanel("PhonePanel", m_splitter);
    m_splitter->addWidget(m_compPanel);
    m_splitter->addWidget(m_phonePanel);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 1);
    layout->addWidget(m_splitter, 1);
    m_buttonsPanel = NamedPanel("ButtonsPanel", central);
    m_buttonsPanel->setFixedHeight(37);
    layout->addWidget(m_buttonsPanel);
    setCentralWidget(central);

    BuildPanes();
    BuildButtons();

    m_statusBar = WindowStatusBar(this, m_hintLine, m_modelLine);
    setStatusBar(m_statusBar);

    m_progress = new ProgressDialog(m_flags, this);
    m_conflicts = new ConflictDialog(this);
    m_renames = new RenameDialog(this);
    m_commands = std::make_unique<FileCommands>(*this, m_prompts);
    m_backups = std::make_unique<BackupCommands>(*this, m_prompts);
    m_help = std::make_unique<HelpCommand>(*this, m_prompts);
    m_pim = new PimView(*this, m_prompts);
    m_phone->RootEntryFolders = [this] { return m_pim->RootFolders(); };
    connect(m_phone, &PhonePane::EntryFolderOpened, this,
            [this](const QString& name) { m_pim->Open(name); });
    // The rename dialog doubles as the one-line input box of the favourites.
    m_inputBox = std::make_unique<DialogInputBox<RenameDialog>>(*m_renames);
    m_computer->AttachFavourites(Favs, *m_inputBox, this);

    // The first start, before any size is stored: as wide as both panes need to show every
    // column whole where the screen has room, else the smallest size; equal panes from the
    // first frame.
    const QSize first = FirstSize();
    const int half = (first.width() - m_splitter->handleWidth()) / 2;
    m_splitter->setSizes({half, half});
    SetPaneColours();

    FitToScreen(first);
}

QSize MainWindow::FirstSize() const {
    const QFontMetrics metrics = fontMetrics();
    // The computer pane's columns: the narrowest name, size, type, date, and the scroll bar.
    const int pane = 120 + metrics.horizontalAdvance(QString::fromLatin1(kWidestSize)) + 16 + 140 +
                     metrics.horizontalAdvance(
                         QCoreApplication::translate("QFileSystemModel", "Date Modified")) + 40 +
                     style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    const int width = std::max(694, 2 * pane + m_splitter->handleWidth());
    return {width, std::max(440, width * 440 / 694 * 9 / 10)};
}

void MainWindow::FitToScreen(QSize wanted) {
    q7k3::FitToScreen(*this, wanted);
}

void MainWindow::RestoreWindowPlace(const SettingsStore& store) {
    // Taken before the resize, which some platforms deliver at once.
    m_pendingSplitterLeft = StoredSplitterLeft(store);
    RestoreSize(store, *this);
    // The window may have the stored size already, and then no resize follows.
    SetSplitterLeft(*m_splitter, m_pendingSplitterLeft);
}

void MainWindow::ReleaseStoredSplitter() {
    SetSplitterLeft(*m_splitter, m_pendingSplitterLeft);
    m_pendingSplitterLeft = 0;
}

MainWindow::~MainWindow() {
    // The progress dialog has no parent (it must stay usable while this window is
    // disabled), so it is released here.
    delete m_progress;
}

void MainWindow::BuildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    m_fileMenu = bar->addMenu(Cap(kForm, "FileMenu"));
    m_fileMenu->setObjectName("FileMenu");
    m_connectAction = m_fileMenu->addAction(M(kMsgConnect));
    m_connectAction->setObjectName("Connect1");
    m_disconnectAction = m_fileMenu->addAction(M(kMsgDisconnect));
    m_disconnectAction->setObjectName("Disconnect1");
    m_disconnectAction->setEnabled(false);
    m_settingsAction = m_fileMenu->addAction(Cap(kForm, "Settings1"));
    m_settingsAction->setObjectName("Settings1");
    m_fileMenu->addSeparator();
    m_backupAction = m_fileMenu->addAction(M(kMsgBackupMenu));
    m_backupAction->setObjectName("Backup1");
    m_restoreAction = m_fileMenu->addAction(M(kMsgRestoreMenu));
    m_restoreAction->setObjectName("Restore1");
    m_verifyAction = m_fileMenu->addAction(M(kMsgVerifyMenu));
    m_verifyAction->setObjectName("Verify1");
    // Until the phone has been read.
    for (QAction* action : {m_backupAction, m_restoreAction, m_verifyAction})
        action->setEnabled(false);
    m_fileMenu->addSeparator();
    // A folder of the computer typed or pasted, as two-pane managers take it.
    QAction* goTo = m_fileMenu->addAction(M(kMsgGoToFolder));
    goTo->setObjectName("GoToFolder1");
    goTo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(goTo, &QAction::triggered, this, [this] { GoToFolderClick(); });
    m_fileMenu->addSeparator();
    m_exitAction = m_fileMenu->addAction(Cap(kForm, "Exit1"));
    m_exitAction->setObjectName("Exit1");
    // Every menu item that has a key shows it.
    m_exitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_helpMenu = bar->addMenu(Cap(kForm, "Help1"));
    m_helpMenu->setObjectName("Help1");
    m_helpAction = m_helpMenu->addAction(Cap(kForm, "Help2"));
    m_helpAction->setObjectName("Help2");
    // F1, the key every program opens its help with.
    m_helpAction->setShortcut(QKeySequence(Qt::Key_F1));
    m_aboutAction = m_helpMenu->addAction(Cap(kForm, "About1"));
    m_aboutAction->setObjectName("About1");
    m_aboutAction->setStatusTip(Cap(kForm, "About1.hint"));
    m_aboutAction->setToolTip(Cap(kForm, "About1.hint"));

    connect(m_connectAction, &QAction::triggered, this, [this] { ConnectClick(); });
    connect(m_settingsAction, &QAction::triggered, this, [this] { SettingsClick(); });
    connect(m_exitAction, &QAction::triggered, this, [this] { ExitClick(); });
    connect(m_disconnectAction, &QAction::triggered, this, [this] { DisconnectClick(); });
    connect(m_fileMenu, &QMenu::aboutToShow, this, [this] {
        m_backups->UpdateActions();
        m_disconnectAction->setEnabled(PhoneReady());
    });
    connect(m_backupAction, &QAction::triggered, this, [this] { m_backups->Backup(); });
    connect(m_restoreAction, &QAction::triggered, this, [this] { m_backups->Restore(); });
    connect(m_verifyAction, &QAction::triggered, this, [this] { m_backups->Verify(); });
    connect(m_helpAction, &QAction::triggered, this, [this] { HelpClick(); });
    connect(m_aboutAction, &QAction::triggered, this, [this] { AboutClick(); });
}

void MainWindow::BuildPanes() {
    m_computer = new ComputerPane(m_compPanel);
    m_phone = new PhonePane(m_phonePanel);

    // The function keys, Tab and the focus reach the window from either list.
    m_computer->List()->installEventFilter(this);
    m_phone->List()->installEventFilter(this);
    connect(m_computer, &ComputerPane::Command, this,
            [this](int key) { DispatchFunctionKey(key); });
    connect(m_phone, &PhonePane::Command, this, [this](int key) { DispatchFunctionKey(key); });
    connect(m_computer, &ComputerPane::Activated, this, &MainWindow::ActivateComputerPane);
    connect(m_computer, &ComputerPane::PhoneItemsDropped, this,
            [this](const std::vector<std::string>& names) { PhoneItemsDropped(names); });
    connect(m_phone, &PhonePane::Activated, this, &MainWindow::ActivatePhonePane);
    connect(m_phone, &PhonePane::ViewRequested, this, [this] {
        if (m_pim->Shown() != PimView::Folder::None)
            m_pim->View();
        else
            ViewClick();
    });
    connect(m_phone, &PhonePane::FilesDropped, this,
            [this](const QStringList& paths) { FilesDroppedOnPhone(paths); });
}

void MainWindow::BuildButtons() {
    m_buttons = new ButtonBar(m_buttonsPanel);
    // Each button runs what its function key runs.
    for (const int key : {Qt::Key_F3, Qt::Key_F4, Qt::Key_F5, Qt::Key_F6, Qt::Key_F7, Qt::Key_F8}) {
        connect(m_buttons->ForKey(key), &QPushButton::clicked, this,
                [this, key] { DispatchFunctionKey(key); });
    }
}

void MainWindow::SetPaneColours() {
    m_computer->SetActive(m_computerPaneActive);
    m_phone->SetActive(!m_computerPaneActive);
}

void MainWindow::SetActivePane(bool computer) {
    // The keyboard follows the active pane, so a key always hits the highlighted one.
    QWidget* list = computer ? static_cast<QWidget*>(m_computer->List()) : m_phone->List();
    if (!list->hasFocus()) list->setFocus(Qt::OtherFocusReason);
    if (m_computerPaneActive == computer) return;
    m_computerPaneActive = computer;
    SetPaneColours();
}

QString MainWindow::ComputerSelectionText() const {
    return m_computer->SelectionText();
}
QString MainWindow::PhoneSelectionText() const {
    return m_phone->SelectionText();
}
QString MainWindow::DriveFreeText() const {
    return m_computer->DriveFreeText();
}
void MainWindow::UpdateComputerStatus() {
    m_computer->UpdateStatus();
}
void MainWindow::SetComputerPath(const QString& path) {
    m_computer->SetPath(path);
}
void MainWindow::ShowPhoneRows(const QList<PhoneRow>& rows) {
    m_phone->ShowRows(rows);
}

void MainWindow::ApplyResizeRule() {
    QList<int> sizes = m_splitter->sizes();
    if (sizes.size() == 2 && sizes[0] != sizes[1]) {
        const int sum = sizes[0] + sizes[1];
        m_splitter->setSizes({sum / 2, sum - sum / 2});
    }
    m_hintLine->setFixedWidth(std::max(0, m_statusBar->width() - 100));
    LayoutButtons();
}

void MainWindow::LayoutButtons() {
    m_buttons->Layout();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ApplyResizeRule();
    SetSplitterLeft(*m_splitter, m_pendingSplitterLeft);
}

bool MainWindow::DispatchFunctionKey(int key) {
    // While the phone is busy the window takes no command, not even one for the computer's
    // own files: a key that comes while the keep-alive pings runs right after the ping, any
    // other is refused and said so.
    if (key >= Qt::Key_F3 && key <= Qt::Key_F8 && m_core.Session && m_core.Session->Busy()) {
        if (!m_core.Session->AfterPing([this, key] { DispatchFunctionKey(key); }))
            StatusChanged(Msg(kMsgSessionBusy));
        return true;
    }
    // A .vcf sent onto the contacts shown is imported into the phonebook; any other file sent
    // onto the contacts or messages is refused, never copied to the phone.
    if (m_computerPaneActive && key == Qt::Key_F5 && m_pim->Shown() != PimView::Folder::None) {
        std::vector<std::string> paths;
        for (const QString& path : m_computer->List()->TargetPaths()) paths.push_back(path.toStdString());
        if (m_pim->Receive(paths)) return true;
    }
    if (!m_computerPaneActive && m_pim->Shown() != PimView::Folder::None) {
        // The contacts or messages shown: their own commands.
        switch (key) {
            case Qt::Key_F3:
                m_pim->View();
                return true;
            case Qt::Key_F4:
                m_pim->Open(m_phone->PathLine()->text().section(QLatin1Char('\\'), -1));
                return true;
            case Qt::Key_F8:
                m_pim->Delete();
                return true;
            case Qt::Key_F5:
                m_pim->Export(m_computer->List()->Path());
                return true;
            case Qt::Key_F6:
            case Qt::Key_F7:
                return true;
            default:
                return false;
        }
    }
    switch (key) {
        case Qt::Key_F3:
            ViewClick();
            return true;
        case Qt::Key_F4:
            RefreshClick();
            return true;
        case Qt::Key_F5:
            CopyClick();
            return true;
        case Qt::Key_F6:
            RenameClick();
            return true;
        case Qt::Key_F7:
            if (m_flags.Mode != FolderMode::Pims && PhoneIsReady()) CompileJavaClick();
            return true;
        case Qt::Key_F8:
            DeleteClick();
            return true;
        default:
            return false;
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const bool list = watched == m_computer->List() || watched == m_phone->List();
    if (event->type() == QEvent::FocusIn && list) {
        SetActivePane(watched == m_computer->List());
    } else if (event->type() == QEvent::KeyPress && list) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Tab (and Shift+Tab) goes straight to the other list.
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            SetActivePane(watched != m_computer->List());
            return true;
        }
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            if (DispatchFunctionKey(key->key())) return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::ExitClick() {
    // Ends the program at once: nothing is saved on this path. An operation under way
    // (the keep-alive's ping too) is first brought to its next safe point, as on close.
    if (m_core.Session && m_core.Session->Busy()) {
        m_core.Session->Close([] { QCoreApplication::exit(0); });
        return;
    }
    QCoreApplication::exit(0);
}

void MainWindow::GoToFolderClick() {
    if (m_busy) return;
    const auto typed = m_inputBox->Ask(M(kMsgGoToFolder), m_computer->List()->Path());
    if (!typed) return;
    QString path = typed->trimmed();
    if (path.startsWith(QLatin1Char('~'))) path.replace(0, 1, QDir::homePath());
    if (!QFileInfo(path).isDir()) {
        m_prompts.MessageBox(Msg(kMsgNoSuchLocalFolder) + S(path), Msg(kMsgErrorCaption),
                             BoxIcon::Error);
        return;
    }
    SetComputerPath(QFileInfo(path).absoluteFilePath());
    ActivateComputerPane();
}

QAction* MainWindow::MenuAction(const char* objectName) const {
    return findChild<QAction*>(QString::fromLatin1(objectName));
}

FavoritesMenu* MainWindow::Favorites() const {
    return m_computer->Favorites();
}
FavoritesDialog* MainWindow::FavouritesEditor() const {
    return m_computer->FavouritesEditor();
}

void MainWindow::CopyClick() {
    m_commands->Copy();
}
void MainWindow::RenameClick() {
    m_commands->Rename();
}
void MainWindow::DeleteClick() {
    m_commands->Delete();
}
void MainWindow::CompileJavaClick() {
    m_commands->CompileJava();
}
void MainWindow::PhoneItemsDropped(const std::vector<std::string>& names) {
    if (m_core.Session && m_core.Session->AfterPing([this, names] { PhoneItemsDropped(names); }))
        return;
    m_commands->CopyDraggedItems(names);
}
void MainWindow::FilesDroppedOnPhone(const QStringList& paths) {
    if (m_core.Session && m_core.Session->AfterPing([this, paths] { FilesDroppedOnPhone(paths); }))
        return;
    // Onto the contacts or messages shown: what F5 would do with these files.
    std::vector<std::string> files;
    for (const QString& path : paths) files.push_back(path.toStdString());
    if (m_pim->Receive(files)) return;
    m_commands->CopyDroppedFiles(paths);
}

void MainWindow::AboutClick() {
    if (!m_about) m_about = new AboutDialog(this);
    m_about->ShowModal();
}

QString MainWindow::HelpFilePath() {
    return FindHelpFile();
}

void MainWindow::HelpClick() {
    m_help->Open(HelpFilePath(), OpenHelpUrl);
}
HelpWindow* MainWindow::HelpViewer() const {
    return m_help->Window();
}

void MainWindow::AttachCore(const WindowCore& core) {
    m_core = core;
    m_phone->SetSession(core.Session);
    if (PhoneSession* session = core.Session) {
        session->SetQuestions(m_conflicts, m_renames);
        session->AfterScan = [this](PhoneFs& fs) { m_pim->Probe(fs); };
        // The keep-alive waits while a dialog of the window's own is up, and closing
        // answers the one that is up with its cancel.
        session->QuestionOpen = [] { return QApplication::activeModalWidget() != nullptr; };
        session->CancelQuestion = [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        };
    }
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_initialized) {
        m_initialized = true;
        // The panes share the width from the first frame, before any resize.
        ApplyResizeRule();
        // After the window has appeared: start-up may show modal dialogs.
        QTimer::singleShot(0, this, [this] { FirstInitialization(); });
    }
}

void MainWindow::FirstInitialization() {
    m_computer->PathLine()->setText(QDir::toNativeSeparators(m_computer->List()->Path()));
    m_computer->FreeLine()->setText(DriveFreeText());
    m_phone->PathLine()->setText(Cap(kForm, "PathPhone"));
    m_computerPaneActive = false;
    ActivateComputerPane();
    if (!m_core.Store || !m_core.Link || !m_core.Session) {
        m_started = true;
        return;
    }

    const std::string port = m_core.Store->ReadString("ComPort", "");
    LastPath.clear();
    std::string phoneFolder;
    LoadSettings(*m_core.Store, {m_core.Port, &m_core.Link->Channel.PollStep, &m_flags, &Favs,
                                 &LastPath, &phoneFolder});
    FolderPlace place;
    for (const QString& name : Q(phoneFolder).split(QLatin1Char('\\'), Qt::SkipEmptyParts))
        place.push_back(S(name));
    m_core.Session->SetReturnPlace(std::move(place));
    UpdateModeControls();
    RestoreWindowPlace(*m_core.Store);
    const QString last = QString::fromStdString(LastPath);
    SetComputerPath(!last.isEmpty() && QDir(last).exists() ? last : QDir::homePath());
    // Without a stored port (the first run) the user picks one before anything is sent.
    m_core.Session->Start(!port.empty(), [this](bool) {
        ReleaseStoredSplitter();
        m_started = true;
        // From here on a cable plugged in is noticed.
        if (!m_closed) m_plugs->Watch();
    });
}

bool MainWindow::Admitted(bool needsPhone) {
    if (!m_core.Session) return false;
    const Admission door = m_core.Session->Admit(needsPhone);
    // Refused while something runs: said in the status bar, never run inside it.
    if (door == Admission::Busy) StatusChanged(Msg(kMsgSessionBusy));
    return door == Admission::Open;
}

void MainWindow::ConnectClick() {
    // The stored settings first; the settings dialog when they do not reach the phone. A
    // search of a cable just plugged in holds the port meanwhile: it ends first.
    if (!Admitted(false)) return;
    m_plugs->EndSearch([this] {
        // Asked again: the search may have taken its moment to close its ports.
        if (Admitted(false)) m_core.Session->Start(true);
    });
}

void MainWindow::DisconnectClick() {
    if (!Admitted()) return;
    m_core.Session->Disconnect();
}

void MainWindow::SettingsClick() {
    if (!Admitted(false)) return;
    m_plugs->EndSearch([this] {
        if (Admitted(false)) m_core.Session->OpenSettings();
    });
}

void MainWindow::CloseQuery() {
    if (m_closed) return;
    m_closed = true;
    if (m_core.Store) {
        SavePlace(*m_core.Store, *this, *m_splitter);
        if (m_core.Session) {
            QStringList names;
            for (const std::string& name : m_core.Session->ReturnPlace()) names << Q(name);
            m_core.Store->WriteString("LastPhoneFolder", S(names.join(QLatin1Char('\\'))));
        }
        SaveOnClose(*m_core.Store, S(m_computer->List()->Path()), Favs);
    }
    m_plugs->Stop();
    if (!m_core.Session) {
        m_sessionClosed = true;
        m_progress->Hide();
        return;
    }
    // An operation under way stops at its next safe point; the window closes after it.
    m_closingInline = true;
    m_core.Session->Close([this] {
        m_sessionClosed = true;
        if (!m_closingInline) close();
    });
    m_closingInline = false;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    CloseQuery();
    if (!m_sessionClosed) {
        event->ignore();
        return;
    }
    event->accept();
}

void MainWindow::AskConnectionSettings(ConnectionAnswer answered) {
    const auto then = [this, answered = std::move(answered)](bool start) {
        // Start may have changed the firmware mode.
        UpdateModeControls();
        answered(start);
    };
    if (m_core.ShowSettingsDialog)
        m_core.ShowSettingsDialog(then);
    else
        then(false);
}

void MainWindow::OfferPhoneSearch(const std::string& port) {
    if (OfferSearch) OfferSearch(port);
}

void MainWindow::UpdateModeControls() {
    // PIMS firmware has no Java registry to compile into.
    m_buttons->ForKey(Qt::Key_F7)->setEnabled(m_flags.CompileJavaEnabled);
}

void MainWindow::BusyChanged(bool busy) {
    // Not the window itself: a disabled window disables every dialog it parents (the
    // settings, file-exists and rename dialogs, the message boxes), which then could not
    // be answered.
    m_busy = busy;
    centralWidget()->setEnabled(!busy);
    menuBar()->setEnabled(!busy);
}

void MainWindow::TreeChanged() {
    m_disconnectAction->setEnabled(PhoneReady());
    if (!m_core.Session || !m_core.Session->Root()) {
        m_phone->ShowNoTree();
        // The phone is gone: the status bar no longer names its model.
        m_modelLine->clear();
        return;
    }
    ShowCurrentFolder();
    RememberPhoneFolder();
    ApplyResizeRule();
    SetSplitterLeft(*m_splitter, m_pendingSplitterLeft);
}

void MainWindow::FolderChanged() {
    ShowCurrentFolder();
    RememberPhoneFolder();
}

void MainWindow::RememberPhoneFolder() {
    if (Tree4* folder = m_core.Session ? m_core.Session->CurrentFolder() : nullptr)
        m_core.Session->SetReturnPlace(PlaceOf(folder));
}

void MainWindow::ModelChanged(const std::string& phoneModel) {
    m_modelLine->setText(Q(phoneModel));
}

void MainWindow::StatusChanged(const std::string& text) {
    m_hintLine->setText(Q(text));
}

void MainWindow::ShowCurrentFolder() {
    m_phone->ShowCurrentFolder();
}
QString MainWindow::PhonePathText() const {
    return m_phone->PathText();
}
void MainWindow::OpenPhoneItem() {
    m_phone->OpenCurrent();
}

void MainWindow::RefreshClick() {
    if (m_computerPaneActive) {
        m_computer->Reload();
    } else if (Admitted()) {
        m_core.Session->Rescan();
    }
}

}  // namespace q7k3
