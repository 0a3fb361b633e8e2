#include "window/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QCloseEvent>
#include <QShowEvent>
#include <QUrl>
#include <QVBoxLayout>

#include "link/TForm10.h"
#include "localpane/DriveComboBox.h"
#include "localpane/LocalDirView.h"
#include "ui/widgets/FavoritesMenu.h"
#include "ui/widgets/InputBox.h"
#include "ui/widgets/TAboutForm.h"
#include "ui/widgets/TFavoritesForm.h"
#include "window/BackupCommands.h"
#include "window/FileCommands.h"
#include "window/PhoneListView.h"
#include "window/TFileExistForm.h"
#include "window/TProcessForm.h"
#include "phonefs/PhoneFs.h"
#include "phonefs/Tree.h"
#include "ui/HelpFile.h"
#include "ui/TempDir.h"
#include "ui/Text.h"
#include "window/Texts.h"

namespace q7k3 {
namespace {

constexpr const char* kForm = "TForm1";

QFrame* Panel(const char* name, QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::NoFrame);
    return panel;
}

QLabel* Label(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QFont PathFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setBold(true);
    return font;
}

}  // namespace

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
    CompPanel = Panel("CompPanel", Splitter1);
    PhonePanel = Panel("PhonePanel", Splitter1);
    Splitter1->addWidget(CompPanel);
    Splitter1->addWidget(PhonePanel);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 1);
    layout->addWidget(Splitter1, 1);
    ButtonsPanel = Panel("ButtonsPanel", central);
    ButtonsPanel->setFixedHeight(37);
    layout->addWidget(ButtonsPanel);
    setCentralWidget(central);

    BuildComputerPane();
    BuildPhonePane();
    BuildButtons();

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setFixedHeight(19 + 4);
    StatusBar1->setSizeGripEnabled(false);
    StatusPanel0 = Label("StatusPanel0", QString(), StatusBar1);
    StatusPanel0->setFixedWidth(600);
    StatusPanel1 = Label("StatusPanel1", QString(), StatusBar1);
    StatusPanel1->setAlignment(Qt::AlignCenter);
    StatusPanel1->setMinimumWidth(50);
    StatusBar1->addWidget(StatusPanel0);
    StatusBar1->addPermanentWidget(StatusPanel1);
    setStatusBar(StatusBar1);

    m_processForm = new TProcessForm(m_flags, this);
    m_fileExistForm = new TFileExistForm(this);
    m_renameForm = new TRenameForm(this);
    m_commands = std::make_unique<FileCommands>(*this, m_prompts);
    m_backups = std::make_unique<BackupCommands>(*this, m_prompts);
    BuildFavourites();

    // Equal panes from the first frame.
    const int half = (694 - Splitter1->handleWidth()) / 2;
    Splitter1->setSizes({half, half});
    SetPaneColours();

    // Centred on the desktop.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
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

    connect(Settings1, &QAction::triggered, this, [this] { Settings1Click(); });
    connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
    connect(FileMenu, &QMenu::aboutToShow, this, [this] { m_backups->UpdateActions(); });
    connect(Backup1, &QAction::triggered, this, [this] { m_backups->Backup(); });
    connect(Restore1, &QAction::triggered, this, [this] { m_backups->Restore(); });
    connect(Verify1, &QAction::triggered, this, [this] { m_backups->Verify(); });
    connect(Help2, &QAction::triggered, this, [this] { Help2Click(); });
    connect(About1, &QAction::triggered, this, [this] { About1Click(); });
}

void TForm1::BuildComputerPane() {
    auto* layout = new QVBoxLayout(CompPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    CompPathPanel = Panel("CompPathPanel", CompPanel);
    CompPathPanel->setFixedHeight(17);
    auto* pathLayout = new QHBoxLayout(CompPathPanel);
    pathLayout->setContentsMargins(0, 0, 0, 0);
    PathComp = Label("PathComp", Cap(kForm, "PathComp"), CompPathPanel);
    PathComp->setFont(PathFont());
    PathComp->setAutoFillBackground(true);
    PathComp->setTextFormat(Qt::PlainText);
    PathComp->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    pathLayout->addWidget(PathComp);
    layout->addWidget(CompPathPanel);

    PanelCompStatus = Panel("PanelCompStatus", CompPanel);
    PanelCompStatus->setFixedHeight(24);
    auto* statusLayout = new QHBoxLayout(PanelCompStatus);
    statusLayout->setContentsMargins(2, 0, 0, 0);
    statusLayout->setSpacing(4);
    DiskStatus = Label("DiskStatus", Cap(kForm, "DiskStatus"), PanelCompStatus);
    DiskStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    FavoritesBtn = new QToolButton(PanelCompStatus);
    FavoritesBtn->setObjectName("FavoritesBtn");
    FavoritesBtn->setText(Cap(kForm, "FavoritesBtn"));
    FavoritesBtn->setFixedSize(16, 16);
    FavoritesBtn->setAccessibleName(QStringLiteral("FavoritesBtn"));
    FavPopupMenu = new QMenu(FavoritesBtn);
    FavPopupMenu->setObjectName("FavPopupMenu");
    AddCurrentDir1 = FavPopupMenu->addAction(Cap(kForm, "AddCurrentDir1"));
    AddCurrentDir1->setObjectName("AddCurrentDir1");
    Setup1 = FavPopupMenu->addAction(Cap(kForm, "Setup1"));
    Setup1->setObjectName("Setup1");
    // 16 x 16 leaves no room for the menu arrow beside the letter.
    FavoritesBtn->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
    DrivesComboBox = new DriveComboBox(PanelCompStatus);
    DrivesComboBox->setObjectName("DrivesComboBox");
    DrivesComboBox->setAccessibleName(QStringLiteral("DrivesComboBox"));
    DrivesComboBox->setMinimumWidth(57);
    statusLayout->addWidget(DiskStatus, 1);
    statusLayout->addWidget(FavoritesBtn);
    statusLayout->addWidget(DrivesComboBox);
    layout->addWidget(PanelCompStatus);

    Source = new LocalDirView(CompPanel);
    Source->setObjectName("Source");
    Source->setAccessibleName(QStringLiteral("Source"));
    Source->SetDropFormat(QString::fromLatin1(kPhoneItemsMime));
    layout->addWidget(Source, 1);

    StatusComp = Label("StatusComp", Cap(kForm, "StatusComp"), CompPanel);
    StatusComp->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(StatusComp);

    Source->installEventFilter(this);
    for (QWidget* w : {static_cast<QWidget*>(StatusComp), static_cast<QWidget*>(DiskStatus),
                       static_cast<QWidget*>(PathComp)})
        w->installEventFilter(this);
    connect(Source, &LocalDirView::Clicked, this, &TForm1::ActivateComputerPane);
    connect(DrivesComboBox, &DriveComboBox::Clicked, this, &TForm1::ActivateComputerPane);
    connect(Source, &LocalDirView::SelectionChanged, this, [this] {
        StatusComp->setText(ComputerSelectionText());
        ActivateComputerPane();
    });
    connect(Source, &LocalDirView::DirectoryRead, this, [this](const QString& path) {
        PathComp->setText(QDir::toNativeSeparators(path));
        StatusComp->setText(ComputerSelectionText());
        // Opening folders can cross into another mounted volume; the drive selector and
        // the free-space line follow the directory shown.
        const QString drive = DrivesComboBox->DriveLetter();
        DrivesComboBox->SelectDriveFor(path);
        if (DrivesComboBox->DriveLetter() != drive) DiskStatus->setText(DriveFreeText());
    });
    connect(DrivesComboBox, &DriveComboBox::DriveChanged, this, [this](const QString& root) {
        Source->SetPath(root);
        DiskStatus->setText(DriveFreeText());
    });
    connect(Source, &LocalDirView::DataDropped, this, [this](const QByteArray& data) {
        const std::vector<std::string> names = DecodePhoneNames(data);
        if (!names.empty()) PhoneItemsDropped(names);
    });
}

void TForm1::BuildPhonePane() {
    auto* layout = new QVBoxLayout(PhonePanel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    PhonePathPanel = Panel("PhonePathPanel", PhonePanel);
    PhonePathPanel->setFixedHeight(17);
    auto* pathLayout = new QHBoxLayout(PhonePathPanel);
    pathLayout->setContentsMargins(0, 0, 0, 0);
    PathPhone = Label("PathPhone", QString(), PhonePathPanel);
    PathPhone->setFont(PathFont());
    PathPhone->setAutoFillBackground(true);
    PathPhone->setTextFormat(Qt::PlainText);
    PathPhone->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    pathLayout->addWidget(PathPhone);
    layout->addWidget(PhonePathPanel);

    PanelPhoneStatus = Panel("PanelPhoneStatus", PhonePanel);
    PanelPhoneStatus->setFixedHeight(24);
    auto* statusLayout = new QHBoxLayout(PanelPhoneStatus);
    statusLayout->setContentsMargins(2, 0, 0, 0);
    PhoneDiskStatus = Label("PhoneDiskStatus", Cap(kForm, "PhoneDiskStatus"), PanelPhoneStatus);
    PhoneDiskStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusLayout->addWidget(PhoneDiskStatus);
    layout->addWidget(PanelPhoneStatus);

    ListPhone = new PhoneListView(PhonePanel);
    ListPhone->setObjectName("ListPhone");
    ListPhone->setAccessibleName(QStringLiteral("ListPhone"));
    ListPhone->setHeaderLabels({Cap(kForm, "ListPhone.0"), Cap(kForm, "ListPhone.1")});
    ListPhone->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(ListPhone, 1);
    DragDropFilesPhone = new PhoneDropTarget(ListPhone);

    StatusPhone = Label("StatusPhone", Cap(kForm, "StatusPhone"), PhonePanel);
    StatusPhone->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(StatusPhone);

    ListPhone->installEventFilter(this);
    for (QWidget* w : {static_cast<QWidget*>(StatusPhone), static_cast<QWidget*>(PhoneDiskStatus),
                       static_cast<QWidget*>(PathPhone)})
        w->installEventFilter(this);
    connect(ListPhone, &PhoneListView::Clicked, this, &TForm1::ActivatePhonePane);
    connect(ListPhone, &QTreeWidget::itemSelectionChanged, this, [this] {
        StatusPhone->setText(PhoneSelectionText());
        ActivatePhonePane();
    });
    connect(ListPhone, &QTreeWidget::itemDoubleClicked, this, [this] { ListPhoneDblClick(); });
    connect(ListPhone, &PhoneListView::Opened, this, [this] { ListPhoneDblClick(); });
    connect(DragDropFilesPhone, &PhoneDropTarget::FilesDropped, this,
            [this](const QStringList& paths) { DragDropFilesPhoneProcessDropped(paths); });
}

void TForm1::BuildButtons() {
    struct ButtonDef {
        QPushButton** button;
        const char* name;
    };
    const ButtonDef defs[] = {{&ViewBtn, "ViewBtn"}, {&RfreshBtn, "RfreshBtn"},
                          {&CopyBtn, "CopyBtn"}, {&Rename, "Rename"},
                          {&CompileJavaBtn, "CompileJavaBtn"}, {&Delete1, "Delete1"}};
    for (const ButtonDef& def : defs) {
        auto* button = new QPushButton(Cap(kForm, def.name), ButtonsPanel);
        button->setObjectName(def.name);
        button->setFocusPolicy(Qt::NoFocus);
        *def.button = button;
    }
    CompileJavaBtn->setToolTip(Cap(kForm, "CompileJavaBtn.hint"));
    CompileJavaBtn->setStatusTip(Cap(kForm, "CompileJavaBtn.hint"));
    connect(ViewBtn, &QPushButton::clicked, this, [this] { ViewBtnClick(); });
    connect(RfreshBtn, &QPushButton::clicked, this, [this] { RfreshBtnClick(); });
    connect(CopyBtn, &QPushButton::clicked, this, [this] { CopyBtnClick(); });
    connect(Rename, &QPushButton::clicked, this, [this] { RenameClick(); });
    connect(CompileJavaBtn, &QPushButton::clicked, this, [this] { CompileJavaBtnClick(); });
    connect(Delete1, &QPushButton::clicked, this, [this] { Delete1Click(); });
    ButtonsPanel->installEventFilter(this);
    LayoutButtons();
}

void TForm1::SetPaneColours() {
    auto paint = [this](QLabel* label, bool active) {
        QPalette p = label->palette();
        const QPalette& app = palette();
        if (active) {
            p.setColor(QPalette::Window, app.color(QPalette::Active, QPalette::Highlight));
            p.setColor(QPalette::WindowText,
                       app.color(QPalette::Active, QPalette::HighlightedText));
        } else {
            p.setColor(QPalette::Window, app.color(QPalette::Active, QPalette::Mid));
            p.setColor(QPalette::WindowText, app.color(QPalette::Active, QPalette::Light));
        }
        label->setPalette(p);
    };
    paint(PathComp, m_computerPaneActive);
    paint(PathPhone, !m_computerPaneActive);
}

void TForm1::ActivateComputerPane() {
    if (m_computerPaneActive) return;
    m_computerPaneActive = true;
    SetPaneColours();
}

void TForm1::ActivatePhonePane() {
    if (!m_computerPaneActive) return;
    m_computerPaneActive = false;
    SetPaneColours();
}

namespace {

QString SelectionLine(qint64 selectedBytes, qint64 totalBytes, qint64 selected, qint64 total) {
    return QString::number(selectedBytes / 1024) + M(kMsgKbOf) + QString::number(totalBytes / 1024) +
           M(kMsgKbFiles) + QString::number(selected) + M(kMsgOf) + QString::number(total);
}

}  // namespace

QString TForm1::ComputerSelectionText() const {
    qint64 selectedBytes = 0, totalBytes = 0;
    int selected = 0, files = 0;
    // Both counts are of files: folders are neither counted nor sized.
    for (const LocalDirView::Item& item : Source->Items()) {
        if (item.IsDir) continue;
        if (item.Selected) ++selected;
        ++files;
        totalBytes += item.Size;
        if (item.Selected) selectedBytes += item.Size;
    }
    return SelectionLine(selectedBytes, totalBytes, selected, files);
}

QString TForm1::PhoneSelectionText() const {
    qint64 selectedBytes = 0, totalBytes = 0;
    int selected = 0, files = 0;
    for (int i = 0; i < ListPhone->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = ListPhone->topLevelItem(i);
        if (!PhoneListView::IsFile(item)) continue;
        // The size is read back from its column, as the list shows it.
        const qint64 size = item->text(1).toLongLong();
        ++files;
        totalBytes += size;
        if (item->isSelected()) {
            ++selected;
            selectedBytes += size;
        }
    }
    return SelectionLine(selectedBytes, totalBytes, selected, files);
}

QString TForm1::DriveFreeText() const {
    const qint64 mb = 1048576;
    return M(kMsgFree) + QString::number(DrivesComboBox->FreeBytes() / mb) + M(kMsgMbOf) +
           QString::number(DrivesComboBox->TotalBytes() / mb) + M(kMsgMb);
}

void TForm1::UpdateComputerStatus() {
    StatusComp->setText(ComputerSelectionText());
    DiskStatus->setText(DriveFreeText());
}

void TForm1::SetComputerPath(const QString& path) {
    DrivesComboBox->SelectDriveFor(path);
    Source->SetPath(path);
    PathComp->setText(QDir::toNativeSeparators(Source->Path()));
    DiskStatus->setText(DriveFreeText());
}

void TForm1::ShowPhoneRows(const QList<PhoneRow>& rows) {
    {
        // Filling the list is not a selection by the user: the active pane stays.
        const QSignalBlocker block(ListPhone);
        ListPhone->setUpdatesEnabled(false);
        ListPhone->clear();
        for (const PhoneRow& row : rows) {
            if (row.IsFile)
                ListPhone->AddFileItem(row.Name, row.Size);
            else
                ListPhone->AddFolderItem(row.Name);
        }
        ListPhone->setUpdatesEnabled(true);
    }
    StatusPhone->setText(PhoneSelectionText());
}


void TForm1::ApplyResizeRule() {
    QList<int> sizes = Splitter1->sizes();
    if (sizes.size() == 2 && sizes[0] != sizes[1]) {
        const int sum = sizes[0] + sizes[1];
        Splitter1->setSizes({sum / 2, sum - sum / 2});
    }
    StatusPanel0->setFixedWidth(std::max(0, StatusBar1->width() - 100));
    LayoutButtons();
}

void TForm1::LayoutButtons() {
    const int w = ButtonsPanel->width() / 6;
    const int h = ButtonsPanel->height();
    QPushButton* buttons[] = {ViewBtn, RfreshBtn, CopyBtn, Rename, CompileJavaBtn, Delete1};
    for (int i = 0; i < 6; ++i) buttons[i]->setGeometry(i * w, 0, w, h);
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ApplyResizeRule();
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
    if (event->type() == QEvent::KeyPress && (watched == Source || watched == ListPhone)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            if (DispatchFunctionKey(key->key())) return true;
        }
    } else if (event->type() == QEvent::MouseButtonPress) {
        if (watched == StatusComp || watched == DiskStatus || watched == PathComp)
            ActivateComputerPane();
        else if (watched == StatusPhone || watched == PhoneDiskStatus || watched == PathPhone)
            ActivatePhonePane();
    } else if (event->type() == QEvent::Resize && watched == ButtonsPanel) {
        LayoutButtons();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::Exit1Click() {
    // Ends the program at once: nothing is saved on this path.
    QCoreApplication::exit(0);
}

void TForm1::BuildFavourites() {
    // The rename dialog doubles as the one-line input box of the favourites.
    m_inputBox = std::make_unique<DialogInputBox<TRenameForm>>(*m_renameForm);
    m_favoritesMenu = new FavoritesMenu(FavPopupMenu, Favs, this);
    m_favoritesMenu->AttachTo(FavoritesBtn);
    m_favoritesForm = new TFavoritesForm(Favs, *m_inputBox, this);
    connect(m_favoritesMenu, &FavoritesMenu::goToPath, this, [this](const QString& path) {
        SetComputerPath(path);
        ActivateComputerPane();
    });
    connect(m_favoritesMenu, &FavoritesMenu::addCurrentFolder, this,
            [this] { AddFavourite(Favs, *m_inputBox, QDir::toNativeSeparators(Source->Path())); });
    connect(m_favoritesMenu, &FavoritesMenu::configure, this,
            [this] { m_favoritesForm->Setup1Click(); });
}

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

QString TForm1::HelpFilePath() {
    return FindHelpFile();
}

void TForm1::Help2Click() {
    const QString help = HelpFilePath();
    QString target = help;
    // The help file is an HTML page under its traditional name; desktops choose a viewer
    // by the name's extension, so it is opened through a copy that says what it is.
    const QString dir = QString::fromStdString(PrivateTempDir());
    if (QFileInfo::exists(help) && !dir.isEmpty()) {
        const QString copy = QDir(dir).filePath(QStringLiteral("Q7K3FM.html"));
        QFile::remove(copy);
        if (QFile::copy(help, copy)) target = copy;
    }
    // A missing file is the viewer's to report; a desktop that cannot show the page at all
    // leaves it to the program's own window.
    if (!OpenHelpUrl) {
        ShowHelpWindow(help);
        return;
    }
    QPointer<TForm1> self(this);
    OpenHelpUrl(QUrl::fromLocalFile(target), [self, help] {
        if (self) self->ShowHelpWindow(help);
    });
}

void TForm1::ShowHelpWindow(const QString& help) {
    if (!m_helpWindow) m_helpWindow = new HelpWindow(this);
    if (!m_helpWindow->Load(help)) {
        m_prompts.MessageBox(Msg(kMsgCannotOpenFile) + S(QDir::toNativeSeparators(help)),
                             Msg(kMsgErrorCaption), BoxIcon::Error);
        return;
    }
    m_helpWindow->show();
    m_helpWindow->raise();
    m_helpWindow->activateWindow();
}

}  // namespace q7k3

namespace q7k3 {

// ---- core, start-up and shutdown ------------------------------------------------------

void TForm1::AttachCore(const WindowCore& core) { m_core = core; }

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
    const QString last = QString::fromStdString(LastPath);
    SetComputerPath(!last.isEmpty() && QDir(last).exists() ? last : QDir::homePath());
    // Without a stored port (the first run) the user picks one before anything is sent.
    m_core.Session->Start(!port.empty());
}

void TForm1::Settings1Click() {
    if (m_core.Session) m_core.Session->OpenSettings();
}

void TForm1::FormCloseQuery() {
    if (m_closed) return;
    m_closed = true;
    if (m_core.Store) SaveOnClose(*m_core.Store, S(Source->Path()), Favs);
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
        {
            const QSignalBlocker block(ListPhone);
            ListPhone->clear();
        }
        StatusPhone->setText(PhoneSelectionText());
        // Without a tree the path and free-space lines would speak of a folder no longer
        // shown.
        PathPhone->setText(Cap(kForm, "PathPhone"));
        PhoneDiskStatus->setText(Cap(kForm, "PhoneDiskStatus"));
        return;
    }
    ShowCurrentFolder();
    ApplyResizeRule();
}

void TForm1::FolderChanged() { ShowCurrentFolder(); }

void TForm1::ModelChanged(const std::string& phoneModel) { StatusPanel1->setText(Q(phoneModel)); }

void TForm1::StatusChanged(const std::string& text) { StatusPanel0->setText(Q(text)); }

// ---- phone pane ------------------------------------------------------------------------

void TForm1::ShowCurrentFolder() {
    const Tree4* folder = m_core.Session ? m_core.Session->CurrentFolder() : nullptr;
    if (!folder) return;
    QList<PhoneRow> rows;
    for (const auto& child : folder->Children) rows.append({child->Name, false, 0});
    for (const FileEntry& file : folder->Files) rows.append({file.Name, true, file.Size});
    ShowPhoneRows(rows);
    PhoneDiskStatus->setText(Q(m_core.Session->FreeSpaceText()));
    PathPhone->setText(PhonePathText());
}

QString TForm1::PhonePathText() const {
    const Tree4* folder = m_core.Session ? m_core.Session->CurrentFolder() : nullptr;
    return folder ? Q(q7k3::PhonePathText(folder)) : QString();
}

void TForm1::ListPhoneDblClick() {
    QTreeWidgetItem* item = ListPhone->currentItem();
    if (!item || !m_core.Session || !m_core.Session->CurrentFolder()) return;
    const std::string caption = PhoneListView::RawName(item);
    if (m_core.Session->OpenFolder(caption)) return;
    // Not a folder: a picture or a melody opens in the preview.
    if (caption != ".." && PhoneListView::IsFile(item)) {
        const std::string lower = LowerAscii(caption);
        for (const char* ext : {".mel", ".mmf", ".ani", ".jpg", ".gif"}) {
            if (lower.find(ext) != std::string::npos) {
                ViewBtnClick();
                break;
            }
        }
    }
}

void TForm1::RfreshBtnClick() {
    if (m_computerPaneActive) {
        Source->Reload();
        UpdateComputerStatus();
    } else if (m_core.Session && m_core.Session->PhoneReady()) {
        m_core.Session->Rescan();
    }
}

}  // namespace q7k3
