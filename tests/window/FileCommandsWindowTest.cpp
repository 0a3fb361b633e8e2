// The file commands driven through the main window against the phone emulator: F5 both
// ways with keys, the two drops, F6 with the real rename and file-exists dialogs, F8,
// abort in the middle of a copy, F7, the favourites menu and the about window.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "emulator/PhoneEmulator.h"
#include "link/PhoneLink.h"
#include "settings/SettingsStore.h"
#include "localpane/LocalDirView.h"
#include "session/PhoneSession.h"
#include "base/widgets/AboutDialog.h"
#include "base/widgets/FavoritesMenu.h"
#include "window/ConflictDialog.h"
#include "window/MainWindow.h"
#include "window/PhoneListView.h"
#include "window/ProgressDialog.h"
#include "window/RenameDialog.h"
#include "window/Texts.h"
#include "window/WindowOnPhone.h"
#include "window/WindowTestSupport.h"

using namespace q7k3;
using q7k3::emu::EmulatorConfig;
using q7k3::test::ModalDriver;
using q7k3::test::ReadLocal;
using q7k3::test::WaitUntil;
using q7k3::test::WindowOnPhone;
using q7k3::test::WriteLocal;

namespace {

// Once `dialog` is on the screen: fills `field` with `text` (when given) and presses `button`.
void AnswerWhenShown(QDialog* dialog, const char* button, const char* field = nullptr,
                     QString text = {}) {
    auto* timer = new QTimer(dialog);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, dialog, [=] {
        if (!dialog->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        if (field)
            if (auto* edit = dialog->findChild<QLineEdit*>(QString::fromLatin1(field)))
                edit->setText(text);
        if (auto* b = dialog->findChild<QPushButton*>(QString::fromLatin1(button)))
            QTest::mouseClick(b, Qt::LeftButton);
    });
    timer->start();
}

struct FileCommandsWindow : ::testing::Test, WindowOnPhone<> {
    void TearDown() override {
        ExpectIdle();
        Close();
    }

    void Boot(EmulatorConfig config = {}) {
        StartPhone(config);
        ASSERT_TRUE(phone->PutFile("B", "notes.txt", std::string(1500, 'n')));
        StoreSettings();
        ShowWindow();
        WaitForStartUp();
        ASSERT_TRUE(form->PhoneReady());
    }

    void Open(const QString& name) {
        QTreeWidgetItem* item = form->Phone().List()->FindItem(name);
        ASSERT_NE(item, nullptr) << S(name) << " not in "
                                 << S(form->Phone().List()->Names().join(','));
        form->Phone().List()->setCurrentItem(item);
        form->OpenPhoneItem();
        Settle();
    }

    // Selects phone items (the first one focused); the phone pane becomes active.
    void SelectPhone(const QStringList& names) {
        form->Phone().List()->clearSelection();
        for (const QString& name : names) {
            QTreeWidgetItem* item = form->Phone().List()->FindItem(name);
            ASSERT_NE(item, nullptr) << S(name);
            item->setSelected(true);
        }
        form->Phone().List()->setCurrentItem(form->Phone().List()->FindItem(names.front()), 0,
                                             QItemSelectionModel::NoUpdate);
        form->ActivatePhonePane();
    }

    void SelectLocal(const QStringList& names) {
        ASSERT_TRUE(WaitUntil([&] { return form->Computer().List()->Loaded(); }));
        form->Computer().List()->clearSelection();
        for (const QString& name : names)
            ASSERT_TRUE(form->Computer().List()->SelectName(name, true)) << S(name);
        form->ActivateComputerPane();
    }

    // F4 at the root: the whole scan again.
    void Rescan() {
        form->ActivatePhonePane();
        form->RefreshClick();
        Settle();
    }

    void Reload() {
        form->Computer().List()->Reload();
        ASSERT_TRUE(WaitUntil([&] { return form->Computer().List()->Loaded(); }));
    }
};

// A batch that leaves files out says so once at its end, with each file's reason.
TEST_F(FileCommandsWindow, ABatchCopyEndsWithOneSummaryOfWhatWasLeftOut) {
    Boot();
    Open("User");
    ASSERT_TRUE(WriteLocal(localDir.filePath("a.txt"), "one"));
    ASSERT_TRUE(WriteLocal(localDir.filePath("empty.txt"), ""));
    ASSERT_TRUE(WriteLocal(localDir.filePath("b.txt"), "two"));
    ASSERT_TRUE(WriteLocal(localDir.filePath("void.txt"), ""));
    Reload();
    SelectLocal({"a.txt", "empty.txt", "b.txt", "void.txt"});
    QTest::keyClick(form->Computer().List(), Qt::Key_F5);
    Settle();
    ASSERT_EQ(prompts.shown.size(), 1u);
    const std::string& text = prompts.shown[0].Text;
    EXPECT_TRUE(text.starts_with("Скопировано: 2, пропущено: 0, не скопировано: 2\r\n")) << text;
    EXPECT_NE(text.find(Msg(kMsgEmptyFileLeft) + S(localDir.filePath("empty.txt"))),
              std::string::npos);
    EXPECT_NE(text.find(S(localDir.filePath("void.txt"))), std::string::npos);
    EXPECT_EQ(prompts.shown[0].Caption, "Внимание");
    EXPECT_EQ(phone->GetFile("B", "b.txt"), "two");
}

TEST_F(FileCommandsWindow, F5SendsAJpegIntoMyImagesWithTheFreeSpaceThenFetchesItBack) {
    Boot();
    Open("Images");
    Open("My Images");
    const QString before = form->Phone().FreeLine()->text();
    const std::string jpeg = "\xff\xd8\xff\xe0" + std::string(40000, 'j');
    ASSERT_TRUE(WriteLocal(localDir.filePath("holiday.jpg"), jpeg));
    Reload();
    SelectLocal({"holiday.jpg"});
    QTest::keyClick(form->Computer().List(), Qt::Key_F5);
    Settle();

    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(phone->GetFile(phone->FolderId("mms/mmsimage"), "holiday.jpg"), jpeg);
    EXPECT_TRUE(form->Phone().List()->Names().contains("holiday.jpg"));
    // 40004 bytes take three 16 KB units.
    EXPECT_EQ(before.mid(9).split(' ')[0].toInt() -
                  form->Phone().FreeLine()->text().mid(9).split(' ')[0].toInt(),
              48);
    EXPECT_TRUE(form->Computer().List()->SelectedPaths().isEmpty());

    // Back again with the phone pane active: the local copy is replaced, the item deselected.
    QFile::remove(localDir.filePath("holiday.jpg"));
    SelectPhone({"holiday.jpg"});
    QTest::keyClick(form->Phone().List(), Qt::Key_F5);
    Settle();
    EXPECT_EQ(ReadLocal(localDir.filePath("holiday.jpg")), jpeg);
    EXPECT_TRUE(form->Phone().List()->selectedItems().isEmpty());
    ASSERT_TRUE(WaitUntil([&] {
        return form->Computer().List()->Loaded() && form->Computer().List()->FileCount() == 1;
    }));
}

// Typing in a pane moves the cursor only: F8 then takes the file under the cursor, and
// F5 to the computer asks before it replaces a local file.
TEST_F(FileCommandsWindow, QuickSearchMarksNothingAndF5AsksBeforeReplacing) {
    Boot();
    ASSERT_TRUE(phone->PutFile("B", "zebra.txt", "zz"));
    Rescan();
    Open("User");
    PhoneListView* list = form->Phone().List();
    SelectPhone({"notes.txt"});
    list->clearSelection();
    QTest::keyClicks(list, "zeb");
    ASSERT_NE(list->currentItem(), nullptr);
    EXPECT_EQ(PhoneListView::RawName(list->currentItem()), "zebra.txt");
    EXPECT_TRUE(list->selectedItems().isEmpty());
    ASSERT_TRUE(WaitUntil([&] { return form->Computer().List()->Loaded(); }));
    form->Computer().List()->clearSelection();
    QTest::keyClicks(form->Computer().List(), "..");
    EXPECT_TRUE(form->Computer().List()->SelectedPaths().isEmpty());

    ASSERT_TRUE(WriteLocal(localDir.filePath("zebra.txt"), "mine"));
    Reload();
    form->ActivatePhonePane();
    list->setFocus();
    AnswerWhenShown(form->Conflicts(), "FexSkipBtn");
    QTest::keyClick(list, Qt::Key_F5);
    Settle();
    EXPECT_EQ(ReadLocal(localDir.filePath("zebra.txt")), "mine");
    AnswerWhenShown(form->Conflicts(), "FexOverwriteBtn");
    QTest::keyClick(list, Qt::Key_F5);
    Settle();
    EXPECT_EQ(ReadLocal(localDir.filePath("zebra.txt")), "zz");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(FileCommandsWindow, F6RenamesWithTheRealDialogsWithAndWithoutAConflict) {
    Boot();
    ASSERT_TRUE(phone->PutFile("B", "other.txt", std::string(700, 'o')));
    Rescan();
    Open("User");
    ASSERT_TRUE(form->Phone().List()->Names().contains("other.txt"));

    SelectPhone({"notes.txt"});
    AnswerWhenShown(form->Renames(), "RenOK", "RenName", "diary.txt");
    QTest::keyClick(form->Phone().List(), Qt::Key_F6);
    Settle();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_FALSE(phone->GetFile("B", "notes.txt"));
    EXPECT_EQ(phone->GetFile("B", "diary.txt"), std::string(1500, 'n'));
    EXPECT_TRUE(form->Phone().List()->Names().contains("diary.txt"));
    EXPECT_FALSE(form->Phone().List()->Names().contains("notes.txt"));

    // The new name is taken: the real file-exists dialog, "Перезапиписать".
    SelectPhone({"diary.txt"});
    AnswerWhenShown(form->Renames(), "RenOK", "RenName", "other.txt");
    AnswerWhenShown(form->Conflicts(), "FexOverwriteBtn");
    QTest::keyClick(form->Phone().List(), Qt::Key_F6);
    Settle();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_FALSE(phone->GetFile("B", "diary.txt"));
    EXPECT_EQ(phone->GetFile("B", "other.txt"), std::string(1500, 'n'));
    EXPECT_EQ(form->Phone().List()->Names().count("other.txt"), 1);
}

TEST_F(FileCommandsWindow, F8DeletesPhoneFilesAndLocalFilesAfterTheQuestion) {
    Boot();
    Open("User");
    // The phone asks first, naming the file; No keeps it.
    SelectPhone({"notes.txt"});
    prompts.answers = {false};
    QTest::keyClick(form->Phone().List(), Qt::Key_F8);
    Settle();
    EXPECT_TRUE(phone->GetFile("B", "notes.txt"));
    prompts.answers = {true};
    QTest::keyClick(form->Phone().List(), Qt::Key_F8);
    Settle();
    EXPECT_FALSE(phone->GetFile("B", "notes.txt"));
    EXPECT_FALSE(form->Phone().List()->Names().contains("notes.txt"));
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].Text, "Удалить с телефона «notes.txt»?");
    EXPECT_TRUE(prompts.shown[1].Question);
    prompts.shown.clear();

    ASSERT_TRUE(WriteLocal(localDir.filePath("a.txt"), "a"));
    ASSERT_TRUE(WriteLocal(localDir.filePath("b.txt"), "b"));
    Reload();
    SelectLocal({"a.txt", "b.txt"});
    prompts.answers = {false};
    QTest::keyClick(form->Computer().List(), Qt::Key_F8);
    Settle();
    EXPECT_TRUE(QFile::exists(localDir.filePath("a.txt")));
    // A folder among them is left alone and loses its mark.
    prompts.answers = {true};
    ASSERT_TRUE(QDir(localDir.path()).mkdir("sub"));
    Reload();
    SelectLocal({"a.txt", "b.txt", "sub"});
    QTest::keyClick(form->Computer().List(), Qt::Key_F8);
    Settle();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].Text, "Вы действительно хотите удалить 2 файла?");
    EXPECT_FALSE(QFile::exists(localDir.filePath("a.txt")));
    EXPECT_FALSE(QFile::exists(localDir.filePath("b.txt")));
    ASSERT_TRUE(WaitUntil([&] { return form->Computer().List()->Loaded(); }));
    EXPECT_EQ(form->Computer().List()->FileCount(), 0);
    EXPECT_TRUE(QFileInfo(localDir.filePath("sub")).isDir());
    EXPECT_TRUE(form->Computer().List()->SelectedPaths().isEmpty());
}

TEST_F(FileCommandsWindow, PhoneItemsDroppedOnTheComputerPaneAndFilesDroppedOnThePhoneList) {
    Boot();
    Open("User");
    SelectPhone({"notes.txt"});
    {
        QMimeData data;
        data.setData(QString::fromLatin1(kPhoneItemsMime), EncodePhoneNames({"notes.txt"}));
        QWidget* target = form->Computer().List()->viewport();
        const QPointF at(target->width() / 2, target->height() / 2);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        Settle();
    }
    EXPECT_EQ(ReadLocal(localDir.filePath("notes.txt")), std::string(1500, 'n'));

    // Two files from a file manager, sent in the order of the drop.
    ASSERT_TRUE(WriteLocal(localDir.filePath("one.txt"), "first"));
    ASSERT_TRUE(WriteLocal(localDir.filePath("two.txt"), "second"));
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(localDir.filePath("two.txt")),
                      QUrl::fromLocalFile(localDir.filePath("one.txt"))});
        QWidget* target = form->Phone().List()->viewport();
        const QPointF at(target->width() / 2, target->height() / 2);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        Settle();
    }
    EXPECT_EQ(phone->GetFile("B", "one.txt"), "first");
    EXPECT_EQ(phone->GetFile("B", "two.txt"), "second");
    const std::string sent = phone->Received();
    EXPECT_LT(sent.find("two.txt"), sent.find("one.txt"));
    EXPECT_TRUE(form->Phone().List()->Names().contains("one.txt"));
}

TEST_F(FileCommandsWindow, AbortDuringTheThirdOfFiveFilesStopsItsReadAndKeepsTheOldFile) {
    EmulatorConfig config;
    config.LatencyMs = 20;
    Boot(config);
    for (int i = 1; i <= 5; ++i)
        ASSERT_TRUE(phone->PutFile("B", "f" + std::to_string(i) + ".bin",
                                   std::string(3000, static_cast<char>('a' + i))));
    {
        QFile old(localDir.filePath("f3.bin"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    Rescan();
    Open("User");
    SelectPhone({"f1.bin", "f2.bin", "f3.bin", "f4.bin", "f5.bin"});
    QTimer presser;
    QObject::connect(&presser, &QTimer::timeout, [&] {
        // While the third file is on its way (the phone has been asked for it).
        if (form->Progress()->isVisible() && phone->Received().find("f3.bin") != std::string::npos) {
            form->Progress()->AbortBtn->click();
            presser.stop();
        }
    });
    presser.start(2);
    // The old third file is to be replaced: the question comes before its read.
    AnswerWhenShown(form->Conflicts(), "FexOverwriteBtn");
    QTest::keyClick(form->Phone().List(), Qt::Key_F5);
    Settle();
    // The user's own abort: no box, the third file's read dropped, the old file kept.
    EXPECT_TRUE(prompts.shown.empty());
    for (int i = 1; i <= 2; ++i)
        EXPECT_EQ(ReadLocal(localDir.filePath(QStringLiteral("f%1.bin").arg(i))),
                  std::string(3000, static_cast<char>('a' + i)));
    EXPECT_EQ(ReadLocal(localDir.filePath("f3.bin")), "old");
    EXPECT_FALSE(QFile::exists(localDir.filePath("f4.bin")));
    QStringList still;
    for (QTreeWidgetItem* item : form->Phone().List()->selectedItems()) still << item->text(0);
    still.sort();
    EXPECT_EQ(still, (QStringList{"f3.bin", "f4.bin", "f5.bin"}));

    // The link was set right again: the rest comes with the next F5.
    QFile::remove(localDir.filePath("f3.bin"));
    QTest::keyClick(form->Phone().List(), Qt::Key_F5);
    Settle();
    EXPECT_TRUE(prompts.shown.empty());
    for (int i = 3; i <= 5; ++i)
        EXPECT_EQ(ReadLocal(localDir.filePath(QStringLiteral("f%1.bin").arg(i))),
                  std::string(3000, static_cast<char>('a' + i)));
}

TEST_F(FileCommandsWindow, TwoPhoneFilesOfOneLocalNameAreBothFetchedAndTheSecondIsNamed) {
    Boot();
    ASSERT_TRUE(phone->PutFile("B", "game.jar", "plain"));
    ASSERT_TRUE(phone->PutFile("B", "game_suite.jar", "suite"));
    Open("User");
    Rescan();  // the folder shown, read again
    SelectPhone({"game.jar", "game_suite.jar"});
    QTest::keyClick(form->Phone().List(), Qt::Key_F5);
    Settle();
    EXPECT_EQ(ReadLocal(localDir.filePath("game.jar")), "plain");
    EXPECT_EQ(ReadLocal(localDir.filePath("game (2).jar")), "suite");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Text,
              "game_suite.jar сохранён как game (2).jar: имя game.jar уже получил другой "
              "файл этой же команды");
}

TEST_F(FileCommandsWindow, F7RebuildsTheRegistryWithItsProgressLines) {
    // A phone that takes a moment to answer: the progress is on the screen long enough for
    // the watcher below to read its lines.
    EmulatorConfig config;
    config.LatencyMs = 10;
    Boot(config);
    const std::string java = phone->FolderId("java");
    ASSERT_TRUE(phone->PutFile(java, "game_suite.jar", std::string(500, 'g')));
    ASSERT_TRUE(phone->PutFile(java, "game_suite.jad", std::string(50, 'd')));
    Rescan();
    Open("java");
    QStringList lines;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (!form->Progress()->isVisible()) return;
        const QString line =
            form->Progress()->QuickStatus->text() + " | " + form->Progress()->LongStatus->text();
        if (lines.isEmpty() || lines.back() != line) lines << line;
    });
    watcher.start(1);
    QTest::keyClick(form->Phone().List(), Qt::Key_F7);
    Settle();
    watcher.stop();
    EXPECT_TRUE(prompts.shown.empty());
    ASSERT_FALSE(lines.isEmpty());
    // The long line says what runs; the rebuild tells its steps on the quick line.
    for (const QString& line : lines)
        EXPECT_TRUE(line.endsWith(" | Компилирование Java")) << S(line);
    const auto registry = phone->GetFile(java, "suites.utf");
    ASSERT_TRUE(registry);
    EXPECT_NE(registry->find("game_"), std::string::npos);
    EXPECT_TRUE(form->Phone().List()->Names().contains("suites.utf"));
    EXPECT_EQ(form->Phone().PathLine()->text(), "E700:\\java");
}

TEST_F(FileCommandsWindow, FavouritesMenuAddsGoesAndTheAboutWindowOpens) {
    Boot();
    QDir(localDir.path()).mkdir("photos");
    form->SetComputerPath(localDir.filePath("photos"));
    // "Добавить текущую папку" through the real rename dialog, its caption restored.
    AnswerWhenShown(form->Renames(), "RenOK", "RenName", "Фото");
    form->Computer().AddCurrentAction()->trigger();
    ASSERT_EQ(form->Favs.Alias.size(), 1u);
    EXPECT_EQ(form->Favs.Alias[0], "Фото");
    EXPECT_EQ(Q(form->Favs.Path[0]), QDir::toNativeSeparators(localDir.filePath("photos")));
    EXPECT_EQ(form->Renames()->windowTitle(), "Переименовать");

    form->SetComputerPath(localDir.path());
    // The menu as it shows: the favourite, a separator, the two fixed items; twice the same.
    for (int round = 0; round < 2; ++round) {
        emit form->Computer().FavouritesPopup()->aboutToShow();
        const QList<QAction*> actions = form->Computer().FavouritesPopup()->actions();
        ASSERT_EQ(actions.size(), 4);
        EXPECT_EQ(actions[0]->text(), "Фото");
        EXPECT_TRUE(actions[1]->isSeparator());
    }
    form->Computer().FavouritesPopup()->actions()[0]->trigger();
    EXPECT_EQ(form->Computer().List()->Path(), localDir.filePath("photos"));

    // About: the window of its own, closed with its OK.
    std::string title;
    ModalDriver driver([&](QWidget* modal) {
        title = S(modal->windowTitle());
        if (auto* ok = modal->findChild<QPushButton*>("AboutOkBtn"))
            QTest::mouseClick(ok, Qt::LeftButton);
    });
    form->MenuAction("About1")->trigger();
    EXPECT_TRUE(driver.Acted());
    EXPECT_EQ(title, "О программе");
    ASSERT_NE(form->About(), nullptr);
    EXPECT_FALSE(form->About()->isVisible());
}

}  // namespace

namespace {

QStringList LocalFiles(const QTemporaryDir& dir) {
    QStringList names = QDir(dir.path()).entryList(QDir::Files);
    names.sort();
    return names;
}

TEST_F(FileCommandsWindow, InsertThreeTimesMarksThreeFilesAndF5CopiesExactlyThose) {
    Boot();
    for (const char* name : {"one.txt", "two.txt", "three.txt", "four.txt"})
        ASSERT_TRUE(phone->PutFile("B", name, std::string(700, name[1])));
    Rescan();
    Open("User");
    form->ActivatePhonePane();
    ASSERT_EQ(form->Phone().List()->currentItem()->text(0), "..");
    // The first Insert passes over "..", the next three mark three files.
    for (int i = 0; i < 4; ++i) QTest::keyClick(form->Phone().List(), Qt::Key_Insert);
    const std::vector<std::string> marked = form->Phone().List()->SelectedNames();
    ASSERT_EQ(marked.size(), 3u);
    QTest::keyClick(form->Phone().List(), Qt::Key_F5);
    Settle();
    EXPECT_TRUE(prompts.shown.empty());
    QStringList expected;
    for (const std::string& name : marked) expected << Q(name);
    expected.sort();
    EXPECT_EQ(LocalFiles(localDir), expected);
    // What was copied lost its marks.
    EXPECT_TRUE(form->Phone().List()->selectedItems().isEmpty());
}

TEST_F(FileCommandsWindow, ACopyToThePhoneThatFailsKeepsTheMarks) {
    Boot();
    Open("User");
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        WriteLocal(localDir.filePath(name), "text");
    Reload();
    form->ActivateComputerPane();
    ASSERT_TRUE(form->Computer().List()->SetCurrentName("a.txt"));
    QTest::keyClick(form->Computer().List(), Qt::Key_Insert);
    QTest::keyClick(form->Computer().List(), Qt::Key_Insert);
    ASSERT_EQ(form->Computer().List()->SelectedPaths().size(), 2);
    // The phone refuses to store anything: nothing was copied, so nothing loses its mark.
    phone->FailCommand("AT+FSFW", 2000);
    QTest::keyClick(form->Computer().List(), Qt::Key_F5);
    Settle();
    EXPECT_FALSE(prompts.shown.empty());
    EXPECT_EQ(form->Computer().List()->SelectedPaths(),
              (QStringList{localDir.filePath("a.txt"), localDir.filePath("b.txt")}));

    // Once the phone takes it, the copied file is unmarked.
    phone->ClearFaults();
    prompts.shown.clear();
    if (!form->PhoneReady()) GTEST_SKIP() << "the failure dropped the connection";
    form->Computer().List()->clearSelection();
    ASSERT_TRUE(form->Computer().List()->SetCurrentName("a.txt"));
    QTest::keyClick(form->Computer().List(), Qt::Key_Insert);
    QTest::keyClick(form->Computer().List(), Qt::Key_F5);
    Settle();
    EXPECT_EQ(phone->GetFile("B", "a.txt"), "text");
    EXPECT_TRUE(form->Computer().List()->SelectedPaths().isEmpty());

    // Cancelled at the second file (its name is taken on the phone): the first went and
    // loses its mark, the rest stay marked, so a second F5 sends nothing twice.
    ASSERT_TRUE(phone->PutFile("B", "b.txt", "theirs"));
    Rescan();  // the folder shown, read again
    form->ActivateComputerPane();
    form->Computer().List()->clearSelection();
    ASSERT_TRUE(form->Computer().List()->SetCurrentName("a.txt"));
    for (int i = 0; i < 3; ++i) QTest::keyClick(form->Computer().List(), Qt::Key_Insert);
    ASSERT_EQ(form->Computer().List()->SelectedPaths().size(), 3);
    AnswerWhenShown(form->Conflicts(), "FexOverwriteBtn");  // a's name is taken too
    AnswerWhenShown(form->Conflicts(), "FexCancel");
    QTest::keyClick(form->Computer().List(), Qt::Key_F5);
    Settle();
    EXPECT_EQ(form->Computer().List()->SelectedPaths(),
              (QStringList{localDir.filePath("b.txt"), localDir.filePath("c.txt")}));
    EXPECT_EQ(phone->GetFile("B", "b.txt"), "theirs");
}

}  // namespace
