#include <gtest/gtest.h>

#include <QLocale>

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include "localpane/DriveComboBox.h"
#include "localpane/LocalDirView.h"
#include "window/MainWindow.h"
#include "window/PhoneListView.h"
#include "window/Texts.h"
#include "window/WindowTestSupport.h"

using namespace q7k3;
using q7k3::test::ScriptedUi;
using q7k3::test::WaitUntil;

namespace {

// Records which command hooks ran.
class RecordingForm : public MainWindow {
public:
    using MainWindow::MainWindow;
    using MainWindow::PhoneRow;
    using MainWindow::ShowPhoneRows;
    QStringList calls;
    QStringList dropped;
    std::vector<std::string> droppedNames;
    bool ready = false;

    void ViewClick() override { calls << "view"; }
    void CopyClick() override { calls << "copy"; }
    void RenameClick() override { calls << "rename"; }
    void DeleteClick() override { calls << "delete"; }
    void CompileJavaClick() override { calls << "java"; }
    void RefreshClick() override { calls << "refresh"; }
    bool PhoneIsReady() const override { return ready; }
    void FilesDroppedOnPhone(const QStringList& paths) override { dropped = paths; }
    void PhoneItemsDropped(const std::vector<std::string>& names) override { droppedNames = names; }
};

struct MainWindowFixture : ::testing::Test {
    AppFlags flags;
    ScriptedUi prompts;
    RecordingForm form{flags, prompts};

    void SetUp() override {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    void FiveFiles() {
        form.ShowPhoneRows({{"..", false, 0},
                            {"Sub", false, 0},
                            {"a", true, 3000},
                            {"b", true, 2000},
                            {"c", true, 1000},
                            {"d", true, 2000},
                            {"e", true, 2240}});
    }
};

TEST_F(MainWindowFixture, EveryComponentCarriesItsName) {
    for (const char* name :
         {"CompPanel",        "Splitter1",       "PhonePanel",     "ButtonsPanel",
          "StatusBar1",       "CompPathPanel",   "PathComp",       "PanelCompStatus",
          "DiskStatus",       "FavoritesBtn",    "FavPopupMenu",   "DrivesComboBox",
          "Source",           "StatusComp",      "PhonePathPanel", "PathPhone",
          "PanelPhoneStatus", "PhoneDiskStatus", "ListPhone",      "StatusPhone",
          "ViewBtn",          "RfreshBtn",       "CopyBtn",        "Rename",
          "CompileJavaBtn",   "Delete1",         "MainMenu1",      "FileMenu",
          "Settings1",        "Exit1",           "Help1",          "Help2",
          "About1",           "AddCurrentDir1",  "Setup1",         "DragDropFilesPhone"})
        EXPECT_NE(form.findChild<QObject*>(name), nullptr) << name;
    EXPECT_EQ(form.minimumSize(), QSize(640, 440));
    // Controls without visible text of their own have a name for assistive technology.
    for (QWidget* w :
         {static_cast<QWidget*>(form.Phone().List()), static_cast<QWidget*>(form.Computer().List()),
          static_cast<QWidget*>(form.Computer().Drives()),
          static_cast<QWidget*>(form.Computer().FavouritesButton())})
        EXPECT_EQ(w->accessibleName(), w->objectName());
    EXPECT_TRUE(form.Computer().PathLine()->accessibleName().isEmpty());
    // What assistive technology reads: the visible text of labels and buttons.
    for (QWidget* w : {static_cast<QWidget*>(form.Phone().StatusLine()),
                       static_cast<QWidget*>(form.Buttons().ForKey(Qt::Key_F5)),
                       static_cast<QWidget*>(form.Phone().FreeLine())}) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(a, nullptr);
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << S(w->objectName());
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form.Buttons().ForKey(Qt::Key_F5))
                  ->text(QAccessible::Name),
              "F5 Копия");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form.Phone().List())->text(QAccessible::Name),
              "ListPhone");
}

TEST(HelpFile, ShipsBesideTheProgramAsAnHtmlPage) {
    QFile help(QStringLiteral(Q7K3_BIN_DIR "/Q7K3FM.hlp"));
    ASSERT_TRUE(help.open(QIODevice::ReadOnly)) << "build q7k3fm first";
    const QString text = QString::fromUtf8(help.readAll());
    EXPECT_TRUE(text.startsWith("<!DOCTYPE html>"));
    EXPECT_TRUE(text.contains("F5"));
}

TEST_F(MainWindowFixture, TextsComeFromTheCatalogue) {
    EXPECT_EQ(form.windowTitle(), "Q7K3FileManager v0.53+");
    EXPECT_EQ(form.findChild<QMenu*>("FileMenu")->title(), "Файл");
    EXPECT_EQ(form.MenuAction("About1")->statusTip(), "Информация о программе");
    EXPECT_EQ(form.Buttons().ForKey(Qt::Key_F7)->text(), "F7 Compile Java");
    EXPECT_EQ(form.Buttons().ForKey(Qt::Key_F7)->toolTip(), "Компилировать JAVA");
    EXPECT_EQ(form.Phone().List()->headerItem()->text(1), "Размер");
    EXPECT_EQ(form.Phone().FreeLine()->text(), "Свободно 0КБ из 0КБ");
}

TEST_F(MainWindowFixture, ThePanesAreEqualFromTheFirstFrame) {
    AppFlags f;
    ScriptedUi p;
    RecordingForm fresh{f, p};
    fresh.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fresh));
    const QList<int> sizes = fresh.Splitter()->sizes();
    ASSERT_EQ(sizes.size(), 2);
    EXPECT_LE(std::abs(sizes[0] - sizes[1]), 1) << sizes[0] << " / " << sizes[1];
}

TEST_F(MainWindowFixture, TheComputerSelectionLineCountsFilesInBothNumbers) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* sub : {"a", "b", "c"}) ASSERT_TRUE(QDir(dir.path()).mkdir(sub));
    for (const char* name : {"x.txt", "y.txt"}) {
        QFile file(QDir(dir.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(2048, 'z'));
    }
    form.SetComputerPath(dir.path());
    ASSERT_TRUE(WaitUntil([&] { return form.Computer().List()->Items().size() >= 5; }));
    form.Computer().List()->selectAll();
    // Ctrl+A takes the folders too, but the line speaks of files: 2 of 2.
    EXPECT_TRUE(form.ComputerSelectionText().endsWith(M(kMsgKbFiles) + "2" + M(kMsgOf) + "2"))
        << S(form.ComputerSelectionText());
}

TEST_F(MainWindowFixture, ResizeMakesThePanesEqualAndButtonsTakeSixths) {
    const int handle = form.Splitter()->handleWidth();
    form.resize(680 + handle, 440);
    ASSERT_TRUE(WaitUntil([&] { return form.Splitter()->width() == 680 + handle; }));
    form.Splitter()->setSizes({200, 480});
    ASSERT_EQ(form.Splitter()->sizes(), (QList<int>{200, 480}));
    QResizeEvent resize(form.size(), form.size());
    QApplication::sendEvent(&form, &resize);
    EXPECT_EQ(form.Splitter()->sizes(), (QList<int>{340, 340}));

    form.resize(901, 500);
    ASSERT_TRUE(WaitUntil([&] { return form.findChild<QFrame*>("ButtonsPanel")->width() == 901; }));
    const int w = 901 / 6;
    const QPushButton* buttons[] = {
        form.Buttons().ForKey(Qt::Key_F3), form.Buttons().ForKey(Qt::Key_F4),
        form.Buttons().ForKey(Qt::Key_F5), form.Buttons().ForKey(Qt::Key_F6),
        form.Buttons().ForKey(Qt::Key_F7), form.Buttons().ForKey(Qt::Key_F8)};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(buttons[i]->geometry().left(), i * w) << i;
        EXPECT_EQ(buttons[i]->width(), w) << i;
    }
    EXPECT_EQ(form.HintLine()->width(), form.statusBar()->width() - 100);
    const QList<int> sizes = form.Splitter()->sizes();
    EXPECT_LE(std::abs(sizes[0] - sizes[1]), 1);
}

TEST_F(MainWindowFixture, FunctionKeysWorkInBothPanesAndF7NeedsAReadyPhoneOutsidePims) {
    for (QWidget* pane : {static_cast<QWidget*>(form.Computer().List()),
                          static_cast<QWidget*>(form.Phone().List())}) {
        form.calls.clear();
        form.ready = false;
        for (Qt::Key key : {Qt::Key_F3, Qt::Key_F4, Qt::Key_F5, Qt::Key_F6, Qt::Key_F7, Qt::Key_F8})
            QTest::keyClick(pane, key);
        EXPECT_EQ(form.calls, (QStringList{"view", "refresh", "copy", "rename", "delete"}));
        form.calls.clear();
        form.ready = true;
        QTest::keyClick(pane, Qt::Key_F7);
        flags.Mode = FolderMode::Pims;
        QTest::keyClick(pane, Qt::Key_F7);
        flags.Mode = FolderMode::Normal;
        EXPECT_EQ(form.calls, (QStringList{"java"}));
    }
}

TEST_F(MainWindowFixture, ClicksSwitchTheActivePaneAndItsCaptionColours) {
    EXPECT_TRUE(form.ComputerPaneActive());
    const QColor active = form.Computer().PathLine()->palette().color(QPalette::Window);
    const QColor inactive = form.Phone().PathLine()->palette().color(QPalette::Window);
    EXPECT_NE(active, inactive);

    QTest::mouseClick(form.Phone().StatusLine(), Qt::LeftButton);
    EXPECT_FALSE(form.ComputerPaneActive());
    EXPECT_EQ(form.Phone().PathLine()->palette().color(QPalette::Window), active);
    EXPECT_EQ(form.Computer().PathLine()->palette().color(QPalette::Window), inactive);

    QTest::mouseClick(form.Computer().FreeLine(), Qt::LeftButton);
    EXPECT_TRUE(form.ComputerPaneActive());
    QTest::mouseClick(form.Phone().List()->viewport(), Qt::LeftButton);
    EXPECT_FALSE(form.ComputerPaneActive());
    QTest::mouseClick(form.Computer().PathLine(), Qt::LeftButton);
    EXPECT_TRUE(form.ComputerPaneActive());
}

TEST_F(MainWindowFixture, PhoneSelectionLineCountsFilesOnly) {
    FiveFiles();
    // Filling the list is not a user's selection: the computer pane stays active.
    EXPECT_TRUE(form.ComputerPaneActive());
    EXPECT_TRUE(form.Phone().StatusLine()->text().startsWith("0 КБ из "));
    EXPECT_EQ(form.Phone().StatusLine()->text(), "0 КБ из 10 KБ,Файлов: 0 из 5");
    // Sizes as the computer pane writes them.
    EXPECT_EQ(form.Phone().List()->topLevelItem(2)->text(1), QLocale().toString(3000));
    form.Phone().List()->FindItem("a")->setSelected(true);
    form.Phone().List()->FindItem("b")->setSelected(true);
    form.Phone().List()->FindItem("Sub")->setSelected(true);
    EXPECT_EQ(form.Phone().StatusLine()->text(), "4 КБ из 10 KБ,Файлов: 2 из 5");
    EXPECT_FALSE(form.ComputerPaneActive());
}

TEST_F(MainWindowFixture, ComputerLinesFollowTheDirectory) {
    QTemporaryDir dir;
    for (auto [name, size] : {std::pair{"x.bmp", 3000}, std::pair{"y.gif", 2000}}) {
        QFile f(QDir(dir.path()).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(size, 'z'));
    }
    form.SetComputerPath(dir.path() + "/");
    ASSERT_TRUE(WaitUntil([&] { return form.Computer().List()->Loaded(); }));
    EXPECT_EQ(form.Computer().PathLine()->text(),
              QDir::toNativeSeparators(QDir::cleanPath(dir.path())));
    EXPECT_EQ(form.Computer().StatusLine()->text(), "0 КБ из 4 KБ,Файлов: 0 из 2");
    ASSERT_TRUE(form.Computer().List()->SelectName("x.bmp"));
    EXPECT_EQ(form.Computer().StatusLine()->text(), "2 КБ из 4 KБ,Файлов: 1 из 2");
    EXPECT_TRUE(form.Computer().FreeLine()->text().startsWith("Свободно "));
    EXPECT_TRUE(form.Computer().FreeLine()->text().endsWith(" МБ"));
    EXPECT_TRUE(form.Computer().FreeLine()->text().contains(" МБ из "));
}

TEST_F(MainWindowFixture, OpeningAFolderOnAnotherVolumeMovesTheDriveAndItsFreeSpace) {
    QString other;
    for (int i = 0; i < form.Computer().Drives()->count() && other.isEmpty(); ++i) {
        const QString root = form.Computer().Drives()->itemData(i).toString();
        if (root != QDir::rootPath() && QDir(root).isReadable()) other = root;
    }
    if (other.isEmpty()) GTEST_SKIP() << "only one volume is mounted";
    form.SetComputerPath(QDir::rootPath());
    ASSERT_TRUE(WaitUntil([&] { return form.Computer().List()->Loaded(); }));
    ASSERT_EQ(form.Computer().Drives()->DriveLetter(), QDir::rootPath());
    // As a double click on folders does: the view alone changes its directory.
    form.Computer().List()->SetPath(other);
    ASSERT_TRUE(WaitUntil([&] { return form.Computer().List()->Loaded(); }));
    EXPECT_EQ(form.Computer().Drives()->DriveLetter(), other);
    EXPECT_EQ(form.Computer().FreeLine()->text(), form.DriveFreeText());
}

TEST_F(MainWindowFixture, DropsFromOtherProgramsAreCopiesOfLocalFiles) {
    QMimeData outside;
    outside.setUrls({QUrl::fromLocalFile("/tmp/a.mmf"), QUrl("https://example.org/b.mmf")});
    EXPECT_EQ(PhoneDropTarget::AcceptableFiles(&outside), QStringList{"/tmp/a.mmf"});
    QMimeData text;
    text.setText("hello");
    EXPECT_TRUE(PhoneDropTarget::AcceptableFiles(&text).isEmpty());
    // The computer pane's rows drag out as files (taken like any other program's); the
    // phone list's items never drop back onto it.
    EXPECT_TRUE(form.Computer().List()->dragEnabled());
    QMimeData phoneItems;
    phoneItems.setUrls({QUrl::fromLocalFile("/tmp/a.mmf")});
    phoneItems.setData(kPhoneItemsMime, EncodePhoneNames({"a"}));
    EXPECT_TRUE(PhoneDropTarget::AcceptableFiles(&phoneItems).isEmpty());

    // A drop from outside reaches the copy hook.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction, &outside, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(form.Phone().List()->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &outside, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(form.Phone().List()->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    EXPECT_EQ(form.dropped, QStringList{"/tmp/a.mmf"});
}

TEST_F(MainWindowFixture, PhoneItemsDragOutAsNamesAndDropOnTheComputerPane) {
    FiveFiles();
    form.Phone().List()->FindItem("a")->setSelected(true);
    form.Phone().List()->FindItem("..")->setSelected(true);
    std::unique_ptr<QMimeData> data(form.Phone().List()->model()->mimeData(
        form.Phone().List()->selectionModel()->selectedRows()));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(DecodePhoneNames(data->data(kPhoneItemsMime)), std::vector<std::string>{"a"});

    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(form.Computer().List()->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.Computer().List()->viewport(), &drop);
    EXPECT_EQ(form.droppedNames, std::vector<std::string>{"a"});

    // The whole pane takes them: its status line and its drive row too.
    for (QWidget* where : {static_cast<QWidget*>(form.Computer().StatusLine()),
                           static_cast<QWidget*>(form.Computer().FreeLine())}) {
        form.droppedNames.clear();
        QWidget* target = where;
        while (target && !target->acceptDrops()) target = target->parentWidget();
        ASSERT_NE(target, nullptr) << where->objectName().toStdString();
        QDragEnterEvent over(QPoint(2, 2), Qt::CopyAction, data.get(), Qt::LeftButton,
                             Qt::NoModifier);
        QApplication::sendEvent(target, &over);
        EXPECT_TRUE(over.isAccepted());
        QDropEvent there(QPointF(2, 2), Qt::CopyAction, data.get(), Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(target, &there);
        EXPECT_EQ(form.droppedNames, std::vector<std::string>{"a"});
    }
}

}  // namespace

namespace {

TEST(PhoneDragData, NamesTravelByteForByteAndBrokenDataGivesWhatIsWhole) {
    const std::vector<std::string> names = {"two\nlines.txt", std::string("bad\xff\xfe.mmf"), "ok"};
    const QByteArray data = EncodePhoneNames(names);
    EXPECT_EQ(DecodePhoneNames(data), names);
    // Cut inside the second name: only the first is taken.
    EXPECT_EQ(DecodePhoneNames(data.left(data.size() - 10)),
              std::vector<std::string>{"two\nlines.txt"});
    // A count far beyond what follows does not make anything up.
    QByteArray huge("\xff\xff\xff\xff", 4);
    EXPECT_TRUE(DecodePhoneNames(huge).empty());
    EXPECT_TRUE(DecodePhoneNames(QByteArray()).empty());
}

}  // namespace
