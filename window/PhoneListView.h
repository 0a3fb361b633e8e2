#pragma once
// The phone pane's list (ListPhone): the folders and files of the current phone folder.
// Items can be dragged out (to the computer pane); files dropped from other programs are
// taken by the drop target DragDropFilesPhone.

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QTreeWidget>

#include <string>
#include <vector>

#include "localpane/ListMarking.h"
#include "localpane/LocalDirView.h"

namespace q7k3 {

// MIME type of phone items dragged out of ListPhone: their names as the phone sent them
// (a QDataStream of QByteArrays, so that no byte of a name is lost or taken as a separator).
inline constexpr const char* kPhoneItemsMime = "application/x-q7k3-phone-items";

QByteArray EncodePhoneNames(const std::vector<std::string>& names);
std::vector<std::string> DecodePhoneNames(const QByteArray& data);

class PhoneListView : public QTreeWidget {
    Q_OBJECT
public:
    // Typing moves the cursor to the first name that begins so; the marks stay.
    void keyboardSearch(const QString& search) override;
    enum Role { kIsFileRole = Qt::UserRole + 1, kSizeRole, kRawNameRole, kDateRole };
    enum Column { kNameColumn = 0, kSizeColumn = 1, kDateColumn = 2 };

    explicit PhoneListView(QWidget* parent = nullptr);
    // The columns' titles; the size and date columns then take the width their widest
    // content and their titles need, and the size is never narrowed below it.
    void SetColumnTitles(const QStringList& titles);

    // One row; `size` and `date` (the phone's own, as it lists the file) are shown only
    // for files. `name` is the phone's own (UTF-8) name; the item keeps it byte for byte,
    // whatever the display makes of it.
    QTreeWidgetItem* AddFolderItem(const std::string& name);
    QTreeWidgetItem* AddFileItem(const std::string& name, qint64 size, const QDateTime& date = {});
    // A row of the window's own entries (a contact, a message): `key` stands for its name,
    // the texts fill the three columns. Commands take it as they take a file.
    QTreeWidgetItem* AddEntryItem(const std::string& key, const QStringList& texts);
    static bool IsFile(const QTreeWidgetItem* item);
    static std::string RawName(const QTreeWidgetItem* item);

    std::vector<std::string> SelectedNames() const;
    // The names of the items, in list order (tests).
    QStringList Names() const;
    QTreeWidgetItem* FindItem(const QString& name) const;
    // What a command takes: the marked items, or the current one when nothing is marked
    // (never "..").
    std::vector<std::string> TargetNames() const;

    ListMarking& Marking() { return m_marking; }
    // The rows in the phone's order (column -1) or by name (0), size (1) or date (2), ".."
    // and the folders on top in either direction; a header click sorts, a second click
    // reverses. The cursor and the marks stay on their items.
    void SortBy(int column, Qt::SortOrder order);
    int SortColumn() const { return m_sortColumn; }
    Qt::SortOrder SortOrder() const { return m_sortOrder; }
    // Puts the rows in the chosen order again (after the list has been filled).
    void ApplySort();

signals:
    void Clicked();
    // Enter on the focused item: the same as a double click.
    void Opened();
    // Backspace: the parent folder.
    void UpRequested();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
    QStringList mimeTypes() const override;
    void resizeEvent(QResizeEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    bool m_searching = false;  // inside keyboardSearch

private:
    ListMarking m_marking;
    NameColumnFit m_nameFit{*this};
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

// Accepts files dropped on ListPhone by another program (text/uri-list with local files),
// with the copy effect only. Drags that start in this program are refused.
class PhoneDropTarget : public QObject {
    Q_OBJECT
public:
    explicit PhoneDropTarget(QTreeWidget* list);

    // The local files named by a drop's data (from another program or the computer
    // pane), or none when the drop is not acceptable.
    static QStringList AcceptableFiles(const QMimeData* data);

signals:
    void FilesDropped(const QStringList& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace q7k3
