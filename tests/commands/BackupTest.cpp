// The whole phone kept in a folder: backup of the demo phone, restore onto an empty one,
// incremental runs, a backup cut by a dead line, hard names, a full phone, verify.

#include <sys/wait.h>
#include <unistd.h>

#include <QDirIterator>
#include <QProcess>
#include <map>
#include <set>

#include "CommandFixture.h"
#include "commands/Backup.h"
#include "commands/PimBackup.h"
#include "pim/phone/PimPhone.h"
#include "commands/Unfinished.h"
#include "support/Reasons.h"
#include "base/Messages.h"

using namespace q7k3;
using namespace q7k3::test;

namespace {

class AnswerAlways final : public ConflictQuestion {
public:
    explicit AnswerAlways(ConflictAnswer choice) : m_choice(choice) {}
    ConflictReply AskConflict(const std::string& oldName, const std::string& newName) override {
        asked.push_back(oldName);
        return {m_choice, newName};
    }
    std::vector<std::string> asked;

private:
    ConflictAnswer m_choice;
};

// Every file of every folder of a phone that the scan shows (an empty file is hidden):
// "id/name" -> size and hash of the bytes, and the listed stamp.
using Content = std::map<std::string, std::pair<std::string, std::string>>;

Content ContentOf(EmulatorLink& link) {
    Content out;
    std::set<std::string> ids;
    for (Tree4* node : CollectFolderTable(link.fs->PhoneRoot())) {
        if (node->IsMarker() || node->IsVirtual() || !ids.insert(node->Id).second) continue;
        for (const StoredFile& f : link.emu->ListFiles(node->Id)) {
            if (f.Size == 0) continue;
            const std::string bytes = *link.emu->GetFile(node->Id, f.Name);
            out[node->Id + "/" + f.Name] = {std::to_string(bytes.size()) + ":" +
                                                std::to_string(std::hash<std::string>()(bytes)),
                                            f.Stamp};
        }
    }
    return out;
}

struct BackupTest : ::testing::Test {
    QTemporaryDir dir;
    std::string backupDir() const { return dir.filePath("backup").toStdString(); }
    // The records of unfinished steps live in the test's own data folder.
    void SetUp() override { qputenv("XDG_DATA_HOME", dir.filePath("xdg").toLocal8Bit()); }

    // A phone on the line, scanned.
    static void Open(EmulatorLink& link, EmulatorConfig config = {}) {
        ASSERT_TRUE(link.Open(config));
        ASSERT_NE(link.fs->ScanPhone(FolderMode::Normal, false).value_or(nullptr), nullptr);
    }
    static EmulatorConfig Demo() {
        EmulatorConfig config;
        config.Content = emu::Preset::Demo;
        return config;
    }
    std::vector<std::string> LocalFiles() const {
        std::vector<std::string> out;
        QDirIterator it(QString::fromStdString(backupDir()), QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) out.push_back(it.next().toStdString());
        return out;
    }
};

TEST_F(BackupTest, DemoPhoneBacksUpIncrementallyAndRestoresOntoAnEmptyPhone) {
    EmulatorLink phone;
    Open(phone, Demo());
    const Content original = ContentOf(phone);
    ASSERT_GT(original.size(), 10u);

    Backup first(*phone.fs, backupDir());
    ASSERT_EQ(test::TextOf(first.Run()), "");
    EXPECT_EQ(first.End(), CommandEnd::Finished);
    EXPECT_EQ(static_cast<size_t>(first.Fetched()), original.size());
    EXPECT_EQ(first.Kept(), 0);
    // The copies carry the phone's dates; the progress told files and kilobytes.
    EXPECT_NE(phone.progress.longStatus.find(Msg(kMsgKilobytes)), std::string::npos);

    // Nothing changed: nothing is fetched, not a single read command goes out.
    phone.emu->ClearReceived();
    Backup second(*phone.fs, backupDir());
    ASSERT_TRUE(second.Run());
    EXPECT_EQ(second.Fetched(), 0);
    EXPECT_EQ(static_cast<size_t>(second.Kept()), original.size());
    EXPECT_EQ(phone.emu->Received().find("AT+FSFR"), std::string::npos);

    // A changed file is fetched again, and only that one (after a rescan).
    const std::string user = phone.emu->FolderId("user");
    ASSERT_TRUE(phone.emu->PutFile(user, "note.txt", "first words", "2006/01/02 03:04:05"));
    ASSERT_NE(phone.fs->ScanPhone(FolderMode::Normal, false).value_or(nullptr), nullptr);
    Backup added(*phone.fs, backupDir());
    ASSERT_TRUE(added.Run());
    EXPECT_EQ(added.Fetched(), 1);
    ASSERT_TRUE(phone.emu->PutFile(user, "note.txt", "second words!", "2006/01/02 03:04:09"));
    ASSERT_NE(phone.fs->ScanPhone(FolderMode::Normal, false).value_or(nullptr), nullptr);
    Backup changed(*phone.fs, backupDir());
    ASSERT_TRUE(changed.Run());
    EXPECT_EQ(changed.Fetched(), 1);
    EXPECT_EQ(changed.BytesFetched(), 13);
    const Content saved = ContentOf(phone);
    Verify verify(*phone.fs, backupDir());
    ASSERT_EQ(test::TextOf(verify.Run(true)), "");
    EXPECT_TRUE(verify.Findings().empty()) << verify.Findings().front().Text();
    EXPECT_EQ(static_cast<size_t>(verify.Checked()), saved.size());

    // Onto an empty phone: the same files, bytes and dates in the same folders.
    EmulatorLink empty;
    Open(empty);
    AnswerAlways never(ConflictAnswer::Cancel);
    Restore restore(*empty.fs, backupDir(), never);
    ASSERT_TRUE(restore.Load());
    const std::vector<size_t> all = restore.Select("", "");
    ASSERT_EQ(test::TextOf(restore.Run(all)), "");
    EXPECT_EQ(restore.Restored().size(), saved.size());
    EXPECT_TRUE(restore.NotRestored().empty());
    EXPECT_TRUE(never.asked.empty());
    EXPECT_EQ(ContentOf(empty), saved);

    // Some files again, by folder and pattern: the taken names go to the question.
    AnswerAlways overwrite(ConflictAnswer::Overwrite);
    Restore some(*empty.fs, backupDir(), overwrite);
    ASSERT_TRUE(some.Load());
    const std::vector<size_t> sounds = some.Select("e700:\\sounds", "*.MMF");
    ASSERT_EQ(sounds.size(), 2u);
    EXPECT_EQ(some.Select("Sounds\\My Sounds", "b*").size(), 1u);
    EXPECT_TRUE(some.Select("Sounds\\My", "").empty());
    // A folder takes the folders below it along (the CLI's help and man page say so).
    bool below = false;
    for (const size_t i : some.Select("sounds", "")) {
        const std::string& path = some.Records()[i].FolderPath;
        EXPECT_NE(path.find("Sounds"), std::string::npos) << path;
        below = below || path.find("Sounds\\My Sounds") != std::string::npos;
    }
    EXPECT_TRUE(below);
    ASSERT_TRUE(some.Run(sounds));
    EXPECT_EQ(overwrite.asked, (std::vector<std::string>{"Birds.mmf", "Chime.mmf"}));
    EXPECT_EQ(ContentOf(empty), saved);
}

TEST_F(BackupTest, BackupCutByADeadLineResumesToAVerifiedCopy) {
    EmulatorLink phone;
    Open(phone, Demo());
    const std::string user = phone.emu->FolderId("user");
    for (int i = 0; i < 4; ++i) {
        phone.emu->PutFile(user, "big" + std::to_string(i) + ".bin", Pattern(20000, i + 1),
                           "2006/02/0" + std::to_string(i + 1) + " 10:00:00");
    }
    ASSERT_NE(phone.fs->ScanPhone(FolderMode::Normal, false).value_or(nullptr), nullptr);
    phone.emu->CutLineAfter(50000);
    Backup cut(*phone.fs, backupDir());
    EXPECT_EQ(test::ReasonOf(cut.Run()), kErrTimeout);
    // Only whole files: each copy there is one the manifest vouches for.
    BackupManifest manifest;
    std::string bad;
    ASSERT_TRUE(manifest.Load(backupDir(), bad)) << bad;
    ASSERT_GT(manifest.Records.size(), 0u);
    const std::vector<std::string> files = LocalFiles();
    EXPECT_EQ(files.size(), manifest.Records.size() + 1);  // the manifest itself
    for (const BackupRecord& r : manifest.Records) {
        uint32_t crc = 0;
        ASSERT_TRUE(LocalFileCrc(QDir(dir.filePath("backup"))
                                     .filePath(QString::fromStdString(r.LocalName))
                                     .toStdString(),
                                 crc));
        EXPECT_EQ(crc, r.Crc) << r.LocalName;
    }

    phone.emu->ClearFaults();
    Backup resumed(*phone.fs, backupDir());
    ASSERT_EQ(test::TextOf(resumed.Run()), "");
    EXPECT_EQ(static_cast<size_t>(resumed.Kept()), manifest.Records.size());
    Verify verify(*phone.fs, backupDir());
    ASSERT_TRUE(verify.Run(true));
    EXPECT_TRUE(verify.Findings().empty());
    EXPECT_EQ(static_cast<size_t>(verify.Checked()), ContentOf(phone).size());
}

// Counts the files the backup has fetched and presses the abort button after `files`.
class AbortAfter final : public ProgressView {
public:
    AbortAfter(AppFlags& flags, int files) : m_flags(flags), m_files(files) {}
    void Show() override {}
    void Hide() override {}
    void SetCaption(const std::string&) override {}
    void SetQuickStatus(const std::string&) override {}
    void SetLongStatus(const std::string&) override {}
    void SetMax(int bar, int max) override { m_max[bar == 2] = max; }
    void SetPosition(int bar, int p) override { m_pos[bar == 2] = p; }
    void Step(int bar) override {
        ++m_pos[bar == 2];
        if (bar == 2 && m_pos[1] == m_files) m_flags.AbortRequested = true;
    }
    int Position(int bar) const override { return m_pos[bar == 2]; }
    int Max(int bar) const override { return m_max[bar == 2]; }

private:
    AppFlags& m_flags;
    int m_files;
    int m_max[2] = {0, 0};
    int m_pos[2] = {0, 0};
};

TEST_F(BackupTest, AbortStopsBetweenFilesAndAFileErasedMeanwhileCostsOnlyItself) {
    EmulatorLink phone;
    Open(phone, Demo());
    const size_t files = ContentOf(phone).size();
    AbortAfter abort(phone.flags, 3);
    phone.fs->SetProgress(abort);
    Backup first(*phone.fs, backupDir());
    ASSERT_TRUE(first.Run());
    EXPECT_EQ(first.End(), CommandEnd::Aborted);
    EXPECT_EQ(first.Fetched(), 3);
    // The abort holds to the operation's end; the next one is admitted with it lowered.
    EXPECT_TRUE(phone.flags.AbortRequested);
    phone.flags.AbortRequested = false;
    phone.fs->SetProgress(phone.progress);

    // The phone loses a file after the listing: the rest is saved all the same.
    const std::string user = phone.emu->FolderId("user");
    ASSERT_TRUE(phone.emu->PutFile(user, "soon gone.txt", "bye", "2006/01/01 00:00:00"));
    ASSERT_NE(phone.fs->ScanPhone(FolderMode::Normal, false).value_or(nullptr), nullptr);
    ASSERT_TRUE(phone.emu->RemoveFile(user, "soon gone.txt"));
    Backup rest(*phone.fs, backupDir());
    ASSERT_EQ(test::TextOf(rest.Run()), "");
    EXPECT_EQ(rest.Kept(), 3);
    EXPECT_EQ(static_cast<size_t>(rest.Fetched()), files - 3);
    EXPECT_EQ(rest.Missed(), 1);
    Verify verify(*phone.fs, backupDir());
    ASSERT_TRUE(verify.Run(false));
    EXPECT_TRUE(verify.Findings().empty());
}

// The listing cuts a name over 64 characters, and the phone then finds no file of the cut
// name: the file is still there, so it is said to be unreadable, never gone.
TEST_F(BackupTest, ANameTheListingCutsIsUnreadableNotGone) {
    EmulatorLink phone;
    Open(phone);
    const std::string user = phone.emu->FolderId("user");
    const std::string longName = std::string(70, 'w') + ".txt";
    ASSERT_TRUE(phone.emu->PutFile(user, longName, "long", "2006/01/01 00:00:00"));
    ASSERT_TRUE(phone.emu->PutFile(user, "short.txt", "short", "2006/01/01 00:00:00"));
    ASSERT_NE(phone.fs->ScanPhone(FolderMode::Normal, false).value_or(nullptr), nullptr);
    Backup backup(*phone.fs, backupDir());
    ASSERT_EQ(test::TextOf(backup.Run()), "");
    EXPECT_EQ(backup.Missed(), 0);
    EXPECT_EQ(backup.Fetched(), 1);
    EXPECT_EQ(backup.UnreadableReport(),
              Msg(kMsgNotReadableOnPhone) + "E700:\\User\\" + std::string(64, 'w'));
}

// --folder as the path line writes it or with slashes, as the README shows it; a folder
// whose own name holds a slash is found either way.
TEST_F(BackupTest, RestoreSelectsFoldersWrittenWithSlashes) {
    BackupManifest manifest;
    for (const char* folder :
         {"E700:\\Images\\My Photos\\Camera", "E700:\\Images\\OnOff/Menu Images",
          "E700:\\Images\\My Photos", "E700:\\User"}) {
        BackupRecord r;
        r.FolderPath = folder;
        r.FolderId = "X";
        r.Name = r.LocalName = "a.jpg";
        r.Date = QDateTime(QDate(2006, 1, 1), QTime(0, 0));
        manifest.Records.push_back(r);
    }
    QDir().mkpath(QString::fromStdString(backupDir()));
    ASSERT_TRUE(manifest.Save(backupDir()));
    EmulatorLink phone;
    ASSERT_TRUE(phone.Open({}));
    AnswerAlways never(ConflictAnswer::Cancel);
    Restore restore(*phone.fs, backupDir(), never);
    ASSERT_TRUE(restore.Load());
    struct Case {
        const char* folder;
        std::vector<size_t> chosen;
    };
    const Case cases[] = {
        {"Images/My Photos", {0, 2}},           {"/images/my photos/", {0, 2}},
        {"E700:/Images/My Photos/Camera", {0}}, {"Images\\OnOff/Menu Images", {1}},
        {"Images/OnOff/Menu Images", {1}},      {"Images/My", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(restore.Select(c.folder, ""), c.chosen) << c.folder;
}

// A verify cut short proves nothing: it must not read as a match.
TEST_F(BackupTest, AnAbortedVerifyIsNoMatch) {
    EmulatorLink phone;
    Open(phone, Demo());
    ASSERT_TRUE(Backup(*phone.fs, backupDir()).Run());
    Verify whole(*phone.fs, backupDir());
    ASSERT_TRUE(whole.Run(false));
    EXPECT_EQ(whole.End(), CommandEnd::Finished);

    AbortAfter abort(phone.flags, 2);
    phone.fs->SetProgress(abort);
    Verify cut(*phone.fs, backupDir());
    ASSERT_TRUE(cut.Run(false));
    EXPECT_EQ(cut.End(), CommandEnd::Aborted);
    EXPECT_TRUE(cut.Findings().empty());
    EXPECT_TRUE(phone.flags.AbortRequested);
    phone.flags.AbortRequested = false;
    phone.fs->SetProgress(phone.progress);
}

TEST_F(BackupTest, HardNamesRoundTripThroughTheMapping) {
    const std::vector<std::string> hard = {
        "Мой файл.txt",     "a:b*c?.txt",
        "100% <sure>|.txt", "back\\slash",
        "trailing.",        "space ",
        "CON.txt",          "..",
        "Case.txt",         "case.txt",
        "\xff\xfe raw.bin", std::string(60, 'x') + "Ж" + std::string(150, 'y'),
    };
    for (const std::string& name : hard) {
        const std::string safe = SafeLocalName(name);
        EXPECT_EQ(safe.find_first_of("/\\:*?\"<>|"), std::string::npos) << safe;
        EXPECT_LE(safe.size(), 200u);
        if (name.size() < 100) EXPECT_EQ(DecodeLocalName(safe), name) << safe;
    }
    EXPECT_EQ(SafeLocalName("Мой файл.txt"), "Мой файл.txt");
    EXPECT_EQ(SafeLocalName("trailing."), "trailing%2E");
    EXPECT_EQ(SafeLocalName(".."), "%2E%2E");

    // Through a backup and a restore onto an empty phone.
    EmulatorLink phone;
    Open(phone);
    const std::string user = phone.emu->FolderId("user");
    for (size_t i = 0; i < hard.size(); ++i) {
        // No phone takes "..", and none lists a name that long.
        if (hard[i] == ".." || hard[i].size() > 100) continue;
        ASSERT_TRUE(phone.emu->PutFile(user, hard[i], Pattern(100 + i, static_cast<unsigned>(i)),
                                       "2006/01/01 00:00:00"))
            << hard[i];
    }
    ASSERT_NE(phone.fs->ScanPhone(FolderMode::Normal, false).value_or(nullptr), nullptr);
    const Content saved = ContentOf(phone);
    Backup backup(*phone.fs, backupDir());
    ASSERT_EQ(test::TextOf(backup.Run()), "");
    EXPECT_EQ(static_cast<size_t>(backup.Fetched()), saved.size());
    EXPECT_EQ(LocalFiles().size(), saved.size() + 1);  // "Case.txt" and "case.txt" both

    EmulatorLink empty;
    Open(empty);
    AnswerAlways never(ConflictAnswer::Cancel);
    Restore restore(*empty.fs, backupDir(), never);
    ASSERT_TRUE(restore.Load());
    ASSERT_TRUE(restore.Run(restore.Select("", "")));
    // What a copy to the phone refuses is left out, with the reason: the phone could not
    // be asked for those names again.
    Content expected = saved;
    std::set<std::string> refused;
    for (const Restore::Left& left : restore.NotRestored()) {
        const std::string& name = restore.Records()[left.Record].Name;
        refused.insert(name);
        EXPECT_EQ(left.Reason, Msg(kMsgBadPhoneName) + name);
        expected.erase(user + "/" + name);
    }
    EXPECT_EQ(refused, (std::set<std::string>{"back\\slash", "\xff\xfe raw.bin"}));
    EXPECT_EQ(ContentOf(empty), expected);
}

TEST_F(BackupTest, RestoreIntoAFullPhoneSaysWhatWasLeftOut) {
    EmulatorLink phone;
    Open(phone, Demo());
    ASSERT_TRUE(Backup(*phone.fs, backupDir()).Run());

    EmulatorConfig small;
    small.CapacityKb = 16 * 6;
    EmulatorLink full;
    Open(full, small);
    AnswerAlways never(ConflictAnswer::Cancel);
    Restore restore(*full.fs, backupDir(), never);
    ASSERT_TRUE(restore.Load());
    const std::vector<size_t> all = restore.Select("", "");
    const Status done = restore.Run(all);
    EXPECT_EQ(restore.End(), CommandEnd::Stopped);
    EXPECT_EQ(test::ReasonOf(done), kErrText);
    EXPECT_EQ(test::TextOf(done).rfind(Msg(kMsgRestoreMemoryFull), 0), 0u);
    EXPECT_NE(test::TextOf(done).find(Msg(kMsgNotRestored)), std::string::npos);
    EXPECT_GT(restore.Restored().size(), 0u);
    ASSERT_GT(restore.NotRestored().size(), 0u);
    EXPECT_EQ(restore.Restored().size() + restore.NotRestored().size(), all.size());
    EXPECT_EQ(restore.NotRestored().front().Reason, Msg(kMsgMemoryFull));
    // What it says it restored is there, and nothing else.
    EXPECT_EQ(ContentOf(full).size(), restore.Restored().size());
}

TEST_F(BackupTest, RestoreIntoAPhoneWithNoRoomAtAllListsOnlyWhatWasLeftOut) {
    EmulatorLink phone;
    Open(phone, Demo());
    ASSERT_TRUE(Backup(*phone.fs, backupDir()).Run());
    EmulatorConfig none;
    none.CapacityKb = 0;
    EmulatorLink full;
    Open(full, none);
    AnswerAlways never(ConflictAnswer::Cancel);
    Restore restore(*full.fs, backupDir(), never);
    ASSERT_TRUE(restore.Load());
    const Status done = restore.Run(restore.Select("", ""));
    EXPECT_FALSE(done);
    EXPECT_TRUE(restore.Restored().empty());
    EXPECT_EQ(restore.Report().rfind(Msg(kMsgNotRestored), 0), 0u) << restore.Report();
    EXPECT_EQ(test::TextOf(done).find(Msg(kMsgRestored)), std::string::npos) << test::TextOf(done);
}

// A link planted in the backup folder (a subfolder, the manifest, a copy) is never
// followed, either way; what a cut replacement left on the phone is no user's file.
TEST_F(BackupTest, LinksPlantedInTheFolderAreNeverFollowed) {
    EmulatorLink phone;
    Open(phone, Demo());
    const std::string user = FindFolderByPath(phone.fs->PhoneRoot(), "User")->Id;
    phone.emu->PutFile(user, "~q7k3~2.txt", "half a replacement");
    phone.emu->PutFile(user, "mine.txt", "hostname");
    ASSERT_NE(phone.fs->ScanPhone(FolderMode::Normal, false).value_or(nullptr), nullptr);
    QTemporaryDir outside;
    const QString dirs = QString::fromStdString(backupDir());

    // A subfolder that leads out.
    ASSERT_TRUE(QDir().mkpath(dirs));
    ASSERT_TRUE(QFile::link(outside.path(), dirs + "/E700"));
    EXPECT_EQ(test::TextOf(Backup(*phone.fs, backupDir()).Run()),
              Msg(kMsgLinkRefused) + backupDir() + "/E700");
    EXPECT_TRUE(QDir(outside.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    QFile::remove(dirs + "/E700");

    ASSERT_EQ(test::TextOf(Backup(*phone.fs, backupDir()).Run()), "");
    BackupManifest manifest;
    std::string bad;
    ASSERT_TRUE(manifest.Load(backupDir(), bad));
    // No record names it: a file of the user's like any other.
    EXPECT_NE(manifest.Find(user, "~q7k3~2.txt"), nullptr);
    const BackupRecord* mine = manifest.Find(user, "mine.txt");
    ASSERT_NE(mine, nullptr);

    // A copy forged as a link to an outside file of the same bytes is not read back.
    const QString secret = QDir(outside.path()).filePath("hostname");
    {
        QFile f(secret);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("hostname");
    }
    const QDateTime secretTime = QFileInfo(secret).lastModified();
    const QString copy = dirs + "/" + QString::fromStdString(mine->LocalName);
    ASSERT_TRUE(QFile::remove(copy));
    ASSERT_TRUE(QFile::link(secret, copy));
    EmulatorLink empty;
    Open(empty);
    AnswerAlways never(ConflictAnswer::Cancel);
    Restore restore(*empty.fs, backupDir(), never);
    ASSERT_TRUE(restore.Load());
    ASSERT_TRUE(restore.Run(restore.Select("User", "mine.txt")));
    ASSERT_EQ(restore.NotRestored().size(), 1u);
    EXPECT_EQ(restore.NotRestored()[0].Reason, Msg(kMsgLinkRefused) + copy.toStdString());
    EXPECT_FALSE(empty.emu->GetFile(user, "mine.txt"));
    EXPECT_EQ(QFileInfo(secret).lastModified(), secretTime);

    // The manifest as a link: neither read nor written.
    const QString manifestPath = dirs + "/" + BackupManifest::kFileName;
    ASSERT_TRUE(QFile::remove(manifestPath));
    ASSERT_TRUE(QFile::link(secret, manifestPath));
    EXPECT_NE(test::TextOf(Backup(*phone.fs, backupDir()).Run()).find(Msg(kMsgLinkRefused)),
              std::string::npos);
    QFile f(secret);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "hostname");
}

// Restore puts back what is missing and skips (and lists) what the phone still holds.
TEST_F(BackupTest, RestoreSkipsTakenNamesAndGoesOn) {
    EmulatorLink phone;
    Open(phone, Demo());
    ASSERT_TRUE(Backup(*phone.fs, backupDir()).Run());
    const std::string user = FindFolderByPath(phone.fs->PhoneRoot(), "User")->Id;
    phone.emu->PutFile(user, "a.txt", "a");
    phone.emu->PutFile(user, "b.txt", "b");
    ASSERT_NE(phone.fs->ScanPhone(FolderMode::Normal, false).value_or(nullptr), nullptr);
    ASSERT_TRUE(Backup(*phone.fs, backupDir()).Run());
    phone.emu->RemoveFile(user, "a.txt");
    phone.emu->PutFile(user, "b.txt", "b changed");
    ASSERT_NE(phone.fs->ScanPhone(FolderMode::Normal, false).value_or(nullptr), nullptr);
    AnswerAlways skip(ConflictAnswer::Skip);
    Restore restore(*phone.fs, backupDir(), skip);
    ASSERT_TRUE(restore.Load());
    ASSERT_TRUE(restore.Run(restore.Select("User", "?.txt")));
    EXPECT_EQ(restore.End(), CommandEnd::Finished);
    EXPECT_EQ(skip.asked, std::vector<std::string>{"b.txt"});
    EXPECT_EQ(restore.Restored().size(), 1u);
    ASSERT_EQ(restore.Skipped().size(), 1u);
    EXPECT_EQ(restore.Records()[restore.Skipped()[0]].Name, "b.txt");
    EXPECT_EQ(phone.emu->GetFile(user, "a.txt"), "a");
    EXPECT_EQ(phone.emu->GetFile(user, "b.txt"), "b changed");
    EXPECT_NE(restore.Report().find(Msg(kMsgSkippedExisting) + "E700:\\User\\b.txt"),
              std::string::npos)
        << restore.Report();
}

TEST_F(BackupTest, VerifyFindsWhatChangedBehindItsBack) {
    EmulatorLink phone;
    Open(phone, Demo());
    ASSERT_TRUE(Backup(*phone.fs, backupDir()).Run());
    const std::string sounds = FindFolderByPath(phone.fs->PhoneRoot(), "Sounds\\My Sounds")->Id;
    const std::string user = phone.emu->FolderId("user");
    const auto listed = [&](const std::string& id, const std::string& name) {
        for (const StoredFile& f : phone.emu->ListFiles(id))
            if (f.Name == name) return f;
        return StoredFile{};
    };
    ASSERT_FALSE(sounds.empty());
    const StoredFile birds = listed(sounds, "Birds.mmf");
    ASSERT_GT(birds.Size, 0u);
    // Same size and date, other bytes: only the deep check sees it.
    std::string bytes = *phone.emu->GetFile(sounds, "Birds.mmf");
    bytes[bytes.size() / 2] ^= 0x55;
    ASSERT_TRUE(phone.emu->PutFile(sounds, "Birds.mmf", bytes, birds.Stamp));
    ASSERT_TRUE(
        phone.emu->PutFile(sounds, "Chime.mmf", "shorter", listed(sounds, "Chime.mmf").Stamp));
    ASSERT_TRUE(phone.emu->PutFile(user, "new.txt", "new", "2006/01/01 00:00:00"));

    Verify quick(*phone.fs, backupDir());
    ASSERT_TRUE(quick.Run(false));
    std::vector<std::string> texts;
    for (const auto& f : quick.Findings()) texts.push_back(f.Text());
    EXPECT_EQ(texts, (std::vector<std::string>{
                         Msg(kMsgNotInBackup) + "E700:\\User\\new.txt",
                         Msg(kMsgChangedOnPhone) + "E700:\\Sounds\\My Sounds\\Chime.mmf"}));

    Verify deep(*phone.fs, backupDir());
    ASSERT_TRUE(deep.Run(true));
    ASSERT_EQ(deep.Findings().size(), 3u);
    EXPECT_EQ(deep.Findings().back().Text(),
              Msg(kMsgCrcDiffers) + "E700:\\Sounds\\My Sounds\\Birds.mmf");

    // A damaged manifest is said to be one, with its line.
    QFile manifest(dir.filePath("backup/q7k3fm-backup.txt"));
    ASSERT_TRUE(manifest.open(QIODevice::Append));
    manifest.write("E700:\\User\tB\tx\t../../escape\t1\t2006-01-01 00:00:00\t0\tphone\n");
    manifest.close();
    EXPECT_EQ(
        test::TextOf(Verify(*phone.fs, backupDir()).Run(false)).rfind(Msg(kMsgBadManifest), 0), 0u);
}

// Only the temporary file a record names is the program's: a user's file of that form is
// saved, the recorded one is listed as not saved.
TEST_F(BackupTest, OnlyARecordedTemporaryFileIsLeftOutAndSaidSo) {
    EmulatorLink phone;
    Open(phone);
    const std::string user = phone.emu->FolderId("user");
    for (const char* name : {"~q7k3~1.txt", "~q7k3~2.txt"})
        ASSERT_TRUE(phone.emu->PutFile(user, name, name, "2006/01/01 00:00:00"));
    ASSERT_NE(phone.fs->ScanPhone(FolderMode::Normal, false).value_or(nullptr), nullptr);
    commands::UnfinishedRecord record;
    record.Phone.Model = phone.fs->ModelCodeText();
    record.FolderId = user;
    record.Name = "notes.txt";
    record.Temp = "~q7k3~2.txt";
    ASSERT_TRUE(record.Save());
    Backup backup(*phone.fs, backupDir());
    ASSERT_EQ(test::TextOf(backup.Run()), "");
    record.Drop();
    EXPECT_EQ(backup.Fetched(), 1);
    EXPECT_EQ(backup.UnreadableReport(), Msg(kMsgTemporaryNotSaved) + "E700:\\User\\~q7k3~2.txt");
    Verify verify(*phone.fs, backupDir());
    ASSERT_TRUE(verify.Run(false));
    ASSERT_EQ(verify.Findings().size(), 1u);
    EXPECT_EQ(verify.Findings().front().Text(), Msg(kMsgNotInBackup) + "E700:\\User\\~q7k3~2.txt");
}

// A copy killed in the backup folder leaves its part file: verify names it, the next backup
// removes it.
TEST_F(BackupTest, PartFilesOfAKilledCopyAreNamedThenRemoved) {
    EmulatorLink phone;
    Open(phone);
    const std::string user = phone.emu->FolderId("user");
    ASSERT_TRUE(phone.emu->PutFile(user, "a.txt", "words", "2006/01/01 00:00:00"));
    ASSERT_NE(phone.fs->ScanPhone(FolderMode::Normal, false).value_or(nullptr), nullptr);
    ASSERT_TRUE(Backup(*phone.fs, backupDir()).Run());
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    // Beside the copy of a.txt, wherever the backup put it.
    std::string part;
    for (const std::string& file : LocalFiles())
        if (file.ends_with("/a.txt"))
            part = QFileInfo(QString::fromStdString(file)).absolutePath().toStdString() +
                   "/.q7k3fm-part-" + std::to_string(gone) + "-Ab12cd";
    ASSERT_FALSE(part.empty());
    QFile f(QString::fromStdString(part));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    Verify verify(*phone.fs, backupDir());
    ASSERT_TRUE(verify.Run(true));
    ASSERT_EQ(verify.Findings().size(), 1u);
    EXPECT_EQ(verify.Findings().front().Text(), Msg(kMsgLeftoverPart) + part);
    ASSERT_TRUE(Backup(*phone.fs, backupDir()).Run());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(part)));
    Verify again(*phone.fs, backupDir());
    ASSERT_TRUE(again.Run(false));
    EXPECT_TRUE(again.Findings().empty());
}

TEST_F(BackupTest, CliBacksUpRestoresAndVerifiesFromAScript) {
    EnsureApplication();
    PhoneEmulator emu(Demo());
    ASSERT_TRUE(emu.Start());
    const auto run = [&](QStringList args, QByteArray* out = nullptr) {
        QProcess p;
        args << "--port" << QString::fromStdString(emu.SlavePath());
        p.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"), args);
        p.waitForFinished(60000);
        if (out) *out = p.readAllStandardOutput() + p.readAllStandardError();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    const QString backup = QString::fromStdString(backupDir());
    QByteArray out;
    ASSERT_EQ(run({"backup", backup}, &out), 0) << out.toStdString();
    ASSERT_EQ(run({"verify", backup, "--deep"}, &out), 0) << out.toStdString();

    const std::string photos =
        FindFolderByPath(BuildFolderMap(MapKind::Normal, "E700").get(), "Images\\My Photos\\Camera")
            ->Id;
    ASSERT_FALSE(photos.empty());
    const auto before = emu.ListFiles(photos);
    ASSERT_FALSE(before.empty());
    for (const StoredFile& f : before) emu.RemoveFile(photos, f.Name);
    EXPECT_EQ(run({"verify", backup}, &out), 1);
    EXPECT_TRUE(out.contains(QByteArray::fromStdString(Msg(kMsgMissingOnPhone))));

    ASSERT_EQ(run({"restore", backup, "--folder", "Images\\My Photos\\Camera"}, &out), 0)
        << out.toStdString();
    EXPECT_EQ(emu.ListFiles(photos).size(), before.size());
    // Again, with one file gone: that one is put back, the names still there are skipped
    // and listed (only --overwrite replaces them), and the restore does not stop.
    emu.RemoveFile(photos, before.back().Name);
    EXPECT_EQ(run({"restore", backup, "--folder", "Images\\My Photos\\Camera"}, &out), 0);
    EXPECT_EQ(out.count(QByteArray::fromStdString(Msg(kMsgSkippedLine) + "\t")),
              static_cast<qsizetype>(before.size() - 1));
    // Each with its reason, and the cure said once.
    EXPECT_EQ(out.count(QByteArray::fromStdString("\t" + Msg(kMsgSkippedReason) + "\n")),
              static_cast<qsizetype>(before.size() - 1));
    EXPECT_EQ(out.count(QByteArray::fromStdString(Msg(kMsgSkippedCure))), 1);
    EXPECT_FALSE(out.contains(QByteArray::fromStdString(Msg(kMsgNotRestoredLine))));
    EXPECT_TRUE(out.contains(QByteArray::fromStdString(
        Msg(kMsgRestoredLine) + "\t" +
        PhonePathText(FindFolderByPath(BuildFolderMap(MapKind::Normal, "E700").get(),
                                       "Images\\My Photos\\Camera")) +
        "\\" + before.back().Name)))
        << out.toStdString();
    EXPECT_EQ(emu.ListFiles(photos).size(), before.size());
    EXPECT_EQ(run({"restore", backup, "--match", "Photo*", "--overwrite"}, &out), 0);
    EXPECT_EQ(run({"verify", backup, "--deep"}, &out), 0) << out.toStdString();
    EXPECT_EQ(run({"restore", dir.filePath("nothing"), "--bogus"}, &out), 2);
    // The values may follow an "=".
    EXPECT_EQ(run({"restore", "--folder=Images\\My Photos\\Camera", "--overwrite", backup}, &out),
              0)
        << out.toStdString();
    EXPECT_EQ(run({"verify", "--mode=normal", "--deep", backup}, &out), 0) << out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("nothing")));
}

}  // namespace

namespace {

// The emulated phone's phonebook as a comparison sees it: store, name and the number as
// dialled.
std::multiset<std::string> PhonebookOf(const PhoneEmulator& phone) {
    std::multiset<std::string> out;
    for (const char* store : {"SM", "ME"})
        for (const emu::PimContact& c : phone.Contacts(store))
            out.insert(std::string(store) + "|" + c.Name + "|" +
                       (c.Type == 145 && !c.Number.starts_with('+') ? "+" : "") + c.Number);
    return out;
}

std::string ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : "<missing>";
}
void WriteAll(const QString& path, const std::string& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

TEST_F(BackupTest, ContactsAndMessagesAreSavedVerifiedAndTheMissingContactsPutBack) {
    EmulatorLink phone;
    Open(phone, Demo());
    const std::multiset<std::string> book = PhonebookOf(*phone.emu);
    ASSERT_GT(book.size(), 4u);
    Backup files(*phone.fs, backupDir());
    ASSERT_TRUE(files.Run());
    auto saved = BackupPim(phone.Ch(), phone.progress, backupDir());
    ASSERT_TRUE(saved) << saved.error().Text;
    EXPECT_TRUE(saved->Complete());
    EXPECT_EQ(static_cast<size_t>(saved->Contacts), book.size());
    EXPECT_GT(saved->Messages, 0);

    // The three files, each with its line; the files' records are read as before, and the
    // next (incremental) backup keeps the lines.
    const QDir folder(QString::fromStdString(backupDir()));
    BackupManifest manifest;
    std::string bad;
    ASSERT_TRUE(manifest.Load(backupDir(), bad)) << bad;
    EXPECT_EQ(manifest.Records.size(), static_cast<size_t>(files.Fetched()));
    const std::vector<PimPart> parts = PimPartsOf(manifest);
    ASSERT_EQ(parts.size(), 3u);
    for (const PimPart& p : parts)
        EXPECT_EQ(QFileInfo(folder.filePath(QString::fromStdString(p.File))).size(), p.Size) << p.File;
    Backup again(*phone.fs, backupDir());
    ASSERT_TRUE(again.Run());
    ASSERT_TRUE(manifest.Load(backupDir(), bad));
    EXPECT_EQ(PimPartsOf(manifest), parts);

    int checked = 0;
    auto found = VerifyPim(backupDir(), &phone.Ch(), checked);
    ASSERT_TRUE(found) << found.error().Text;
    EXPECT_TRUE(found->empty()) << found->front();
    EXPECT_EQ(static_cast<size_t>(checked), 3 + book.size());
    // One changed byte of the cards is a damaged backup, and nothing goes back from it.
    const QString vcf = folder.filePath(kContactsFile);
    const std::string cards = ReadAll(vcf);
    std::string changed = cards;
    changed[changed.find("FN:") + 3] ^= 1;
    WriteAll(vcf, changed);
    found = VerifyPim(backupDir(), nullptr, checked);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 1u);
    EXPECT_EQ(found->front(), Msg(kMsgBackupDamaged) + vcf.toStdString());
    EXPECT_FALSE(RestoreContacts(phone.Ch(), phone.progress, backupDir()));
    WriteAll(vcf, cards);

    // Two entries erased on the phone, one of each store: the deep check names them, and the
    // restore puts back exactly those two, into their own stores.
    {
        pim::PimScope scope(phone.Ch());
        ASSERT_TRUE(scope.Opened());
        for (const char* store : {"SM", "ME"})
            ASSERT_TRUE(pim::EraseContact(phone.Ch(), scope.Charset(), store,
                                          phone.emu->Contacts(store).front().Index));
    }
    found = VerifyPim(backupDir(), &phone.Ch(), checked);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 2u);
    EXPECT_TRUE(found->front().starts_with(Msg(kMsgMissingOnPhone) + Msg(kMsgContactsFolder)));
    auto put = RestoreContacts(phone.Ch(), phone.progress, backupDir());
    ASSERT_TRUE(put) << put.error().Text;
    int written = 0;
    for (const pim::ImportReport& r : *put) {
        EXPECT_EQ(r.Problem.Reason, 0);
        written += r.Count(pim::ImportResult::Written);
    }
    EXPECT_EQ(written, 2);
    EXPECT_EQ(ContactsNotRestored(*put), 0);
    EXPECT_EQ(PhonebookOf(*phone.emu), book);
}

// A phone that refuses the phonebook: the files and the messages are saved, the contacts
// named as not saved, and the exit is 1 with the way to leave them out. --files-only leaves
// a manifest an older reader wrote alike, and a restore from it puts the files back.
TEST_F(BackupTest, CliSavesTheFilesOfAPhoneThatRefusesItsPhonebook) {
    EnsureApplication();
    EmulatorConfig config = Demo();
    config.Fault.Errors.push_back({"AT+CPB", 0, false});
    PhoneEmulator emu(config);
    ASSERT_TRUE(emu.Start());
    const auto run = [&](QStringList args, QByteArray* out) {
        QProcess p;
        args << "--port" << QString::fromStdString(emu.SlavePath());
        p.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"), args);
        p.waitForFinished(60000);
        *out = p.readAllStandardOutput() + p.readAllStandardError();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    const QDir folder(QString::fromStdString(backupDir()));
    QByteArray out;
    EXPECT_EQ(run({"backup", folder.path()}, &out), 1) << out.toStdString();
    for (const int text : {kMsgContactsNotSaved, kMsgMessagesSaved, kMsgFilesOnlyHint})
        EXPECT_TRUE(out.contains(QByteArray::fromStdString(Msg(text)))) << out.toStdString();
    BackupManifest manifest;
    std::string bad;
    ASSERT_TRUE(manifest.Load(backupDir(), bad));
    EXPECT_FALSE(manifest.Records.empty());
    EXPECT_FALSE(folder.exists(kContactsFile));
    EXPECT_TRUE(folder.exists(kMessagesFile) && folder.exists(kPdusFile));

    const QString plain = dir.filePath("plain");
    ASSERT_EQ(run({"backup", plain, "--files-only"}, &out), 0) << out.toStdString();
    EXPECT_EQ(ReadAll(QDir(plain).filePath(BackupManifest::kFileName)).find("#pim"),
              std::string::npos);
    const std::string user =
        FindFolderByPath(BuildFolderMap(MapKind::Normal, "E700").get(), "Images\\My Photos\\Camera")
            ->Id;
    const std::vector<StoredFile> before = emu.ListFiles(user);
    ASSERT_FALSE(before.empty());
    emu.RemoveFile(user, before.front().Name);
    EXPECT_EQ(run({"restore", plain}, &out), 0) << out.toStdString();
    EXPECT_EQ(emu.ListFiles(user).size(), before.size());
}

}  // namespace
