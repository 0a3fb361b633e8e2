#include <QFileInfo>

#include "CommandFixture.h"
#include "commands/Backup.h"
#include "commands/DeleteFiles.h"
#include "commands/RenameFile.h"
#include "support/Reasons.h"
#include "base/Messages.h"
#include "commands/Unfinished.h"

using namespace q7k3;
using namespace q7k3::test;

namespace {

using DeleteTest = CommandFixture;

std::vector<std::string> Erases(const std::string& received) {
    std::vector<std::string> out;
    for (const std::string& c : SentCommands(received)) {
        if (c.starts_with("AT+FSFE") || c.starts_with("AT+FSCD")) out.push_back(c);
    }
    return out;
}

TEST_F(DeleteTest, PhotosTakeTheirThumbnailsPerModelAndMode) {
    struct Case {
        const char* model;
        int mode;
        const char* thumbFolder;  // null: no thumbnail erased
        bool refused = false;     // the phone refuses to make the thumbnail folder current
    };
    for (const Case& c :
         {Case{"SGH-E700", 0, "X"}, Case{"SGH-X600", 0, "W"}, Case{"SGH-E700", 1, nullptr},
          Case{"SGH-E700", 2, nullptr}, Case{"SGH-E700", 0, nullptr, true}}) {
        SCOPED_TRACE(c.model + std::string(" mode ") + std::to_string(c.mode));
        link.emu->SetModel(c.model);
        link.fs->RereadModel();
        link.flags.Mode = static_cast<FolderMode>(c.mode);
        link.fs->SetRoot(BuildFolderMap(MapKind::Normal, link.fs->ModelCodeText()));
        const std::string camera = IdOf("Images\\My Photos\\Camera");
        link.emu->PutFile(camera, "photo0001.jpg", "jpeg");
        link.emu->PutFile(camera, "photo0002.jpg", "jpeg");
        if (c.thumbFolder) link.emu->PutFile(c.thumbFolder, "photo0001.bmp", "thumb");
        // A file of the photo folder named as the thumbnail is no thumbnail: it stays.
        link.emu->PutFile(camera, "photo0001.bmp", "mine");
        if (c.refused) link.emu->FailName("X", 2000);
        Tree4* folder = Folder("Images\\My Photos\\Camera");
        link.emu->ClearReceived();
        DeleteFiles erase(*link.fs, folder);
        ASSERT_TRUE(erase.Run({"photo0001.jpg"}));
        std::vector<std::string> expected = {"AT+FSCD=\"" + camera + "\"",
                                             "AT+FSFE=-1,\"photo0001.jpg\""};
        if (c.refused) expected.push_back("AT+FSCD=\"X\"");
        if (c.thumbFolder) {
            expected.push_back(std::string("AT+FSCD=\"") + c.thumbFolder + "\"");
            expected.push_back("AT+FSFE=-1,\"photo0001.bmp\"");
            EXPECT_FALSE(link.emu->GetFile(c.thumbFolder, "photo0001.bmp"));
        }
        EXPECT_EQ(Erases(link.emu->Received()), expected);
        EXPECT_EQ(PhoneNames(camera), (std::vector<std::string>{"photo0002.jpg", "photo0001.bmp"}));
        EXPECT_EQ(folder->Files.size(), 2u);
        link.emu->RemoveFile(camera, "photo0002.jpg");
        link.emu->RemoveFile(camera, "photo0001.bmp");
        link.emu->ClearFaults();
    }
}

TEST_F(DeleteTest, FoldersAreSkippedAndARefusedEraseKeepsTheFileListed) {
    const std::string id = IdOf("Sounds\\My Sounds");
    for (const char* name : {"a.mid", "b.mid", "c.mid"}) link.emu->PutFile(id, name, "MThd");
    Tree4* folder = Folder("Sounds\\My Sounds");
    link.emu->ClearReceived();
    DeleteFiles erase(*link.fs, folder);
    ASSERT_TRUE(erase.Run({"Ringtones", "a.mid", "b.mid"}));
    EXPECT_EQ(erase.Erased(), (std::vector<std::string>{"a.mid", "b.mid"}));
    EXPECT_EQ(link.progress.longStatus, "Удаление файла 2 из 3");
    EXPECT_EQ(link.progress.quick, "Удаление b.mid");
    // No thumbnail folder for sounds.
    EXPECT_EQ(Erases(link.emu->Received()).size(), 3u);

    link.emu->FailName("c.mid", 2000);
    DeleteFiles refused(*link.fs, folder);
    EXPECT_EQ(test::ReasonOf(refused.Run({"c.mid"})), kErrPhoneNotFound);
    EXPECT_TRUE(HasFile(folder, "c.mid"));
}

// Erasing on the phone cannot be undone: one question, naming the file when there is one.
TEST_F(DeleteTest, PhoneDeleteAsksFirst) {
    const std::string id = IdOf("Sounds\\My Sounds");
    for (const char* name : {"Birds.mmf", "b.mid"}) link.emu->PutFile(id, name, "MThd");
    const Tree4* folder = Folder("Sounds\\My Sounds");
    prompts.yesNo = {false, true, true};
    EXPECT_FALSE(AskPhoneDelete(prompts, folder, {"Ringtones", "Birds.mmf"}));
    EXPECT_TRUE(AskPhoneDelete(prompts, folder, {"Birds.mmf", "b.mid"}));
    // Folders only: nothing would be erased, nothing is asked.
    EXPECT_TRUE(AskPhoneDelete(prompts, folder, {"Ringtones"}));
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].Text, "Удалить с телефона «Birds.mmf»?");
    EXPECT_EQ(prompts.shown[1].Text, "Удалить с телефона 2 файла?");
    EXPECT_EQ(prompts.shown[0].Caption, Msg(kMsgDeleteCaption));
    prompts.yesNo.clear();
}

TEST_F(DeleteTest, LocalDeleteAsksOnceAndNamesWhatItCouldNotDelete) {
    const std::vector<std::string> files = {WriteLocal("1.txt", "1"), WriteLocal("2.txt", "2"),
                                            Path("")};
    DeleteLocalFiles erase(prompts);
    prompts.answers = {false};
    EXPECT_FALSE(erase.Run(files));
    ASSERT_EQ(prompts.shown.size(), 1u);
    // The folder among them is left alone and not counted.
    EXPECT_EQ(prompts.shown[0].Text, "Вы действительно хотите удалить 2 файла?");
    EXPECT_EQ(prompts.shown[0].Caption, "Удаление");
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(files[0])));

    // A file no one may delete, even root: the kernel's own.
    prompts.answers = {true};
    prompts.shown.clear();
    EXPECT_TRUE(erase.Run({files[0], files[1], dir.path().toStdString(), "/proc/self/status"}));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(files[0])));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(files[1])));
    EXPECT_TRUE(QFileInfo::exists(dir.path()));
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].Text, "Невозможно удалить файл /proc/self/status");
    EXPECT_EQ(prompts.shown[1].Icon, BoxIcon::Error);
}

struct RenameTest : CommandFixture {
    ScriptedUi& rename = prompts;  // one set of fakes answers every question
    std::string id;
    Tree4* folder = nullptr;
    void SetUp() override {
        CommandFixture::SetUp();
        id = IdOf("Sounds\\My Sounds");
        link.emu->PutFile(id, "a.mid", Pattern(3000, 5), "2005/01/02 03:04:05");
        link.emu->PutFile(id, "b.mid", "the other");
        folder = Folder("Sounds\\My Sounds");
        link.emu->ClearReceived();
    }
    std::vector<std::string> Traffic() {
        std::vector<std::string> out;
        for (const std::string& c : SentCommands(link.emu->Received())) {
            if (c.starts_with("AT+FSCD") || c.starts_with("AT+FSDL")) continue;
            const size_t quote = c.find('"');
            out.push_back(quote == std::string::npos ? c : c.substr(0, c.find('"', quote + 1) + 1));
        }
        return out;
    }
};

TEST_F(RenameTest, WithAndWithoutAConflict) {
    rename.newNames = {"c.mid"};
    RenameFile first(*link.fs, folder, rename, conflict);
    ASSERT_EQ(test::ReasonOf(first.Run("a.mid")), 0);
    // The new name is written before the old one goes (the phone has room for both); the
    // serial number binds the record of the step to this phone.
    EXPECT_EQ(Traffic(), (std::vector<std::string>{"AT+FSFR=-1,\"a.mid\"", "AT+CGSN",
                                                   "AT+FSFW=-1,\"c.mid\"", "AT+FSFE=-1,\"a.mid\""}));
    EXPECT_EQ(link.emu->GetFile(id, "c.mid"), Pattern(3000, 5));
    EXPECT_TRUE(HasFile(folder, "c.mid"));
    EXPECT_FALSE(HasFile(folder, "a.mid"));
    EXPECT_EQ(FindFile(folder, "c.mid")->Date, QDateTime(QDate(2005, 1, 2), QTime(3, 4, 5)));
    EXPECT_EQ(link.progress.Position(2), 6);
    EXPECT_EQ(link.progress.longStatus, "Переименовывание файла a.mid");
    EXPECT_EQ(link.progress.quick, "Завершение операции");

    // Onto the taken b.mid: it is erased after the fetch, before anything else.
    link.emu->ClearReceived();
    rename.newNames = {"b.mid"};
    conflict.conflicts = {{ConflictAnswer::Overwrite, "b.mid"}};
    RenameFile second(*link.fs, folder, rename, conflict);
    ASSERT_TRUE(second.Run("c.mid"));
    EXPECT_EQ(Traffic(),
              (std::vector<std::string>{"AT+FSFR=-1,\"c.mid\"", "AT+FSFE=-1,\"b.mid\"",
                                        "AT+FSFW=-1,\"b.mid\"", "AT+FSFE=-1,\"c.mid\""}));
    EXPECT_EQ(PhoneNames(id), std::vector<std::string>{"b.mid"});
    EXPECT_EQ(link.emu->GetFile(id, "b.mid"), Pattern(3000, 5));
    EXPECT_EQ(link.progress.Position(2), 7);
}

TEST_F(RenameTest, CancelOrTheOldNameBackSendsNothing) {
    struct Case {
        std::optional<std::string> typed;
        std::vector<ConflictReply> answers;
    };
    const Case cases[] = {
        {std::nullopt, {}},
        {"a.mid", {}},
        {"b.mid", {{ConflictAnswer::Cancel, "b.mid"}}},
        {"b.mid", {{ConflictAnswer::UseNewName, "a.mid"}}},
        {"b.mid", {{ConflictAnswer::UseNewName, "b.mid"}, {ConflictAnswer::Cancel, "b.mid"}}},
        // The old name typed back before "Перезаписать": the file would replace itself.
        {"b.mid", {{ConflictAnswer::Overwrite, "a.mid"}}},
        {"b.mid", {{ConflictAnswer::OverwriteAll, "a.mid"}}},
    };
    for (const Case& c : cases) {
        rename.newNames = {c.typed};
        conflict.conflicts.assign(c.answers.begin(), c.answers.end());
        RenameFile command(*link.fs, folder, rename, conflict);
        EXPECT_TRUE(command.Run("a.mid"));
        EXPECT_TRUE(conflict.conflicts.empty());
        EXPECT_EQ(command.End(), CommandEnd::Cancelled);
        EXPECT_EQ(link.emu->Received(), "");
    }
    EXPECT_EQ(PhoneNames(id), (std::vector<std::string>{"a.mid", "b.mid"}));
    // A folder or a name with a quote: nothing happens on the phone.
    RenameFile none(*link.fs, folder, rename, conflict);
    EXPECT_TRUE(none.Run("Ringtones"));
    rename.newNames = {"bad\"name"};
    RenameFile bad(*link.fs, folder, rename, conflict);
    EXPECT_TRUE(bad.Run("a.mid"));
    EXPECT_EQ(bad.End(), CommandEnd::Stopped);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Недопустимое имя файла bad\"name"});
    EXPECT_EQ(link.emu->Received(), "");
}

// A name the phone would keep but list cut, or could not be asked for again, is refused
// before anything is sent; typed into the conflict question, it is said and asked again.
TEST_F(RenameTest, NamesThePhoneCannotGiveBackAreRefused) {
    const std::string tooLong = std::string(25, 'n') + ".mid";  // "My Sounds" takes 28 bytes
    const std::string fits = std::string(24, 'n') + ".mid";
    const std::string longText =
        "Слишком длинное имя (в этой папке телефона не больше 28 байт): " + tooLong;
    struct Case {
        std::string typed, box;
    };
    const Case cases[] = {
        {tooLong, longText},
        {"a\\b.mid", "Недопустимое имя файла a\\b.mid"},
        {" lead.mid", "Недопустимое имя файла  lead.mid"},
        {"\xff.mid", "Недопустимое имя файла \xff.mid"},
    };
    for (const Case& c : cases) {
        prompts.shown.clear();
        rename.newNames = {c.typed};
        RenameFile command(*link.fs, folder, rename, conflict);
        EXPECT_TRUE(command.Run("a.mid"));
        EXPECT_EQ(command.End(), CommandEnd::Stopped);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{c.box});
        EXPECT_EQ(link.emu->Received(), "");
    }
    prompts.shown.clear();
    rename.newNames = {"b.mid"};
    conflict.conflicts = {{ConflictAnswer::UseNewName, tooLong},
                          {ConflictAnswer::UseNewName, fits}};
    RenameFile retyped(*link.fs, folder, rename, conflict);
    ASSERT_TRUE(retyped.Run("a.mid"));
    ASSERT_EQ(conflict.conflictsAsked.size(), 2u);
    EXPECT_EQ(conflict.conflictsAsked[1].newName, tooLong);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{longText});
    EXPECT_EQ(PhoneNames(id), (std::vector<std::string>{"b.mid", fits}));
}

TEST_F(RenameTest, AFailedWriteNeverLosesTheFile) {
    // The phone refuses the new name: the file goes back under its old one.
    link.emu->FailName("new.mid", 2007);
    rename.newNames = {"new.mid"};
    RenameFile refused(*link.fs, folder, rename, conflict);
    const Status done = refused.Run("a.mid");
    EXPECT_EQ(link.emu->GetFile(id, "a.mid"), Pattern(3000, 5));
    EXPECT_EQ(test::ReasonOf(done), kErrText);
    EXPECT_EQ(test::TextOf(done),
              "Память заполнена\r\nФайл возвращён на телефон под прежним именем a.mid");
    EXPECT_TRUE(HasFile(folder, "a.mid"));
    link.emu->ClearFaults();

    // The line dies during the write under the new name: the old one is still there.
    link.emu->CutLineAfter(3000 + 1024);
    rename.newNames = {"new.mid"};
    RenameFile cut(*link.fs, folder, rename, conflict);
    const Status cutDone = cut.Run("a.mid");
    link.emu->ClearFaults();
    EXPECT_EQ(link.emu->GetFile(id, "a.mid"), Pattern(3000, 5));
    EXPECT_EQ(test::ReasonOf(cutDone), kErrTimeout);
    EXPECT_EQ(cut.RecoveredPath(), "");
    EXPECT_TRUE(UnfinishedEntries().isEmpty());
}

// A phone without room for a second copy: the file waits on the computer beside the record
// of the step while the phone holds it under neither name; writes that fail keep a copy for
// the user too, and the next connection gives the file its new name.
TEST_F(RenameTest, WithoutRoomForTwoTheCopyWaitsOnTheComputer) {
    // Every write is refused for want of room: the way without a second copy is taken, and
    // then neither name takes the file back.
    link.emu->FailCommand("AT+FSFW", 2007);
    rename.newNames = {"new.mid"};
    RenameFile refused(*link.fs, folder, rename, conflict);
    const Status done = refused.Run("a.mid");
    EXPECT_FALSE(done);
    link.emu->ClearFaults();
    const QString kept = QDir(dir.path()).filePath("xdg/Q7K3FileManager/Recovered");
    EXPECT_EQ(refused.RecoveredPath(), (kept + "/a.mid").toStdString());
    EXPECT_EQ(ReadLocal(refused.RecoveredPath()), Pattern(3000, 5));
    EXPECT_EQ(test::TextOf(done),
              "Память заполнена\r\nФайл сохранён в папке " + kept.toStdString());
    EXPECT_EQ(PhoneNames(id), std::vector<std::string>{"b.mid"});
    ASSERT_EQ(UnfinishedEntries().size(), 1);
    EXPECT_EQ(commands::FinishUnfinishedReplacements(*link.fs),
              std::vector<std::string>{Msg(kMsgRenameFinished) +
                                       "E700:\\Sounds\\My Sounds\\new.mid"});
    EXPECT_EQ(link.emu->GetFile(id, "new.mid"), Pattern(3000, 5));
    EXPECT_EQ(PhoneNames(id), (std::vector<std::string>{"b.mid", "new.mid"}));
    EXPECT_TRUE(UnfinishedEntries().isEmpty());
}

// Killed on a phone without room for two before the old name went: the record, the copy it
// names (whole or not yet made) and the part file of a copy under way. The next connection
// leaves the file under its old name and nothing behind.
TEST_F(RenameTest, AKillBeforeTheOldNameGoesLeavesNothingBehind) {
    const QString unfinished = QDir(dir.path()).filePath("xdg/Q7K3FileManager/Unfinished");
    for (const bool copyMade : {true, false}) {
        SCOPED_TRACE(copyMade ? "copy made" : "copy under way");
        Expected<commands::UnfinishedRecord> made =
            commands::UnfinishedRecord::For(*link.fs, folder, "new.mid");
        ASSERT_TRUE(made);
        made->MovedFrom = "a.mid";
        made->OldCopy = commands::UnfinishedRecord::CopyPath();
        WriteLocal(made->OldCopy, Pattern(3000, 5));
        ASSERT_TRUE(LocalFileCrc(made->OldCopy, made->NewCrc));
        made->OldCrc = made->NewCrc;
        ASSERT_TRUE(made->Save());
        if (!copyMade) {
            QFile::remove(QString::fromStdString(made->OldCopy));
            WriteLocal((unfinished + "/.q7k3fm-part-99999999-abcdef").toStdString(), "half");
        }
        link.emu->FailCommand("AT+FSFW", 2007);
        EXPECT_TRUE(commands::FinishUnfinishedReplacements(*link.fs).empty());
        link.emu->ClearFaults();
        EXPECT_EQ(link.emu->GetFile(id, "a.mid"), Pattern(3000, 5));
        EXPECT_EQ(PhoneNames(id), (std::vector<std::string>{"a.mid", "b.mid"}));
        const QStringList left = QDir(unfinished).entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(left.join(' ').toStdString(), "");
    }
}

}  // namespace
