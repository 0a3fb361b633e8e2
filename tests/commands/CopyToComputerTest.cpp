#include "commands/CopyToComputer.h"

#include <QFileInfo>

#include "CommandFixture.h"
#include "media/EmsMelody.h"
#include "media/Melody.h"
#include "support/Reasons.h"
#include "base/Messages.h"

using namespace q7k3;
using namespace q7k3::test;

namespace {

using CopyToComputerTest = CommandFixture;

TEST_F(CopyToComputerTest, FoldersAreSkippedSuitesLoseTheirSuffixAndTheCountsHold) {
    const std::string user = IdOf("User");
    link.emu->PutFile(user, "notes.txt", "some notes", "2006/05/04 12:00:00");
    link.emu->PutFile(user, "game_suite.jar", "PK jar");
    link.emu->PutFile(user, "my_suite_suite.jar", "PK other");
    Tree4* folder = Folder("User");
    CopyToComputer copy(*link.fs, folder, dir.path().toStdString());
    ASSERT_TRUE(
        copy.Run({"Pictures", "Music", "notes.txt", "game_suite.jar", "my_suite_suite.jar"}));
    EXPECT_EQ(copy.End(), CommandEnd::Finished);
    EXPECT_EQ(link.progress.Max(2), 5);
    // The files counted, and the bytes of all three (24 bytes: 1 КБ begun).
    EXPECT_TRUE(link.progress.longStatus.starts_with("Копирование файла 3 из 5, 1 из 1 КБ"))
        << link.progress.longStatus;
    EXPECT_EQ(link.progress.quick, "Копирование файла my_suite_suite.jar");
    EXPECT_EQ(ReadLocal(Path("notes.txt")), "some notes");
    EXPECT_EQ(QFileInfo(QString::fromStdString(Path("notes.txt"))).lastModified(),
              QDateTime(QDate(2006, 5, 4), QTime(12, 0)));
    EXPECT_EQ(ReadLocal(Path("game.jar")), "PK jar");
    EXPECT_EQ(ReadLocal(Path("my_suite.jar")), "PK other");
    // Only the three files and nothing else (no probe left behind).
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(CopyToComputerTest, ConvertedRoutesFollowTheFolderAndStayInTheTarget) {
    // A 128-pixel row of .ani words, two rows.
    const std::string ani(2 * 128 * 2, '\x1f');
    link.emu->PutFile(IdOf("Images\\Animations"), "picture.ani", ani);
    link.emu->PutFile(IdOf("Images\\Animations"), "picture.ANI", ani);
    const Bytes mmf = {'M', 'M', 'M', 'D', 0, 0, 0, 4, 1, 2, 3, 4};
    const Bytes titled = BuildMel(mmf, "Rondo");
    const Bytes escaping = BuildMel(mmf, "../../escape");
    const Bytes untitled = BuildMel(mmf, "");
    const std::string sounds = IdOf("Sounds\\Default Sounds");
    link.emu->PutFile(sounds, "melody01.mel", std::string(titled.begin(), titled.end()));
    link.emu->PutFile(sounds, "melody02.mel", std::string(escaping.begin(), escaping.end()));
    link.emu->PutFile(sounds, "melody03.mel", std::string(untitled.begin(), untitled.end()));

    QDir(dir.path()).mkdir("inner");
    const std::string target = Path("inner");
    CopyToComputer pictures(*link.fs, Folder("Images\\Animations"), target);
    ASSERT_TRUE(pictures.Run({"picture.ani", "picture.ANI"}));
    EXPECT_EQ(ReadLocal(target + "/picture.ANI"), ani);
    EXPECT_TRUE(ReadLocal(target + "/picture.bmp").starts_with("BM"));

    CopyToComputer melodies(*link.fs, Folder("Sounds\\Default Sounds"), target);
    ASSERT_TRUE(melodies.Run({"melody01.mel", "melody02.mel", "melody03.mel"}));
    const std::string plainMmf(mmf.begin(), mmf.end());
    EXPECT_EQ(ReadLocal(target + "/Rondo.mmf"), plainMmf);
    EXPECT_EQ(ReadLocal(target + "/melody03.mmf"), plainMmf);
    // The title names a path: it stays one name inside the target folder.
    EXPECT_EQ(ReadLocal(target + "/.._.._escape.mmf"), plainMmf);
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/escape.mmf"));
    EXPECT_EQ(QDir(QString::fromStdString(target)).entryList(QDir::Files | QDir::Hidden).size(), 5);

    // An SMS melody is named after the title inside it, made safe.
    Bytes ems;
    ASSERT_TRUE(EncodeEmsMelody(
        "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nBEAT:120\r\nMELODY:c2\r\n"
        "END:IMELODY\r\n",
        "../sms", 0, ems));
    link.emu->PutFile(IdOf("Sounds\\sms"), "melody00.mel", std::string(ems.begin(), ems.end()));
    CopyToComputer sms(*link.fs, Folder("Sounds\\sms"), target);
    ASSERT_TRUE(sms.Run({"melody00.mel"}));
    EXPECT_TRUE(ReadLocal(target + "/.._sms.imy").starts_with("BEGIN:IMELODY"));
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/sms.imy"));

    // Without the conversion the melody comes as it is.
    link.flags.MelConvertion = false;
    CopyToComputer raw(*link.fs, Folder("Sounds\\Default Sounds"), target);
    ASSERT_TRUE(raw.Run({"melody01.mel"}));
    EXPECT_EQ(ReadLocal(target + "/melody01.mel"), std::string(titled.begin(), titled.end()));
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(CopyToComputerTest, FailuresLeaveTheTargetsAsTheyWere) {
    const Bytes mmf = {'M', 'M', 'M', 'D', 0, 0, 0, 1, 9};
    const Bytes mel = BuildMel(mmf, "Rondo");
    const std::string sounds = IdOf("Sounds\\Default Sounds");
    link.emu->PutFile(sounds, "melody01.mel", std::string(mel.begin(), mel.end()));
    link.emu->PutFile(IdOf("User"), "a.txt", Pattern(3000, 1));
    WriteLocal("Rondo.mmf", "what was here");
    WriteLocal("a.txt", "old a");

    link.emu->CorruptReadCrc(true);
    CopyToComputer melodies(*link.fs, Folder("Sounds\\Default Sounds"), dir.path().toStdString());
    EXPECT_EQ(test::ReasonOf(melodies.Run({"melody01.mel"})), kErrChecksum);
    EXPECT_EQ(melodies.End(), CommandEnd::Failed);
    EXPECT_EQ(ReadLocal(Path("Rondo.mmf")), "what was here");
    CopyToComputer plain(*link.fs, Folder("User"), dir.path().toStdString());
    EXPECT_FALSE(plain.Run({"a.txt"}));
    EXPECT_EQ(ReadLocal(Path("a.txt")), "old a");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    link.emu->ClearFaults();

    // A target that cannot be written: the message before any phone traffic for the file.
    link.emu->ClearReceived();
    CopyToComputer nowhere(*link.fs, Folder("User"), Path("missing/folder"));
    link.emu->ClearReceived();
    EXPECT_TRUE(nowhere.Run({"a.txt"}));
    EXPECT_EQ(nowhere.End(), CommandEnd::Stopped);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Диск защищен от записи"});
    EXPECT_EQ(prompts.shown.front().Caption, "Ошибка");
    EXPECT_EQ(link.emu->Received().find("AT+FSFR"), std::string::npos);
}

// game.jar and game_suite.jar both come as game.jar: the second is numbered, never asked
// about as if the first had been there before.
TEST_F(CopyToComputerTest, TwoFilesOfOneLocalNameAreBothKept) {
    link.emu->PutFile(IdOf("User"), "game.jar", "plain");
    link.emu->PutFile(IdOf("User"), "game_suite.jar", "suite");
    CopyToComputer copy(*link.fs, Folder("User"), dir.path().toStdString(), &conflict);
    ASSERT_TRUE(copy.Run({"game.jar", "game_suite.jar"}));
    EXPECT_TRUE(conflict.conflictsAsked.empty());
    EXPECT_EQ(ReadLocal(Path("game.jar")), "plain");
    EXPECT_EQ(ReadLocal(Path("game (2).jar")), "suite");
    ASSERT_EQ(copy.Origins().size(), 2u);
    EXPECT_EQ(copy.Origins()[1].PhoneName, "game_suite.jar");
    EXPECT_EQ(copy.Origins()[1].RuleName, "game.jar");
}

TEST_F(CopyToComputerTest, PhoneNamesBecomeSafeLocalNames) {
    link.emu->PutFile(IdOf("User"), "a\\b.txt", "ab");
    CopyToComputer copy(*link.fs, Folder("User"), dir.path().toStdString());
    ASSERT_TRUE(copy.Run({"a\\b.txt"}));
    EXPECT_EQ(ReadLocal(Path("a_b.txt")), "ab");
    EXPECT_EQ(copy.Written(), std::vector<std::string>{Path("a_b.txt")});
}

// A local file of the same name is replaced only when the conflict question says so.
TEST_F(CopyToComputerTest, ATakenLocalNameAsksFirst) {
    const std::string user = IdOf("User");
    link.emu->PutFile(user, "a.txt", "phone a");
    link.emu->PutFile(user, "b.txt", "phone b");
    struct Case {
        std::deque<ConflictReply> answers;
        CommandEnd end;
        const char* a;  // a.txt and b.txt on the computer afterwards
        const char* b;
        const char* renamed;  // what "a2.txt" holds, or null
    };
    for (const Case& c :
         {Case{{{ConflictAnswer::Skip, ""}, {ConflictAnswer::Overwrite, ""}},
               CommandEnd::Finished,
               "mine a",
               "phone b",
               nullptr},
          Case{{{ConflictAnswer::SkipAll, ""}}, CommandEnd::Finished, "mine a", "mine b", nullptr},
          Case{{{ConflictAnswer::UseNewName, "a2.txt"}, {ConflictAnswer::Cancel, ""}},
               CommandEnd::Cancelled,
               "mine a",
               "mine b",
               "phone a"},
          Case{{{ConflictAnswer::OverwriteAll, ""}},
               CommandEnd::Finished,
               "phone a",
               "phone b",
               nullptr}}) {
        WriteLocal("a.txt", "mine a");
        WriteLocal("b.txt", "mine b");
        QFile::remove(QString::fromStdString(Path("a2.txt")));
        conflict.conflicts = c.answers;
        CopyToComputer copy(*link.fs, Folder("User"), dir.path().toStdString(), &conflict);
        EXPECT_TRUE(copy.Run({"a.txt", "b.txt"}));
        EXPECT_EQ(copy.End(), c.end);
        EXPECT_TRUE(conflict.conflicts.empty());
        EXPECT_EQ(ReadLocal(Path("a.txt")), c.a);
        EXPECT_EQ(ReadLocal(Path("b.txt")), c.b);
        EXPECT_EQ(ReadLocal(Path("a2.txt")), c.renamed ? c.renamed : "<missing>");
    }
}

// A link at the target, even one that leads nowhere, is not written through.
TEST_F(CopyToComputerTest, ALinkAtTheTargetIsRefused) {
    const std::string user = IdOf("User");
    link.emu->PutFile(user, "a.txt", "phone a");
    QTemporaryDir outside;
    const QString victim = QDir(outside.path()).filePath("victim");
    ASSERT_TRUE(QFile::link(victim, QString::fromStdString(Path("a.txt"))));
    CopyToComputer copy(*link.fs, Folder("User"), dir.path().toStdString());
    EXPECT_EQ(test::TextOf(copy.Run({"a.txt"})), Msg(kMsgLinkRefused) + Path("a.txt"));
    EXPECT_FALSE(QFileInfo::exists(victim));
    EXPECT_TRUE(QFileInfo(QString::fromStdString(Path("a.txt"))).isSymLink());
}

}  // namespace
