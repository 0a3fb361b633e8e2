#include "localpane/LocalDirView.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLocale>
#include <QMimeData>
#include <QResizeEvent>
#include <QStyle>
#include <algorithm>

#include "base/Messages.h"

namespace q7k3 {
namespace {

enum Column { kName = 0, kSize = 1, kType = 2, kModified = 3 };

// ".." first, then folders, then files; names without regard to case.
class DirOrderProxy final : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || index.column() == kName)
            return QSortFilterProxyModel::data(index, role);
        auto* model = static_cast<QFileSystemModel*>(sourceModel());
        const QModelIndex source = mapToSource(index);
        const bool dir = model->isDir(source);
        // The file model writes sizes and dates in the system's language; the pane follows
        // the program's. Sizes are whole bytes, as in the phone pane ("775 байты" is not
        // Russian), dates "31.12.2006 18:02" rather than "31 Dec 2006".
        // A symbolic link is shown as a link: the size of what it leads to (none when it
        // leads nowhere), never the file model's -1 and "Shortcut".
        const QFileInfo info = model->fileInfo(source);
        if (info.isSymLink()) {
            if (index.column() == kSize)
                return info.exists() && !dir ? QLocale().toString(info.size()) : QString();
            if (index.column() == kType)
                return QString::fromStdString(
                    Msg(info.exists() ? kMsgLinkType : kMsgBrokenLinkType));
        }
        if (index.column() == kSize && !dir) return QLocale().toString(model->size(source));
        if (index.column() == kModified) return PaneDateText(model->lastModified(source));
        if (index.column() == kType && dir) {
            const bool drive = QDir(model->filePath(source)).isRoot();
            return QString::fromStdString(
                Caption("TForm1", drive ? "Source.driveType" : "Source.folderType"));
        }
        return QSortFilterProxyModel::data(index, role);
    }

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override {
        auto* model = static_cast<QFileSystemModel*>(sourceModel());
        const QModelIndex l = left.siblingAtColumn(kName);
        const QModelIndex r = right.siblingAtColumn(kName);
        const QString ln = model->fileName(l);
        const QString rn = model->fileName(r);
        // ".." and then the folders stay on top in either order: the view reverses what
        // this says when it sorts downwards, so these answers are turned round with it.
        const bool up = sortOrder() == Qt::AscendingOrder;
        const bool lUp = ln == QLatin1String("..");
        const bool rUp = rn == QLatin1String("..");
        if (lUp || rUp) return up ? (lUp && !rUp) : (rUp && !lUp);
        const bool ld = model->isDir(l);
        const bool rd = model->isDir(r);
        if (ld != rd) return up ? ld : rd;
        switch (left.column()) {
            case kSize:
                if (!ld && model->size(l) != model->size(r)) return model->size(l) < model->size(r);
                break;
            case kType: {
                const int byType = model->type(l).compare(model->type(r), Qt::CaseInsensitive);
                if (byType != 0) return byType < 0;
                break;
            }
            case kModified: {
                const QDateTime lt = model->lastModified(l);
                const QDateTime rt = model->lastModified(r);
                if (lt != rt) return lt < rt;
                break;
            }
            default:
                break;
        }
        const int byName = ln.compare(rn, Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : ln < rn;
    }

    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        auto* model = static_cast<QFileSystemModel*>(sourceModel());
        const QModelIndex index = model->index(row, kName, parent);
        if (model->fileName(index) != QLatin1String("..")) return true;
        // The root has nowhere to go up to.
        return !QDir(model->filePath(parent)).isRoot();
    }
};

// The theme's icons where it has them, the style's drawn folder and file where it has none
// (the phone pane draws the same ones). The model asks from its reading thread, so the
// drawn icons are made once, beforehand, in the window's thread.
class PaneIconProvider final : public QFileIconProvider {
public:
    PaneIconProvider()
        : m_dir(QApplication::style()->standardIcon(QStyle::SP_DirIcon)),
          m_file(QApplication::style()->standardIcon(QStyle::SP_FileIcon)) {}
    QIcon icon(const QFileInfo& info) const override {
        QIcon themed = QFileIconProvider::icon(info);
        if (!themed.isNull() && !themed.availableSizes().isEmpty()) return themed;
        return info.isDir() ? m_dir : m_file;
    }
    QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }

private:
    const QIcon m_dir;
    const QIcon m_file;
};

}  // namespace

NameColumnFit::NameColumnFit(QTreeView& view, int minimum) : m_view(view), m_minimum(minimum) {
    // A column the user drags keeps its new width as the one it wants.
    m_watch = QObject::connect(view.header(), &QHeaderView::sectionResized, view.header(),
                               [this](int section, int, int size) {
                                   if (section > 0 && !m_fitting && section < m_wanted.size())
                                       m_wanted[section] = size;
                               });
}

NameColumnFit::~NameColumnFit() {
    QObject::disconnect(m_watch);
}

void NameColumnFit::KeepWhole(int column, int width) {
    while (m_whole.size() <= column) m_whole << 0;
    m_whole[column] = width;
}

void NameColumnFit::Fit() {
    QHeaderView* header = m_view.header();
    const int count = header->count();
    // The widths the columns were set up with, taken once they exist.
    if (m_wanted.size() != count) {
        m_wanted.clear();
        for (int i = 0; i < count; ++i) m_wanted << header->sectionSize(i);
    }
    const int width = m_view.viewport()->width();
    // The columns kept whole take their width first; the others share what is left.
    int others = 0, kept = 0, flexible = 0;
    for (int i = 1; i < count; ++i) {
        if (header->isSectionHidden(i)) continue;
        others += m_wanted[i];
        if (m_whole.value(i) > 0)
            kept += std::max(m_wanted[i], m_whole.value(i));
        else
            flexible += m_wanted[i];
    }
    const int room = std::max(0, width - m_minimum);
    const int flexRoom = std::max(0, room - kept);
    constexpr int kNarrowest = 40;
    m_fitting = true;
    int used = 0;
    for (int i = 1; i < count; ++i) {
        if (header->isSectionHidden(i)) continue;
        int size = m_wanted[i];
        if (others > room) {
            size = m_whole.value(i) > 0
                       ? std::max(m_wanted[i], m_whole.value(i))
                       : std::max(kNarrowest, flexible > 0 ? m_wanted[i] * flexRoom / flexible : 0);
        }
        header->resizeSection(i, size);
        used += size;
    }
    // Rounding up to the narrowest widths may leave the name a little under its minimum;
    // only a pane too narrow for even that scrolls sideways.
    header->resizeSection(0, std::max(std::min(m_minimum, 2 * kNarrowest), width - used));
    m_fitting = false;
}

int ColumnWidthFor(const QTreeView& view, int column, const QString& sample) {
    const QFontMetrics metrics = view.fontMetrics();
    const QString title =
        view.model() ? view.model()->headerData(column, Qt::Horizontal).toString() : QString();
    // The cell's margins, and on the header the sort arrow beside the title.
    const int cell = metrics.horizontalAdvance(sample) + 16;
    const int head = metrics.horizontalAdvance(title) + 16 +
                     view.style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, &view);
    return std::max(cell, head);
}

QString PaneDateText(const QDateTime& date) {
    return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy hh:mm")) : QString();
}

void ConfigureFileList(QTreeView& view) {
    view.setRootIsDecorated(false);
    view.setItemsExpandable(false);
    view.setUniformRowHeights(true);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setSortingEnabled(false);
    view.setAllColumnsShowFocus(true);
    view.setDefaultDropAction(Qt::CopyAction);
}

LocalDirView::LocalDirView(QWidget* parent)
    : QTreeView(parent), m_marking(*this, [this](int row) {
          const QModelIndex source = SourceIndex(row);
          ListMarking::Row info;
          info.Name = m_model->fileName(source);
          info.IsUp = info.Name == QLatin1String("..");
          info.IsFile = !m_model->isDir(source);
          return info;
      }) {
    ConfigureFileList(*this);
    header()->setStretchLastSection(false);
    // Files drag out (onto the phone list, or another program) and phone items drop in.
    setDragDropMode(QAbstractItemView::DragDrop);
    setDragEnabled(true);
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { OpenIndex(index); });
}

QString LocalDirView::StripTrailingSeparators(const QString& path) {
    QString p = QDir::fromNativeSeparators(path);
    while (p.size() > 1 && p.endsWith(QLatin1Char('/'))) p.chop(1);
    // "C:" alone is a drive's current directory, not its root.
    if (p.size() == 2 && p[1] == QLatin1Char(':')) p += QLatin1Char('/');
    return p;
}

void LocalDirView::SetPath(const QString& path) {
    ReadKeeping(path, QString(), {});
}

void LocalDirView::ReadKeeping(const QString& path, const QString& focus,
                               const QStringList& marks) {
    QString p = StripTrailingSeparators(path);
    if (p.isEmpty()) p = QDir::rootPath();
    m_path = QDir::cleanPath(QFileInfo(p).absoluteFilePath());
    m_focusAfterRead = focus;
    m_marksAfterRead = marks;
    Read();
}

void LocalDirView::Reload() {
    if (m_path.isEmpty()) return;
    QStringList marks;
    for (const Item& item : Items())
        if (item.Selected) marks.append(item.Name);
    ReadKeeping(m_path, CurrentName(), marks);
}

void LocalDirView::GoUp() {
    QDir dir(m_path);
    const QString left = dir.dirName();
    if (dir.cdUp()) ReadKeeping(dir.absolutePath(), left, {});
}

void LocalDirView::ApplyPlace() {
    const QString focus = m_focusAfterRead;
    const QStringList marks = m_marksAfterRead;
    m_focusAfterRead.clear();
    m_marksAfterRead.clear();
    if (!m_proxy || !selectionModel()) return;
    {
        // Marks given back are no choice of the user's: the pane is not made active by
        // them (DirectoryRead brings the status line up to date).
        const QSignalBlocker block(selectionModel());
        const int rows = m_proxy->rowCount(rootIndex());
        for (int row = 0; row < rows && !marks.isEmpty(); ++row) {
            if (!marks.contains(m_model->fileName(SourceIndex(row)))) continue;
            selectionModel()->select(m_proxy->index(row, kName, rootIndex()),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    viewport()->update();
    if (!SetCurrentName(focus) && m_proxy->rowCount(rootIndex()) > 0) {
        const QModelIndex first = m_proxy->index(0, kName, rootIndex());
        selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
        scrollTo(first);
    }
}

QString LocalDirView::CurrentName() const {
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !m_proxy || current.parent() != rootIndex()) return QString();
    return m_model->fileName(SourceIndex(current.row()));
}

bool LocalDirView::SetCurrentName(const QString& name) {
    if (name.isEmpty() || !m_proxy) return false;
    const int rows = m_proxy->rowCount(rootIndex());
    for (int row = 0; row < rows; ++row) {
        if (m_model->fileName(SourceIndex(row)) != name) continue;
        const QModelIndex index = m_proxy->index(row, kName, rootIndex());
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        scrollTo(index);
        return true;
    }
    return false;
}

QStringList LocalDirView::TargetPaths() const {
    QStringList paths = SelectedPaths();
    if (!paths.isEmpty()) return paths;
    const QString current = CurrentName();
    if (!current.isEmpty() && current != QLatin1String(".."))
        paths.append(QDir(m_path).filePath(current));
    return paths;
}

void LocalDirView::Unmark(const QStringList& paths) {
    if (!m_proxy) return;
    const int rows = m_proxy->rowCount(rootIndex());
    for (int row = 0; row < rows; ++row) {
        if (!paths.contains(m_model->filePath(SourceIndex(row)))) continue;
        selectionModel()->select(m_proxy->index(row, kName, rootIndex()),
                                 QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
}

void LocalDirView::SortBy(int column, Qt::SortOrder order) {
    m_sortColumn = column;
    m_sortOrder = order;
    {
        const QSignalBlocker block(header());
        header()->setSortIndicator(column, order);
    }
    const QString current = CurrentName();
    if (m_proxy) m_proxy->sort(column, order);
    SetCurrentName(current);
}

void LocalDirView::Read() {
    // A directory removed since it was shown (or a remembered one that is gone) would read
    // as an empty pane without even ".." to leave it: the nearest one that exists is read.
    while (!QFileInfo(m_path).isDir()) {
        const QString up = QDir::cleanPath(QFileInfo(m_path).absolutePath());
        if (up == m_path) {
            m_path = QDir::rootPath();
            break;
        }
        m_path = up;
    }
    // A fresh model for every read: QFileSystemModel keeps what it has gathered and would
    // not read a directory again, and the pane does not watch for changes.
    auto* model = new QFileSystemModel(this);
    // One for the program's whole run: a model's reading thread may still ask it while
    // the model is being deleted.
    static auto* const icons = new PaneIconProvider;
    model->setIconProvider(icons);
    model->setOption(QFileSystemModel::DontWatchForChanges, true);
    model->setReadOnly(true);
    model->setFilter(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDot);
    model->setNameFilterDisables(false);
    m_loaded = false;
    connect(model, &QFileSystemModel::directoryLoaded, this, [this, model](const QString& dir) {
        if (model != m_model || QDir::cleanPath(dir) != m_path) return;
        m_loaded = true;
        if (m_proxy) m_proxy->sort(m_sortColumn, m_sortOrder);
        ApplyPlace();
        emit DirectoryRead(m_path);
    });

    QFileSystemModel* old = m_model;
    m_model = model;
    if (!m_proxy) {
        m_proxy = new DirOrderProxy(this);
        m_proxy->setDynamicSortFilter(true);
    }
    m_proxy->setSourceModel(model);
    if (!selectionModel() || selectionModel()->model() != m_proxy) {
        QItemSelectionModel* oldSelection = selectionModel();
        setModel(m_proxy);
        delete oldSelection;
        connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
            m_marking.DropUpEntry();
            emit SelectionChanged();
        });
        // Sizes and dates whole; a long type may be shortened.
        const int sizeWidth = ColumnWidthFor(*this, kSize, QLocale().toString(999999999));
        header()->resizeSection(kSize, sizeWidth);
        header()->resizeSection(kType, 140);
        header()->resizeSection(kModified, ColumnWidthFor(*this, kModified, kWidestDate));
        m_nameFit.KeepWhole(kSize, sizeWidth);
        header()->setSectionsClickable(true);
        header()->setSortIndicatorShown(true);
        header()->setSortIndicator(m_sortColumn, m_sortOrder);
        // A click sorts by the column; a second click on it reverses the order.
        connect(header(), &QHeaderView::sortIndicatorChanged, this,
                [this](int column, Qt::SortOrder order) { SortBy(column, order); });
        m_nameFit.Fit();
    }
    const QModelIndex root = model->setRootPath(m_path);
    m_proxy->sort(m_sortColumn, m_sortOrder);
    setRootIndex(m_proxy->mapFromSource(root));
    if (old) old->deleteLater();
}

QModelIndex LocalDirView::SourceIndex(int row) const {
    return m_proxy->mapToSource(m_proxy->index(row, kName, rootIndex()));
}

QList<LocalDirView::Item> LocalDirView::Items() const {
    QList<Item> items;
    if (!m_proxy) return items;
    const int rows = m_proxy->rowCount(rootIndex());
    for (int row = 0; row < rows; ++row) {
        const QModelIndex source = SourceIndex(row);
        const QString name = m_model->fileName(source);
        if (name == QLatin1String("..")) continue;
        Item item;
        item.Name = name;
        item.FullPath = m_model->filePath(source);
        item.IsDir = m_model->isDir(source);
        // A link that leads nowhere has no size (the file model says -1).
        item.Size = item.IsDir ? 0 : std::max<qint64>(0, m_model->size(source));
        item.Selected = selectionModel()->isRowSelected(row, rootIndex());
        items.append(item);
    }
    return items;
}

int LocalDirView::SelectedCount() const {
    int n = 0;
    for (const Item& item : Items()) n += item.Selected ? 1 : 0;
    return n;
}

int LocalDirView::FileCount() const {
    int n = 0;
    for (const Item& item : Items()) n += item.IsDir ? 0 : 1;
    return n;
}

qint64 LocalDirView::TotalFileBytes() const {
    qint64 sum = 0;
    for (const Item& item : Items()) sum += item.IsDir ? 0 : item.Size;
    return sum;
}

qint64 LocalDirView::SelectedFileBytes() const {
    qint64 sum = 0;
    for (const Item& item : Items()) sum += (item.Selected && !item.IsDir) ? item.Size : 0;
    return sum;
}

QStringList LocalDirView::SelectedPaths() const {
    QStringList paths;
    for (const Item& item : Items())
        if (item.Selected) paths.append(item.FullPath);
    return paths;
}

bool LocalDirView::SelectName(const QString& name, bool add) {
    if (!m_proxy) return false;
    const int rows = m_proxy->rowCount(rootIndex());
    for (int row = 0; row < rows; ++row) {
        if (m_model->fileName(SourceIndex(row)) != name) continue;
        const QModelIndex index = m_proxy->index(row, kName, rootIndex());
        auto flags = QItemSelectionModel::Rows |
                     (add ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect);
        selectionModel()->setCurrentIndex(index, flags);
        return true;
    }
    return false;
}

void LocalDirView::OpenIndex(const QModelIndex& index) {
    if (!index.isValid() || !m_model) return;
    const QModelIndex source = m_proxy->mapToSource(index.siblingAtColumn(kName));
    const QString name = m_model->fileName(source);
    if (name == QLatin1String("..")) {
        GoUp();
    } else if (m_model->isDir(source)) {
        // A folder that cannot be listed would show an empty pane without a way back up;
        // the pane stays where it is.
        const QFileInfo folder(m_model->filePath(source));
        if (folder.isReadable() && folder.isExecutable()) SetPath(folder.filePath());
    }
}

void LocalDirView::mousePressEvent(QMouseEvent* event) {
    emit Clicked();
    QTreeView::mousePressEvent(event);
}

void LocalDirView::keyPressEvent(QKeyEvent* event) {
    if (m_marking.HandleKey(event)) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OpenIndex(currentIndex());
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Backspace) {
        GoUp();
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void LocalDirView::keyboardSearch(const QString& search) {
    m_searching = true;
    QTreeView::keyboardSearch(search);
    m_searching = false;
}

QItemSelectionModel::SelectionFlags LocalDirView::selectionCommand(const QModelIndex& index,
                                                                   const QEvent* event) const {
    // The cursor moves over the marks without changing them, by key or by quick search.
    if (m_searching || ListMarking::KeepsMarks(event)) return QItemSelectionModel::NoUpdate;
    return QTreeView::selectionCommand(index, event);
}

void LocalDirView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    m_nameFit.Fit();
}

void LocalDirView::startDrag(Qt::DropActions /*supportedActions*/) {
    // A copy only: a move dropped on another program would take the files away.
    QTreeView::startDrag(Qt::CopyAction);
}

void LocalDirView::dragEnterEvent(QDragEnterEvent* event) {
    if (!m_dropFormat.isEmpty() && event->mimeData()->hasFormat(m_dropFormat)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void LocalDirView::dragMoveEvent(QDragMoveEvent* event) {
    if (!m_dropFormat.isEmpty() && event->mimeData()->hasFormat(m_dropFormat)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void LocalDirView::dropEvent(QDropEvent* event) {
    if (m_dropFormat.isEmpty() || !event->mimeData()->hasFormat(m_dropFormat)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit DataDropped(event->mimeData()->data(m_dropFormat));
}

}  // namespace q7k3
