#pragma once
// The favourites editor, "Favorites Настройки": the display names in a list, each with
// its path under it; a selected entry is deleted or given another display name (its path
// never changes). "Закрыть", Escape and the title bar's close end it.
//
// The main window makes it once and opens it with EditFavourites() when the favourites
// menu's configure() fires.

#include <QDialog>

#include "base/Favourites.h"

class QListWidget;
class QPushButton;

namespace q7k3 {

class InputBox;

class FavoritesDialog : public QDialog {
    Q_OBJECT
public:
    // `input` is the rename dialog as an input box; both outlive the editor.
    FavoritesDialog(Favourites& favs, InputBox& input, QWidget* mainWindow = nullptr);

    // Refills the list from the favourites and shows the editor modally.
    int EditFavourites();
    // Fills the list with the display names, in order.
    void FormCreate();
    void DeleteFavBtnClick();
    void RenameFavBtnClick();

    QListWidget* FavList;
    QPushButton* DeleteFavBtn;
    QPushButton* RenameFavBtn;
    QPushButton* CloseFavBtn;

private:
    // The selected row, or -1.
    int SelectedRow() const;

    Favourites& m_favs;
    InputBox& m_input;
    QWidget* m_mainWindow;
};

}  // namespace q7k3
