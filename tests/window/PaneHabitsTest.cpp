// The habits of two-pane file managers in the main window, without a phone: the keyboard
// focus is the active pane, marking apart from the cursor, the place kept when going up,
// sorting by the column headers, the context menus and the layout. Real key and mouse
// events on the offscreen platform.

#include <gtest/gtest.h>

#include <cstdlib>

#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "settings/SettingsStore.h"
#include "localpane/DriveComboBox.h"
#include "localpane/LocalDirView.h"
#include "window/ComputerPane.h"
#include "window/MainWindow.h"
#include "window/PaneLook.h"
#include "window/PhoneListView.h"
#include "window/PhonePane.h"
#include "window/Texts.h"
#include "window/WindowPlace.h"
#include "window/WindowTestSupport.h"

using namespace q7k3;
using q7k3::test::ModalDriver;
using q7k3::test::ScriptedUi;
using q7k3::test::WaitUntil;

namespace {

class CommandForm : public MainWindow {
public:
    using MainWindow::MainWindow;
    QStringList calls;
    QStringList copied;
    void ViewClick() override { calls << "view"; }
    void CopyClick() override {
        calls << "copy";
        for (const std::string& name : Phone().List()->TargetNames()) copied << Q(name);
    }
    void RenameClick() override { calls << "rename"; }
    void DeleteClick() override { calls << "delete"; }
    void RefreshClick() override { calls << "refresh"; }
};

struct PaneHabits : ::testing::Test {
    AppFlags flags;
    ScriptedUi prompts;
    CommandForm form{flags, prompts};
    QTemporaryDir dir;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QDir d(dir.path());
        for (const char* sub : {"Alpha", "beta"}) ASSERT_TRUE(d.mkdir(sub));
        int size = 100;
        for (const char* name : {"c.txt", "a.jpg", "b.mmf"}) {
            QFile file(d.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(size, 'x'));
            size *= 10;
        }
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        form.SetComputerPath(dir.path());
        ASSERT_TRUE(WaitUntil([&] { return form.Computer().List()->Loaded(); }));
    }

    void PhoneRows() {
        form.Phone().ShowRows({{"..", false, 0},
                               {"Sub", false, 0},
                               {"zed.mmf", true, 10},
                               {"alpha.jpg", true, 3000},
                               {"Mid.gif", true, 200},
                               {"b.txt", true, 50}});
    }

    QStringList Marked() const {
        QStringList names;
        for (QTreeWidgetItem* item : form.Phone().List()->selectedItems()) names << item->text(0);
        names.sort();
        return names;
    }

    QString LocalCurrent() const { return form.Computer().List()->CurrentName(); }

    QStringList LocalNames() const {
        QStringList names;
        for (const LocalDirView::Item& item : form.Computer().List()->Items()) names << item.Name;
        return names;
    }

    static QStringList ActionNames(QMenu* menu) {
        QStringList names;
        for (QAction* action : menu->actions())
            if (!action->isSeparator()) names << action->objectName();
        delete menu;
        return names;
    }

    static void ClickHeader(QTreeView* view, int section) {
        QHeaderView* header = view->header();
        const QPoint at(header->sectionViewportPosition(section) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
};

// Ctrl+L takes a folder typed or pasted; one that is not there is said, the pane stays.
TEST_F(PaneHabits, CtrlLGoesToATypedFolder) {
    QAction* goTo = form.MenuAction("GoToFolder1");
    ASSERT_NE(goTo, nullptr);
    EXPECT_EQ(goTo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
    EXPECT_EQ(form.MenuAction("Exit1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    const struct {
        QString typed;
        QString lands;
        bool said;
    } rows[] = {
        {QDir(dir.path()).filePath("beta") + "  ", QDir(dir.path()).filePath("beta"), false},
        {QDir(dir.path()).filePath("nowhere"), QDir(dir.path()).filePath("beta"), true}};
    for (const auto& row : rows) {
        prompts.shown.clear();
        ModalDriver driver([&](QWidget* modal) {
            auto* edit = modal->findChild<QLineEdit*>();
            ASSERT_NE(edit, nullptr);
            edit->setText(row.typed);
            QTest::keyClick(edit, Qt::Key_Return);
        });
        goTo->trigger();
        EXPECT_TRUE(driver.Acted());
        EXPECT_EQ(form.Computer().List()->Path(), row.lands);
        EXPECT_EQ(prompts.shown.size(), row.said ? 1u : 0u);
        if (row.said) EXPECT_EQ(prompts.shown[0].Text, Msg(kMsgNoSuchLocalFolder) + S(row.typed));
    }
}

TEST_F(PaneHabits, TabGoesFromListToListAndTheHighlightFollowsTheFocus) {
    form.ActivateComputerPane();
    ASSERT_TRUE(form.Computer().List()->hasFocus());
    const QColor highlight = form.palette().color(QPalette::Active, QPalette::Highlight);

    QTest::keyClick(form.Computer().List(), Qt::Key_Tab);
    EXPECT_FALSE(form.ComputerPaneActive());
    EXPECT_TRUE(form.Phone().List()->hasFocus());
    EXPECT_EQ(form.Phone().PathLine()->palette().color(QPalette::Window), highlight);
    EXPECT_NE(form.Computer().PathLine()->palette().color(QPalette::Window), highlight);

    QTest::keyClick(form.Phone().List(), Qt::Key_Tab);
    EXPECT_TRUE(form.ComputerPaneActive());
    EXPECT_TRUE(form.Computer().List()->hasFocus());
    QTest::keyClick(form.Computer().List(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_FALSE(form.ComputerPaneActive());

    // Focus given by other means (a click, a dialog closing) moves the highlight too.
    form.Computer().List()->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(form.ComputerPaneActive());
    // The drive box and the "F" button are out of the Tab chain.
    EXPECT_FALSE(form.Computer().Drives()->focusPolicy() & Qt::TabFocus);
    EXPECT_FALSE(form.Computer().FavouritesButton()->focusPolicy() & Qt::TabFocus);
}

TEST_F(PaneHabits, InsertSpaceAndArrowsMarkApartFromTheCursor) {
    PhoneRows();
    form.ActivatePhonePane();
    // The cursor starts on the first row; ".." is passed over, never marked.
    ASSERT_EQ(form.Phone().List()->currentItem()->text(0), "..");
    for (int i = 0; i < 4; ++i) QTest::keyClick(form.Phone().List(), Qt::Key_Insert);
    EXPECT_EQ(Marked(), (QStringList{"Sub", "alpha.jpg", "zed.mmf"}));
    EXPECT_EQ(form.Phone().List()->currentItem()->text(0), "Mid.gif");

    // Arrows move the cursor only; Space marks and unmarks where it stands.
    QTest::keyClick(form.Phone().List(), Qt::Key_Down);
    EXPECT_EQ(form.Phone().List()->currentItem()->text(0), "b.txt");
    QTest::keyClick(form.Phone().List(), Qt::Key_Space);
    QTest::keyClick(form.Phone().List(), Qt::Key_Up);
    QTest::keyClick(form.Phone().List(), Qt::Key_Up);
    QTest::keyClick(form.Phone().List(), Qt::Key_Space);
    EXPECT_EQ(Marked(), (QStringList{"Sub", "b.txt", "zed.mmf"}));
    // The selection line counts the marked files.
    EXPECT_TRUE(form.Phone().StatusLine()->text().endsWith(M(kMsgOf) + "4"))
        << S(form.Phone().StatusLine()->text());
    EXPECT_TRUE(form.Phone().StatusLine()->text().contains(M(kMsgKbFiles) + "2"))
        << S(form.Phone().StatusLine()->text());

    // Ctrl+A marks everything but "..".
    QTest::keyClick(form.Phone().List(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_FALSE(form.Phone().List()->FindItem("..")->isSelected());
    EXPECT_EQ(Marked().size(), 5);
}

TEST_F(PaneHabits, NumpadKeysMarkByPatternAndInvert) {
    PhoneRows();
    form.ActivatePhonePane();
    // Gray +: the pattern input, answered as a user would.
    ModalDriver answer([](QWidget* modal) {
        auto* input = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(input, nullptr);
        EXPECT_EQ(input->objectName(), "PatternInput");
        EXPECT_EQ(S(input->windowTitle()), Msg(kMsgMarkTitle));
        input->setTextValue("*.JPG; *.gif");
        input->accept();
    });
    QTest::keyClick(form.Phone().List(), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_TRUE(answer.Acted());
    EXPECT_EQ(Marked(), (QStringList{"Mid.gif", "alpha.jpg"}));

    std::vector<bool> asked;
    form.Phone().List()->Marking().SetAskPattern([&](bool mark) {
        asked.push_back(mark);
        return mark ? QString("*.*") : QString("m*");
    });
    QTest::keyClick(form.Phone().List(), Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(Marked(), (QStringList{"alpha.jpg"}));
    // * turns the files round; the folder keeps its state.
    QTest::keyClick(form.Phone().List(), Qt::Key_Asterisk, Qt::KeypadModifier);
    EXPECT_EQ(Marked(), (QStringList{"Mid.gif", "b.txt", "zed.mmf"}));
    // "*.*" means every file, as on the phone, though not every name has a dot.
    form.Phone().ShowRows({{"..", false, 0}, {"README", true, 5}, {"x.y", true, 5}});
    QTest::keyClick(form.Phone().List(), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(Marked(), (QStringList{"README", "x.y"}));
    EXPECT_EQ(asked, (std::vector<bool>{false, true}));
}

TEST_F(PaneHabits, CommandsTakeTheMarksOrElseTheCursor) {
    PhoneRows();
    form.ActivatePhonePane();
    QTest::keyClick(form.Phone().List(), Qt::Key_Down);
    QTest::keyClick(form.Phone().List(), Qt::Key_Down);
    QTest::keyClick(form.Phone().List(), Qt::Key_F5);
    EXPECT_EQ(form.copied, QStringList{"zed.mmf"});
    form.copied.clear();
    QTest::keyClick(form.Phone().List(), Qt::Key_Insert);
    QTest::keyClick(form.Phone().List(), Qt::Key_Down);
    QTest::keyClick(form.Phone().List(), Qt::Key_Insert);
    QTest::keyClick(form.Phone().List(), Qt::Key_F5);
    EXPECT_EQ(form.copied, (QStringList{"zed.mmf", "Mid.gif"}));
    // On "..", with nothing marked, there is nothing to take.
    form.Phone().List()->clearSelection();
    QTest::keyClick(form.Phone().List(), Qt::Key_Home);
    EXPECT_TRUE(form.Phone().List()->TargetNames().empty());

    // The computer pane likewise.
    form.ActivateComputerPane();
    ASSERT_TRUE(form.Computer().List()->SetCurrentName("a.jpg"));
    EXPECT_EQ(form.Computer().List()->TargetPaths(),
              QStringList{QDir(dir.path()).filePath("a.jpg")});
    QTest::keyClick(form.Computer().List(), Qt::Key_Insert);
    QTest::keyClick(form.Computer().List(), Qt::Key_Insert);
    EXPECT_EQ(form.Computer().List()->TargetPaths().size(), 2);
    EXPECT_EQ(LocalCurrent(), "c.txt");
}

TEST_F(PaneHabits, GoingUpLandsOnTheFolderLeftAndF4KeepsCursorAndMarks) {
    form.ActivateComputerPane();
    // Entering a folder puts the cursor on its first row.
    ASSERT_TRUE(form.Computer().List()->SetCurrentName("beta"));
    QTest::keyClick(form.Computer().List(), Qt::Key_Return);
    ASSERT_TRUE(
        WaitUntil([&] { return form.Computer().List()->Loaded() && !LocalCurrent().isEmpty(); }));
    EXPECT_TRUE(form.Computer().List()->Path().endsWith("/beta"));
    EXPECT_EQ(LocalCurrent(), "..");
    QTest::keyClick(form.Computer().List(), Qt::Key_Backspace);
    ASSERT_TRUE(
        WaitUntil([&] { return form.Computer().List()->Loaded() && !LocalCurrent().isEmpty(); }));
    EXPECT_EQ(form.Computer().List()->Path(), QDir::cleanPath(dir.path()));
    EXPECT_EQ(LocalCurrent(), "beta");

    // F4 reads the folder again where the user stood, with the marks of what is still there.
    ASSERT_TRUE(form.Computer().List()->SetCurrentName("a.jpg"));
    QTest::keyClick(form.Computer().List(), Qt::Key_Insert);  // marks a.jpg, moves to b.mmf
    QTest::keyClick(form.Computer().List(), Qt::Key_Insert);  // marks b.mmf, moves to c.txt
    ASSERT_TRUE(QFile::remove(QDir(dir.path()).filePath("b.mmf")));
    // Read again while the user works in the phone pane (as after a copy to the computer):
    // the marks given back do not take the highlight away.
    form.ActivatePhonePane();
    form.Computer().Reload();
    ASSERT_TRUE(WaitUntil([&] { return form.Computer().List()->Loaded(); }));
    EXPECT_FALSE(form.ComputerPaneActive());
    EXPECT_EQ(LocalCurrent(), "c.txt");
    EXPECT_EQ(form.Computer().List()->SelectedPaths(),
              QStringList{QDir(dir.path()).filePath("a.jpg")});
}

TEST_F(PaneHabits, AHeaderClickSortsAndASecondReversesWithFoldersOnTop) {
    form.ActivateComputerPane();
    EXPECT_EQ(LocalNames(), (QStringList{"Alpha", "beta", "a.jpg", "b.mmf", "c.txt"}));
    ClickHeader(form.Computer().List(), 1);  // size: 100 (c), 1000 (a), 10000 (b)
    EXPECT_EQ(LocalNames(), (QStringList{"Alpha", "beta", "c.txt", "a.jpg", "b.mmf"}));
    EXPECT_EQ(form.Computer().List()->header()->sortIndicatorSection(), 1);
    ClickHeader(form.Computer().List(), 1);
    EXPECT_EQ(form.Computer().List()->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(LocalNames(), (QStringList{"beta", "Alpha", "b.mmf", "a.jpg", "c.txt"}));
    EXPECT_EQ(form.Computer()
                  .List()
                  ->model()
                  ->index(0, 0, form.Computer().List()->rootIndex())
                  .data()
                  .toString(),
              "..");

    // The phone pane shows the phone's order until a header is clicked.
    PhoneRows();
    EXPECT_EQ(form.Phone().List()->Names(),
              (QStringList{"..", "Sub", "zed.mmf", "alpha.jpg", "Mid.gif", "b.txt"}));
    EXPECT_EQ(form.Phone().List()->header()->sortIndicatorSection(), -1);
    ClickHeader(form.Phone().List(), 0);
    EXPECT_EQ(form.Phone().List()->Names(),
              (QStringList{"..", "Sub", "alpha.jpg", "b.txt", "Mid.gif", "zed.mmf"}));
    ClickHeader(form.Phone().List(), 0);
    EXPECT_EQ(form.Phone().List()->Names(),
              (QStringList{"..", "Sub", "zed.mmf", "Mid.gif", "b.txt", "alpha.jpg"}));
    ClickHeader(form.Phone().List(), 1);
    EXPECT_EQ(form.Phone().List()->Names(),
              (QStringList{"..", "Sub", "zed.mmf", "b.txt", "Mid.gif", "alpha.jpg"}));
    // A folder shown again keeps the chosen order.
    PhoneRows();
    EXPECT_EQ(form.Phone().List()->Names().mid(2, 1), QStringList{"zed.mmf"});
}

TEST_F(PaneHabits, ContextMenusOfferTheCommandsOfTheItem) {
    PhoneRows();
    PhonePane& phone = form.Phone();
    // Without a phone nothing in the menu can run.
    QMenu* offline = phone.ContextMenuFor(form.Phone().List()->FindItem("alpha.jpg"));
    for (QAction* action : offline->actions()) EXPECT_FALSE(action->isEnabled());
    delete offline;
    EXPECT_EQ(ActionNames(phone.ContextMenuFor(form.Phone().List()->FindItem("alpha.jpg"))),
              (QStringList{"ViewBtn", "CopyBtn", "Rename", "Delete1"}));
    EXPECT_EQ(ActionNames(phone.ContextMenuFor(form.Phone().List()->FindItem("Sub"))),
              QStringList{"OpenItem"});

    ComputerPane& computer = form.Computer();
    auto row = [&](const QString& name) {
        for (int r = 0;
             r < form.Computer().List()->model()->rowCount(form.Computer().List()->rootIndex());
             ++r) {
            const QModelIndex index =
                form.Computer().List()->model()->index(r, 0, form.Computer().List()->rootIndex());
            if (index.data().toString() == name) return index;
        }
        return QModelIndex();
    };
    EXPECT_EQ(ActionNames(computer.ContextMenuFor(row("a.jpg"))),
              (QStringList{"ViewBtn", "CopyBtn", "Delete1", "OpenWithDesktop", "RfreshBtn"}));
    EXPECT_EQ(ActionNames(computer.ContextMenuFor(row("Alpha"))),
              (QStringList{"OpenItem", "OpenWithDesktop", "RfreshBtn"}));
    EXPECT_EQ(ActionNames(computer.ContextMenuFor(row(".."))),
              (QStringList{"OpenItem", "RfreshBtn"}));
    EXPECT_EQ(ActionNames(computer.ContextMenuFor(QModelIndex())), QStringList{"RfreshBtn"});

    // The items run the window's commands and the desktop's opener.
    QString opened;
    computer.OpenWithDesktop = [&](const QString& path) { opened = path; };
    QMenu* menu = computer.ContextMenuFor(row("a.jpg"));
    menu->findChild<QAction*>("Delete1")->trigger();
    menu->findChild<QAction*>("OpenWithDesktop")->trigger();
    delete menu;
    EXPECT_EQ(form.calls, QStringList{"delete"});
    EXPECT_EQ(opened, QDir(dir.path()).filePath("a.jpg"));
}

TEST_F(PaneHabits, TheNamesTakeTheFreeWidthAndTheWindowStaysOnTheScreen) {
    form.resize(1200, 700);
    ASSERT_TRUE(WaitUntil([&] { return form.width() == 1200; }));
    QApplication::processEvents();
    auto fillsTheWidth = [&](const char* size) {
        for (QTreeView* view : {static_cast<QTreeView*>(form.Computer().List()),
                                static_cast<QTreeView*>(form.Phone().List())}) {
            int sum = 0;
            for (int i = 0; i < view->header()->count(); ++i) sum += view->header()->sectionSize(i);
            EXPECT_EQ(sum, view->viewport()->width()) << S(view->objectName()) << " at " << size;
        }
    };
    fillsTheWidth("1200");
    const int wideSize = form.Computer().List()->header()->sectionSize(1);
    // At the default size neither pane scrolls sideways: the other columns give way...
    form.resize(694, 440);
    ASSERT_TRUE(WaitUntil([&] { return form.width() == 694; }));
    QApplication::processEvents();
    fillsTheWidth("694");
    EXPECT_GE(form.Computer().List()->header()->sectionSize(0), 120);
    // ...and get their width back when there is room again.
    form.resize(1200, 700);
    ASSERT_TRUE(WaitUntil([&] { return form.width() == 1200; }));
    QApplication::processEvents();
    EXPECT_EQ(form.Computer().List()->header()->sectionSize(1), wideSize);

    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    form.FitToScreen(area.size() * 2);
    QApplication::processEvents();
    // Never larger than the desktop, its title and menu on it (the platform may shift the
    // frame by its border).
    const QRect frame = form.frameGeometry();
    EXPECT_LE(frame.width(), area.width());
    EXPECT_LE(frame.height(), area.height());
    EXPECT_TRUE(area.contains(frame.topLeft())) << frame.x() << "," << frame.y();
    // The computer pane draws its icons when the theme has none.
    const QModelIndex file =
        form.Computer().List()->model()->index(3, 0, form.Computer().List()->rootIndex());
    EXPECT_FALSE(file.data(Qt::DecorationRole).value<QIcon>().isNull());

    // A line too long for its pane is shortened visibly, never cut: the path keeps its
    // last folder, the free space its end, and text() stays whole for the program.
    form.resize(694, 440);
    ASSERT_TRUE(WaitUntil([&] { return form.width() == 694; }));
    const QString deep = QDir(dir.path()).filePath(QString(60, 'd') + "/last-folder");
    ASSERT_TRUE(QDir().mkpath(deep));
    form.SetComputerPath(deep);
    const QString free = "Свободно 79229 МБ из 258019 МБ" + QString(40, ' ') + "x";
    form.Computer().FreeLine()->setText(free);
    auto* path = dynamic_cast<ElidedLabel*>(form.Computer().PathLine());
    auto* disk = dynamic_cast<ElidedLabel*>(form.Computer().FreeLine());
    ASSERT_TRUE(path && disk);
    EXPECT_EQ(path->text(), deep);
    EXPECT_TRUE(path->ShownText().contains(QChar(0x2026))) << S(path->ShownText());
    EXPECT_TRUE(path->ShownText().endsWith("last-folder")) << S(path->ShownText());
    EXPECT_EQ(disk->text(), free);
    EXPECT_TRUE(disk->ShownText().endsWith(QChar(0x2026))) << S(disk->ShownText());
}

TEST_F(PaneHabits, DatesReadInRussianAndSortWithTheFoldersOnTop) {
    const QDateTime older(QDate(2006, 3, 15), QTime(9, 30));
    const QDateTime newer(QDate(2006, 12, 1), QTime(18, 2));
    form.Phone().ShowRows({{"..", false, 0},
                           {"Sub", false, 0},
                           {"new.mmf", true, 10, newer},
                           {"old.jpg", true, 3000, older},
                           {"mid.gif", true, 200, QDateTime(QDate(2006, 6, 1), QTime(0, 0))}});
    PhoneListView* phone = form.Phone().List();
    ASSERT_EQ(phone->headerItem()->text(PhoneListView::kDateColumn), "Дата");
    EXPECT_EQ(phone->FindItem("new.mmf")->text(PhoneListView::kDateColumn), "01.12.2006 18:02");
    EXPECT_EQ(phone->FindItem("Sub")->text(PhoneListView::kDateColumn), "");
    ClickHeader(phone, PhoneListView::kDateColumn);
    EXPECT_EQ(phone->Names(), (QStringList{"..", "Sub", "old.jpg", "mid.gif", "new.mmf"}));
    ClickHeader(phone, PhoneListView::kDateColumn);
    EXPECT_EQ(phone->Names(), (QStringList{"..", "Sub", "new.mmf", "mid.gif", "old.jpg"}));

    // The computer pane: dates as a Russian desktop writes them, folders above the files
    // whichever way the dates run.
    form.ActivateComputerPane();
    for (const auto& [name, when] : {std::pair{"a.jpg", newer}, std::pair{"c.txt", older}}) {
        QFile file(QDir(dir.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
    }
    form.Computer().List()->Reload();
    ASSERT_TRUE(WaitUntil([&] { return form.Computer().List()->Loaded(); }));
    LocalDirView* local = form.Computer().List();
    const QModelIndex root = local->rootIndex();
    for (int row = 0; row < local->model()->rowCount(root); ++row) {
        if (local->model()->index(row, 0, root).data().toString() != "a.jpg") continue;
        EXPECT_EQ(local->model()->index(row, 3, root).data().toString(), "01.12.2006 18:02");
    }
    ClickHeader(local, 3);
    EXPECT_EQ(LocalNames().mid(0, 2), (QStringList{"Alpha", "beta"}));
    EXPECT_EQ(LocalNames().mid(2, 1), QStringList{"c.txt"});
    ClickHeader(local, 3);
    EXPECT_EQ(LocalNames().mid(2), (QStringList{"b.mmf", "a.jpg", "c.txt"}));
    EXPECT_EQ(local->model()->index(0, 0, root).data().toString(), "..");
}

TEST_F(PaneHabits, ColumnsShowWholeAtTheFirstSizeAndSizesAtTheSmallest) {
    form.Phone().ShowRows(
        {{"..", false, 0},
         {"big.jar", true, 13104000, QDateTime(QDate(2006, 12, 31), QTime(23, 59))},
         {"small.txt", true, 7}});
    const auto whole = [&](QTreeView* view, int column, const char* at) {
        EXPECT_LE(static_cast<QAbstractItemView*>(view)->sizeHintForColumn(column),
                  view->header()->sectionSize(column))
            << S(view->objectName()) << " column " << column << " at " << at;
    };
    // The first start's size, which a 1280 pixels wide screen holds, shows every column whole.
    const QSize first = form.FirstSize();
    EXPECT_LE(first.width(), 1280 * 9 / 10);
    form.resize(first);
    ASSERT_TRUE(WaitUntil([&] { return form.size() == first; }));
    QApplication::processEvents();
    for (const int column : {1, 2}) whole(form.Phone().List(), column, "the first size");
    for (const int column : {1, 2, 3}) whole(form.Computer().List(), column, "the first size");
    form.resize(694, 440);
    ASSERT_TRUE(WaitUntil([&] { return form.width() == 694; }));
    QApplication::processEvents();
    whole(form.Phone().List(), 1, "694");
    whole(form.Computer().List(), 1, "694");
}

TEST_F(PaneHabits, SizeAndSplitterAreKeptWithTheSettings) {
    const QString file = dir.filePath("place.conf");
    form.resize(760, 480);
    ASSERT_TRUE(WaitUntil([&] { return form.width() == 760; }));
    form.Splitter()->setSizes(
        {300, form.Splitter()->width() - 300 - form.Splitter()->handleWidth()});
    {
        SettingsStore store(S(file));
        SavePlace(store, form, *form.Splitter());
        ASSERT_TRUE(store.Flush());
    }
    CommandForm next{flags, prompts};
    next.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&next));
    next.RestoreWindowPlace(SettingsStore(S(file)));
    ASSERT_TRUE(WaitUntil([&] { return next.width() == 760; }));
    QApplication::processEvents();
    EXPECT_EQ(next.height(), 480);
    EXPECT_EQ(next.Splitter()->sizes().value(0), 300);
    next.TreeChanged();  // the start's scan lays out the panes
    EXPECT_EQ(next.Splitter()->sizes().value(0), 300);
    next.ReleaseStoredSplitter();
    EXPECT_EQ(next.Splitter()->sizes().value(0), 300);
    // Like a splitter move, it lasts until the next resize.
    next.resize(800, 480);
    ASSERT_TRUE(WaitUntil([&] { return next.width() == 800; }));
    QApplication::processEvents();
    EXPECT_LE(std::abs(next.Splitter()->sizes().value(0) - next.Splitter()->sizes().value(1)), 1);
}

TEST_F(PaneHabits, TheEmptyPhonePaneSaysThereIsNoPhoneAndHowToConnect) {
    auto* line = form.Phone().List()->viewport()->findChild<QLabel*>("NoPhone");
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(form.Phone().NoPhoneShown());
    EXPECT_EQ(S(line->text()), Msg(kMsgNoPhone));
    EXPECT_EQ(S(form.MenuAction("Connect1")->text()), Msg(kMsgConnect));
    EXPECT_EQ(form.findChild<QMenu*>("FileMenu")->actions().first(), form.MenuAction("Connect1"));
    PhoneRows();
    EXPECT_FALSE(form.Phone().NoPhoneShown());
    form.TreeChanged();  // no session: no tree
    EXPECT_TRUE(form.Phone().NoPhoneShown());
}

}  // namespace
