#pragma once
// The phone pane of the main window: the path line, the free-space line, the list of the
// session's current folder (ListPhone) and the selection line. Opening a folder (double
// click, Enter) and going up go through the session; the pane shows what it then holds.

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QFrame;
class QLabel;
class QMenu;
class QTreeWidgetItem;
class QWidget;

namespace q7k3 {

class PhoneDropTarget;
class PhoneListView;
class PhoneSession;

// The pane's controls; their object names are the ones the settings and tests know.
struct PhonePaneParts {
    QFrame* PhonePathPanel = nullptr;
    QLabel* PathPhone = nullptr;
    QFrame* PanelPhoneStatus = nullptr;
    QLabel* PhoneDiskStatus = nullptr;
    PhoneListView* ListPhone = nullptr;
    PhoneDropTarget* DragDropFilesPhone = nullptr;
    QLabel* StatusPhone = nullptr;
};

class PhonePane : public QObject, private PhonePaneParts {
    Q_OBJECT
public:
    // One row of the list: folders come first (as given), then files.
    struct Row {
        Row() = default;
        Row(std::string name, bool isFile, qint64 size, QDateTime date = {})
            : Name(std::move(name)), IsFile(isFile), Size(size), Date(std::move(date)) {}
        std::string Name;
        bool IsFile = false;
        qint64 Size = 0;
        QDateTime Date;  // as the phone lists the file
    };

    // One row of the window's own entries: its key (store and slot) and its three columns.
    struct EntryRow {
        std::string Key;
        QString Name, Second, Third;
    };

    // Builds the pane's controls inside `panel`.
    explicit PhonePane(QWidget* panel);

    // The pane's controls.
    PhoneListView* List() const { return ListPhone; }
    QLabel* PathLine() const { return PathPhone; }
    QLabel* FreeLine() const { return PhoneDiskStatus; }
    QLabel* StatusLine() const { return StatusPhone; }

    // The session whose folders are shown; none before the window is attached to its core.
    void SetSession(PhoneSession* session) { m_session = session; }

    // Fills the list in the chosen order; filling is not a selection by the user. The
    // cursor goes on the item named `focus` (the first row when absent), the items named
    // in `marks` are marked.
    void ShowRows(const QList<Row>& rows, const std::string& focus = {},
                  const std::vector<std::string>& marks = {});
    // Shows the session's current folder with its path and free space. The same folder
    // shown again keeps its cursor and the marks of the items still there; after going up
    // the cursor stands on the folder left, in another folder on the first row.
    void ShowCurrentFolder();
    // The root's own folders after the phone's ("Контакты", "Сообщения"); opening one is
    // said by EntryFolderOpened.
    std::function<QStringList()> RootEntryFolders;
    // Shows the entries of one of them under the root, with their column titles; ".." and
    // Backspace lead back to the root, and any folder of the phone shown ends it.
    void ShowEntries(const QString& folder, const QStringList& titles,
                     const QList<EntryRow>& rows);
    bool EntriesShown() const { return !m_entryFolder.isEmpty(); }
    // The pane without a tree: empty list, the path and free-space lines as at start, and
    // the line that says there is no phone.
    void ShowNoTree();
    bool NoPhoneShown() const;
    // The parent folder, with the cursor on the folder left (Backspace, "..").
    void GoUp();
    // The context menu for `item` (none: the empty part of the list). Its actions carry
    // the function key of their command (Command) or open the item.
    QMenu* ContextMenuFor(QTreeWidgetItem* item);
    // The first `count` selected items named in `names` lose their mark (what a command
    // took), and the selection line follows.
    void Deselect(const std::vector<std::string>& names, size_t count);
    // Folders lose their mark (the files' commands leave them alone).
    void DeselectFolders();
    // "<kb> Кб из <kb> Кб, файлов: <n> из <n>" of the list's files.
    QString SelectionText() const;
    QString PathText() const;
    // Double click or Enter on the focused item: a folder opens; a picture or a melody asks
    // for the preview (ViewRequested).
    void OpenCurrent();
    // The path line in the active or the inactive colour.
    void SetActive(bool active);

signals:
    void Activated();
    void ViewRequested();
    // A command chosen in the context menu, by its function key (Qt::Key_F3 ...).
    void Command(int key);
    // Local files another program dropped on the list.
    void FilesDropped(const QStringList& paths);
    // A folder of RootEntryFolders was opened.
    void EntryFolderOpened(const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PhoneSession* m_session = nullptr;
    QLabel* m_noPhone = nullptr;
    QString m_shownPath;
    QString m_entryFolder;  // the root's own folder shown, empty while the phone's are
    // Back to the phone's folders: their column titles again.
    void EndEntries();
    std::string m_focusAfterUp;
};

}  // namespace q7k3
