#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <ctime>
#include <fstream>
#include <set>
#include <sstream>

#include "EmulatorFixture.h"
#include "media/smaf/SmafScore.h"

using namespace q7k3::test;

namespace {

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::string TempDir() {
    char templ[] = "/tmp/q7k3emu-XXXXXX";
    const char* dir = mkdtemp(templ);
    return dir ? dir : "";
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(Emulator, FallsSilentAfterTheGivenCommandsUntilRevived) {
    Start();
    phone->FallSilentAfter(2);
    EXPECT_EQ(pc->Command("ATZ"), "ATZ\r\r\nOK\r\n");
    EXPECT_EQ(pc->Command("ATZ"), "ATZ\r\r\nOK\r\n");
    pc->Send("ATZ\r\n");
    pc->Send("\r");
    EXPECT_EQ(pc->ReadFor(300), "") << "no echo, no answer, not even to the ping";
    phone->ClearFaults();
    EXPECT_EQ(pc->Command("ATZ"), "ATZ\r\r\nOK\r\n");
}

TEST_F(Emulator, DropsOneCommandAndAnswersItsResend) {
    Start();
    phone->DropCommand(2);
    EXPECT_EQ(pc->Command("ATZ"), "ATZ\r\r\nOK\r\n");
    pc->Send("AT+CGMM\r\n");
    EXPECT_EQ(pc->ReadFor(300), "");
    EXPECT_EQ(pc->Command("AT+CGMM"), "AT+CGMM\r\r\nSGH-E700\r\n\r\nOK\r\n");
    EXPECT_EQ(pc->Command("AT+CGMM"), "AT+CGMM\r\r\nSGH-E700\r\n\r\nOK\r\n");
}

TEST_F(Emulator, CutLineStopsInTheMiddleOfAReadAndOfAWrite) {
    Start();
    const std::string file = Awkward(1500);
    ASSERT_TRUE(phone->PutFile("A", "f.bin", file));
    phone->CutLineAfter(700);
    pc->Send("AT+FSFR=-1,\"f.bin\"\r\n");
    EXPECT_EQ(pc->ReadUntil("#OK#\r\n"),
              "AT+FSFR=-1,\"f.bin\"\r\r\n+FSFR: 1,600," + file.substr(0, 600) + "#OK#\r\n");
    pc->Send("##>\r\n");
    EXPECT_EQ(pc->ReadFor(300), "\r\n+FSFR: 2,600," + file.substr(600, 100));
    pc->Send("##>\r\nATZ\r\n\r");
    EXPECT_EQ(pc->ReadFor(300), "") << "a pulled cable answers nothing";

    phone->ClearFaults();
    phone->CutLineAfter(600);
    int prompts = 0;
    pc->Send(WriteHeader("w.bin", file.substr(0, 1000)) + "\r\n");
    pc->ReadUntil("##>\r\n");
    pc->Send(file.substr(0, 512));
    EXPECT_EQ(pc->ReadUntil("##>\r\n"), "\r\n##>\r\n");
    pc->Send(file.substr(512, 488));
    EXPECT_EQ(pc->ReadFor(300), "");
    EXPECT_FALSE(phone->GetFile("A", "w.bin"));
    phone->ClearFaults();
    EXPECT_EQ(pc->Command("ATZ"), "ATZ\r\r\nOK\r\n");
    EXPECT_EQ(WriteFile("w.bin", file, &prompts), "OK\r\n") << "a new write after the cut";
}

TEST_F(Emulator, CorruptedCrcLeavesTheDataIntact) {
    Start();
    const std::string file = Awkward(900);
    ASSERT_TRUE(phone->PutFile("A", "f.bin", file));
    phone->CorruptReadCrc(true);
    std::string crc;
    EXPECT_EQ(ReadFile("f.bin", &crc), file);
    EXPECT_NE(crc, Crc(file));
    phone->CorruptReadCrc(false);
    EXPECT_EQ(ReadFile("f.bin", &crc), file);
    EXPECT_EQ(crc, Crc(file));
}

TEST_F(Emulator, ChosenCommandsAndNamesGetTheChosenError) {
    Start();
    ASSERT_TRUE(phone->PutFile("A", "keep.bin", "k"));
    phone->FailCommand("AT+FSFE", 2000);
    phone->FailName("secret.bin", 105);
    phone->FailName("C", 0);
    EXPECT_EQ(pc->Command("AT+FSFE=-1,\"keep.bin\"", "2000\r\n"),
              "AT+FSFE=-1,\"keep.bin\"\r\r\n+CME ERROR: 2000\r\n");
    EXPECT_EQ(phone->GetFile("A", "keep.bin"), "k");
    EXPECT_EQ(pc->Command("AT+FSFR=-1,\"secret.bin\"", "105\r\n"),
              "AT+FSFR=-1,\"secret.bin\"\r\r\n+CME ERROR: 105\r\n");
    EXPECT_EQ(pc->Command("AT+FSCD=\"C\"", "ERROR\r\n"), "AT+FSCD=\"C\"\r\r\nERROR\r\n");
    EXPECT_EQ(pc->Command("AT+FSCD=\"B\""), "AT+FSCD=\"B\"\r\r\nOK\r\n");
}

TEST_F(Emulator, UnsolicitedLinesComeBetweenAnswers) {
    Start();
    phone->SetUnsolicited("+CREG: 1");
    EXPECT_EQ(pc->Command("ATZ", "+CREG: 1\r\n"), "ATZ\r\r\nOK\r\n\r\n+CREG: 1\r\n");
    phone->SetUnsolicited("");
    phone->SendUnsolicited("RING");
    EXPECT_EQ(pc->ReadUntil("RING\r\n"), "\r\nRING\r\n");
    EXPECT_EQ(pc->Command("ATZ"), "ATZ\r\r\nOK\r\n");
}

TEST_F(Emulator, PacesBothWaysAtTheLineRateAndWaitsBeforeAnswers) {
    config.Baud = 38400;  // 3840 bytes a second
    Start();
    const std::string file = Awkward(2400);
    ASSERT_TRUE(phone->PutFile("A", "f.bin", file));
    auto start = Clock::now();
    EXPECT_EQ(ReadFile("f.bin"), file);
    const int64_t readMs = MsSince(start);
    EXPECT_GE(readMs, 2400 * 1000 / 3840);
    EXPECT_LT(readMs, 3000);

    start = Clock::now();
    int prompts = 0;
    EXPECT_EQ(WriteFile("g.bin", Awkward(1536), &prompts), "OK\r\n");
    EXPECT_GE(MsSince(start), 1536 * 1000 / 3840);

    phone->Stop();
    config.Baud = 0;
    config.LatencyMs = 500;
    Start();
    start = Clock::now();
    pc->Send("ATZ\r\n");
    EXPECT_EQ(pc->ReadUntil("ATZ\r"), "ATZ\r");
    EXPECT_LT(MsSince(start), 400) << "the echo is immediate";
    EXPECT_EQ(pc->ReadUntil("OK\r\n"), "\r\nOK\r\n");
    EXPECT_GE(MsSince(start), 500);
}

TEST_F(Emulator, RootDirectoryShowsEachFolderAsASubdirectory) {
    const std::string dir = TempDir();
    ASSERT_FALSE(dir.empty());
    config.RootDir = dir;
    Start();
    struct stat st {};
    EXPECT_EQ(stat((dir + "/mms/camera/myalbum2/thumb").c_str(), &st), 0);

    // A write through the line lands in the folder's directory with its time stamp.
    ASSERT_EQ(pc->Command("AT+FSCD=\"W\""), "AT+FSCD=\"W\"\r\r\nOK\r\n");
    int prompts = 0;
    const std::string photo = Awkward(700);
    EXPECT_EQ(WriteFile("Photo1.jpg", photo, &prompts), "OK\r\n");
    const std::string path = dir + "/mms/camera/image/Photo1.jpg";
    EXPECT_EQ(Slurp(path), photo);
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    struct tm tm {};
    localtime_r(&st.st_mtime, &tm);
    EXPECT_EQ(tm.tm_year + 1900, 2006);
    EXPECT_EQ(tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec, 12 * 3600 + 34 * 60 + 56);

    // A file a person drops into a directory is on the phone; odd names stay invisible.
    std::ofstream(dir + "/user/sounds/tune.mel", std::ios::binary) << "MEL";
    std::ofstream(dir + "/user/sounds/bad\"name", std::ios::binary) << "x";
    pc->Send("AT+FSDL=\"C\"\r\n");
    const std::string listing = pc->ReadUntil("#OK#\r\n");
    EXPECT_NE(listing.find("+FSDL: \"tune.mel\",0,0,0,0,3,\""), std::string::npos) << listing;
    EXPECT_EQ(listing.find("bad"), std::string::npos);
    pc->Send("##>\r\n");
    pc->ReadUntil("OK\r\n");

    EXPECT_EQ(pc->Command("AT+FSFE=-1,\"Photo1.jpg\""), "AT+FSFE=-1,\"Photo1.jpg\"\r\r\nOK\r\n");
    EXPECT_NE(stat(path.c_str(), &st), 0);
    phone->Stop();
    std::filesystem::remove_all(dir);
}

TEST_F(Emulator, LogTracesBothDirectionsReadably) {
    const std::string dir = TempDir();
    config.LogFile = dir + "/trace.log";
    Start();
    ASSERT_TRUE(phone->PutFile("A", "f.bin", Awkward(700)));
    EXPECT_EQ(pc->Command("ATZ"), "ATZ\r\r\nOK\r\n");
    ReadFile("f.bin");
    int prompts = 0;
    WriteFile("g.bin", Awkward(600), &prompts);
    phone->Stop();
    const std::string log = Slurp(config.LogFile);
    EXPECT_NE(log.find("PC> ATZ\\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("PH> \\r\\nOK\\r\\n\n"), std::string::npos);
    EXPECT_NE(log.find("PH> \\r\\n+FSFR: 1,600,[600 data bytes]#OK#\\r\\n"), std::string::npos);
    EXPECT_NE(log.find("PC> [512 data bytes, 512 of 600]"), std::string::npos);
    EXPECT_EQ(log.find('\0'), std::string::npos);
    EXPECT_EQ(log.find('\r'), std::string::npos);
    std::filesystem::remove_all(dir);
}

TEST_F(Emulator, DemoPresetFillsTheRealFoldersWithValidFiles) {
    config.Content = q7k3::emu::Preset::Demo;
    Start();
    auto names = [&](const std::string& path) {
        std::string all;
        for (const auto& f : phone->ListFiles(phone->FolderId(path))) all += f.Name + " ";
        return all;
    };
    EXPECT_EQ(names("java"),
              "Tetris_suite.jar Tetris_suite.jad Tetris_sdata suites.utf suitesName.utf ");
    EXPECT_EQ(phone->FolderId("java"), "a");
    const std::string jar = *phone->GetFile("a", "Tetris_suite.jar");
    EXPECT_EQ(jar.substr(0, 4), "PK\x03\x04");
    EXPECT_NE(phone->GetFile("a", "Tetris_suite.jad")
                  ->find("MIDlet-Jar-Size: " + std::to_string(jar.size())),
              std::string::npos);
    // The melodies are tunes of a few seconds, their notes one after another in time.
    auto isTune = [](const std::string& smaf, const std::string& name) {
        q7k3::smaf::Melody m;
        ASSERT_TRUE(q7k3::smaf::ReadMelody(
            q7k3::ByteView(reinterpret_cast<const uint8_t*>(smaf.data()), smaf.size()), m))
            << name;
        std::set<uint32_t> starts;
        for (const auto& e : m.Events)
            if (e.Kind == q7k3::smaf::EventKind::NoteOn) starts.insert(e.Ms);
        EXPECT_GE(starts.size(), 6u) << name;
        EXPECT_GE(m.EndMs, 2000u) << name;
        EXPECT_LE(m.EndMs, 12000u) << name;
    };
    for (const auto& f : phone->ListFiles("C")) {
        const std::string mel = *phone->GetFile("C", f.Name);
        EXPECT_EQ(mel.substr(32, 4), "MMMD") << f.Name;
        isTune(mel.substr(32), f.Name);
    }
    const std::string sounds = phone->FolderId("mms/mmssound");
    for (const auto& f : phone->ListFiles(sounds)) isTune(*phone->GetFile(sounds, f.Name), f.Name);
    for (const auto& f : phone->ListFiles(phone->FolderId("images/idle")))
        EXPECT_EQ(f.Size % 252 == 0 || f.Size % 256 == 0, true) << f.Name;
    // Every photo has its thumbnail.
    for (const auto& f : phone->ListFiles(phone->FolderId("mms/camera/image"))) {
        EXPECT_EQ(phone->GetFile(phone->FolderId("mms/camera/image"), f.Name)->substr(0, 2),
                  "\xFF\xD8");
        const std::string thumb = f.Name.substr(0, f.Name.size() - 3) + "bmp";
        EXPECT_TRUE(phone->GetFile(phone->FolderId("mms/camera/thumb"), thumb)) << thumb;
    }
    EXPECT_EQ(names("wap/images"), "image00.ani image01.ani ");
    EXPECT_EQ(names("wap/sounds"), "melody00.mel melody01.mel ");

    // And it reads back over the line like any file.
    ASSERT_EQ(pc->Command("AT+FSCD=\"a\""), "AT+FSCD=\"a\"\r\r\nOK\r\n");
    std::string crc;
    EXPECT_EQ(ReadFile("Tetris_suite.jar", &crc), jar);
    EXPECT_EQ(crc, Crc(jar));
}

TEST_F(Emulator, PimsFoldersAreAddressedByPath) {
    config.Pims = true;
    config.Content = q7k3::emu::Preset::Demo;
    config.Batch = 3;
    Start();
    EXPECT_EQ(pc->Command("AT+FSIF").substr(0, 17), "AT+FSIF\r\r\n+FSIF: ");
    int batches = 0;
    const std::string top = Listing("AT+FSDI=\" \"", &batches);
    EXPECT_EQ(batches, 2);
    for (const char* name : {"\"Sounds\"", "\"Pictures\"", "\"Java\"", "\"Other\""})
        EXPECT_NE(top.find(std::string("+FSDI: ") + name), std::string::npos) << top;
    EXPECT_EQ(top.find("Ring"), std::string::npos) << "only the top level";

    EXPECT_NE(Listing("AT+FSDI=\"/Sounds\"").find("+FSDI: \"Ring\""), std::string::npos);
    EXPECT_EQ(pc->Command("AT+FSCD=\"/Sounds/Ring\""), "AT+FSCD=\"/Sounds/Ring\"\r\r\nOK\r\n");
    EXPECT_EQ(pc->Command("AT+FSCD=\"/Sounds/None\"", "2000\r\n"),
              "AT+FSCD=\"/Sounds/None\"\r\r\n+CME ERROR: 2000\r\n");
    EXPECT_EQ(ReadFile("melody01.mel").substr(32, 4), "MMMD");
    EXPECT_EQ(phone->FolderId("Sounds/Ring"), "/Sounds/Ring");
}

}  // namespace
