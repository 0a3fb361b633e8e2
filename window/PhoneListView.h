#pragma once
// The phone pane's list (ListPhone): the folders and files of the current phone folder.
// Items can be dragged out (to the computer pane); files dropped from other programs are
// taken by the drop target DragDropFilesPhone.

#include <QObject>
#include <QStringList>
#include <QTreeWidget>

namespace q7k3 {

// MIME type of phone items dragged out of ListPhone: their names, UTF-8, one a line.
inline constexpr const char* kPhoneItemsMime = "application/x-q7k3-phone-items";

class PhoneListView : public QTreeWidget {
    Q_OBJECT
public:
    enum Role { kIsFileRole = Qt::UserRole + 1, kSizeRole };

    explicit PhoneListView(QWidget* parent = nullptr);

    // One row; `size` is shown only for files.
    QTreeWidgetItem* AddFolderItem(const QString& name);
    QTreeWidgetItem* AddFileItem(const QString& name, qint64 size);
    static bool IsFile(const QTreeWidgetItem* item);

    QStringList SelectedNames() const;
    // The names of the items, in list order (tests).
    QStringList Names() const;
    QTreeWidgetItem* FindItem(const QString& name) const;

signals:
    void Clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
    QStringList mimeTypes() const override;
};

// Accepts files dropped on ListPhone by another program (text/uri-list with local files),
// with the copy effect only. Drags that start in this program are refused.
class PhoneDropTarget : public QObject {
    Q_OBJECT
public:
    explicit PhoneDropTarget(QTreeWidget* list);

    // The local files named by a drop's data, or none when the drop is not acceptable.
    static QStringList AcceptableFiles(const QMimeData* data, bool fromThisProgram);

signals:
    void FilesDropped(const QStringList& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace q7k3
