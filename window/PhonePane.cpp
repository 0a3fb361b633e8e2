#include "window/PhonePane.h"

#include <algorithm>

#include <QEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QVBoxLayout>

#include "phonefs/PhoneFs.h"
#include "session/PhoneSession.h"
#include "phonefs/Tree.h"
#include "base/Text.h"
#include "window/PaneLook.h"
#include "window/PhoneListView.h"
#include "window/Texts.h"

namespace q7k3 {

PhonePane::PhonePane(QWidget* panel) : QObject(panel) {
    const PaneTop top =
        BuildPaneTop(panel, "PhonePathPanel", "PathPhone", QString(), "PanelPhoneStatus");
    QVBoxLayout* layout = top.Column;
    PhonePathPanel = top.PathPanel;
    PathPhone = top.Path;
    PanelPhoneStatus = top.StatusPanel;
    PhoneDiskStatus =
        FittedLabel("PhoneDiskStatus", Cap(kMainForm, "PhoneDiskStatus"), PanelPhoneStatus);
    top.StatusRow->addWidget(PhoneDiskStatus);

    ListPhone = new PhoneListView(panel);
    ListPhone->setObjectName("ListPhone");
    ListPhone->setAccessibleName(QStringLiteral("ListPhone"));
    ListPhone->SetColumnTitles(
        {Cap(kMainForm, "ListPhone.0"), Cap(kMainForm, "ListPhone.1"), M(kMsgDateColumn)});
    layout->addWidget(ListPhone, 1);
    DragDropFilesPhone = new PhoneDropTarget(ListPhone);

    StatusPhone = PaneStatusLine("StatusPhone", Cap(kMainForm, "StatusPhone"), panel, layout);
    // In the program's language from the start, as the computer pane's line.
    StatusPhone->setText(SelectionText());

    for (QWidget* w : {static_cast<QWidget*>(StatusPhone), static_cast<QWidget*>(PhoneDiskStatus),
                       static_cast<QWidget*>(PathPhone)})
        w->installEventFilter(this);
    connect(ListPhone, &PhoneListView::Clicked, this, &PhonePane::Activated);
    connect(ListPhone, &QTreeWidget::itemSelectionChanged, this, [this] {
        StatusPhone->setText(SelectionText());
        emit Activated();
    });
    connect(ListPhone, &QTreeWidget::itemDoubleClicked, this, [this] { OpenCurrent(); });
    connect(ListPhone, &PhoneListView::Opened, this, [this] { OpenCurrent(); });
    connect(DragDropFilesPhone, &PhoneDropTarget::FilesDropped, this, &PhonePane::FilesDropped);
    connect(ListPhone, &PhoneListView::UpRequested, this, &PhonePane::GoUp);

    // Over the empty list while no phone is connected.
    m_noPhone = NamedLabel("NoPhone", M(kMsgNoPhone), ListPhone->viewport());
    m_noPhone->setAlignment(Qt::AlignCenter);
    m_noPhone->setWordWrap(true);
    m_noPhone->setEnabled(false);
    auto* overlay = new QVBoxLayout(ListPhone->viewport());
    overlay->addWidget(m_noPhone);

    ListPhone->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListPhone, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu* menu = ContextMenuFor(ListPhone->itemAt(pos));
        menu->exec(ListPhone->viewport()->mapToGlobal(pos));
        menu->deleteLater();
    });
}

QMenu* PhonePane::ContextMenuFor(QTreeWidgetItem* item) {
    auto* menu = new QMenu(ListPhone);
    menu->setObjectName("PhoneContextMenu");
    auto command = [this, menu](const char* caption, int key) {
        QAction* action = menu->addAction(Cap(kMainForm, caption));
        action->setObjectName(caption);
        connect(action, &QAction::triggered, this, [this, key] { emit Command(key); });
    };
    if (item && !PhoneListView::IsFile(item)) {
        QAction* open = menu->addAction(M(kMsgOpenItem));
        open->setObjectName("OpenItem");
        connect(open, &QAction::triggered, this, [this, item] {
            ListPhone->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
            OpenCurrent();
        });
    } else if (item) {
        command("ViewBtn", Qt::Key_F3);
        command("CopyBtn", Qt::Key_F5);
        command("Rename", Qt::Key_F6);
        command("Delete1", Qt::Key_F8);
    }
    if (!m_session || !m_session->PhoneReady()) {
        for (QAction* action : menu->actions()) action->setEnabled(false);
        return menu;
    }
    menu->addSeparator();
    command("RfreshBtn", Qt::Key_F4);
    return menu;
}

bool PhonePane::NoPhoneShown() const {
    return !m_noPhone->isHidden();
}

void PhonePane::GoUp() {
    if (EntriesShown()) {
        ShowCurrentFolder();
        return;
    }
    const Tree4* folder = m_session ? m_session->CurrentFolder() : nullptr;
    if (!folder || !folder->Parent) return;
    m_focusAfterUp = folder->Name;
    if (!m_session->OpenFolder("..")) m_focusAfterUp.clear();
}

void PhonePane::ShowRows(const QList<Row>& rows, const std::string& focus,
                         const std::vector<std::string>& marks) {
    {
        // Filling the list is not a selection by the user: the active pane stays.
        const QSignalBlocker block(ListPhone);
        ListPhone->setUpdatesEnabled(false);
        ListPhone->clear();
        for (const Row& row : rows) {
            if (row.IsFile)
                ListPhone->AddFileItem(row.Name, row.Size, row.Date);
            else
                ListPhone->AddFolderItem(row.Name);
        }
        ListPhone->ApplySort();
        QTreeWidgetItem* cursor = nullptr;
        for (int i = 0; i < ListPhone->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = ListPhone->topLevelItem(i);
            const std::string name = PhoneListView::RawName(item);
            if (!focus.empty() && name == focus) cursor = item;
            if (name != ".." && std::find(marks.begin(), marks.end(), name) != marks.end())
                item->setSelected(true);
        }
        if (!cursor) cursor = ListPhone->topLevelItem(0);
        if (cursor) {
            ListPhone->setCurrentItem(cursor, 0, QItemSelectionModel::NoUpdate);
            ListPhone->scrollToItem(cursor);
        }
        ListPhone->setUpdatesEnabled(true);
    }
    m_noPhone->hide();
    StatusPhone->setText(SelectionText());
}

void PhonePane::ShowCurrentFolder() {
    const Tree4* folder = m_session ? m_session->CurrentFolder() : nullptr;
    if (!folder) return;
    if (EntriesShown()) {
        // Back from the root's own folder: the cursor on it.
        if (m_focusAfterUp.empty()) m_focusAfterUp = S(m_entryFolder);
        EndEntries();
        m_shownPath.clear();
    }
    QList<Row> rows;
    for (const auto& child : folder->Children) rows.append({child->Name, false, 0, {}});
    if (!folder->Parent && RootEntryFolders)
        for (const QString& name : RootEntryFolders()) rows.append({S(name), false, 0, {}});
    for (const FileEntry& file : folder->Files)
        rows.append({file.Name, true, file.Size, file.Date});
    const QString path = PathText();
    std::string focus;
    std::vector<std::string> marks;
    if (path == m_shownPath) {
        if (const QTreeWidgetItem* current = ListPhone->currentItem())
            focus = PhoneListView::RawName(current);
        marks = ListPhone->SelectedNames();
    } else {
        focus = m_focusAfterUp;
    }
    m_focusAfterUp.clear();
    m_shownPath = path;
    ShowRows(rows, focus, marks);
    PhoneDiskStatus->setText(Q(m_session->FreeSpaceText()));
    PathPhone->setText(path);
}

void PhonePane::ShowEntries(const QString& folder, const QStringList& titles,
                            const QList<EntryRow>& rows) {
    const bool same = m_entryFolder == folder;
    std::string focus;
    std::vector<std::string> marks;
    if (same) {
        if (const QTreeWidgetItem* current = ListPhone->currentItem())
            focus = PhoneListView::RawName(current);
        marks = ListPhone->SelectedNames();
    }
    m_entryFolder = folder;
    ListPhone->setHeaderLabels(titles);
    {
        const QSignalBlocker block(ListPhone);
        ListPhone->setUpdatesEnabled(false);
        ListPhone->clear();
        ListPhone->AddFolderItem("..");
        for (const EntryRow& row : rows)
            ListPhone->AddEntryItem(row.Key, {row.Name, row.Second, row.Third});
        QTreeWidgetItem* cursor = nullptr;
        for (int i = 0; i < ListPhone->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = ListPhone->topLevelItem(i);
            const std::string key = PhoneListView::RawName(item);
            if (!focus.empty() && key == focus) cursor = item;
            if (key != ".." && std::find(marks.begin(), marks.end(), key) != marks.end())
                item->setSelected(true);
        }
        if (!cursor) cursor = ListPhone->topLevelItem(0);
        ListPhone->setCurrentItem(cursor, 0, QItemSelectionModel::NoUpdate);
        ListPhone->resizeColumnToContents(PhoneListView::kSizeColumn);
        ListPhone->resizeColumnToContents(PhoneListView::kDateColumn);
        ListPhone->setUpdatesEnabled(true);
    }
    m_noPhone->hide();
    const Tree4* root = m_session ? m_session->CurrentFolder() : nullptr;
    PathPhone->setText((root ? Q(PhonePathText(root)) : QString()) + QLatin1Char('\\') + folder);
    StatusPhone->setText(SelectionText());
}

void PhonePane::EndEntries() {
    m_entryFolder.clear();
    ListPhone->SetColumnTitles(
        {Cap(kMainForm, "ListPhone.0"), Cap(kMainForm, "ListPhone.1"), M(kMsgDateColumn)});
}

void PhonePane::ShowNoTree() {
    if (EntriesShown()) EndEntries();
    {
        const QSignalBlocker block(ListPhone);
        ListPhone->clear();
    }
    StatusPhone->setText(SelectionText());
    m_shownPath.clear();
    m_noPhone->show();
    // Without a tree the path and free-space lines would speak of a folder no longer shown.
    PathPhone->setText(Cap(kMainForm, "PathPhone"));
    PhoneDiskStatus->setText(Cap(kMainForm, "PhoneDiskStatus"));
}

void PhonePane::Deselect(const std::vector<std::string>& names, size_t count) {
    {
        const QSignalBlocker block(ListPhone);
        for (int i = 0; i < ListPhone->topLevelItemCount() && count > 0; ++i) {
            QTreeWidgetItem* item = ListPhone->topLevelItem(i);
            if (!item->isSelected()) continue;
            if (std::find(names.begin(), names.end(), PhoneListView::RawName(item)) == names.end())
                continue;
            item->setSelected(false);
            --count;
        }
    }
    StatusPhone->setText(SelectionText());
}

void PhonePane::DeselectFolders() {
    {
        const QSignalBlocker block(ListPhone);
        for (QTreeWidgetItem* item : ListPhone->selectedItems())
            if (!PhoneListView::IsFile(item)) item->setSelected(false);
    }
    StatusPhone->setText(SelectionText());
}

QString PhonePane::SelectionText() const {
    qint64 selectedBytes = 0, totalBytes = 0;
    int selected = 0, files = 0;
    for (int i = 0; i < ListPhone->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = ListPhone->topLevelItem(i);
        if (!PhoneListView::IsFile(item)) continue;
        // The size in bytes, as the item keeps it (its column is written for reading).
        const qint64 size = item->data(0, PhoneListView::kSizeRole).toLongLong();
        ++files;
        totalBytes += size;
        if (item->isSelected()) {
            ++selected;
            selectedBytes += size;
        }
    }
    return SelectionLine(selectedBytes, totalBytes, selected, files);
}

QString PhonePane::PathText() const {
    const Tree4* folder = m_session ? m_session->CurrentFolder() : nullptr;
    return folder ? Q(PhonePathText(folder)) : QString();
}

void PhonePane::OpenCurrent() {
    QTreeWidgetItem* item = ListPhone->currentItem();
    if (!item || !m_session || !m_session->CurrentFolder()) return;
    const std::string caption = PhoneListView::RawName(item);
    if (caption == "..") {
        GoUp();
        return;
    }
    if (EntriesShown()) {
        emit ViewRequested();
        return;
    }
    if (!m_session->CurrentFolder()->Parent && !PhoneListView::IsFile(item) && RootEntryFolders &&
        RootEntryFolders().contains(Q(caption))) {
        emit EntryFolderOpened(Q(caption));
        return;
    }
    if (m_session->OpenFolder(caption)) return;
    // Not a folder: a picture or a melody opens in the preview.
    if (caption != ".." && PhoneListView::IsFile(item)) {
        const std::string lower = LowerAscii(caption);
        for (const char* ext : {".mel", ".mmf", ".ani", ".jpg", ".gif"}) {
            if (lower.find(ext) != std::string::npos) {
                emit ViewRequested();
                break;
            }
        }
    }
}

void PhonePane::SetActive(bool active) {
    PaintPathLine(*PathPhone, active);
}

bool PhonePane::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) emit Activated();
    return QObject::eventFilter(watched, event);
}

}  // namespace q7k3
