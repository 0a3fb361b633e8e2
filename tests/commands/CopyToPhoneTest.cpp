#include "commands/CopyToComputer.h"
#include "commands/CopyToPhone.h"
#include "commands/DeleteFiles.h"

#include <zip.h>

#include "CommandFixture.h"
#include "link/CutTransfer.h"
#include "base/Failure.h"
#include "media/Melody.h"
#include "media/Picture.h"
#include "support/Reasons.h"
#include "base/Messages.h"

using namespace q7k3;
using namespace q7k3::test;

namespace {

struct CopyToPhoneTest : CommandFixture {
    static std::vector<std::string> PhoneNames(const EmulatorLink& other, const std::string& id) {
        std::vector<std::string> out;
        for (const auto& f : other.emu->ListFiles(id)) out.push_back(f.Name);
        return out;
    }
    using CommandFixture::PhoneNames;
    std::string Picture(const std::string& name, int width, int height) {
        QImage img(width, height, QImage::Format_RGB32);
        img.fill(qRgb(200, 30, 90));
        const Bytes bmp = EncodeBmp(img);
        return WriteLocal(name, std::string(bmp.begin(), bmp.end()));
    }
    std::string Jar(const std::string& name) {
        const std::string path = Path(name);
        const std::string manifest =
            "Manifest-Version: 1.0\r\nMIDlet-Name: Game\r\nMIDlet-Version: 1.0\r\n"
            "MIDlet-1: Game,/icon.png,Main\r\n";
        int err = 0;
        zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
        EXPECT_NE(z, nullptr);
        zip_file_add(z, "META-INF/MANIFEST.MF",
                     zip_source_buffer(z, manifest.data(), manifest.size(), 0), ZIP_FL_OVERWRITE);
        EXPECT_EQ(zip_close(z), 0);
        return path;
    }
    Status Send(const std::string& folder, const std::vector<std::string>& paths,
                CommandEnd end = CommandEnd::Finished) {
        CopyToPhone copy(*link.fs, Folder(folder), conflict);
        Status done = copy.Run(paths);
        EXPECT_EQ(copy.End(), end);
        return done;
    }
};

TEST_F(CopyToPhoneTest, SizeLimitEmptyFilesAndNameCuts) {
    const std::string exact = WriteLocal("exact.bin", Pattern(616448, 1));
    const std::string over = WriteLocal("over.bin", Pattern(616449, 2));
    const std::string empty = WriteLocal("empty.bin", "");
    const std::string longName = WriteLocal(std::string(46, 'n') + ".mid", "MThd");
    ASSERT_TRUE(Send("User", {exact, over, empty, longName, Path("absent.bin")}));
    EXPECT_EQ(PhoneNames(IdOf("User")),
              (std::vector<std::string>{"exact.bin", std::string(39, 'n') + ".mid"}));
    EXPECT_EQ(link.emu->GetFile(IdOf("User"), "exact.bin"), Pattern(616448, 1));
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].Text, "Файл " + over + " слишком большой");
    EXPECT_EQ(prompts.shown[0].Icon, BoxIcon::Error);
    // An empty file is left out, and said so.
    EXPECT_EQ(prompts.shown[1].Text, Msg(kMsgEmptyFileLeft) + empty);

    const std::string ascii = WriteLocal(std::string(36, 'a') + ".mid", "MThd");
    const std::string cyrillic = WriteLocal("абвгдежзийклмнопрсту.mid", "MThd");
    ASSERT_TRUE(Send("Sounds\\My Sounds", {ascii, cyrillic}));
    EXPECT_EQ(PhoneNames(IdOf("Sounds\\My Sounds")),
              (std::vector<std::string>{std::string(24, 'a') + ".mid", "абвгдежзийкл.mid"}));
}

TEST_F(CopyToPhoneTest, DefaultMelodiesTakeSlotNamesAndMmfBecomesMel) {
    const Bytes mmf = {'M', 'M', 'M', 'D', 0, 0, 0, 4, 1, 2, 3, 4};
    const std::string mmfPath = WriteLocal("tune.mmf", std::string(mmf.begin(), mmf.end()));
    const Bytes mel = BuildMel(mmf, "Old");
    const std::string melPath = WriteLocal("old.mel", std::string(mel.begin(), mel.end()));
    const std::string junk = WriteLocal("junk.mid", "MThd and so on, no SMAF here at all....");
    const std::string id = IdOf("Sounds\\Default Sounds");
    link.emu->PutFile(id, "melody01.mel", "taken");
    ASSERT_TRUE(Send("Sounds\\Default Sounds", {mmfPath, melPath, junk}));
    const auto sent = link.emu->GetFile(id, "melody02.mel");
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->size(), mmf.size() + 32);
    EXPECT_EQ(*sent, [&] {
        const Bytes b = BuildMel(mmf, "tune.mmf");
        return std::string(b.begin(), b.end());
    }());
    EXPECT_EQ(link.emu->GetFile(id, "melody03.mel"), std::string(mel.begin(), mel.end()));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Файл мелодии не опознан"});

    // Sixteen melodies: the no-room message, and nothing more is sent.
    for (int i = 4; i <= 16; ++i) {
        link.emu->PutFile(id, (i < 10 ? "melody0" : "melody") + std::to_string(i) + ".mel", "x");
    }
    prompts.shown.clear();
    link.emu->ClearReceived();
    ASSERT_TRUE(Send("Sounds\\Default Sounds", {mmfPath, melPath}, CommandEnd::Stopped));
    EXPECT_EQ(BoxTexts(),
              std::vector<std::string>{
                  "Нет места для мелодии по умолчанию. Пожалуйста удалите одну из них."});
    EXPECT_EQ(link.emu->Received().find("AT+FSFW"), std::string::npos);
    EXPECT_EQ(PhoneNames(id).size(), 16u);
}

TEST_F(CopyToPhoneTest, PicturesBecomeAniUpTo128PixelsAndSmsMediaTakeSlots) {
    const std::string wide = Picture("wide.bmp", 129, 2);
    const std::string narrow = Picture("narrow.bmp", 128, 3);
    const std::string broken = WriteLocal("broken.gif", "GIF89a?");
    ASSERT_TRUE(Send("Images\\Animations", {wide, narrow, broken}));
    const std::string id = IdOf("Images\\Animations");
    EXPECT_EQ(link.emu->GetFile(id, "wide.bmp"), ReadLocal(wide));
    const auto ani = link.emu->GetFile(id, "narrow.ani");
    ASSERT_TRUE(ani);
    EXPECT_EQ(ani->size(), 2u * 128 * 3);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Ширина BMP файла должна быть не больше 128",
                                                    "Файл BMP не опознан"}));

    prompts.shown.clear();
    const std::string imy = WriteLocal("tune.imy",
                                       "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nBEAT:"
                                       "120\r\nMELODY:c2d2e2\r\nEND:IMELODY\r\n");
    link.emu->PutFile(IdOf("Images\\sms"), "image00.ani", "taken");
    ASSERT_TRUE(Send("Images\\sms", {Picture("small.bmp", 16, 8)}));
    ASSERT_TRUE(Send("Sounds\\sms", {imy}));
    EXPECT_TRUE(link.emu->GetFile(IdOf("Images\\sms"), "image01.ani"));
    EXPECT_TRUE(link.emu->GetFile(IdOf("Sounds\\sms"), "melody00.mel"));
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(CopyToPhoneTest, OverwriteAllHoldsForOneCommandAndCancelEndsIt) {
    const std::string id = IdOf("User");
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) link.emu->PutFile(id, name, "old");
    const std::vector<std::string> files = {
        WriteLocal("a.txt", "new a"), WriteLocal("b.txt", "new b"), WriteLocal("c.txt", "new c")};
    conflict.conflicts = {{ConflictAnswer::OverwriteAll, "a.txt"}};
    ASSERT_TRUE(Send("User", files));
    ASSERT_EQ(conflict.conflictsAsked.size(), 1u);
    EXPECT_EQ(conflict.conflictsAsked[0].oldName, "a.txt");
    EXPECT_EQ(link.emu->GetFile(id, "c.txt"), "new c");
    EXPECT_EQ(PhoneNames(id), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
    // The erases did not count as files.
    EXPECT_EQ(link.progress.Position(2), 3);

    // The next command asks again; "Отмена" ends it and what went before stays.
    conflict.conflictsAsked.clear();
    conflict.conflicts = {{ConflictAnswer::Cancel, "b.txt"}};
    const std::string fresh = WriteLocal("fresh.txt", "fresh");
    ASSERT_TRUE(Send("User", {fresh, files[1], files[2]}, CommandEnd::Cancelled));
    EXPECT_EQ(conflict.conflictsAsked.size(), 1u);
    EXPECT_EQ(link.emu->GetFile(id, "fresh.txt"), "fresh");
    EXPECT_EQ(link.emu->GetFile(id, "b.txt"), "new b");

    // "OK" with the name unchanged asks again; a new name is then used.
    conflict.conflictsAsked.clear();
    conflict.conflicts = {{ConflictAnswer::UseNewName, "a.txt"},
                          {ConflictAnswer::UseNewName, "a2.txt"}};
    ASSERT_TRUE(Send("User", {files[0]}));
    ASSERT_EQ(conflict.conflictsAsked.size(), 2u);
    EXPECT_EQ(conflict.conflictsAsked[1].newName, "a.txt");
    EXPECT_EQ(link.emu->GetFile(id, "a2.txt"), "new a");

    // An erase the phone refuses ends the command and the file stays in the list. The new
    // file went in under a temporary name first, which the phone would not erase either:
    // the report names it, and it stays in the list too.
    link.emu->FailCommand("AT+FSFE", 2000);
    conflict.conflicts = {{ConflictAnswer::Overwrite, "a.txt"}};
    CopyToPhone copy(*link.fs, Folder("User"), conflict);
    const Status done = copy.Run({files[0]});
    EXPECT_EQ(test::ReasonOf(done), kErrText);
    EXPECT_EQ(test::TextOf(done),
              FailureText(kErrPhoneNotFound, {}) + "\r\n" + Msg(kMsgTemporaryLeft) + "~q7k3~1.txt");
    EXPECT_TRUE(HasFile(FindFolderByPath(link.fs->PhoneRoot(), "User"), "a.txt"));
    EXPECT_TRUE(HasFile(FindFolderByPath(link.fs->PhoneRoot(), "User"), "~q7k3~1.txt"));
    EXPECT_EQ(link.emu->GetFile(id, "a.txt"), "new a");
}

TEST_F(CopyToPhoneTest, JavaSuitesGetTheirNamesAndAGeneratedDescriptor) {
    const std::string jar = Jar("Game.jar");
    ASSERT_TRUE(Send("java", {jar}));
    const std::string id = IdOf("java");
    EXPECT_EQ(PhoneNames(id), (std::vector<std::string>{"Game_suite.jar", "Game_suite.jad"}));
    EXPECT_EQ(link.progress.Max(2), 2);
    EXPECT_NE(link.emu->GetFile(id, "Game_suite.jad")->find("MIDlet-Name: Game"),
              std::string::npos);

    // With its descriptor alongside nothing is generated.
    const std::string other = Jar("Other.jar");
    const std::string jad = WriteLocal("Other.JAD", "MIDlet-Name: Mine\r\n");
    ASSERT_TRUE(Send("java", {other, jad}));
    EXPECT_EQ(link.progress.Max(2), 2);
    EXPECT_EQ(link.emu->GetFile(id, "Other_suite.jad"), "MIDlet-Name: Mine\r\n");
    EXPECT_TRUE(prompts.shown.empty());

    // A long stem is cut before "_suite" is added; a suite name gets its own descriptor.
    const std::string stem(40, 'L');
    ASSERT_TRUE(Send("java", {Jar(stem + ".jar"), Jar("Named_suite.jar")}));
    const std::string cut(33, 'L');
    for (const std::string& name : {cut + "_suite.jar", cut + "_suite.jad",
                                    std::string("Named_suite.jar"), std::string("Named_suite.jad")})
        EXPECT_TRUE(link.emu->GetFile(id, name)) << name;
    EXPECT_EQ(PhoneNames(id).size(), 8u);
}

// A name typed into the conflict question that the folder could not give back is said and
// asked about again.
TEST_F(CopyToPhoneTest, ATypedNameOverTheFolderLimitIsAskedAgain) {
    const std::string id = IdOf("Sounds\\My Sounds");
    link.emu->PutFile(id, "tune.mid", "old");
    const std::string tooLong = std::string(25, 't') + ".mid";
    conflict.conflicts = {{ConflictAnswer::UseNewName, tooLong},
                          {ConflictAnswer::UseNewName, "tune2.mid"}};
    ASSERT_TRUE(Send("Sounds\\My Sounds", {WriteLocal("tune.mid", "new")}));
    EXPECT_EQ(BoxTexts(),
              std::vector<std::string>{
                  "Слишком длинное имя (в этой папке телефона не больше 28 байт): " + tooLong});
    EXPECT_EQ(link.emu->GetFile(id, "tune2.mid"), "new");
    EXPECT_EQ(link.emu->GetFile(id, "tune.mid"), "old");
}

// Presses the abort button while the third file is on its way.
class AbortingProgress final : public ProgressView {
public:
    AbortingProgress(AppFlags& flags, std::string trigger)
        : m_flags(flags), m_trigger(std::move(trigger)) {}
    void Show() override {}
    void Hide() override {}
    void SetCaption(const std::string&) override {}
    void SetQuickStatus(const std::string& t) override {
        if (t == m_trigger) m_flags.AbortRequested = true;
    }
    void SetLongStatus(const std::string&) override {}
    void SetMax(int bar, int max) override { m_max[bar == 2] = max; }
    void SetPosition(int bar, int p) override { m_pos[bar == 2] = p; }
    void Step(int bar) override { ++m_pos[bar == 2]; }
    int Position(int bar) const override { return m_pos[bar == 2]; }
    int Max(int bar) const override { return m_max[bar == 2]; }

private:
    AppFlags& m_flags;
    std::string m_trigger;
    int m_max[2] = {0, 0};
    int m_pos[2] = {0, 0};
};

TEST_F(CopyToPhoneTest, AnAbortLetsAWriteFinishAndStopsARead) {
    std::vector<std::string> files;
    for (int i = 1; i <= 5; ++i) {
        files.push_back(WriteLocal("f" + std::to_string(i) + ".bin", Pattern(2000, i)));
    }
    AbortingProgress progress(link.flags, "Копирование на телефон f3.bin");
    link.fs->SetProgress(progress);
    ASSERT_TRUE(Send("User", files, CommandEnd::Aborted));
    EXPECT_EQ(PhoneNames(IdOf("User")), (std::vector<std::string>{"f1.bin", "f2.bin", "f3.bin"}));
    EXPECT_EQ(link.emu->GetFile(IdOf("User"), "f3.bin"), Pattern(2000, 3));

    // In the other direction a read stops at once: the third file is dropped, and the
    // local file of its name stays as it was.
    link.flags.AbortRequested = false;
    AbortingProgress back(link.flags, "Копирование файла f3.bin");
    link.fs->SetProgress(back);
    for (int i = 1; i <= 5; ++i)
        link.emu->PutFile(IdOf("User"), "f" + std::to_string(i) + ".bin", Pattern(3000, i));
    QDir(dir.path()).mkdir("back");
    WriteLocal("back/f3.bin", "old");
    CopyToComputer copy(*link.fs, Folder("User"), Path("back"));
    EXPECT_EQ(test::ReasonOf(copy.Run({"f1.bin", "f2.bin", "f3.bin", "f4.bin", "f5.bin"})),
              kErrAborted);
    EXPECT_EQ(copy.End(), CommandEnd::Aborted);
    EXPECT_EQ(copy.Taken(), 2u);
    EXPECT_EQ(QDir(QString::fromStdString(Path("back"))).entryList(QDir::Files).size(), 3);
    EXPECT_EQ(ReadLocal(Path("back/f3.bin")), "old");
    link.fs->SetProgress(link.progress);
}

// Replacing a phone file: the new file goes in under a temporary name before the old one
// is erased, so a write that fails keeps the old file on the phone.
TEST_F(CopyToPhoneTest, OverwriteKeepsTheOldFileWhenTheWriteFails) {
    const std::string id = IdOf("User");
    link.emu->PutFile(id, "a.txt", Pattern(3000, 1));
    const std::string fresh = WriteLocal("a.txt", Pattern(5000, 2));

    // The line dies half-way through the new file.
    link.emu->CutLineAfter(2500);
    conflict.conflicts = {{ConflictAnswer::Overwrite, "a.txt"}};
    EXPECT_EQ(test::ReasonOf(Send("User", {fresh}, CommandEnd::Failed)), kErrTimeout);
    link.emu->ClearFaults();
    EXPECT_TRUE(link.emu->GetFile(id, "a.txt") == Pattern(3000, 1));
    EXPECT_EQ(PhoneNames(id), (std::vector<std::string>{"a.txt"}));

    // The phone refuses the new file outright: its temporary file is erased again.
    link.emu->FailCommand("AT+FSFW", 105);
    conflict.conflicts = {{ConflictAnswer::Overwrite, "a.txt"}};
    link.emu->ClearReceived();
    EXPECT_EQ(test::ReasonOf(Send("User", {fresh}, CommandEnd::Failed)), kErrPhoneChecksum);
    link.emu->ClearFaults();
    EXPECT_TRUE(link.emu->GetFile(id, "a.txt") == Pattern(3000, 1));
    EXPECT_EQ(PhoneNames(id), (std::vector<std::string>{"a.txt"}));
    EXPECT_TRUE(HasFile(FindFolderByPath(link.fs->PhoneRoot(), "User"), "a.txt"));

    // A write that goes through: the old file is erased only once the new one is there.
    conflict.conflicts = {{ConflictAnswer::Overwrite, "a.txt"}};
    link.emu->ClearReceived();
    ASSERT_EQ(test::ReasonOf(Send("User", {fresh})), 0);
    std::vector<std::string> traffic;
    for (const std::string& c : SentCommands(link.emu->Received())) {
        if (c.starts_with("AT+FSFW") || c.starts_with("AT+FSFE"))
            traffic.push_back(c.substr(0, c.find('"', c.find('"') + 1) + 1));
    }
    EXPECT_EQ(traffic,
              (std::vector<std::string>{"AT+FSFW=-1,\"~q7k3~1.txt\"", "AT+FSFE=-1,\"a.txt\"",
                                        "AT+FSFW=-1,\"a.txt\"", "AT+FSFE=-1,\"~q7k3~1.txt\""}));
    EXPECT_TRUE(link.emu->GetFile(id, "a.txt") == Pattern(5000, 2));
    EXPECT_EQ(PhoneNames(id), (std::vector<std::string>{"a.txt"}));
    EXPECT_EQ(link.progress.Position(2), 1);
    const Tree4* user = FindFolderByPath(link.fs->PhoneRoot(), "User");
    ASSERT_EQ(user->Files.size(), 1u);
    EXPECT_EQ(user->Files[0].Size, 5000);
}

TEST_F(CopyToPhoneTest, SkipKeepsTheTakenFileAndGoesOn) {
    const std::string id = IdOf("User");
    struct Case {
        std::deque<ConflictReply> answers;
        size_t asked;
        const char* a;  // what a.txt and b.txt hold afterwards
        const char* b;
        int skipped;
    };
    for (const Case& c :
         {Case{{{ConflictAnswer::Skip, ""}, {ConflictAnswer::Overwrite, ""}}, 2, "old", "new b", 1},
          Case{{{ConflictAnswer::SkipAll, ""}}, 1, "old", "old", 2}}) {
        for (const char* name : {"a.txt", "b.txt"}) link.emu->PutFile(id, name, "old");
        link.emu->RemoveFile(id, "c.txt");
        conflict.conflictsAsked.clear();
        conflict.conflicts = c.answers;
        CopyToPhone copy(*link.fs, Folder("User"), conflict);
        ASSERT_TRUE(copy.Run({WriteLocal("a.txt", "new a"), WriteLocal("b.txt", "new b"),
                              WriteLocal("c.txt", "new c")}));
        EXPECT_EQ(copy.End(), CommandEnd::Finished);
        EXPECT_EQ(conflict.conflictsAsked.size(), c.asked);
        EXPECT_EQ(copy.Skipped(), c.skipped);
        EXPECT_EQ(link.emu->GetFile(id, "a.txt"), c.a);
        EXPECT_EQ(link.emu->GetFile(id, "b.txt"), c.b);
        EXPECT_EQ(link.emu->GetFile(id, "c.txt"), "new c");
    }
}

TEST_F(CopyToPhoneTest, AnEarlyOkFailsTheWriteAndNeverCostsTheOriginal) {
    const std::string id = IdOf("User");
    link.emu->PutFile(id, "a.txt", Pattern(3000, 1));
    link.emu->EarlyOkAfter(512);
    conflict.conflicts = {{ConflictAnswer::Overwrite, "a.txt"}};
    const std::string said =
        test::TextOf(Send("User", {WriteLocal("a.txt", Pattern(3000, 2))}, CommandEnd::Failed));
    EXPECT_NE(said.find(Msg(kMsgEarlyOk) + "~q7k3~1.txt (512"), std::string::npos) << said;
    EXPECT_EQ(said.find(Msg(kMsgTemporaryLeft)), std::string::npos);
    EXPECT_TRUE(link.emu->GetFile(id, "a.txt") == Pattern(3000, 1));
    // A new name: the cut file the phone kept goes again.
    EXPECT_FALSE(Send("User", {WriteLocal("b.txt", Pattern(3000, 3))}, CommandEnd::Failed));
    EXPECT_EQ(PhoneNames(id), (std::vector<std::string>{"a.txt"}));
    EXPECT_TRUE(UnfinishedEntries().isEmpty());
}

// A press of "Прервать" that came as the operation started (after it was admitted, before
// its command's first file) is never forgotten: no command lowers the abort itself.
TEST_F(CopyToPhoneTest, AnAbortRaisedBeforeTheFirstFileStopsEveryCommandThere) {
    const std::string id = IdOf("User");
    link.emu->PutFile(id, "keep.txt", "kept");
    const std::string local = WriteLocal("new.bin", Pattern(2000, 1));
    QDir(dir.path()).mkdir("back");
    struct Row {
        const char* what;
        std::function<CommandEnd()> run;
    };
    const Row rows[] = {
        {"copy to the phone",
         [&] {
             CopyToPhone copy(*link.fs, Folder("User"), conflict);
             EXPECT_TRUE(copy.Run({local}));
             return copy.End();
         }},
        {"copy to the computer",
         [&] {
             CopyToComputer copy(*link.fs, Folder("User"), Path("back"));
             EXPECT_TRUE(copy.Run({"keep.txt"}));
             return copy.End();
         }},
        {"delete",
         [&] {
             DeleteFiles erase(*link.fs, Folder("User"));
             EXPECT_TRUE(erase.Run({"keep.txt"}));
             return erase.End();
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        link.flags.AbortRequested = true;
        EXPECT_EQ(row.run(), CommandEnd::Aborted);
        EXPECT_TRUE(link.flags.AbortRequested);
    }
    link.flags.AbortRequested = false;
    EXPECT_EQ(PhoneNames(id), (std::vector<std::string>{"keep.txt"}));
    EXPECT_TRUE(QDir(QString::fromStdString(Path("back"))).entryList(QDir::Files).isEmpty());
}

TEST_F(CopyToPhoneTest, AnInterruptDuringTheNewFileKeepsTheOldOne) {
    const std::string id = IdOf("User");
    link.emu->PutFile(id, "a.txt", "old");
    const std::atomic<bool> stop{true};
    const FlagSignal stopSignal(stop);
    link.fs->SetStopSignal(&stopSignal);
    conflict.conflicts = {{ConflictAnswer::Overwrite, "a.txt"}};
    EXPECT_FALSE(Send("User", {WriteLocal("a.txt", Pattern(3000, 2))}, CommandEnd::Failed));
    link.fs->SetStopSignal(nullptr);
    EXPECT_EQ(link.emu->GetFile(id, "a.txt"), "old");
    EXPECT_EQ(PhoneNames(id), (std::vector<std::string>{"a.txt"}));
    EXPECT_TRUE(UnfinishedEntries().isEmpty());
}

// A stop that ends the program at once: the write to the temporary name stops at the
// phone's first prompt and nothing more is sent (the phone would take it for data); the
// old file is whole, the record stays for the next connection, and the mark tells the next
// program to wait the phone out.
TEST_F(CopyToPhoneTest, AStopThatEndsTheProgramLeavesTheWriteCutAndSendsNothingMore) {
    struct EndingAtOnce final : StopSignal {
        bool Raised() const override { return true; }
        bool CutsWrite() const override { return true; }
    } stop;
    const std::string id = IdOf("User");
    link.emu->PutFile(id, "a.txt", "old");
    link.fs->SetStopSignal(&stop);
    conflict.conflicts = {{ConflictAnswer::Overwrite, "a.txt"}};
    EXPECT_FALSE(Send("User", {WriteLocal("a.txt", Pattern(3000, 2))}, CommandEnd::Failed));
    link.fs->SetStopSignal(nullptr);
    const std::vector<std::string> sent = SentCommands(link.emu->Received());
    ASSERT_FALSE(sent.empty());
    EXPECT_TRUE(sent.back().starts_with("AT+FSFW=-1,\"~q7k3~")) << sent.back();
    EXPECT_TRUE(link.Ch().Silenced());
    EXPECT_EQ(link.emu->GetFile(id, "a.txt"), "old");
    EXPECT_EQ(PhoneNames(id), (std::vector<std::string>{"a.txt"}));
    EXPECT_EQ(UnfinishedEntries().size(), 1);
    EXPECT_GT(CutTransferWaitMs(link.link->Port.PortName()), 0);
    DropCutTransferMark(link.link->Port.PortName());
}

// A replacement cut short after the old file went: the next connection gives the name its
// new file; one cut short after the new file is in place only loses its temporary file.
TEST_F(CopyToPhoneTest, AReplacementCutShortIsFinishedAtTheNextConnection) {
    const std::string id = IdOf("User");
    link.emu->PutFile(id, "a.txt", "old");
    const std::string fresh = WriteLocal("a.txt", Pattern(3000, 2));
    // The line dies in the middle of the second write of the new file.
    link.emu->CutLineAfter(4000);
    conflict.conflicts = {{ConflictAnswer::Overwrite, "a.txt"}};
    EXPECT_FALSE(Send("User", {fresh}, CommandEnd::Failed));
    link.emu->ClearFaults();
    EXPECT_EQ(PhoneNames(id), (std::vector<std::string>{"~q7k3~1.txt"}));
    EXPECT_EQ(UnfinishedEntries().size(), 1);
    // Another model's phone is none of its business.
    link.emu->SetModel("SGH-X600");
    link.fs->RereadModel();
    EXPECT_TRUE(commands::FinishUnfinishedReplacements(*link.fs).empty());
    link.emu->SetModel("SGH-E700");
    link.fs->RereadModel();
    EXPECT_EQ(commands::FinishUnfinishedReplacements(*link.fs),
              std::vector<std::string>{Msg(kMsgReplaceFinished) + "E700:\\User\\a.txt"});
    EXPECT_EQ(PhoneNames(id), (std::vector<std::string>{"a.txt"}));
    EXPECT_TRUE(link.emu->GetFile(id, "a.txt") == Pattern(3000, 2));
    EXPECT_TRUE(UnfinishedEntries().isEmpty());

    // The temporary file would not go: the next connection erases it.
    link.emu->FailCommand("AT+FSFE=-1,\"~q7k3~", 2000);
    conflict.conflicts = {{ConflictAnswer::Overwrite, "a.txt"}};
    const std::string newer = WriteLocal("a.txt", Pattern(2000, 3));
    EXPECT_FALSE(Send("User", {newer}, CommandEnd::Failed));
    link.emu->ClearFaults();
    EXPECT_EQ(UnfinishedEntries().size(), 1);
    EXPECT_EQ(commands::FinishUnfinishedReplacements(*link.fs),
              std::vector<std::string>{Msg(kMsgTemporaryErased) + "E700:\\User\\~q7k3~1.txt"});
    EXPECT_EQ(PhoneNames(id), (std::vector<std::string>{"a.txt"}));
    EXPECT_TRUE(link.emu->GetFile(id, "a.txt") == Pattern(2000, 3));
    EXPECT_TRUE(UnfinishedEntries().isEmpty());
}

// A cut replacement is finished only on the phone it was cut on: another of the same model
// (by its serial number) leaves it waiting; where neither phone gives one, the user says.
TEST_F(CopyToPhoneTest, ACutReplacementIsFinishedOnlyOnItsOwnPhone) {
    struct Row {
        const char* atCut;   // the serial number at the cut ("ERROR": none)
        const char* atNext;  // at the next connection
        std::optional<bool> answer;  // the user's answer, when the question must come
        bool finished;
    };
    const Row rows[] = {
        {"351111111111111", "352222222222222", {}, false},
        {"351111111111111", "351111111111111", {}, true},
        {"351111111111111", "ERROR", {}, false},
        {"ERROR", "351111111111111", {}, false},
        {"ERROR", "ERROR", false, false},
        {"ERROR", "ERROR", true, true},
    };
    const std::string id = IdOf("User");
    const std::string question = Msg(kMsgSamePhoneQuestion) + "E700:\\User\\a.txt" +
                                 Msg(kMsgSamePhoneQuestionEnd);
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.atCut) + " -> " + row.atNext);
        for (const QString& f : UnfinishedEntries())
            QFile::remove(QDir(dir.path()).filePath("xdg/Q7K3FileManager/Unfinished/" + f));
        for (const std::string& n : PhoneNames(id)) link.emu->RemoveFile(id, n);
        link.emu->PutFile(id, "a.txt", "old");
        link.emu->SetSerial(row.atCut);
        ASSERT_EQ(ReadModel(*link.link), "SGH-E700");
        // The write under the user's name is refused: the new file is whole under the
        // temporary name only, as after a program killed at that moment.
        link.emu->FailCommand("AT+FSFW=-1,\"a.txt\"", 2007);
        conflict.conflicts = {{ConflictAnswer::Overwrite, "a.txt"}};
        EXPECT_FALSE(Send("User", {WriteLocal("a.txt", Pattern(3000, 2))}, CommandEnd::Failed));
        link.emu->ClearFaults();
        ASSERT_EQ(UnfinishedEntries().size(), 1);

        // The next connection.
        link.emu->SetSerial(row.atNext);
        ASSERT_EQ(ReadModel(*link.link), "SGH-E700");
        prompts.shown.clear();
        if (row.answer) prompts.yesNo = {*row.answer};
        const std::vector<std::string> said = commands::FinishUnfinishedReplacements(*link.fs);
        EXPECT_EQ(prompts.shown.size(), row.answer ? 1u : 0u);
        if (row.answer && !prompts.shown.empty()) EXPECT_EQ(prompts.shown[0].Text, question);
        if (row.finished) {
            EXPECT_EQ(said, std::vector<std::string>{Msg(kMsgReplaceFinished) +
                                                     "E700:\\User\\a.txt"});
            EXPECT_EQ(PhoneNames(id), std::vector<std::string>{"a.txt"});
            EXPECT_TRUE(link.emu->GetFile(id, "a.txt") == Pattern(3000, 2));
            EXPECT_TRUE(UnfinishedEntries().isEmpty());
        } else {
            // Nothing on this phone is touched, and the record waits for its own.
            if (!row.answer)
                EXPECT_EQ(said, std::vector<std::string>{Msg(kMsgStepWaitsForOtherPhone) +
                                                         "E700:\\User\\a.txt"});
            EXPECT_EQ(PhoneNames(id), std::vector<std::string>{"~q7k3~1.txt"});
            EXPECT_EQ(UnfinishedEntries().size(), 1);
        }
    }
}

// A phone too full for two copies: the old file waits on the computer instead, and goes
// back when the new one does not fit even in its place.
TEST_F(CopyToPhoneTest, OverwriteOnAFullPhoneGoesThroughTheComputer) {
    EmulatorConfig config;
    config.CapacityKb = 16 * 3;
    EmulatorLink small;
    ASSERT_TRUE(small.Open(config));
    small.fs->SetPrompts(prompts);
    small.fs->SetRoot(BuildFolderMap(MapKind::Normal, small.fs->ModelCodeText()));
    Tree4* user = FindFolderByPath(small.fs->PhoneRoot(), "User");
    const std::string id = user->Id;
    small.emu->PutFile(id, "a.bin", Pattern(20000, 1));  // two of the three units
    const auto send = [&](const std::string& path) {
        EXPECT_TRUE(small.fs->ListFolder(user, true));
        conflict.conflicts = {{ConflictAnswer::Overwrite, "a.bin"}};
        CopyToPhone copy(*small.fs, user, conflict);
        return copy.Run({path});
    };
    ASSERT_EQ(test::TextOf(send(WriteLocal("a.bin", Pattern(20000, 2)))), "");
    EXPECT_TRUE(small.emu->GetFile(id, "a.bin") == Pattern(20000, 2));
    EXPECT_EQ(PhoneNames(small, id), (std::vector<std::string>{"a.bin"}));

    // Too large even in the old file's place: the old file goes back.
    ASSERT_TRUE(QDir(dir.path()).mkdir("big"));
    EXPECT_EQ(test::ReasonOf(send(WriteLocal("big/a.bin", Pattern(50000, 3)))),
              kErrPhoneMemoryFull);
    EXPECT_TRUE(small.emu->GetFile(id, "a.bin") == Pattern(20000, 2));
    EXPECT_EQ(PhoneNames(small, id), (std::vector<std::string>{"a.bin"}));
}

}  // namespace
