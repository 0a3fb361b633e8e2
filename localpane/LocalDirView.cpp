#include "localpane/LocalDirView.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLocale>
#include <QMimeData>

#include "ui/Messages.h"

namespace q7k3 {
namespace {

enum Column { kName = 0, kSize = 1, kType = 2, kModified = 3 };

// ".." first, then folders, then files; names without regard to case.
class DirOrderProxy final : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        // The file model writes sizes in the system's language; the pane follows the
        // program's (QLocale's default).
        // Sizes are whole bytes, as in the phone pane ("775 байты" is not Russian).
        if (role == Qt::DisplayRole && (index.column() == kSize || index.column() == kType)) {
            auto* model = static_cast<QFileSystemModel*>(sourceModel());
            const QModelIndex source = mapToSource(index);
            const bool dir = model->isDir(source);
            if (index.column() == kSize && !dir) return QLocale().toString(model->size(source));
            if (index.column() == kType && dir) {
                const bool drive = QDir(model->filePath(source)).isRoot();
                return QString::fromStdString(
                    Caption("TForm1", drive ? "Source.driveType" : "Source.folderType"));
            }
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
        if (ln == QLatin1String("..") || rn == QLatin1String(".."))
            return ln == QLatin1String("..") && rn != QLatin1String("..");
        const bool ld = model->isDir(l);
        const bool rd = model->isDir(r);
        if (ld != rd) return ld;
        if (left.column() == kSize && !ld) {
            const qint64 ls = model->size(l);
            const qint64 rs = model->size(r);
            if (ls != rs) return ls < rs;
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

}  // namespace

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

LocalDirView::LocalDirView(QWidget* parent) : QTreeView(parent) {
    ConfigureFileList(*this);
    setDragDropMode(QAbstractItemView::DropOnly);
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
    QString p = StripTrailingSeparators(path);
    if (p.isEmpty()) p = QDir::rootPath();
    m_path = QDir::cleanPath(QFileInfo(p).absoluteFilePath());
    Read();
}

void LocalDirView::Reload() {
    if (!m_path.isEmpty()) Read();
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
    model->setOption(QFileSystemModel::DontWatchForChanges, true);
    model->setReadOnly(true);
    model->setFilter(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDot);
    model->setNameFilterDisables(false);
    m_loaded = false;
    connect(model, &QFileSystemModel::directoryLoaded, this, [this, model](const QString& dir) {
        if (model != m_model || QDir::cleanPath(dir) != m_path) return;
        m_loaded = true;
        if (m_proxy) m_proxy->sort(kName, Qt::AscendingOrder);
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
        connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this] { emit SelectionChanged(); });
        header()->resizeSection(kName, 220);
        header()->resizeSection(kSize, 80);
        header()->resizeSection(kType, 110);
        header()->setSectionsClickable(false);
    }
    const QModelIndex root = model->setRootPath(m_path);
    m_proxy->sort(kName, Qt::AscendingOrder);
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
        item.Size = item.IsDir ? 0 : m_model->size(source);
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
        QDir dir(m_path);
        if (dir.cdUp()) SetPath(dir.absolutePath());
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
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OpenIndex(currentIndex());
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Backspace) {
        QDir dir(m_path);
        if (dir.cdUp()) SetPath(dir.absolutePath());
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
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
