#pragma once
// The "F" button's menu: the favourite folders of the computer pane, a separator when
// there are any, then "Добавить текущую папку" and "Настроить".
//
// The main window keeps the lists (Favourites, loaded and saved with the settings) and
// connects the signals:
//   goToPath(path)       set the drive selector and the computer pane to `path`
//   addCurrentFolder()   AddFavourite(favs, input, <computer pane's folder>)
//   configure()          FavoritesDialog::EditFavourites()

#include <QObject>
#include <QString>

#include "base/Favourites.h"

class QAbstractButton;
class QAction;
class QMenu;

namespace q7k3 {

class InputBox;

class FavoritesMenu : public QObject {
    Q_OBJECT
public:
    // Takes over `menu`. Its last two actions are the add and set-up items; when it has
    // fewer, they are made with the catalogue's captions. The favourites are put in front
    // of them anew each time the menu is about to show.
    FavoritesMenu(QMenu* menu, const Favourites& favs, QObject* parent = nullptr);

    // The button pops the menu up when pressed (a tool button at once, on the press).
    void AttachTo(QAbstractButton* button);

    // Removes every item in front of the add and set-up items, then
    // inserts one item per favourite and, when there is any, a separator.
    void Rebuild();

    QAction* AddCurrentAction() const { return m_add; }
    QAction* SetupAction() const { return m_setup; }

signals:
    // A favourite was chosen: its full folder path (taken from the chosen item).
    void goToPath(const QString& path);
    void addCurrentFolder();
    void configure();

private:
    void Chosen(int index);

    QMenu* m_menu;
    const Favourites& m_favs;
    QAction* m_add = nullptr;
    QAction* m_setup = nullptr;
};

// "Add the current folder": asks for a short name (the input box captioned "Введите краткое
// наименование", the folder's path filled in) and appends the entry when the box was
// closed with OK and the name is not empty. True when an entry was added.
bool AddFavourite(Favourites& favs, InputBox& input, const QString& currentFolder);

}  // namespace q7k3
