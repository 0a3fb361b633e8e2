// The Java suite registry rebuild over the emulated phone: what "suites.utf" and
// "suitesName.utf" hold afterwards, and that a refused or failed rebuild leaves the phone
// with a registry it can use.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "EmulatorLink.h"
#include "phonefs/FolderMaps.h"
#include "commands/SuiteRegistry.h"
#include "support/Reasons.h"
#include "base/Messages.h"

using namespace q7k3;
using q7k3::test::EmulatorLink;

namespace {

// The registry layout: 0x00, the length, the text.
std::string Encoded(const std::vector<std::string>& records) {
    std::string out;
    for (const std::string& r : records) {
        out += '\0';
        out += static_cast<char>(r.size() & 0xFF);
        out += r;
    }
    return out;
}

// Every quick line the rebuild shows, in order.
class LineLog final : public ProgressView {
public:
    std::vector<std::string> quick;
    std::string longStatus;
    bool visible = false;
    std::vector<int> bar1Max;
    void Show() override { visible = true; }
    void Hide() override { visible = false; }
    void SetCaption(const std::string&) override {}
    void SetQuickStatus(const std::string& t) override { quick.push_back(t); }
    void SetLongStatus(const std::string& t) override { longStatus = t; }
    void SetMax(int bar, int max) override {
        m_bars.SetMax(bar, max);
        if (bar == 1) bar1Max.push_back(max);
    }
    void SetPosition(int bar, int p) override { m_bars.SetPosition(bar, p); }
    void Step(int bar) override { m_bars.Step(bar); }
    int Position(int bar) const override { return m_bars.Position(bar); }
    int Max(int bar) const override { return m_bars.Max(bar); }

private:
    NullProgress m_bars;
};

struct SuiteRegistryTest : ::testing::Test {
    QTemporaryDir dir;
    EmulatorLink link;
    LineLog log;
    Tree4* java = nullptr;
    std::string scratch;

    void SetUp() override {
        ASSERT_TRUE(link.Open());
        link.fs->SetProgress(log);
        link.fs->SetRoot(BuildFolderMap(MapKind::Normal, "E700"));
        java = FindChild("java", link.fs->PhoneRoot());
        ASSERT_NE(java, link.fs->PhoneRoot());
        scratch = QDir(dir.path()).filePath("Q7K3FM.TMP").toStdString();
    }
    void Put(const std::string& name, const std::string& bytes) {
        ASSERT_TRUE(link.emu->PutFile(java->Id, name, bytes));
    }
    std::string Phone(const std::string& name) {
        return link.emu->GetFile(java->Id, name).value_or("<missing>");
    }
    // The last rebuild's result, for Shown().
    Status last;
    Status Rebuild() { return last = RebuildSuiteRegistry(*link.fs, scratch); }
    bool PhoneWasWrittenTo() {
        const std::string sent = link.emu->Received();
        return sent.find("AT+FSFE") != std::string::npos ||
               sent.find("AT+FSFW") != std::string::npos;
    }
    std::string Shown() { return test::TextOf(last); }
};

TEST_F(SuiteRegistryTest, ShortJarNameGivesAnEmptyRecordAndTheFixedNameFile) {
    Put("game.jar", "PK-archive");
    Put("game.jad", "MIDlet-Name: Game\r\n");
    ASSERT_TRUE(Rebuild()) << Shown();
    EXPECT_EQ(Phone("suites.utf"), std::string("\0\0", 2));
    EXPECT_EQ(Phone("suitesName.utf"), "Orvik Lanto");
    EXPECT_EQ(Phone("suitesName.utf").size(), 11u);
    // The folder is read again at the end: the new files are in the tree.
    EXPECT_TRUE(HasFile(java, "suites.utf"));
    EXPECT_TRUE(HasFile(java, "suitesName.utf"));
    EXPECT_EQ(log.quick, (std::vector<std::string>{Msg(62), Msg(63), Msg(64), Msg(65), Msg(66),
                                                   Msg(67), Msg(68)}));
    // Two bytes: one block and the five steps of the operation.
    EXPECT_EQ(log.bar1Max.at(0), 6);
    EXPECT_EQ(log.Position(1), 0);
}

TEST_F(SuiteRegistryTest, RecordsComeFromJarsZeroSizeEntriesAndStillValidOldRecords) {
    const std::string prefix(43, 'p');
    const std::string kept = prefix + "1234567";                   // 50 characters, file present
    const std::string dropped = std::string(43, 'q') + "xyzxyzx";  // 50, no file of its prefix
    const std::string short42(42, 'r');                            // always dropped
    Put("Tetris_suite.JAR", "PK");
    Put("Tetris_suite.JAd", "jad");
    Put("abc_sdata", "");
    Put("big_sdata", "not empty, so no record");
    Put(prefix, "x");
    Put(short42, "x");
    Put("suites.utf", Encoded({kept, dropped, short42}));
    Put("suitesName.utf", "Someone");
    ASSERT_TRUE(Rebuild()) << Shown();
    EXPECT_EQ(Phone("suites.utf"), Encoded({"Tetris_", "abc_", kept}));
    EXPECT_EQ(Phone("suitesName.utf"), "Orvik Lanto");
    // The old list was read first, then both files erased before the new ones went out.
    const std::string sent = link.emu->Received();
    const size_t read = sent.find("AT+FSFR=-1,\"suites.utf\"");
    const size_t erase1 = sent.find("AT+FSFE=-1,\"suites.utf\"");
    const size_t erase2 = sent.find("AT+FSFE=-1,\"suitesName.utf\"");
    const size_t write1 = sent.find("AT+FSFW=-1,\"suites.utf\"");
    const size_t write2 = sent.find("AT+FSFW=-1,\"suitesName.utf\"");
    ASSERT_NE(read, std::string::npos);
    EXPECT_LT(read, erase1);
    EXPECT_LT(erase1, erase2);
    EXPECT_LT(erase2, write1);
    EXPECT_LT(write1, write2);
}

TEST_F(SuiteRegistryTest, CompileCommandShowsItsLinesAndClosesTheDialog) {
    link.flags.Mode = FolderMode::Normal;
    Put("a_suite.jar", "PK");
    Put("a_suite.jad", "jad");
    ASSERT_EQ(test::TextOf(RebuildJavaRegistry(*link.fs)), "");
    EXPECT_EQ(log.quick.front(), "Компилирование Java");
    EXPECT_EQ(log.longStatus, "Компилирование Java");
    EXPECT_EQ(log.bar1Max.front(), 5);
    EXPECT_EQ(log.Max(2), 6);
    EXPECT_EQ(log.Position(2), 0);
    EXPECT_FALSE(log.visible);
    EXPECT_EQ(Phone("suites.utf"), Encoded({"a_"}));

    // In PIMS mode, or without the phone's file list, F7 does nothing.
    link.emu->ClearReceived();
    log.quick.clear();
    link.flags.Mode = FolderMode::Pims;
    EXPECT_TRUE(RebuildJavaRegistry(*link.fs));
    link.flags.Mode = FolderMode::Normal;
    link.fs->DropTree();
    EXPECT_TRUE(RebuildJavaRegistry(*link.fs));
    EXPECT_TRUE(log.quick.empty());
    EXPECT_TRUE(link.emu->Received().empty());
}

TEST_F(SuiteRegistryTest, RefusalsChangeNothingOnThePhone) {
    const std::string old = Encoded({"x", std::string(42, 'r')});
    Put("suites.utf", old);
    Put("suitesName.utf", "Orvik Lanto");
    Put("readme.txt", "no suites here");
    // Nothing to register.
    EXPECT_EQ(test::ReasonOf(Rebuild()), kErrNoJar);
    EXPECT_EQ(Shown(), "Ни одного JAR файла не найдено");
    EXPECT_FALSE(PhoneWasWrittenTo());

    // A .jar whose descriptor is not there under exactly its name (the case counts).
    Put("Game.JAR", "PK");
    Put("Game.jad", "jad");
    EXPECT_EQ(test::ReasonOf(Rebuild()), kErrText);
    EXPECT_EQ(Shown(), "Ошибка компиляции Файл Game.JAd не найден");
    EXPECT_FALSE(PhoneWasWrittenTo());

    // A record that would not fit its length byte.
    ASSERT_TRUE(link.emu->RemoveFile(java->Id, "Game.JAR"));
    const std::string huge = std::string(43, 'h') + std::string(257, 'i');
    Put(std::string(43, 'h'), "x");
    Put("suites.utf", Encoded({huge}));
    EXPECT_FALSE(Rebuild());
    EXPECT_EQ(Shown(), Msg(kMsgJavaNameTooLong) + huge);
    EXPECT_FALSE(PhoneWasWrittenTo());
    EXPECT_EQ(Phone("suites.utf"), Encoded({huge}));
    EXPECT_EQ(Phone("suitesName.utf"), "Orvik Lanto");
}

TEST_F(SuiteRegistryTest, FailedWriteOfTheNewListPutsTheOldOneBack) {
    const std::string prefix(43, 'p');
    const std::string old = Encoded({prefix + "1234567"});
    Put(prefix, "x");
    Put("suites.utf", old);
    Put("suitesName.utf", "Orvik Lanto");
    Put("new_suite.jar", "PK");
    Put("new_suite.jad", "jad");
    // The new list is longer than the old one: only its write is refused.
    const std::string fresh = Encoded({"new_", prefix + "1234567"});
    link.emu->FailCommand("AT+FSFW=-1,\"suites.utf\"," + std::to_string(fresh.size() % 512) + ",",
                          2007);
    EXPECT_EQ(test::ReasonOf(Rebuild()), kErrText);
    EXPECT_EQ(Shown(), "Память заполнена\r\nНа телефоне восстановлен прежний suites.utf.");
    EXPECT_EQ(Phone("suites.utf"), old);
    EXPECT_EQ(Phone("suitesName.utf"), "Orvik Lanto");
}

TEST_F(SuiteRegistryTest, FailedWriteOfTheNameFileStillPutsTheOldListBackAndSaysWhatIsMissing) {
    const std::string prefix(43, 'p');
    const std::string old = Encoded({prefix + "1234567"});
    Put(prefix, "x");
    Put("suites.utf", old);
    Put("suitesName.utf", "Orvik Lanto");
    Put("new_suite.jar", "PK");
    Put("new_suite.jad", "jad");
    link.emu->FailCommand("AT+FSFW=-1,\"suitesName.utf\"", 2007);
    EXPECT_FALSE(Rebuild());
    EXPECT_EQ(Shown(), Msg(kMsgMemoryFull) + Msg(kMsgJavaOldRestored) + Msg(kMsgJavaNoSuitesName) +
                           Msg(kMsgJavaRunAgain));
    EXPECT_EQ(Phone("suites.utf"), old);
    EXPECT_EQ(Phone("suitesName.utf"), "<missing>");
    EXPECT_TRUE(HasFile(java, "suites.utf"));
    EXPECT_FALSE(HasFile(java, "suitesName.utf"));
}

TEST_F(SuiteRegistryTest, OldRecordsSurviveALineThatDiesAfterTheErase) {
    const std::string prefix(43, 'p');
    const std::string kept = prefix + "1234567";
    Put(prefix, "x");
    Put("suites.utf", Encoded({kept}));
    Put("a_suite.jar", "PK");
    Put("a_suite.jad", "jad");
    // Change folder, list, the serial number, read, the erase: then the phone falls silent.
    link.emu->FallSilentAfter(5);
    EXPECT_FALSE(Rebuild());
    // A time-out stays one, so that the session guard resets the link.
    EXPECT_EQ(test::ReasonOf(last), kErrTimeout);
    EXPECT_EQ(Phone("suites.utf"), "<missing>");
    link.emu->ClearFaults();
    ASSERT_TRUE(Rebuild()) << Shown();
    EXPECT_EQ(Phone("suites.utf"), Encoded({"a_", kept}));
    EXPECT_EQ(Phone("suitesName.utf"), "Orvik Lanto");
}

TEST(SuiteRecords, ParsingIgnoresLengthBytesAndEncodingRefusesWhatWouldNotFit) {
    EXPECT_TRUE(ParseSuiteRecords(std::string("\0\x01", 2)).empty());
    EXPECT_EQ(ParseSuiteRecords(Encoded({"abc", "de"})), (std::vector<std::string>{"abc", "de"}));
    // A length byte that lies changes nothing: zeros end the records.
    EXPECT_EQ(ParseSuiteRecords(std::string("\0\x09"
                                            "ab\0\x01"
                                            "cd",
                                            8)),
              (std::vector<std::string>{"ab", "cd"}));

    std::string out, error;
    EXPECT_TRUE(EncodeSuiteRecords({std::string(255, 'a')}, out, error));
    EXPECT_EQ(out.size(), 257u);
    EXPECT_FALSE(EncodeSuiteRecords({std::string(256, 'a')}, out, error));
    EXPECT_TRUE(out.empty());
    // 15 records of 255 bytes take 3855 bytes; 16 would take 4112, over the 4100.
    EXPECT_TRUE(
        EncodeSuiteRecords(std::vector<std::string>(15, std::string(255, 'a')), out, error));
    EXPECT_FALSE(
        EncodeSuiteRecords(std::vector<std::string>(16, std::string(255, 'a')), out, error));
    EXPECT_EQ(error, Msg(kMsgJavaRegistryTooLong));
}

TEST(SuiteRegistryCli, JavaRebuildWritesTheRegistry) {
    q7k3::test::EnsureApplication();
    PhoneEmulator emu;
    ASSERT_TRUE(emu.Start());
    std::unique_ptr<Tree4> map = BuildFolderMap(MapKind::Normal, "E700");
    const std::string javaId = FindChild("java", map.get())->Id;
    ASSERT_TRUE(emu.PutFile(javaId, "tetris_suite.jar", "PK"));
    QProcess p;
    p.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"),
            {"java", "rebuild", "--port", QString::fromStdString(emu.SlavePath())});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_EQ(p.readAllStandardError().trimmed(),
              "q7k3fm-cli: Ошибка компиляции Файл tetris_suite.jad не найден");
    ASSERT_TRUE(emu.PutFile(javaId, "tetris_suite.jad", "jad"));
    p.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"),
            {"java", "rebuild", "--port", QString::fromStdString(emu.SlavePath())});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_TRUE(p.readAllStandardOutput().contains("Запись suites.utf\n"));
    EXPECT_EQ(emu.GetFile(javaId, "suites.utf").value_or(""), Encoded({"tetris_"}));
    emu.Stop();
}

// java rebuild ends with the line it lost: the old registry files it had erased wait on the
// computer, are said to, and the next connection of any command writes them back.
TEST(SuiteRegistryCli, ErasedFilesComeBackAtTheNextConnection) {
    q7k3::test::EnsureApplication();
    PhoneEmulator emu;
    ASSERT_TRUE(emu.Start());
    std::unique_ptr<Tree4> map = BuildFolderMap(MapKind::Normal, "E700");
    const std::string javaId = FindChild("java", map.get())->Id;
    const std::string old = Encoded({std::string(50, 'o')});
    ASSERT_TRUE(emu.PutFile(javaId, "suites.utf", old));
    ASSERT_TRUE(emu.PutFile(javaId, "suitesName.utf", "Orvik Lanto"));
    ASSERT_TRUE(emu.PutFile(javaId, "a_suite.jar", "PK"));
    ASSERT_TRUE(emu.PutFile(javaId, "a_suite.jad", "jad"));
    QTemporaryDir data;
    const auto run = [&](const QStringList& args, QString& err) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", data.path());
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"),
                QStringList(args) << "--port" << QString::fromStdString(emu.SlavePath()));
        p.waitForFinished(120000);
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    };
    // The old list is read whole; the line dies in the new one's first block.
    emu.CutLineAfter(static_cast<int64_t>(old.size()) + 1);
    QString err;
    EXPECT_EQ(run({"java", "rebuild"}, err), 1);
    EXPECT_FALSE(emu.GetFile(javaId, "suites.utf"));
    EXPECT_TRUE(err.contains(QString::fromStdString(Msg(kMsgErasedKeptForNextConnection)) +
                             "E700:\\java\\suites.utf, E700:\\java\\suitesName.utf"))
        << err.toStdString();
    emu.ClearFaults();
    EXPECT_EQ(run({"ls", "java"}, err), 0) << err.toStdString();
    EXPECT_EQ(emu.GetFile(javaId, "suites.utf").value_or("<missing>"), old);
    EXPECT_EQ(emu.GetFile(javaId, "suitesName.utf").value_or("<missing>"), "Orvik Lanto");
    EXPECT_TRUE(err.contains("E700:\\java\\suites.utf")) << err.toStdString();
    emu.Stop();
}

}  // namespace
