#include "window/ComputerPane.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenu>
#include <QShortcut>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <QDropEvent>
#include <QMimeData>

#include "localpane/DriveComboBox.h"
#include "localpane/LocalDirView.h"
#include "base/widgets/FavoritesDialog.h"
#include "base/widgets/FavoritesMenu.h"
#include "window/PaneLook.h"
#include "window/PhoneListView.h"
#include "window/Texts.h"

namespace q7k3 {

ComputerPane::ComputerPane(QWidget* panel) : QObject(panel) {
    const PaneTop top = BuildPaneTop(panel, "CompPathPanel", "PathComp", Cap(kMainForm, "PathComp"),
                                     "PanelCompStatus");
    QVBoxLayout* layout = top.Column;
    CompPathPanel = top.PathPanel;
    PathComp = top.Path;
    PanelCompStatus = top.StatusPanel;
    QHBoxLayout* statusLayout = top.StatusRow;
    statusLayout->setSpacing(4);
    DiskStatus = FittedLabel("DiskStatus", Cap(kMainForm, "DiskStatus"), PanelCompStatus);
    FavoritesBtn = new QToolButton(PanelCompStatus);
    FavoritesBtn->setObjectName("FavoritesBtn");
    FavoritesBtn->setText(Cap(kMainForm, "FavoritesBtn"));
    // Small, yet as large as its letter needs.
    FavoritesBtn->setFixedSize(FavoritesBtn->sizeHint().expandedTo(QSize(16, 16)));
    FavoritesBtn->setAccessibleName(QStringLiteral("FavoritesBtn"));
    FavPopupMenu = new QMenu(FavoritesBtn);
    FavPopupMenu->setObjectName("FavPopupMenu");
    AddCurrentItem = FavPopupMenu->addAction(Cap(kMainForm, "AddCurrentDir1"));
    AddCurrentItem->setObjectName("AddCurrentDir1");
    SetupItem = FavPopupMenu->addAction(Cap(kMainForm, "Setup1"));
    SetupItem->setObjectName("Setup1");
    // 16 x 16 leaves no room for the menu arrow beside the letter.
    FavoritesBtn->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
    DrivesComboBox = new DriveComboBox(PanelCompStatus);
    DrivesComboBox->setObjectName("DrivesComboBox");
    DrivesComboBox->setAccessibleName(QStringLiteral("DrivesComboBox"));
    DrivesComboBox->setMinimumWidth(57);
    statusLayout->addWidget(DiskStatus, 1);
    statusLayout->addWidget(FavoritesBtn);
    statusLayout->addWidget(DrivesComboBox);

    DirList = new LocalDirView(panel);
    DirList->setObjectName("Source");
    DirList->setAccessibleName(QStringLiteral("Source"));
    DirList->SetDropFormat(QString::fromLatin1(kPhoneItemsMime));
    layout->addWidget(DirList, 1);

    StatusComp = PaneStatusLine("StatusComp", Cap(kMainForm, "StatusComp"), panel, layout);

    for (QWidget* w : {static_cast<QWidget*>(StatusComp), static_cast<QWidget*>(DiskStatus),
                       static_cast<QWidget*>(PathComp)})
        w->installEventFilter(this);
    // Phone items may be dropped anywhere on the pane (its path, drive row or status line),
    // not only on the list: the drag ends where the user lets go.
    m_panel = panel;
    panel->setAcceptDrops(true);
    panel->installEventFilter(this);
    connect(DirList, &LocalDirView::Clicked, this, &ComputerPane::Activated);
    connect(DrivesComboBox, &DriveComboBox::Clicked, this, &ComputerPane::Activated);
    connect(DirList, &LocalDirView::SelectionChanged, this, [this] {
        StatusComp->setText(SelectionText());
        emit Activated();
    });
    connect(DirList, &LocalDirView::DirectoryRead, this, [this](const QString& path) {
        PathComp->setText(QDir::toNativeSeparators(path));
        StatusComp->setText(SelectionText());
        // Opening folders can cross into another mounted volume; the drive selector and
        // the free-space line follow the directory shown.
        const QString drive = DrivesComboBox->DriveLetter();
        DrivesComboBox->SelectDriveFor(path);
        if (DrivesComboBox->DriveLetter() != drive) DiskStatus->setText(DriveFreeText());
    });
    connect(DrivesComboBox, &DriveComboBox::DriveChanged, this, [this](const QString& root) {
        DirList->SetPath(root);
        DiskStatus->setText(DriveFreeText());
    });
    connect(DirList, &LocalDirView::DataDropped, this, [this](const QByteArray& data) {
        const std::vector<std::string> names = DecodePhoneNames(data);
        if (!names.empty()) emit PhoneItemsDropped(names);
    });

    // Tab goes from list to list: the drive box and the "F" button take no keyboard focus.
    // They have keys of their own instead: Alt+F1 opens the drive list, Ctrl+D the
    // favourites.
    FavoritesBtn->setFocusPolicy(Qt::NoFocus);
    DrivesComboBox->setFocusPolicy(Qt::ClickFocus);
    auto* drives = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F1), panel);
    connect(drives, &QShortcut::activated, DrivesComboBox, &QComboBox::showPopup);
    auto* favourites = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), panel);
    connect(favourites, &QShortcut::activated, FavoritesBtn, &QToolButton::showMenu);

    OpenWithDesktop = [](const QString& path) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    DirList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DirList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu* menu = ContextMenuFor(DirList->indexAt(pos));
        menu->exec(DirList->viewport()->mapToGlobal(pos));
        menu->deleteLater();
    });
}

QMenu* ComputerPane::ContextMenuFor(const QModelIndex& index) {
    auto* menu = new QMenu(DirList);
    menu->setObjectName("ComputerContextMenu");
    auto command = [this, menu](const char* caption, int key) {
        QAction* action = menu->addAction(Cap(kMainForm, caption));
        action->setObjectName(caption);
        connect(action, &QAction::triggered, this, [this, key] { emit Command(key); });
    };
    const QString name = index.isValid() ? index.siblingAtColumn(0).data().toString() : QString();
    const QString path = QDir(DirList->Path()).filePath(name);
    const bool up = name == QLatin1String("..");
    const bool folder = !name.isEmpty() && QFileInfo(path).isDir();
    if (folder) {
        QAction* open = menu->addAction(M(kMsgOpenItem));
        open->setObjectName("OpenItem");
        connect(open, &QAction::triggered, this, [this, path, up] {
            if (up)
                DirList->GoUp();
            else
                DirList->SetPath(path);
        });
    } else if (!name.isEmpty()) {
        command("ViewBtn", Qt::Key_F3);
        command("CopyBtn", Qt::Key_F5);
        command("Delete1", Qt::Key_F8);
    }
    if (!name.isEmpty() && !up) {
        QAction* desktop = menu->addAction(M(kMsgOpenWithDesktop));
        desktop->setObjectName("OpenWithDesktop");
        connect(desktop, &QAction::triggered, this, [this, path] { OpenWithDesktop(path); });
    }
    menu->addSeparator();
    command("RfreshBtn", Qt::Key_F4);
    return menu;
}

void ComputerPane::AttachFavourites(Favourites& favs, InputBox& input, QWidget* window) {
    m_favoritesMenu = new FavoritesMenu(FavPopupMenu, favs, this);
    m_favoritesMenu->AttachTo(FavoritesBtn);
    m_favouritesEditor = new FavoritesDialog(favs, input, window);
    connect(m_favoritesMenu, &FavoritesMenu::goToPath, this, [this](const QString& path) {
        SetPath(path);
        emit Activated();
    });
    connect(m_favoritesMenu, &FavoritesMenu::addCurrentFolder, this, [this, &favs, &input] {
        AddFavourite(favs, input, QDir::toNativeSeparators(DirList->Path()));
    });
    connect(m_favoritesMenu, &FavoritesMenu::configure, this,
            [this] { m_favouritesEditor->EditFavourites(); });
}

QString ComputerPane::SelectionText() const {
    qint64 selectedBytes = 0, totalBytes = 0;
    int selected = 0, files = 0;
    // Both counts are of files: folders are neither counted nor sized.
    for (const LocalDirView::Item& item : DirList->Items()) {
        if (item.IsDir) continue;
        if (item.Selected) ++selected;
        ++files;
        totalBytes += item.Size;
        if (item.Selected) selectedBytes += item.Size;
    }
    return SelectionLine(selectedBytes, totalBytes, selected, files);
}

QString ComputerPane::DriveFreeText() const {
    const qint64 mb = 1048576;
    return M(kMsgFree) + QString::number(DrivesComboBox->FreeBytes() / mb) + M(kMsgMbOf) +
           QString::number(DrivesComboBox->TotalBytes() / mb) + M(kMsgMb);
}

void ComputerPane::UpdateStatus() {
    StatusComp->setText(SelectionText());
    DiskStatus->setText(DriveFreeText());
}

void ComputerPane::SetPath(const QString& path) {
    DrivesComboBox->SelectDriveFor(path);
    DirList->SetPath(path);
    PathComp->setText(QDir::toNativeSeparators(DirList->Path()));
    DiskStatus->setText(DriveFreeText());
}

void ComputerPane::Reload() {
    DirList->Reload();
    UpdateStatus();
}

void ComputerPane::SetActive(bool active) {
    PaintPathLine(*PathComp, active);
}

bool ComputerPane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_panel) {
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove:
            case QEvent::Drop: {
                auto* e = static_cast<QDropEvent*>(event);
                const QString format = QString::fromLatin1(kPhoneItemsMime);
                if (!e->mimeData() || !e->mimeData()->hasFormat(format)) {
                    e->ignore();
                    return true;
                }
                e->setDropAction(Qt::CopyAction);
                e->accept();
                if (event->type() == QEvent::Drop) {
                    const std::vector<std::string> names =
                        DecodePhoneNames(e->mimeData()->data(format));
                    if (!names.empty()) emit PhoneItemsDropped(names);
                }
                return true;
            }
            default:
                return QObject::eventFilter(watched, event);
        }
    }
    if (event->type() == QEvent::MouseButtonPress) emit Activated();
    return QObject::eventFilter(watched, event);
}

}  // namespace q7k3
