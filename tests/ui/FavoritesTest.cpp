// The favourites: the "F" button's menu, the add command through the rename dialog, the
// editor, and what the settings file holds after a restart. Real widgets, offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include "settings/SettingsStore.h"
#include "base/Messages.h"
#include "base/widgets/FavoritesDialog.h"
#include "base/widgets/FavoritesMenu.h"
#include "base/widgets/InputBox.h"
#include "window/ConflictDialog.h"
#include "window/RenameDialog.h"
#include "window/WindowTestSupport.h"

using namespace q7k3;
using q7k3::test::ModalDriver;

namespace {

QStringList Texts(const QMenu& menu) {
    QStringList out;
    for (const QAction* a : menu.actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

// Opens the menu as the user would and closes it again.
void OpenAndClose(QMenu& menu) {
    menu.popup(QPoint(10, 10));
    QApplication::processEvents();
    menu.hide();
    QApplication::processEvents();
}

struct FavoritesTest : ::testing::Test {
    QTemporaryDir dir;
    Favourites favs;
    QWidget window;
    RenameDialog rename{&window};
    DialogInputBox<RenameDialog> input{rename};

    std::string Ini() { return dir.filePath("Q7K3FileManager.conf").toStdString(); }
    // Types into the rename dialog once it shows; returns what it showed.
    std::pair<QString, QString> Answer(const std::function<void()>& open, const QString& typed,
                                       bool ok) {
        QString caption, shown;
        ModalDriver driver([&](QWidget* modal) {
            caption = modal->windowTitle();
            shown = rename.RenName->text();
            rename.RenName->setText(typed);
            (ok ? rename.RenOK : rename.RenCancel)->click();
        });
        open();
        EXPECT_TRUE(driver.Acted());
        return {caption, shown};
    }
};

TEST_F(FavoritesTest, MenuShowsTheFavouritesOnceAndASeparatorOnlyWhenThereAreAny) {
    QMenu menu;
    FavoritesMenu fav(&menu, favs);
    OpenAndClose(menu);
    EXPECT_EQ(Texts(menu), (QStringList{"Добавить текущую папку", "Настроить"}));

    favs.Alias = {"Music", "R&B"};
    favs.Path = {"/home/u/music", "/home/u/rnb"};
    OpenAndClose(menu);
    OpenAndClose(menu);
    EXPECT_EQ(Texts(menu),
              (QStringList{"Music", "R&&B", "-", "Добавить текущую папку", "Настроить"}));

    // The button pops the same menu up.
    QToolButton button;
    fav.AttachTo(&button);
    QStringList seen;
    QTimer::singleShot(100, [&] {
        if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            seen = Texts(*popup);
            popup->close();
        }
    });
    button.click();
    ASSERT_TRUE(q7k3::test::WaitUntil([&] { return !seen.isEmpty(); }, 3000));
    EXPECT_EQ(seen.size(), 5);
}

TEST_F(FavoritesTest, ChosenItemNamesItsOwnPathAndTheMenuItemsSignal) {
    favs.Alias = {"a", "b", "c"};
    favs.Path = {"/a", "/b", "/c"};
    QMenu menu;
    FavoritesMenu fav(&menu, favs);
    QSignalSpy go(&fav, &FavoritesMenu::goToPath);
    QSignalSpy add(&fav, &FavoritesMenu::addCurrentFolder);
    QSignalSpy setup(&fav, &FavoritesMenu::configure);
    OpenAndClose(menu);
    menu.actions().at(1)->trigger();
    ASSERT_EQ(go.count(), 1);
    EXPECT_EQ(go.at(0).at(0).toString(), "/b");
    fav.AddCurrentAction()->trigger();
    fav.SetupAction()->trigger();
    EXPECT_EQ(add.count(), 1);
    EXPECT_EQ(setup.count(), 1);
    // An entry deleted while its item still exists selects nothing.
    QAction* third = menu.actions().at(2);
    favs.Alias.pop_back();
    favs.Path.pop_back();
    third->trigger();
    EXPECT_EQ(go.count(), 1);
}

TEST_F(FavoritesTest, AddingAsksForANameAndAnEmptyOrCancelledOneAddsNothing) {
    const QString folder = QStringLiteral("/home/u/Документы");
    const auto [caption, shown] =
        Answer([&] { EXPECT_TRUE(AddFavourite(favs, input, folder)); }, "Docs", true);
    EXPECT_EQ(caption, "Введите краткое наименование");
    EXPECT_EQ(shown, folder);
    EXPECT_EQ(rename.windowTitle(), "Переименовать");
    EXPECT_EQ(favs.Alias, (std::vector<std::string>{"Docs"}));
    EXPECT_EQ(favs.Path, (std::vector<std::string>{folder.toStdString()}));

    Answer([&] { EXPECT_FALSE(AddFavourite(favs, input, folder)); }, "", true);
    Answer([&] { EXPECT_FALSE(AddFavourite(favs, input, folder)); }, "Other", false);
    EXPECT_EQ(favs.Alias.size(), 1u);
    EXPECT_EQ(favs.Path.size(), 1u);
    EXPECT_EQ(rename.windowTitle(), "Переименовать");
}

TEST_F(FavoritesTest, RenamedEntryKeepsItsPathAcrossARestart) {
    favs.Alias = {"one", "two", "three"};
    favs.Path = {"/p1", "/p2", "/p3"};
    FavoritesDialog editor(favs, input, &window);
    EXPECT_EQ(editor.windowTitle(), "Favorites Настройки");
    EXPECT_EQ(editor.DeleteFavBtn->text(), "Удалить");
    EXPECT_EQ(editor.RenameFavBtn->text(), "Переименовать");
    ASSERT_EQ(editor.FavList->count(), 3);

    // Without a selection neither button does anything.
    editor.RenameFavBtn->click();
    editor.DeleteFavBtn->click();
    EXPECT_EQ(favs.Alias.size(), 3u);

    editor.FavList->setCurrentRow(1);
    const auto [caption, shown] = Answer([&] { editor.RenameFavBtn->click(); }, "second", true);
    EXPECT_EQ(caption, "Переименовать");
    EXPECT_EQ(shown, "two");
    EXPECT_EQ(editor.FavList->item(1)->text(), "second");
    // A cancelled or empty rename keeps the name.
    Answer([&] { editor.RenameFavBtn->click(); }, "", true);
    Answer([&] { editor.RenameFavBtn->click(); }, "x", false);
    EXPECT_EQ(favs.Alias[1], "second");

    {
        SettingsStore store(Ini());
        ASSERT_TRUE(SaveOnClose(store, "/home/u", favs));
    }
    SettingsStore store(Ini());
    Favourites loaded;
    LiveSettings live;
    live.Favs = &loaded;
    LoadSettings(store, live);
    EXPECT_EQ(loaded.Alias, (std::vector<std::string>{"one", "second", "three"}));
    EXPECT_EQ(loaded.Path, (std::vector<std::string>{"/p1", "/p2", "/p3"}));
    EXPECT_EQ(store.ReadString("FavAlias1", ""), "second");
    EXPECT_EQ(store.ReadString("FavPath1", ""), "/p2");
}

TEST_F(FavoritesTest, DeletingTheOnlyFavouriteSavesACountOfZero) {
    favs.Alias = {"only"};
    favs.Path = {"/only"};
    FavoritesDialog editor(favs, input, &window);
    ModalDriver driver([&](QWidget* modal) {
        EXPECT_EQ(modal, &editor);
        editor.FavList->setCurrentRow(0);
        editor.DeleteFavBtn->click();
        EXPECT_EQ(editor.FavList->count(), 0);
        editor.accept();
    });
    editor.EditFavourites();
    EXPECT_TRUE(favs.Alias.empty());
    EXPECT_TRUE(favs.Path.empty());
    {
        SettingsStore store(Ini());
        ASSERT_TRUE(SaveOnClose(store, "/home/u", favs));
    }
    SettingsStore store(Ini());
    EXPECT_EQ(store.ReadString("FavCount", ""), "0");
    Favourites loaded;
    LiveSettings live;
    live.Favs = &loaded;
    LoadSettings(store, live);
    EXPECT_TRUE(loaded.Alias.empty());

    // The menu built from it has no favourite and no separator.
    QMenu menu;
    FavoritesMenu fav(&menu, favs);
    OpenAndClose(menu);
    EXPECT_EQ(menu.actions().size(), 2);
}

}  // namespace
