#include "window/PhoneListView.h"

#include <QApplication>
#include <QDataStream>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QMimeData>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QStyle>
#include <QUrl>

#include <algorithm>

#include "localpane/LocalDirView.h"

namespace q7k3 {

PhoneListView::PhoneListView(QWidget* parent)
    : QTreeWidget(parent), m_marking(*this, [this](int row) {
          const QTreeWidgetItem* item = topLevelItem(row);
          ListMarking::Row info;
          info.Name = item->text(0);
          info.IsUp = RawName(item) == "..";
          info.IsFile = IsFile(item);
          return info;
      }) {
    setColumnCount(3);
    ConfigureFileList(*this);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    header()->setStretchLastSection(false);
    header()->resizeSection(kNameColumn, 270);
    header()->resizeSection(kSizeColumn, 70);
    header()->resizeSection(kDateColumn, 110);
    // No arrow while the rows stand in the phone's order; a click sorts by its column.
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(-1, Qt::AscendingOrder);
    connect(header(), &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder order) { SortBy(column, order); });
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] { m_marking.DropUpEntry(); });
}

void PhoneListView::SetColumnTitles(const QStringList& titles) {
    setHeaderLabels(titles);
    headerItem()->setTextAlignment(kSizeColumn, Qt::AlignRight | Qt::AlignVCenter);
    // No phone file reaches 100 MB: eight digits are the widest size.
    const int size = ColumnWidthFor(*this, kSizeColumn, QLocale().toString(99999999));
    header()->resizeSection(kSizeColumn, size);
    header()->resizeSection(kDateColumn, ColumnWidthFor(*this, kDateColumn, kWidestDate));
    m_nameFit.KeepWhole(kSizeColumn, size);
    m_nameFit.Fit();
}

void PhoneListView::SortBy(int column, Qt::SortOrder order) {
    m_sortColumn = column;
    m_sortOrder = order;
    {
        const QSignalBlocker block(header());
        header()->setSortIndicator(column, order);
    }
    ApplySort();
}

void PhoneListView::ApplySort() {
    if (m_sortColumn < 0 || topLevelItemCount() == 0) return;
    QTreeWidgetItem* current = currentItem();
    const QList<QTreeWidgetItem*> marked = selectedItems();
    QList<QTreeWidgetItem*> items;
    {
        const QSignalBlocker block(this);
        while (topLevelItemCount() > 0) items.append(takeTopLevelItem(0));
    }
    auto rank = [](const QTreeWidgetItem* item) {
        return RawName(item) == ".." ? 0 : IsFile(item) ? 2 : 1;
    };
    const int column = m_sortColumn;
    const bool up = m_sortOrder == Qt::AscendingOrder;
    std::stable_sort(items.begin(), items.end(), [&](QTreeWidgetItem* a, QTreeWidgetItem* b) {
        if (rank(a) != rank(b)) return rank(a) < rank(b);
        int order = 0;
        if (column == kSizeColumn) {
            const qint64 sa = a->data(0, kSizeRole).toLongLong();
            const qint64 sb = b->data(0, kSizeRole).toLongLong();
            order = sa < sb ? -1 : sa > sb ? 1 : 0;
        } else if (column == kDateColumn) {
            const QDateTime da = a->data(0, kDateRole).toDateTime();
            const QDateTime db = b->data(0, kDateRole).toDateTime();
            order = da < db ? -1 : db < da ? 1 : 0;
        }
        if (order == 0) order = a->text(0).compare(b->text(0), Qt::CaseInsensitive);
        return up ? order < 0 : order > 0;
    });
    const QSignalBlocker block(this);
    addTopLevelItems(items);
    for (QTreeWidgetItem* item : marked) item->setSelected(true);
    if (current) setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
}

std::vector<std::string> PhoneListView::TargetNames() const {
    std::vector<std::string> names = SelectedNames();
    const QTreeWidgetItem* current = currentItem();
    if (names.empty() && current && RawName(current) != "..") names.push_back(RawName(current));
    return names;
}

void PhoneListView::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    m_nameFit.Fit();
}

void PhoneListView::keyboardSearch(const QString& search) {
    m_searching = true;
    QTreeWidget::keyboardSearch(search);
    m_searching = false;
}

QItemSelectionModel::SelectionFlags PhoneListView::selectionCommand(const QModelIndex& index,
                                                                    const QEvent* event) const {
    // The cursor moves over the marks without changing them, by key or by quick search.
    if (m_searching || ListMarking::KeepsMarks(event)) return QItemSelectionModel::NoUpdate;
    return QTreeWidget::selectionCommand(index, event);
}

QByteArray EncodePhoneNames(const std::vector<std::string>& names) {
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out << quint32(names.size());
    for (const std::string& name : names) out << QByteArray::fromStdString(name);
    return data;
}

std::vector<std::string> DecodePhoneNames(const QByteArray& data) {
    std::vector<std::string> names;
    QDataStream in(data);
    quint32 count = 0;
    in >> count;
    // The data may come from anywhere: every name must actually be there.
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        QByteArray name;
        in >> name;
        if (in.status() != QDataStream::Ok) break;
        if (!name.isEmpty()) names.push_back(name.toStdString());
    }
    return names;
}

QTreeWidgetItem* PhoneListView::AddFolderItem(const std::string& name) {
    auto* item = new QTreeWidgetItem(this);
    item->setText(0, QString::fromStdString(name));
    item->setData(0, kRawNameRole, QByteArray::fromStdString(name));
    item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    item->setData(0, kIsFileRole, false);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
    return item;
}

QTreeWidgetItem* PhoneListView::AddFileItem(const std::string& name, qint64 size,
                                            const QDateTime& date) {
    auto* item = new QTreeWidgetItem(this);
    item->setText(0, QString::fromStdString(name));
    item->setData(0, kRawNameRole, QByteArray::fromStdString(name));
    // Written as the computer pane writes sizes: "12 345" in Russian.
    item->setText(kSizeColumn, QLocale().toString(size));
    item->setTextAlignment(kSizeColumn, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(kDateColumn, PaneDateText(date));
    item->setData(0, kDateRole, date);
    item->setIcon(0, style()->standardIcon(QStyle::SP_FileIcon));
    item->setData(0, kIsFileRole, true);
    item->setData(0, kSizeRole, size);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
    return item;
}

QTreeWidgetItem* PhoneListView::AddEntryItem(const std::string& key, const QStringList& texts) {
    auto* item = new QTreeWidgetItem(this);
    for (int column = 0; column < texts.size() && column < columnCount(); ++column)
        item->setText(column, texts[column]);
    item->setData(0, kRawNameRole, QByteArray::fromStdString(key));
    item->setIcon(0, style()->standardIcon(QStyle::SP_FileIcon));
    item->setData(0, kIsFileRole, true);
    item->setData(0, kSizeRole, 0);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

bool PhoneListView::IsFile(const QTreeWidgetItem* item) {
    return item && item->data(0, kIsFileRole).toBool();
}

std::string PhoneListView::RawName(const QTreeWidgetItem* item) {
    return item ? item->data(0, kRawNameRole).toByteArray().toStdString() : std::string();
}

std::vector<std::string> PhoneListView::SelectedNames() const {
    std::vector<std::string> names;
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->isSelected()) names.push_back(RawName(topLevelItem(i)));
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

void PhoneListView::keyPressEvent(QKeyEvent* event) {
    if (m_marking.HandleKey(event)) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit Opened();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier) {
        emit UpRequested();
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

QStringList PhoneListView::mimeTypes() const {
    return {QString::fromLatin1(kPhoneItemsMime)};
}

QMimeData* PhoneListView::mimeData(const QList<QTreeWidgetItem*>& items) const {
    std::vector<std::string> names;
    for (const QTreeWidgetItem* item : items)
        if (RawName(item) != "..") names.push_back(RawName(item));
    if (names.empty()) return nullptr;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kPhoneItemsMime), EncodePhoneNames(names));
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

QStringList PhoneDropTarget::AcceptableFiles(const QMimeData* data) {
    QStringList paths;
    // Files from the computer pane come as from any other program; the phone list's own
    // items carry no file addresses and are not taken back.
    if (!data || !data->hasUrls() || data->hasFormat(QString::fromLatin1(kPhoneItemsMime)))
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) paths.append(url.toLocalFile());
    return paths;
}

bool PhoneDropTarget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* e = static_cast<QDragMoveEvent*>(event);
            if (!AcceptableFiles(e->mimeData()).isEmpty() &&
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
            const QStringList paths = AcceptableFiles(e->mimeData());
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
