#include "window/PhonePane.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "phonefs/PhoneFs.h"
#include "phonefs/PhoneSession.h"
#include "phonefs/Tree.h"
#include "ui/Text.h"
#include "window/PaneLook.h"
#include "window/PhoneListView.h"
#include "window/Texts.h"

namespace q7k3 {

PhonePane::PhonePane(QWidget* panel) : QObject(panel) {
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    PhonePathPanel = NamedPanel("PhonePathPanel", panel);
    PhonePathPanel->setFixedHeight(17);
    auto* pathLayout = new QHBoxLayout(PhonePathPanel);
    pathLayout->setContentsMargins(0, 0, 0, 0);
    PathPhone = PathLine("PathPhone", QString(), PhonePathPanel);
    pathLayout->addWidget(PathPhone);
    layout->addWidget(PhonePathPanel);

    PanelPhoneStatus = NamedPanel("PanelPhoneStatus", panel);
    PanelPhoneStatus->setFixedHeight(24);
    auto* statusLayout = new QHBoxLayout(PanelPhoneStatus);
    statusLayout->setContentsMargins(2, 0, 0, 0);
    PhoneDiskStatus =
        NamedLabel("PhoneDiskStatus", Cap(kMainForm, "PhoneDiskStatus"), PanelPhoneStatus);
    PhoneDiskStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusLayout->addWidget(PhoneDiskStatus);
    layout->addWidget(PanelPhoneStatus);

    ListPhone = new PhoneListView(panel);
    ListPhone->setObjectName("ListPhone");
    ListPhone->setAccessibleName(QStringLiteral("ListPhone"));
    ListPhone->setHeaderLabels({Cap(kMainForm, "ListPhone.0"), Cap(kMainForm, "ListPhone.1")});
    ListPhone->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(ListPhone, 1);
    DragDropFilesPhone = new PhoneDropTarget(ListPhone);

    StatusPhone = NamedLabel("StatusPhone", Cap(kMainForm, "StatusPhone"), panel);
    StatusPhone->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(StatusPhone);

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
}

void PhonePane::ShowRows(const QList<Row>& rows) {
    {
        // Filling the list is not a selection by the user: the active pane stays.
        const QSignalBlocker block(ListPhone);
        ListPhone->setUpdatesEnabled(false);
        ListPhone->clear();
        for (const Row& row : rows) {
            if (row.IsFile)
                ListPhone->AddFileItem(row.Name, row.Size);
            else
                ListPhone->AddFolderItem(row.Name);
        }
        ListPhone->setUpdatesEnabled(true);
    }
    StatusPhone->setText(SelectionText());
}

void PhonePane::ShowCurrentFolder() {
    const Tree4* folder = m_session ? m_session->CurrentFolder() : nullptr;
    if (!folder) return;
    QList<Row> rows;
    for (const auto& child : folder->Children) rows.append({child->Name, false, 0});
    for (const FileEntry& file : folder->Files) rows.append({file.Name, true, file.Size});
    ShowRows(rows);
    PhoneDiskStatus->setText(Q(m_session->FreeSpaceText()));
    PathPhone->setText(PathText());
}

void PhonePane::ShowNoTree() {
    {
        const QSignalBlocker block(ListPhone);
        ListPhone->clear();
    }
    StatusPhone->setText(SelectionText());
    // Without a tree the path and free-space lines would speak of a folder no longer shown.
    PathPhone->setText(Cap(kMainForm, "PathPhone"));
    PhoneDiskStatus->setText(Cap(kMainForm, "PhoneDiskStatus"));
}

QString PhonePane::SelectionText() const {
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

QString PhonePane::PathText() const {
    const Tree4* folder = m_session ? m_session->CurrentFolder() : nullptr;
    return folder ? Q(PhonePathText(folder)) : QString();
}

void PhonePane::OpenCurrent() {
    QTreeWidgetItem* item = ListPhone->currentItem();
    if (!item || !m_session || !m_session->CurrentFolder()) return;
    const std::string caption = PhoneListView::RawName(item);
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

void PhonePane::SetActive(bool active) { PaintPathLine(*PathPhone, active); }

bool PhonePane::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) emit Activated();
    return QObject::eventFilter(watched, event);
}

}  // namespace q7k3
