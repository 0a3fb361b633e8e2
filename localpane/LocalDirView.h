#pragma once
// The computer pane's directory view: one directory of the local file system, read by
// QFileSystemModel, with a ".." entry to go up, folders before files and several rows
// selectable. It lists what a "*.*" mask finds, hidden files included.

#include <QDateTime>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <QString>
#include <QStringList>
#include <QTreeView>

#include "localpane/ListMarking.h"

namespace q7k3 {

// The look both panes share: a flat report list, several whole rows selectable, no
// in-place editing, no sorting by the view (each pane orders its own rows).
void ConfigureFileList(QTreeView& view);
// The name column takes the width the other columns leave, but never less than `minimum`;
// where that leaves too little, the other columns give up width in proportion (down to a
// narrowest width) and get it back in a wider view. Fit runs on every resize of the view.
class NameColumnFit {
public:
    explicit NameColumnFit(QTreeView& view, int minimum = 120);
    ~NameColumnFit();
    NameColumnFit(const NameColumnFit&) = delete;
    NameColumnFit& operator=(const NameColumnFit&) = delete;
    void Fit();
    // A column that never gives up width below `width` (sizes: a number is never cut).
    void KeepWhole(int column, int width);

private:
    QTreeView& m_view;
    const int m_minimum;
    QList<int> m_whole;   // each column's least width; 0 where it may narrow freely
    QList<int> m_wanted;  // each column's own width: as set up, or as the user dragged it
    bool m_fitting = false;
    QMetaObject::Connection m_watch;
};

// The width a column needs to show `sample` (its widest content) and its header whole.
int ColumnWidthFor(const QTreeView& view, int column, const QString& sample);
// Dates in both panes: "31.12.2006 18:02", as a Russian desktop writes them.
QString PaneDateText(const QDateTime& date);
// The widest sizes and dates a pane shows, for ColumnWidthFor.
inline constexpr const char* kWidestSize = "999 999 999";
inline constexpr const char* kWidestDate = "00.00.0000 00:00";

class LocalDirView : public QTreeView {
    Q_OBJECT
public:
    // Typing moves the cursor to the first name that begins so; the marks stay.
    void keyboardSearch(const QString& search) override;
    struct Item {
        QString Name;
        QString FullPath;
        bool IsDir = false;
        qint64 Size = 0;
        bool Selected = false;
    };

    explicit LocalDirView(QWidget* parent = nullptr);

    // The directory shown, without a trailing separator (the root alone stays "/").
    QString Path() const { return m_path; }
    // Strips trailing separators and reads the new directory. DirectoryRead follows once
    // the read has finished.
    void SetPath(const QString& path);
    // Reads the current directory again.
    void Reload();
    // True once the last read has finished.
    bool Loaded() const { return m_loaded; }

    // The items of the directory in view order, without the ".." entry.
    QList<Item> Items() const;
    int SelectedCount() const;
    int FileCount() const;
    qint64 TotalFileBytes() const;
    qint64 SelectedFileBytes() const;
    QStringList SelectedPaths() const;

    // Selects the item named `name` (tests, and the window after a copy). False if absent.
    bool SelectName(const QString& name, bool add = false);
    // The cursor's item name ("" when none); the cursor put on `name` without marking.
    QString CurrentName() const;
    bool SetCurrentName(const QString& name);
    // What a command takes: the marked items, or the current one when nothing is marked
    // (never "..").
    QStringList TargetPaths() const;
    // Goes to the parent directory with the cursor on the folder left.
    void GoUp();
    // Unmarks the items whose full paths are given.
    void Unmark(const QStringList& paths);

    ListMarking& Marking() { return m_marking; }
    // The column and order the rows are sorted by (a header click changes them; ".." and
    // the folders stay on top).
    int SortColumn() const { return m_sortColumn; }
    Qt::SortOrder SortOrder() const { return m_sortOrder; }
    void SortBy(int column, Qt::SortOrder order);

    // Drags of this MIME type (the phone pane's items) are accepted and delivered as
    // DataDropped; everything else is refused.
    void SetDropFormat(const QString& mimeType) { m_dropFormat = mimeType; }

    static QString StripTrailingSeparators(const QString& path);

signals:
    void Clicked();
    void SelectionChanged();
    void DirectoryRead(const QString& path);
    void DataDropped(const QByteArray& data);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    bool m_searching = false;  // inside keyboardSearch

private:
    // Reads `path`; once read, the cursor goes on `focus` (the first row when empty or
    // absent) and the items named in `marks` are marked again.
    void ReadKeeping(const QString& path, const QString& focus, const QStringList& marks);
    void ApplyPlace();
    void Read();
    void OpenIndex(const QModelIndex& index);
    QModelIndex SourceIndex(int row) const;

    QFileSystemModel* m_model = nullptr;
    QSortFilterProxyModel* m_proxy = nullptr;
    QString m_path;
    QString m_dropFormat;
    bool m_loaded = false;
    QString m_focusAfterRead;
    QStringList m_marksAfterRead;
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    ListMarking m_marking;
    NameColumnFit m_nameFit{*this};
};

}  // namespace q7k3
