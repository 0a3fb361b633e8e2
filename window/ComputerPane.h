#pragma once
// The computer pane of the main window: the path line, the free-space line with the "F"
// favourites button and the drive box, the directory list (DirList) and the selection line.

#include <QModelIndex>
#include <QObject>
#include <QString>

#include <functional>
#include <string>
#include <vector>

class QFrame;
class QLabel;
class QMenu;
class QAction;
class QToolButton;
class QWidget;

namespace q7k3 {

class DriveComboBox;
class FavoritesMenu;
class InputBox;
class LocalDirView;
class FavoritesDialog;
struct Favourites;

// The pane's controls; their object names are the ones the settings and tests know.
struct ComputerPaneParts {
    QFrame* CompPathPanel = nullptr;
    QLabel* PathComp = nullptr;
    QFrame* PanelCompStatus = nullptr;
    QLabel* DiskStatus = nullptr;
    QToolButton* FavoritesBtn = nullptr;
    QMenu* FavPopupMenu = nullptr;
    QAction* AddCurrentItem = nullptr;
    QAction* SetupItem = nullptr;
    DriveComboBox* DrivesComboBox = nullptr;
    LocalDirView* DirList = nullptr;
    QLabel* StatusComp = nullptr;
};

class ComputerPane : public QObject, private ComputerPaneParts {
    Q_OBJECT
public:
    // Builds the pane's controls inside `panel`.
    explicit ComputerPane(QWidget* panel);

    // The pane's controls.
    LocalDirView* List() const { return DirList; }
    QLabel* PathLine() const { return PathComp; }
    QLabel* FreeLine() const { return DiskStatus; }
    QLabel* StatusLine() const { return StatusComp; }
    DriveComboBox* Drives() const { return DrivesComboBox; }
    QToolButton* FavouritesButton() const { return FavoritesBtn; }
    QMenu* FavouritesPopup() const { return FavPopupMenu; }
    QAction* AddCurrentAction() const { return AddCurrentItem; }

    // The "F" button's menu over the favourite folders `favs`; `input` asks for a name,
    // `window` parents the list's editor.
    void AttachFavourites(Favourites& favs, InputBox& input, QWidget* window);
    FavoritesMenu* Favorites() const { return m_favoritesMenu; }
    FavoritesDialog* FavouritesEditor() const { return m_favouritesEditor; }

    // "<kb> Кб из <kb> Кб, файлов: <n> из <n>": both counts are of files.
    QString SelectionText() const;
    // The free and total space of the drive shown.
    QString DriveFreeText() const;
    // The selection and free-space lines written again.
    void UpdateStatus();
    // Shows `path` (trailing separators stripped), with its drive selected.
    void SetPath(const QString& path);
    // The directory read again.
    void Reload();
    // The path line in the active or the inactive colour.
    void SetActive(bool active);
    // The context menu for the row at `index` (invalid: the empty part of the list).
    QMenu* ContextMenuFor(const QModelIndex& index);
    // Opens a file or folder with the desktop's own program (a seam for tests).
    std::function<void(const QString& path)> OpenWithDesktop;

signals:
    // A command chosen in the context menu, by its function key (Qt::Key_F3 ...).
    void Command(int key);
    // The user clicked into the pane.
    void Activated();
    // Phone items dropped on the list, their names as the phone sent them.
    void PhoneItemsDropped(const std::vector<std::string>& names);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_panel = nullptr;  // takes the drops the list's neighbours do not
    FavoritesMenu* m_favoritesMenu = nullptr;
    FavoritesDialog* m_favouritesEditor = nullptr;
};

}  // namespace q7k3
