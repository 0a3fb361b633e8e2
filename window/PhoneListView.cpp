#include "window/PhoneListView.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>
#include <QUrl>

namespace q7k3 {

PhoneListView::PhoneListView(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(2);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setAllColumnsShowFocus(true);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    header()->setSectionsClickable(false);
    header()->setStretchLastSection(false);
    header()->resizeSection(0, 270);
    header()->resizeSection(1, 70);
}

QTreeWidgetItem* PhoneListView::AddFolderItem(const QString& name) {
    auto* item = new QTreeWidgetItem(this);
    item->setText(0, name);
    item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    item->setData(0, kIsFileRole, false);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
    return item;
}

QTreeWidgetItem* PhoneListView::AddFileItem(const QString& name, qint64 size) {
    auto* item = new QTreeWidgetItem(this);
    item->setText(0, name);
    item->setText(1, QString::number(size));
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    item->setIcon(0, style()->standardIcon(QStyle::SP_FileIcon));
    item->setData(0, kIsFileRole, true);
    item->setData(0, kSizeRole, size);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
    return item;
}

bool PhoneListView::IsFile(const QTreeWidgetItem* item) {
    return item && item->data(0, kIsFileRole).toBool();
}

QStringList PhoneListView::SelectedNames() const {
    QStringList names;
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->isSelected()) names.append(topLevelItem(i)->text(0));
    return names;
}

QStringList PhoneListView::Names() const {
    QStringList names;
    for (int i = 0; i < topLevelItemCount(); ++i) names.append(topLevelItem(i)->text(0));
    return names;
}

QTreeWidgetItem* PhoneListView::FindItem(const QString& name) const {
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->text(0) == name) return topLevelItem(i);
    return nullptr;
}

void PhoneListView::mousePressEvent(QMouseEvent* event) {
    emit Clicked();
    QTreeWidget::mousePressEvent(event);
}

QStringList PhoneListView::mimeTypes() const { return {QString::fromLatin1(kPhoneItemsMime)}; }

QMimeData* PhoneListView::mimeData(const QList<QTreeWidgetItem*>& items) const {
    QStringList names;
    for (const QTreeWidgetItem* item : items)
        if (item->text(0) != QLatin1String("..")) names.append(item->text(0));
    if (names.isEmpty()) return nullptr;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kPhoneItemsMime), names.join(QLatin1Char('\n')).toUtf8());
    return data;
}

void PhoneListView::startDrag(Qt::DropActions /*supportedActions*/) {
    QMimeData* data = mimeData(selectedItems());
    if (!data) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

PhoneDropTarget::PhoneDropTarget(QTreeWidget* list) : QObject(list) {
    setObjectName("DragDropFilesPhone");
    list->setAcceptDrops(true);
    list->viewport()->setAcceptDrops(true);
    list->viewport()->installEventFilter(this);
}

QStringList PhoneDropTarget::AcceptableFiles(const QMimeData* data, bool fromThisProgram) {
    QStringList paths;
    if (fromThisProgram || !data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) paths.append(url.toLocalFile());
    return paths;
}

bool PhoneDropTarget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* e = static_cast<QDragMoveEvent*>(event);
            if (!AcceptableFiles(e->mimeData(), e->source() != nullptr).isEmpty() &&
                (e->possibleActions() & Qt::CopyAction)) {
                e->setDropAction(Qt::CopyAction);
                e->accept();
            } else {
                e->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* e = static_cast<QDropEvent*>(event);
            const QStringList paths = AcceptableFiles(e->mimeData(), e->source() != nullptr);
            if (paths.isEmpty() || !(e->possibleActions() & Qt::CopyAction)) {
                e->ignore();
                return true;
            }
            e->setDropAction(Qt::CopyAction);
            e->accept();
            emit FilesDropped(paths);
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}

}  // namespace q7k3
