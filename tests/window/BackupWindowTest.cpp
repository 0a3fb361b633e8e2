// Backup, restore and verify from the "Файл" menu against the phone emulator: the folder
// chooser (the real directory dialog once, a scripted answer otherwise), the wide progress
// dialog with its abort button, the restore selection dialog and the file-exists dialog
// pressed by the test, and the boxes that say what came of it.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <map>

#include "commands/Backup.h"
#include "emulator/PhoneEmulator.h"
#include "link/PhoneLink.h"
#include "settings/SettingsStore.h"
#include "localpane/LocalDirView.h"
#include "session/PhoneSession.h"
#include "window/BackupCommands.h"
#include "window/ConflictDialog.h"
#include "window/MainWindow.h"
#include "window/ProgressDialog.h"
#include "window/RestoreDialog.h"
#include "window/Texts.h"
#include "window/WindowOnPhone.h"
#include "window/WindowTestSupport.h"

using namespace q7k3;
using q7k3::emu::EmulatorConfig;
using q7k3::test::ModalDriver;
using q7k3::test::ReadLocal;
using q7k3::test::ScriptedUi;
using q7k3::test::WaitUntil;
using q7k3::test::WindowOnPhone;

namespace {

struct BackupWindow : ::testing::Test, WindowOnPhone<> {
    QTemporaryDir backupDir;
    QStringList startFolders;  // where the folder chooser was asked to start

    void TearDown() override {
        ExpectIdle();
        Close();
    }

    void Boot(EmulatorConfig config = {}) {
        ASSERT_TRUE(backupDir.isValid());
        config.Content = emu::Preset::Demo;
        WindowOnPhone::Boot(config);
        ASSERT_FALSE(HasFatalFailure());
        form->Backups()->ChooseFolder = [this](const QString&, const QString& start) {
            startFolders << start;
            return backupDir.path();
        };
    }

    // The menu item as the user reaches it: the menu opens (and decides what is enabled).
    void Choose(QAction* item) {
        emit form->findChild<QMenu*>("FileMenu")->aboutToShow();
        ASSERT_TRUE(item->isEnabled()) << S(item->text());
        item->trigger();
        Settle();
    }

    BackupManifest Manifest() {
        BackupManifest manifest;
        std::string error;
        EXPECT_TRUE(manifest.Load(S(backupDir.path()), error)) << error;
        return manifest;
    }

    // The phone folder (identifier) holding the most files of the backup.
    std::pair<std::string, std::string> FullestFolder(const BackupManifest& manifest) {
        std::map<std::pair<std::string, std::string>, int> count;
        for (const BackupRecord& r : manifest.Records) ++count[{r.FolderId, r.FolderPath}];
        auto best = count.begin();
        for (auto it = count.begin(); it != count.end(); ++it)
            if (it->second > best->second) best = it;
        return best->first;
    }
};

TEST_F(BackupWindow, BackupFromTheMenuThroughTheDirectoryDialogKeepsEveryFileAndIsIncremental) {
    // A phone that takes a moment over each answer, so that the progress lines of the files
    // reach the window one by one, whatever the speed of the build.
    EmulatorConfig slow;
    slow.LatencyMs = 3;
    Boot(slow);
    // The real directory dialog, starting in the computer pane's folder.
    form->Backups()->ChooseFolder = [this](const QString& caption, const QString& start) {
        return ChooseFolderDialog(form.get(), caption, start);
    };
    QString shownIn, title;
    ModalDriver driver([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        shownIn = dialog->directory().absolutePath();
        auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(edit, nullptr);
        edit->setText(backupDir.path());
        QTest::keyClick(edit, Qt::Key_Return);
    });
    // What the progress dialog shows while the files arrive, and whether the menu would
    // offer the commands meanwhile.
    QStringList lines;
    int width = 0;
    bool offeredWhileBusy = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (!form->Progress()->isVisible()) return;
        width = form->Progress()->width();
        offeredWhileBusy = offeredWhileBusy || form->Backups()->Applies();
        const QString line = form->Progress()->LongStatus->text();
        if (lines.isEmpty() || lines.back() != line) lines << line;
    });
    watcher.start(1);
    Choose(form->MenuAction("Backup1"));
    watcher.stop();
    EXPECT_TRUE(driver.Acted());
    EXPECT_EQ(title, "Папка резервной копии");
    EXPECT_EQ(shownIn, QDir(localDir.path()).absolutePath());

    const BackupManifest manifest = Manifest();
    ASSERT_GE(manifest.Records.size(), 10u);
    for (const BackupRecord& r : manifest.Records) {
        const auto onPhone = phone->GetFile(r.FolderId, r.Name);
        ASSERT_TRUE(onPhone) << r.FolderPath << "\\" << r.Name;
        EXPECT_EQ(ReadLocal(QDir(backupDir.path()).filePath(Q(r.LocalName))), *onPhone) << r.Name;
    }
    const std::string count = std::to_string(manifest.Records.size());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Caption, "Резервная копия телефона");
    EXPECT_EQ(prompts.shown[0].Icon, BoxIcon::Information);
    EXPECT_TRUE(prompts.shown[0].Text.starts_with("Скопировано файлов: " + count + ", "));
    // The contacts and messages follow the files.
    EXPECT_TRUE(prompts.shown[0].Text.ends_with(" КБ, без изменений: 0\r\nКонтакты сохранены: 23\r\n"
                                                "Сообщения сохранены: 8"))
        << prompts.shown[0].Text;

    // The wide dialog counted files and kilobytes; afterwards it is its usual self again.
    EXPECT_EQ(width, 441);
    EXPECT_FALSE(offeredWhileBusy);
    EXPECT_TRUE(lines.contains(QRegularExpression(
        QStringLiteral("^Копирование файла \\d+ из %1, \\d+ из \\d+ КБ(, осталось \\d+:\\d\\d)?")
            .arg(Q(count)))))
        << S(lines.join('|'));
    // The usual width: 265, or what the file's line needs in the font at hand.
    EXPECT_GE(form->Progress()->width(), 265);
    EXPECT_LT(form->Progress()->width(), 441);
    EXPECT_EQ(form->Progress()->windowTitle(), "Передача данных...");

    // Once more, the chooser answered by the test: nothing is fetched, every file is
    // counted as unchanged.
    form->Backups()->ChooseFolder = [this](const QString&, const QString& start) {
        startFolders << start;
        return backupDir.path();
    };
    Choose(form->MenuAction("Backup1"));
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].Text, "Скопировано файлов: 0, 0 КБ, без изменений: " + count +
                                         "\r\nКонтакты сохранены: 23\r\nСообщения сохранены: 8");
    EXPECT_EQ(startFolders, QStringList{localDir.path()});
}

TEST_F(BackupWindow, RestoreThroughTheSelectionDialogPutsBackTheCheckedFiles) {
    Boot();
    Choose(form->MenuAction("Backup1"));
    ASSERT_EQ(prompts.shown.size(), 1u);
    const BackupManifest manifest = Manifest();
    const auto fullest = FullestFolder(manifest);
    const std::string folderId = fullest.first, folderPath = fullest.second;
    std::map<std::string, std::string> saved;  // the folder's files as they were
    for (const BackupRecord& r : manifest.Records)
        if (r.FolderId == folderId) saved[r.Name] = *phone->GetFile(r.FolderId, r.Name);
    ASSERT_GE(saved.size(), 2u);
    // The folder's files are lost on the phone.
    for (const auto& [name, bytes] : saved) ASSERT_TRUE(phone->RemoveFile(folderId, name));
    const std::string skipped = saved.begin()->first;
    // One file of another folder is still on the phone: its name is taken.
    const BackupRecord* other = nullptr;
    for (const BackupRecord& r : manifest.Records)
        if (r.FolderId != folderId) other = &r;
    ASSERT_NE(other, nullptr);

    ModalDriver driver([&](QWidget* modal) {
        auto* dialog = qobject_cast<RestoreDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Что восстановить");
        // Everything is checked to begin with.
        EXPECT_EQ(dialog->Chosen().size(), manifest.Records.size());
        // Only the lost folder, without its first file, and the one other file.
        for (int f = 0; f < dialog->RestoreTree->topLevelItemCount(); ++f) {
            QTreeWidgetItem* folder = dialog->RestoreTree->topLevelItem(f);
            if (S(folder->text(0)) != folderPath) folder->setCheckState(0, Qt::Unchecked);
        }
        QTreeWidgetItem* keep = dialog->FileItem(Q(other->FolderPath), Q(other->Name));
        ASSERT_NE(keep, nullptr);
        keep->setCheckState(0, Qt::Checked);
        // The user's way to clear one file: the cursor on it, Space.
        QTreeWidgetItem* skip = dialog->FileItem(Q(folderPath), Q(skipped));
        ASSERT_NE(skip, nullptr);
        dialog->RestoreTree->setCurrentItem(skip);
        QTest::keyClick(dialog->RestoreTree, Qt::Key_Space);
        EXPECT_EQ(skip->checkState(0), Qt::Unchecked);
        EXPECT_EQ(dialog->FolderItem(Q(folderPath))->checkState(0), Qt::PartiallyChecked);
        EXPECT_EQ(dialog->Chosen().size(), saved.size());
        QTest::mouseClick(dialog->RestoreOK, Qt::LeftButton);
    });
    // The file still on the phone: the real file-exists dialog, "Перезапиписать".
    QTimer overwrite;
    QObject::connect(&overwrite, &QTimer::timeout, [&] {
        if (!form->Conflicts()->isVisible()) return;
        overwrite.stop();
        QTest::mouseClick(form->Conflicts()->findChild<QPushButton*>("FexOverwriteBtn"),
                          Qt::LeftButton);
    });
    overwrite.start(10);
    const std::string otherBytes = *phone->GetFile(other->FolderId, other->Name);
    Choose(form->MenuAction("Restore1"));
    EXPECT_TRUE(driver.Acted());
    EXPECT_FALSE(overwrite.isActive()) << "no file-exists question";

    for (const auto& [name, bytes] : saved) {
        if (name == skipped)
            EXPECT_FALSE(phone->GetFile(folderId, name)) << name;
        else
            EXPECT_EQ(phone->GetFile(folderId, name), bytes) << name;
    }
    EXPECT_EQ(phone->GetFile(other->FolderId, other->Name), otherBytes);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].Caption, "Восстановление из резервной копии");
    // Then the contacts, all of them on the phone still.
    EXPECT_EQ(prompts.shown[1].Text, "Восстановлено файлов: " + std::to_string(saved.size()) +
                                         " из " + std::to_string(saved.size()) + "\r\n" +
                                         "Контакты записаны в память SM. Записано: 0, уже были в телефоне: 8\r\n" +
                                         "Контакты записаны в память ME. Записано: 0, уже были в телефоне: 15");
    EXPECT_EQ(prompts.shown[1].Icon, BoxIcon::Information);
}

TEST_F(BackupWindow, RestoreIntoAFullPhoneSaysWhatWasAndWasNotRestored) {
    Boot();
    Choose(form->MenuAction("Backup1"));
    const BackupManifest manifest = Manifest();
    const auto fullest = FullestFolder(manifest);
    const std::string folderId = fullest.first, folderPath = fullest.second;
    std::vector<std::string> lost;
    for (const BackupRecord& r : manifest.Records)
        if (r.FolderId == folderId) lost.push_back(r.Name);
    ASSERT_GE(lost.size(), 2u);
    // The phone counts its memory in 16 KB units. With the folder's files gone, a big file
    // leaves room for the first of them only.
    const auto units = [](int64_t size) { return (size + 16383) / 16384; };
    int64_t used = 0, room = -1;
    // Every folder of the phone, the ones the tree does not show included: this model's
    // identifiers are single characters.
    for (int c = 1; c < 256; ++c) {
        const std::string id(1, static_cast<char>(c));
        if (id == folderId) continue;
        for (const StoredFile& f : phone->ListFiles(id))
            used += units(static_cast<int64_t>(f.Size));
    }
    for (const BackupRecord& r : manifest.Records)
        if (r.FolderId == folderId && room < 0) room = units(r.Size);
    for (const std::string& name : lost) ASSERT_TRUE(phone->RemoveFile(folderId, name));
    const int64_t capacity = EmulatorConfig{}.CapacityKb / 16;
    ASSERT_TRUE(
        phone->PutFile(phone->FolderId("user"), "big.bin",
                       std::string(static_cast<size_t>((capacity - used - room) * 16384), 'b')));

    ModalDriver driver([&](QWidget* modal) {
        auto* dialog = qobject_cast<RestoreDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        for (int f = 0; f < dialog->RestoreTree->topLevelItemCount(); ++f) {
            QTreeWidgetItem* folder = dialog->RestoreTree->topLevelItem(f);
            if (S(folder->text(0)) != folderPath) folder->setCheckState(0, Qt::Unchecked);
        }
        QTest::mouseClick(dialog->RestoreOK, Qt::LeftButton);
    });
    Choose(form->MenuAction("Restore1"));
    EXPECT_TRUE(driver.Acted());
    int back = 0;
    for (const std::string& name : lost) back += phone->GetFile(folderId, name) ? 1 : 0;
    EXPECT_EQ(back, 1);
    // One box: the error, with both lists.
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].Caption, "Ошибка");
    const std::string& text = prompts.shown[1].Text;
    EXPECT_TRUE(text.starts_with(
        "Память телефона заполнена, восстановление остановлено. Восстановлено файлов: 1 из " +
        std::to_string(lost.size()) + ". Восстановлены: " + folderPath + "\\"))
        << text;
    EXPECT_NE(text.find(". Не восстановлены: " + folderPath + "\\"), std::string::npos) << text;
    EXPECT_FALSE(form->Busy());
}

TEST_F(BackupWindow, RestoreCancelledInTheSelectionDialogSendsNothing) {
    Boot();
    Choose(form->MenuAction("Backup1"));
    const std::string before = phone->Received();
    ModalDriver driver([&](QWidget* modal) {
        auto* dialog = qobject_cast<RestoreDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        // With nothing checked, OK cannot be pressed.
        for (int f = 0; f < dialog->RestoreTree->topLevelItemCount(); ++f)
            dialog->RestoreTree->topLevelItem(f)->setCheckState(0, Qt::Unchecked);
        // The backup's contacts are offered, checked: OK stays until they are cleared too.
        EXPECT_TRUE(dialog->RestoreContacts->isVisible());
        EXPECT_TRUE(dialog->RestoreOK->isEnabled());
        dialog->RestoreContacts->setChecked(false);
        EXPECT_FALSE(dialog->RestoreOK->isEnabled());
        QTest::mouseClick(dialog->RestoreCancel, Qt::LeftButton);
    });
    Choose(form->MenuAction("Restore1"));
    EXPECT_TRUE(driver.Acted());
    EXPECT_EQ(phone->Received(), before);
    EXPECT_EQ(prompts.shown.size(), 1u);

    // A folder that holds no backup: said at once, without the dialog.
    QTemporaryDir empty;
    form->Backups()->ChooseFolder = [&](const QString&, const QString&) { return empty.path(); };
    Choose(form->MenuAction("Restore1"));
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].Text, "В папке нет резервной копии: " + S(empty.path()));
    EXPECT_EQ(prompts.shown[1].Caption, "Ошибка");
}

TEST_F(BackupWindow, VerifyFindsAChangedFileAndTheDeepCheckACopyChangedInPlace) {
    Boot();
    Choose(form->MenuAction("Backup1"));
    const BackupManifest manifest = Manifest();
    const BackupRecord& changed = manifest.Records.front();
    const BackupRecord& same = manifest.Records.back();
    ASSERT_TRUE(phone->PutFile(changed.FolderId, changed.Name, "other bytes"));
    // Same size and time stamp, other bytes: only the deep check can tell.
    std::string stamp;
    for (const StoredFile& f : phone->ListFiles(same.FolderId))
        if (f.Name == same.Name) stamp = f.Stamp;
    std::string bytes = *phone->GetFile(same.FolderId, same.Name);
    ASSERT_FALSE(bytes.empty());
    bytes[0] = static_cast<char>(bytes[0] ^ 0x55);
    ASSERT_TRUE(phone->PutFile(same.FolderId, same.Name, bytes, stamp));

    // The question with its check box, answered as the user would.
    const auto verify = [&](bool deep) {
        ModalDriver driver([&](QWidget* modal) {
            EXPECT_EQ(modal->windowTitle(), "Проверка резервной копии");
            auto* box = modal->findChild<QCheckBox*>("VerifyDeep");
            ASSERT_NE(box, nullptr);
            EXPECT_FALSE(box->isChecked());
            if (deep) QTest::mouseClick(box, Qt::LeftButton);
            QTest::mouseClick(modal->findChild<QPushButton*>("VerifyOK"), Qt::LeftButton);
        });
        Choose(form->MenuAction("Verify1"));
        EXPECT_TRUE(driver.Acted());
    };
    verify(false);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].Caption, "Проверка резервной копии");
    EXPECT_EQ(prompts.shown[1].Icon, BoxIcon::Warning);
    EXPECT_EQ(prompts.shown[1].Text,
              "Изменён на телефоне: " + changed.FolderPath + "\\" + changed.Name);

    verify(true);
    ASSERT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(prompts.shown[2].Text,
              "Изменён на телефоне: " + changed.FolderPath + "\\" + changed.Name +
                  "\r\nНе совпадает контрольная сумма: " + same.FolderPath + "\\" + same.Name);
}

TEST_F(BackupWindow, AbortStopsTheBackupCleanlyAndTheNextOneCompletesIt) {
    EmulatorConfig config;
    config.LatencyMs = 5;
    Boot(config);
    QTimer presser;
    QObject::connect(&presser, &QTimer::timeout, [&] {
        if (form->Progress()->isVisible() && form->Progress()->CountBar->value() == 3) {
            QTest::mouseClick(form->Progress()->AbortBtn, Qt::LeftButton);
            presser.stop();
        }
    });
    presser.start(1);
    Choose(form->MenuAction("Backup1"));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Icon, BoxIcon::Warning);
    EXPECT_TRUE(prompts.shown[0].Text.starts_with(
        "Резервная копия прервана. Следующий запуск продолжит её с того же места.\r\n"
        "Скопировано файлов: "))
        << prompts.shown[0].Text;
    const size_t partial = Manifest().Records.size();
    EXPECT_GE(partial, 3u);

    Choose(form->MenuAction("Backup1"));
    ASSERT_EQ(prompts.shown.size(), 2u);
    // The files, then the contacts and messages the aborted one had not reached.
    EXPECT_NE(prompts.shown[1].Text.find(", без изменений: " + std::to_string(partial) +
                                         "\r\nКонтакты сохранены: "),
              std::string::npos)
        << prompts.shown[1].Text;
    const BackupManifest manifest = Manifest();
    EXPECT_GT(manifest.Records.size(), partial);
    for (const BackupRecord& r : manifest.Records)
        EXPECT_EQ(ReadLocal(QDir(backupDir.path()).filePath(Q(r.LocalName))),
                  *phone->GetFile(r.FolderId, r.Name));
}

TEST_F(BackupWindow, TheMenuOffersTheCommandsOnlyOnceThePhoneIsRead) {
    AppFlags idleFlags;
    ScriptedUi idlePrompts;
    MainWindow idle(idleFlags, idlePrompts);
    emit idle.findChild<QMenu*>("FileMenu")->aboutToShow();
    for (QAction* item :
         {idle.MenuAction("Backup1"), idle.MenuAction("Restore1"), idle.MenuAction("Verify1")})
        EXPECT_FALSE(item->isEnabled());
    EXPECT_EQ(idle.MenuAction("Backup1")->text(), "Резервная копия телефона…");
    EXPECT_EQ(idle.MenuAction("Restore1")->text(), "Восстановить из копии…");
    EXPECT_EQ(idle.MenuAction("Verify1")->text(), "Проверить копию…");
    // Triggered anyway (a shortcut, a stale menu), nothing is asked.
    bool asked = false;
    idle.Backups()->ChooseFolder = [&](const QString&, const QString&) {
        asked = true;
        return QString();
    };
    idle.MenuAction("Backup1")->trigger();
    idle.MenuAction("Verify1")->trigger();
    EXPECT_FALSE(asked);
    EXPECT_TRUE(idlePrompts.shown.empty());
}

}  // namespace
