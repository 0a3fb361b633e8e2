#pragma once
// The computer pane's directory view: one directory of the local file system, read by
// QFileSystemModel, with a ".." entry to go up, folders before files and several rows
// selectable. It lists what a "*.*" mask finds, hidden files included.

#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <QString>
#include <QStringList>
#include <QTreeView>

namespace q7k3 {

// The look both panes share: a flat report list, several whole rows selectable, no
// in-place editing, no sorting by the view (each pane orders its own rows).
void ConfigureFileList(QTreeView& view);

class LocalDirView : public QTreeView {
    Q_OBJECT
public:
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
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void Read();
    void OpenIndex(const QModelIndex& index);
    QModelIndex SourceIndex(int row) const;

    QFileSystemModel* m_model = nullptr;
    QSortFilterProxyModel* m_proxy = nullptr;
    QString m_path;
    QString m_dropFormat;
    bool m_loaded = false;
};

}  // namespace q7k3
