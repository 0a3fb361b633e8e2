#include <gtest/gtest.h>
#include <zlib.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "EmulatorLink.h"
#include "base/Failure.h"
#include "phonefs/FolderMaps.h"
#include "support/Reasons.h"
#include "base/Messages.h"

using namespace q7k3;
using q7k3::test::EmulatorLink;
using q7k3::test::Pattern;

namespace {

size_t CountOf(const std::string& hay, const std::string& needle) {
    size_t n = 0;
    for (size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + 1)) ++n;
    return n;
}

struct EmulatorTest : ::testing::Test {
    QTemporaryDir dir;
    EmulatorLink link;
    std::unique_ptr<Tree4> map;
    Tree4* user = nullptr;  // PRO "user", Id "B" in both families

    void SetUp() override { ASSERT_TRUE(link.Open()); }
    void UseMap(MapKind kind = MapKind::Pro) {
        link.fs->SetRoot(BuildFolderMap(kind, "E700"));
        user = FindChild("user", link.fs->PhoneRoot());
    }
    std::string Path(const char* name) { return QDir(dir.path()).filePath(name).toStdString(); }
    void WriteLocal(const std::string& path, const std::string& data, const QDateTime& stamp) {
        QFile f(QString::fromStdString(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data.data(), static_cast<qint64>(data.size()));
        f.flush();
        f.setFileTime(stamp, QFileDevice::FileModificationTime);
    }
    std::string ReadLocal(const std::string& path) {
        QFile f(QString::fromStdString(path));
        return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : "<missing>";
    }
};

TEST_F(EmulatorTest, ListingInBatchesWithZeroSizesReservedNamesAndOddStamps) {
    UseMap();
    for (int i = 0; i < 24; ++i)
        link.emu->PutFile("B", "f" + std::to_string(i), "x", "2006/05/04 12:00:00");
    link.emu->PutFile("B", "empty", "");
    link.emu->PutFile("B", "sounds", "reserved");
    link.emu->InjectListingLine("B", "+FSDL: \"nostamp\",0,0,0,0,5,\"\"");
    link.emu->InjectListingLine("B", "+FSDL: \"month13\",0,0,0,0,5,\"2006/13/01 00:00:00\"");
    link.emu->InjectListingLine("B", "+FSDL: \"minute61\",0,0,0,0,5,\"2006/01/01 10:61:00\"");
    ASSERT_EQ(test::ReasonOf(link.fs->ListFolder(user, false)), 0);
    // 29 lines in batches of ten: three batch ends, three prompts.
    EXPECT_EQ(CountOf(link.emu->Received(), "##>\r\n"), 3u);
    EXPECT_EQ(user->Files.size(), 27u);
    EXPECT_FALSE(HasFile(user, "empty"));
    EXPECT_FALSE(HasFile(user, "sounds"));
    EXPECT_EQ(FindFile(user, "f3")->Date, QDateTime(QDate(2006, 5, 4), QTime(12, 0)));
    const QDateTime now = QDateTime::currentDateTime();
    EXPECT_LE(std::abs(FindFile(user, "nostamp")->Date.secsTo(now)), 5);
    EXPECT_LE(std::abs(FindFile(user, "month13")->Date.secsTo(now)), 5);
    EXPECT_LE(std::abs(FindFile(user, "minute61")->Date.secsTo(now)), 5);

    ASSERT_TRUE(link.fs->ListFolder(user, true));
    EXPECT_TRUE(HasFile(user, "empty"));
    EXPECT_FALSE(HasFile(user, "sounds"));

    // A size that is not a number ends the listing with a clear error, and the link is
    // still in step for the next command.
    link.emu->InjectListingLine("B", "+FSDL: \"bad\",0,0,0,0,12a,\"2006/01/01 00:00:00\"");
    const Status listed = link.fs->ListFolder(user, true);
    EXPECT_EQ(test::ReasonOf(listed), kErrBadAnswer);
    EXPECT_EQ(test::TextOf(listed), Msg(79));
    Tree4* java = FindChild("java", link.fs->PhoneRoot());
    link.emu->PutFile("a", "game.jar", "PK");
    ASSERT_TRUE(link.fs->ListFolder(java, true));
    EXPECT_EQ(java->Files.size(), 1u);
}

TEST_F(EmulatorTest, WritesAnnounceSizeModBlockAndSendWholeBlocks) {
    UseMap();
    ASSERT_TRUE(link.fs->ChangeFolder("B"));
    const QDateTime stamp(QDate(2005, 6, 7), QTime(8, 9, 10));
    struct Case {
        size_t size;
        const char* header;
    };
    for (const Case& c : {Case{1000, ",488,\"2005:06:07 08:09:10\",1000,"},
                          Case{1024, ",0,\"2005:06:07 08:09:10\",1024,"},
                          Case{0, ",0,\"2005:06:07 08:09:10\",0,0\r\n"}}) {
        const std::string data = Pattern(c.size, static_cast<unsigned>(c.size));
        const std::string name = "w" + std::to_string(c.size);
        WriteLocal(Path("w"), data, stamp);
        link.emu->ClearReceived();
        ASSERT_EQ(test::ReasonOf(link.fs->WritePhoneFile(Path("w"), name, user)), 0);
        const std::string sent = link.emu->Received();
        const std::string header = "AT+FSFW=-1,\"" + name + "\"" + c.header;
        ASSERT_TRUE(sent.starts_with(header)) << sent.substr(0, 80);
        // After the header line only the file's bytes, in the phone's prompts' rhythm.
        EXPECT_EQ(sent.substr(sent.find("\r\n") + 2), data);
        EXPECT_EQ(link.emu->GetFile("B", name), data);
    }
    EXPECT_EQ(user->Files.size(), 3u);
    EXPECT_EQ(FindFile(user, "w1000")->Date, stamp);
}

TEST_F(EmulatorTest, PutThenGetReturnsTheBytesAndTheTimeStamp) {
    UseMap();
    // Line ends, NUL bytes and batch marks inside the data; more than one read block.
    std::string data = Pattern(5000, 7);
    data.replace(100, 8, std::string("\r\n\0\0\r\n#O", 8));
    data.replace(598, 4, "\r\n\r\n");
    data.replace(1200, 4, "#OK#");
    const QDateTime stamp(QDate(2004, 2, 29), QTime(23, 58, 30));
    WriteLocal(Path("src.bin"), data, stamp);
    ASSERT_TRUE(link.fs->ChangeFolder("B"));
    ASSERT_TRUE(link.fs->WritePhoneFile(Path("src.bin"), "src.bin", user));
    ASSERT_TRUE(link.fs->ListFolder(user, true));
    const FileEntry* entry = FindFile(user, "src.bin");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Date, stamp);
    ASSERT_EQ(test::ReasonOf(link.fs->ReadPhoneFile(Path("back.bin"), "src.bin", entry->Date)), 0);
    EXPECT_EQ(ReadLocal(Path("back.bin")), data);
    EXPECT_EQ(QFileInfo(QString::fromStdString(Path("back.bin"))).lastModified(), stamp);
    EXPECT_EQ(link.progress.captions.back(), "Передача данных... ");
}

TEST_F(EmulatorTest, FailedReadsLeaveTheTargetAsItWas) {
    UseMap();
    link.emu->PutFile("B", "pic.jpg", Pattern(3000, 3));
    WriteLocal(Path("pic.jpg"), "what was here", QDateTime::currentDateTime());
    ASSERT_TRUE(link.fs->ChangeFolder("B"));
    link.emu->CorruptReadCrc(true);
    EXPECT_EQ(test::ReasonOf(link.fs->ReadPhoneFile(Path("pic.jpg"), "pic.jpg", QDateTime())),
              kErrChecksum);
    EXPECT_EQ(ReadLocal(Path("pic.jpg")), "what was here");
    link.emu->ClearFaults();

    EXPECT_EQ(test::ReasonOf(link.fs->ReadPhoneFile(Path("pic.jpg"), "absent.jpg", QDateTime())),
              kErrPhoneNotFound);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"pic.jpg"});
}

TEST_F(EmulatorTest, FullPhoneAndMissingFileGiveThePhonesCodes) {
    UseMap();
    ASSERT_TRUE(link.fs->ChangeFolder("B"));
    WriteLocal(Path("big"), Pattern(13200 * 1024, 1), QDateTime::currentDateTime());
    const Status written = link.fs->WritePhoneFile(Path("big"), "big", user);
    EXPECT_EQ(test::ReasonOf(written), kErrPhoneMemoryFull);
    EXPECT_EQ(test::TextOf(written), "Память заполнена");
    EXPECT_FALSE(HasFile(user, "big"));

    EXPECT_EQ(test::ReasonOf(link.fs->EraseFile("nothing.mid")), kErrPhoneNotFound);
    link.emu->PutFile("B", "tune.mid", "MThd");
    const int before = link.progress.steps[1];
    EXPECT_TRUE(link.fs->EraseFile("tune.mid"));
    EXPECT_EQ(link.progress.steps[1], before + 1);
    EXPECT_FALSE(link.emu->GetFile("B", "tune.mid"));
}

TEST_F(EmulatorTest, ProScanListsTheRealFoldersInTheWalksOrder) {
    link.flags.Mode = FolderMode::Pro;
    link.emu->PutFile(link.emu->FolderId("mms/camera/image"), "photo.jpg", Pattern(20000, 2));
    Tree4* root = link.fs->ScanPhone(FolderMode::Pro, false).value_or(nullptr);
    ASSERT_NE(root, nullptr);
    std::string expected = "AT+CGMM\r\n";
    for (Tree4* n : CollectFolderTable(root)) {
        if (n->IsVirtual()) continue;
        expected += "AT+FSCD=\"" + n->Id + "\"\r\nAT+FSDL=\"" + n->Id + "\"\r\n";
    }
    std::string commands;
    const std::string sent = link.emu->Received();
    for (size_t at = 0; at < sent.size();) {
        const size_t end = sent.find("\r\n", at);
        const std::string line = sent.substr(at, end - at + 2);
        if (line.starts_with("AT")) commands += line;
        at = end + 2;
    }
    EXPECT_EQ(commands, expected);
    EXPECT_EQ(link.progress.Max(2), 65);
    EXPECT_EQ(link.progress.Position(2), 65);  // markers and groups step the bars too
    for (Tree4* n : CollectFolderTable(root)) EXPECT_TRUE(n->Listed);
    EXPECT_EQ(FindFolderByPath(root, "mms\\camera\\image")->Files.size(), 1u);
    EXPECT_EQ(link.fs->EstimateFreeSpace(), "Свободно 13072 KB из 13104 KB ");
}

TEST_F(EmulatorTest, ScanEndsWithTheTimeoutBoxWhenThePhoneFallsSilent) {
    link.flags.Mode = FolderMode::Normal;
    link.emu->FallSilentAfter(7);
    EXPECT_EQ(link.fs->ScanPhone(FolderMode::Normal, false).value_or(nullptr), nullptr);
    EXPECT_EQ(link.fs->PhoneRoot(), nullptr);
    ASSERT_EQ(link.prompts.shown.size(), 1u);
    EXPECT_EQ(link.prompts.shown[0].Text, FailureReport(kErrTimeout, ""));
    EXPECT_EQ(link.prompts.shown[0].Caption, "Ошибка");
}

TEST(EmulatorLargeFileTest, MoreThanAMebibyteBothWaysInBlocksLongerThan600) {
    EmulatorLink link;
    EmulatorConfig config;
    config.Block = 4000;
    ASSERT_TRUE(link.Open(config));
    QTemporaryDir dir;
    const std::string data = Pattern(1100 * 1024, 5);
    const QString src = dir.filePath("big.bin"), back = dir.filePath("back.bin");
    QFile f(src);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data.data(), static_cast<qint64>(data.size()));
    f.close();
    auto root = BuildFolderMap(MapKind::Pro, "E700");
    Tree4* user = FindChild("user", root.get());
    ASSERT_TRUE(link.fs->ChangeFolder(user->Id));
    ASSERT_EQ(test::ReasonOf(link.fs->WritePhoneFile(src.toStdString(), "big.bin", user)), 0);
    EXPECT_EQ(link.emu->GetFile("B", "big.bin"), data);
    ASSERT_EQ(test::ReasonOf(link.fs->ReadPhoneFile(back.toStdString(), "big.bin", QDateTime())),
              0);
    QFile b(back);
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    EXPECT_TRUE(b.readAll().toStdString() == data);
}

TEST(EmulatorPimsTest, DiscoveryBuildsPathsFromThePhone) {
    EmulatorLink link;
    EmulatorConfig config;
    config.Pims = true;
    config.Model = "SGH-X600";
    ASSERT_TRUE(link.Open(config));
    link.flags.Mode = FolderMode::Pims;
    link.emu->PutFile("/Sounds/Ring", "ring.mmf", "MMMD....");
    Tree4* root = link.fs->ScanPhone(FolderMode::Pims, false).value_or(nullptr);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->Name, "X600");
    Tree4* ring = FindFolderByPath(root, "X600:\\Sounds\\Ring");
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(FindChild("Sounds", root)->Id, "/Sounds");
    EXPECT_EQ(ring->Id, "/Sounds/Ring");
    EXPECT_TRUE(HasFile(ring, "ring.mmf"));
    EXPECT_EQ(CountOf(link.emu->Received(), "AT+FSIF\r\n"), 1u);
}

// The command line: the tree as the path line shows it, and a round trip of a binary file.
TEST(PhoneCliTest, ScanPrintsTheTreeAndPutGetKeepBytesAndStamp) {
    test::EnsureApplication();
    PhoneEmulator emu;
    ASSERT_TRUE(emu.Start());
    QTemporaryDir dir;
    const QString cli = QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli");
    const auto run = [&](QStringList args, QByteArray* out = nullptr, QByteArray* err = nullptr) {
        QProcess p;
        args << "--port" << QString::fromStdString(emu.SlavePath());
        p.start(cli, args);
        p.waitForFinished(60000);
        if (out) *out = p.readAllStandardOutput();
        if (err) *err = p.readAllStandardError();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    const std::string data = Pattern(70000, 9);
    const QString src = dir.filePath("melody.mmf");
    {
        QFile f(src);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data.data(), static_cast<qint64>(data.size()));
        f.flush();
        f.setFileTime(QDateTime(QDate(2007, 1, 2), QTime(3, 4, 5)),
                      QFileDevice::FileModificationTime);
    }
    ASSERT_EQ(run({"put", src, "E700:\\Sounds\\My Sounds"}), 0);
    QByteArray out, err;
    ASSERT_EQ(run({"scan"}, &out), 0);
    const QList<QByteArray> lines = out.trimmed().split('\n');
    EXPECT_EQ(lines.first(), "E700:");
    EXPECT_TRUE(lines.contains("E700:\\Sounds\\My Sounds"));
    EXPECT_TRUE(lines.contains("E700:\\Images\\My Photos\\My Album 2"));
    EXPECT_TRUE(out.contains("    melody.mmf\t70000\t2007-01-02 03:04:05\n"));
    EXPECT_EQ(out.split('\n').at(out.split('\n').size() - 2), "Свободно 12784 KB из 13104 KB ");

    // The source lies in the same folder: kept unless --force.
    ASSERT_EQ(run({"get", "Sounds\\My Sounds\\melody.mmf", dir.path()}), 6);
    ASSERT_EQ(run({"get", "--force", "Sounds\\My Sounds\\melody.mmf", dir.path()}), 0);
    const QString back = dir.filePath("melody.mmf");
    QFile f(back);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().toStdString(), data);
    EXPECT_EQ(QFileInfo(back).lastModified(), QDateTime(QDate(2007, 1, 2), QTime(3, 4, 5)));

    EXPECT_NE(run({"rm", "Sounds\\My Sounds\\absent.mmf"}, nullptr, &err), 0);
    EXPECT_TRUE(err.contains("Файл не найден"));
    EXPECT_NE(run({"ls", "Sounds\\Nowhere"}, nullptr, &err), 0);
    emu.Stop();
}

// Some firmware prompts once more after the last block and then gives its result at once:
// the write takes that result instead of waiting out the transfer's time-out.
TEST(EmulatorFaultWrite, APromptAfterTheLastBlockStillEndsInTheStoredFile) {
    QTemporaryDir dir;
    EmulatorConfig config;
    config.Fault.ExtraPrompt = true;
    EmulatorLink link;
    ASSERT_TRUE(link.Open(config));
    link.fs->SetRoot(BuildFolderMap(MapKind::Pro, "E700"));
    Tree4* user = FindChild("user", link.fs->PhoneRoot());
    ASSERT_TRUE(link.fs->ChangeFolder("B"));
    for (const size_t size : {1000u, 1024u}) {
        SCOPED_TRACE(size);
        const std::string data = Pattern(size, 7);
        const QString path = QDir(dir.path()).filePath(QStringLiteral("x"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data.data(), static_cast<qint64>(data.size()));
        f.close();
        const std::string name = "x" + std::to_string(size);
        QElapsedTimer clock;
        clock.start();
        ASSERT_EQ(test::ReasonOf(link.fs->WritePhoneFile(path.toStdString(), name, user)), 0);
        EXPECT_LT(clock.elapsed(), 3000);
        EXPECT_EQ(link.emu->GetFile("B", name), data);
        EXPECT_TRUE(HasFile(user, name));
    }
}

}  // namespace
