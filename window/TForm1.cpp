#include "window/TForm1.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

#include "link/TForm10.h"
#include "localpane/LocalDirView.h"
#include "ui/HelpFile.h"
#include "ui/widgets/InputBox.h"
#include "ui/widgets/TAboutForm.h"
#include "ui/widgets/TFavoritesForm.h"
#include "window/BackupCommands.h"
#include "window/ButtonBar.h"
#include "window/ComputerPane.h"
#include "window/FileCommands.h"
#include "window/HelpCommand.h"
#include "window/PaneLook.h"
#include "window/PhoneListView.h"
#include "window/PhonePane.h"
#include "window/TFileExistForm.h"
#include "window/TProcessForm.h"
#include "window/Texts.h"
#include "window/WindowPlace.h"

namespace q7k3 {

// The window's captions are looked up under its form name.
constexpr const char* kForm = kMainForm;

TForm1::TForm1(AppFlags& flags, Prompts& prompts, QWidget* parent)
    : QMainWindow(parent), m_flags(flags), m_prompts(prompts) {
    setObjectName(kForm);
    setWindowTitle(Cap(kForm, ""));
    resize(694, 440);
    setMinimumSize(640, 440);

    BuildMenu();

    auto* central = new QWidget(this);
    central->setObjectName("ClientArea");
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Splitter1 = new QSplitter(Qt::Horizontal, central);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setChildrenCollapsible(false);
    Splitter1->setHandleWidth(3);
    CompPanel = NamedPanel("CompPanel", Splitter1);
    PhonePanel = NamedPanel("PhonePanel", Splitter1);
    Splitter1->addWidget(CompPanel);
    Splitter1->addWidget(PhonePanel);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 1);
    layout->addWidget(Splitter1, 1);
    ButtonsPanel = NamedPanel("ButtonsPanel", central);
    ButtonsPanel->setFixedHeight(37);
    layout->addWidget(ButtonsPanel);
    setCentralWidget(central);

    BuildPanes();
    BuildButtons();

    StatusBar1 = WindowStatusBar(this, StatusPanel0, StatusPanel1);
    setStatusBar(StatusBar1);

    m_processForm = new TProcessForm(m_flags, this);
    m_fileExistForm = new TFileExistForm(this);
    m_renameForm = new TRenameForm(this);
    m_commands = std::make_unique<FileCommands>(*this, m_prompts);
    m_backups = std::make_unique<BackupCommands>(*this, m_prompts);
    m_help = std::make_unique<HelpCommand>(*this, m_prompts);
    // The rename dialog doubles as the one-line input box of the favourites.
    m_inputBox = std::make_unique<DialogInputBox<TRenameForm>>(*m_renameForm);
    m_computer->AttachFavourites(Favs, *m_inputBox, this);

    // Equal panes from the first frame.
    const int half = (694 - Splitter1->handleWidth()) / 2;
    Splitter1->setSizes({half, half});
    SetPaneColours();

    FitToScreen(size());
}

void TForm1::FitToScreen(QSize wanted) { q7k3::FitToScreen(*this, wanted); }

void TForm1::RestoreWindowPlace(const SettingsStore& store) {
    // Taken before the resize, which some platforms deliver at once.
    m_pendingSplitterLeft = StoredSplitterLeft(store);
    RestoreSize(store, *this);
    // The window may have the stored size already, and then no resize follows.
    SetSplitterLeft(*Splitter1, m_pendingSplitterLeft);
}

void TForm1::ReleaseStoredSplitter() {
    SetSplitterLeft(*Splitter1, m_pendingSplitterLeft);
    m_pendingSplitterLeft = 0;
}

TForm1::~TForm1() {
    // The progress dialog has no parent (it must stay usable while this window is
    // disabled), so it is released here.
    delete m_processForm;
}

void TForm1::BuildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    FileMenu = bar->addMenu(Cap(kForm, "FileMenu"));
    FileMenu->setObjectName("FileMenu");
    Connect1 = FileMenu->addAction(M(kMsgConnect));
    Connect1->setObjectName("Connect1");
    Settings1 = FileMenu->addAction(Cap(kForm, "Settings1"));
    Settings1->setObjectName("Settings1");
    FileMenu->addSeparator();
    Backup1 = FileMenu->addAction(M(kMsgBackupMenu));
    Backup1->setObjectName("Backup1");
    Restore1 = FileMenu->addAction(M(kMsgRestoreMenu));
    Restore1->setObjectName("Restore1");
    Verify1 = FileMenu->addAction(M(kMsgVerifyMenu));
    Verify1->setObjectName("Verify1");
    // Until the phone has been read.
    for (QAction* action : {Backup1, Restore1, Verify1}) action->setEnabled(false);
    FileMenu->addSeparator();
    Exit1 = FileMenu->addAction(Cap(kForm, "Exit1"));
    Exit1->setObjectName("Exit1");
    Help1 = bar->addMenu(Cap(kForm, "Help1"));
    Help1->setObjectName("Help1");
    Help2 = Help1->addAction(Cap(kForm, "Help2"));
    Help2->setObjectName("Help2");
    About1 = Help1->addAction(Cap(kForm, "About1"));
    About1->setObjectName("About1");
    About1->setStatusTip(Cap(kForm, "About1.hint"));
    About1->setToolTip(Cap(kForm, "About1.hint"));

    connect(Connect1, &QAction::triggered, this, [this] { Connect1Click(); });
    connect(Settings1, &QAction::triggered, this, [this] { Settings1Click(); });
    connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
    connect(FileMenu, &QMenu::aboutToShow, this, [this] { m_backups->UpdateActions(); });
    connect(Backup1, &QAction::triggered, this, [this] { m_backups->Backup(); });
    connect(Restore1, &QAction::triggered, this, [this] { m_backups->Restore(); });
    connect(Verify1, &QAction::triggered, this, [this] { m_backups->Verify(); });
    connect(Help2, &QAction::triggered, this, [this] { Help2Click(); });
    connect(About1, &QAction::triggered, this, [this] { About1Click(); });
}

void TForm1::BuildPanes() {
    m_computer = new ComputerPane(CompPanel);
    static_cast<ComputerPaneParts&>(*this) = *m_computer;
    m_phone = new PhonePane(PhonePanel);
    static_cast<PhonePaneParts&>(*this) = *m_phone;

    // The function keys, Tab and the focus reach the window from either list.
    Source->installEventFilter(this);
    ListPhone->installEventFilter(this);
    connect(m_computer, &ComputerPane::Command, this, [this](int key) { DispatchFunctionKey(key); });
    connect(m_phone, &PhonePane::Command, this, [this](int key) { DispatchFunctionKey(key); });
    connect(m_computer, &ComputerPane::Activated, this, &TForm1::ActivateComputerPane);
    connect(m_computer, &ComputerPane::PhoneItemsDropped, this,
            [this](const std::vector<std::string>& names) { PhoneItemsDropped(names); });
    connect(m_phone, &PhonePane::Activated, this, &TForm1::ActivatePhonePane);
    connect(m_phone, &PhonePane::ViewRequested, this, [this] { ViewBtnClick(); });
    connect(m_phone, &PhonePane::FilesDropped, this,
            [this](const QStringList& paths) { DragDropFilesPhoneProcessDropped(paths); });
}

void TForm1::BuildButtons() {
    m_buttons = new ButtonBar(ButtonsPanel);
    static_cast<ButtonBarParts&>(*this) = *m_buttons;
    connect(ViewBtn, &QPushButton::clicked, this, [this] { ViewBtnClick(); });
    connect(RfreshBtn, &QPushButton::clicked, this, [this] { RfreshBtnClick(); });
    connect(CopyBtn, &QPushButton::clicked, this, [this] { CopyBtnClick(); });
    connect(Rename, &QPushButton::clicked, this, [this] { RenameClick(); });
    connect(CompileJavaBtn, &QPushButton::clicked, this, [this] { CompileJavaBtnClick(); });
    connect(Delete1, &QPushButton::clicked, this, [this] { Delete1Click(); });
}

void TForm1::SetPaneColours() {
    m_computer->SetActive(m_computerPaneActive);
    m_phone->SetActive(!m_computerPaneActive);
}

void TForm1::SetActivePane(bool computer) {
    // The keyboard follows the active pane, so a key always hits the highlighted one.
    QWidget* list = computer ? static_cast<QWidget*>(Source) : ListPhone;
    if (!list->hasFocus()) list->setFocus(Qt::OtherFocusReason);
    if (m_computerPaneActive == computer) return;
    m_computerPaneActive = computer;
    SetPaneColours();
}

QString TForm1::ComputerSelectionText() const { return m_computer->SelectionText(); }
QString TForm1::PhoneSelectionText() const { return m_phone->SelectionText(); }
QString TForm1::DriveFreeText() const { return m_computer->DriveFreeText(); }
void TForm1::UpdateComputerStatus() { m_computer->UpdateStatus(); }
void TForm1::SetComputerPath(const QString& path) { m_computer->SetPath(path); }
void TForm1::ShowPhoneRows(const QList<PhoneRow>& rows) { m_phone->ShowRows(rows); }

void TForm1::ApplyResizeRule() {
    QList<int> sizes = Splitter1->sizes();
    if (sizes.size() == 2 && sizes[0] != sizes[1]) {
        const int sum = sizes[0] + sizes[1];
        Splitter1->setSizes({sum / 2, sum - sum / 2});
    }
    StatusPanel0->setFixedWidth(std::max(0, StatusBar1->width() - 100));
    LayoutButtons();
}

void TForm1::LayoutButtons() { m_buttons->Layout(); }

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ApplyResizeRule();
    SetSplitterLeft(*Splitter1, m_pendingSplitterLeft);
}

bool TForm1::DispatchFunctionKey(int key) {
    switch (key) {
        case Qt::Key_F3: ViewBtnClick(); return true;
        case Qt::Key_F4: RfreshBtnClick(); return true;
        case Qt::Key_F5: CopyBtnClick(); return true;
        case Qt::Key_F6: RenameClick(); return true;
        case Qt::Key_F7:
            if (m_flags.MODE != 2 && PhoneIsReady()) CompileJavaBtnClick();
            return true;
        case Qt::Key_F8: Delete1Click(); return true;
        default: return false;
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    const bool list = watched == Source || watched == ListPhone;
    if (event->type() == QEvent::FocusIn && list) {
        SetActivePane(watched == Source);
    } else if (event->type() == QEvent::KeyPress && list) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Tab (and Shift+Tab) goes straight to the other list.
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            SetActivePane(watched != Source);
            return true;
        }
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            if (DispatchFunctionKey(key->key())) return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::Exit1Click() {
    // Ends the program at once: nothing is saved on this path.
    QCoreApplication::exit(0);
}

FavoritesMenu* TForm1::Favorites() const { return m_computer->Favorites(); }
TFavoritesForm* TForm1::FavoritesForm() const { return m_computer->FavoritesForm(); }

void TForm1::CopyBtnClick() { m_commands->Copy(); }
void TForm1::RenameClick() { m_commands->Rename(); }
void TForm1::Delete1Click() { m_commands->Delete(); }
void TForm1::CompileJavaBtnClick() { m_commands->CompileJava(); }
void TForm1::PhoneItemsDropped(const std::vector<std::string>& names) {
    m_commands->CopyDraggedItems(names);
}
void TForm1::DragDropFilesPhoneProcessDropped(const QStringList& paths) {
    m_commands->CopyDroppedFiles(paths);
}

void TForm1::About1Click() {
    if (!m_aboutForm) m_aboutForm = new TAboutForm(this);
    m_aboutForm->ShowModal();
}

QString TForm1::HelpFilePath() { return FindHelpFile(); }

void TForm1::Help2Click() { m_help->Open(HelpFilePath(), OpenHelpUrl); }
HelpWindow* TForm1::HelpForm() const { return m_help->Window(); }

void TForm1::AttachCore(const WindowCore& core) {
    m_core = core;
    m_phone->SetSession(core.Session);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_initialized) {
        m_initialized = true;
        // The panes share the width from the first frame, before any resize.
        ApplyResizeRule();
        // After the window has appeared: start-up may show modal dialogs.
        QTimer::singleShot(0, this, [this] { FirstInitialization(); });
    }
}

void TForm1::FirstInitialization() {
    PathComp->setText(QDir::toNativeSeparators(Source->Path()));
    DiskStatus->setText(DriveFreeText());
    PathPhone->setText(Cap(kForm, "PathPhone"));
    m_computerPaneActive = false;
    ActivateComputerPane();
    if (!m_core.Store || !m_core.Form10 || !m_core.Session) return;

    const std::string port = m_core.Store->ReadString("ComPort", "");
    LastPath.clear();
    LoadSettings(*m_core.Store, {m_core.Port, &m_core.Form10->Channel.PollStep, &m_flags, &Favs,
                                 &LastPath});
    UpdateModeControls();
    RestoreWindowPlace(*m_core.Store);
    const QString last = QString::fromStdString(LastPath);
    SetComputerPath(!last.isEmpty() && QDir(last).exists() ? last : QDir::homePath());
    // Without a stored port (the first run) the user picks one before anything is sent.
    m_core.Session->Start(!port.empty());
    ReleaseStoredSplitter();
}

void TForm1::Connect1Click() {
    // The stored settings first; the settings dialog when they do not reach the phone.
    if (m_core.Session && !Busy()) m_core.Session->Start(true);
}

void TForm1::Settings1Click() {
    if (m_core.Session) m_core.Session->OpenSettings();
}

void TForm1::FormCloseQuery() {
    if (m_closed) return;
    m_closed = true;
    if (m_core.Store) {
        SavePlace(*m_core.Store, *this, *Splitter1);
        SaveOnClose(*m_core.Store, S(Source->Path()), Favs);
    }
    if (m_core.Session) m_core.Session->Close();
    m_processForm->Hide();
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormCloseQuery();
    event->accept();
}

bool TForm1::AskConnectionSettings() {
    const bool start = m_core.ShowSettingsDialog ? m_core.ShowSettingsDialog() : false;
    UpdateModeControls();
    return start;
}

void TForm1::UpdateModeControls() {
    // PIMS firmware has no Java registry to compile into.
    CompileJavaBtn->setEnabled(m_flags.CompileJavaEnabled);
}

void TForm1::BusyChanged(bool busy) {
    // Not the window itself: a disabled window disables every dialog it parents (the
    // settings, file-exists and rename dialogs, the message boxes), which then could not
    // be answered.
    m_busy = busy;
    centralWidget()->setEnabled(!busy);
    menuBar()->setEnabled(!busy);
}

void TForm1::TreeChanged() {
    if (!m_core.Session || !m_core.Session->Root()) {
        m_phone->ShowNoTree();
        return;
    }
    ShowCurrentFolder();
    ApplyResizeRule();
    SetSplitterLeft(*Splitter1, m_pendingSplitterLeft);
}

void TForm1::FolderChanged() { ShowCurrentFolder(); }

void TForm1::ModelChanged(const std::string& phoneModel) { StatusPanel1->setText(Q(phoneModel)); }

void TForm1::StatusChanged(const std::string& text) { StatusPanel0->setText(Q(text)); }

void TForm1::ShowCurrentFolder() { m_phone->ShowCurrentFolder(); }
QString TForm1::PhonePathText() const { return m_phone->PathText(); }
void TForm1::ListPhoneDblClick() { m_phone->OpenCurrent(); }

void TForm1::RfreshBtnClick() {
    if (m_computerPaneActive) {
        m_computer->Reload();
    } else if (m_core.Session && m_core.Session->PhoneReady()) {
        m_core.Session->Rescan();
    }
}

}  // namespace q7k3
