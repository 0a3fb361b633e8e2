#include <gtest/gtest.h>

#include <string>

#include "EmulatorFixture.h"
#include "emulator/FileStore.h"
#include "emulator/Interpreter.h"
#include "emulator/Trace.h"

using namespace q7k3::test;

namespace {

TEST_F(Emulator, AnswersResetAndModelWithEchoFraming) {
    Start();
    EXPECT_EQ(pc->Command("ATZ"), "ATZ\r\r\nOK\r\n");
    EXPECT_EQ(pc->Command("AT+CGMM"), "AT+CGMM\r\r\nSGH-E700\r\n\r\nOK\r\n");
    EXPECT_EQ(pc->Command("AT+XYZ", "ERROR\r\n"), "AT+XYZ\r\r\nERROR\r\n");
    EXPECT_EQ(pc->Command("AT+FSCD", "ERROR\r\n"), "AT+FSCD\r\r\nERROR\r\n");
    // The keep-alive ping gets a short answer that is no final result.
    pc->Send("\r");
    EXPECT_EQ(pc->ReadFor(200), "\r\r\n");
    EXPECT_EQ(pc->Command("ATE0"), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(pc->Command("AT+CGMM"), "\r\nSGH-E700\r\n\r\nOK\r\n");
    EXPECT_EQ(pc->Command("ATE1"), "\r\nOK\r\n");
    // A model of ERROR refuses the query.
    phone->SetModel("ERROR");
    EXPECT_EQ(pc->Command("AT+CGMM", "ERROR\r\n"), "AT+CGMM\r\r\nERROR\r\n");
    EXPECT_EQ(phone->Received(),
              "ATZ\r\nAT+CGMM\r\nAT+XYZ\r\nAT+FSCD\r\n\rATE0\r\nAT+CGMM\r\nATE1\r\nAT+CGMM\r\n");
}

TEST_F(Emulator, FolderIdentifiersFollowTheModelFamily) {
    Start();
    // E family: java is "a", test "K", and sms has animations "J".
    EXPECT_EQ(pc->Command("AT+FSCD=\"a\""), "AT+FSCD=\"a\"\r\r\nOK\r\n");
    EXPECT_EQ(pc->Command("AT+FSCD=\"J\""), "AT+FSCD=\"J\"\r\r\nOK\r\n");
    EXPECT_EQ(phone->FolderId("mms/camera/image"), "W");
    EXPECT_EQ(pc->Command("AT+FSCD=\"%\"", "2000\r\n"), "AT+FSCD=\"%\"\r\r\n+CME ERROR: 2000\r\n");
    phone->SetModel("SGH-X600");
    EXPECT_EQ(pc->Command("AT+FSCD=\"`\""), "AT+FSCD=\"`\"\r\r\nOK\r\n");
    EXPECT_EQ(phone->FolderId("mms/camera/image"), "V");
    EXPECT_EQ(phone->FolderId("test"), "J");
    EXPECT_EQ(phone->FolderId("sms/animations"), "");
    EXPECT_EQ(pc->Command("AT+FSCD=\"a\"", "2000\r\n"), "AT+FSCD=\"a\"\r\r\n+CME ERROR: 2000\r\n");
}

TEST_F(Emulator, ListingComesInBatchesThatWaitForThePrompt) {
    config.Batch = 10;
    Start();
    for (int i = 0; i < 23; ++i)
        ASSERT_TRUE(phone->PutFile("C", "melody" + std::to_string(i) + ".mel",
                                   i == 5 ? "" : std::string(100 + i, 'x'), "2006/01/02 03:04:05"));
    int batches = 0;
    const std::string listing = Listing("AT+FSDL=\"C\"", &batches);
    int lines = 0;
    for (size_t at = listing.find("\r\n+FSDL: \""); at != std::string::npos;
         at = listing.find("\r\n+FSDL: \"", at + 1))
        ++lines;
    EXPECT_EQ(listing.substr(listing.size() - 14), "\r\n#OK#\r\n\r\nOK\r\n");
    EXPECT_EQ(batches, 3);
    EXPECT_EQ(lines, 23);

    // One line's exact form; a zero-size file is listed like any other.
    phone->InjectListingLine("B", "+FSDL: \"odd\",0,0,0,0,12x,\"2006/13/01 00:00:00\"");
    ASSERT_TRUE(phone->PutFile("B", "empty.txt", "", "2007/08/09 10:11:12"));
    pc->Send("AT+FSDL=\"B\"\r\n");
    EXPECT_EQ(pc->ReadUntil("#OK#\r\n"),
              "AT+FSDL=\"B\"\r\r\n+FSDL: \"empty.txt\",0,0,0,0,0,\"2007/08/09 10:11:12\"\r\n"
              "\r\n+FSDL: \"odd\",0,0,0,0,12x,\"2006/13/01 00:00:00\"\r\n\r\n#OK#\r\n");
    pc->Send("##>\r\n");
    EXPECT_EQ(pc->ReadUntil("OK\r\n"), "\r\nOK\r\n");

    EXPECT_EQ(pc->Command("AT+FSDL=\"D\""), "AT+FSDL=\"D\"\r\r\nOK\r\n");
}

TEST_F(Emulator, ReadSendsRawBlocksAndTheCrcOfTheWholeFile) {
    config.Block = 600;
    Start();
    const std::string file = Awkward(1300);
    ASSERT_TRUE(phone->PutFile("C", "raw.bin", file));
    ASSERT_EQ(pc->Command("AT+FSCD=\"C\""), "AT+FSCD=\"C\"\r\r\nOK\r\n");
    std::string crc;
    int blocks = 0;
    EXPECT_EQ(ReadFile("raw.bin", &crc, &blocks), file);
    EXPECT_EQ(blocks, 3);
    EXPECT_EQ(crc, Crc(file));

    ASSERT_TRUE(phone->PutFile("C", "zero.bin", ""));
    EXPECT_EQ(ReadFile("zero.bin", &crc, &blocks), "");
    EXPECT_EQ(blocks, 0);
    EXPECT_EQ(crc, "0");

    EXPECT_EQ(pc->Command("AT+FSFR=-1,\"none.bin\"", "2000\r\n"),
              "AT+FSFR=-1,\"none.bin\"\r\r\n+CME ERROR: 2000\r\n");
}

TEST_F(Emulator, WriteAsksForEachBlockAndKeepsTheTimeStamp) {
    Start();
    ASSERT_EQ(pc->Command("AT+FSCD=\"C\""), "AT+FSCD=\"C\"\r\r\nOK\r\n");
    int prompts = 0;
    const std::string file = Awkward(1000);
    EXPECT_EQ(WriteFile("song.mel", file, &prompts), "OK\r\n");
    EXPECT_EQ(prompts, 2);
    EXPECT_EQ(phone->GetFile("C", "song.mel"), file);
    ASSERT_EQ(phone->ListFiles("C").size(), 1u);
    EXPECT_EQ(phone->ListFiles("C")[0].Stamp, "2006/05/04 12:34:56");

    EXPECT_EQ(WriteFile("even.bin", Awkward(1024), &prompts), "OK\r\n");
    EXPECT_EQ(prompts, 2);
    EXPECT_EQ(WriteFile("zero.bin", "", &prompts), "OK\r\n");
    EXPECT_EQ(prompts, 0);
    EXPECT_EQ(phone->GetFile("C", "zero.bin"), "");

    // The PC's whole exchange arrived unchanged, data bytes included.
    const std::string received = phone->Received();
    EXPECT_NE(received.find(WriteHeader("song.mel", file) + "\r\n" + file), std::string::npos);
}

TEST_F(Emulator, WriteIsRefusedOnBadCrcFullMemoryAndMalformedHeaders) {
    config.CapacityKb = 64;  // four 16 KB units
    Start();
    ASSERT_EQ(pc->Command("AT+FSCD=\"B\""), "AT+FSCD=\"B\"\r\r\nOK\r\n");
    const std::string file = Awkward(700);
    pc->Send("AT+FSFW=-1,\"bad.bin\",188,\"2006:05:04 12:34:56\",700,12345\r\n");
    pc->ReadUntil("##>\r\n");
    pc->Send(file.substr(0, 512));
    pc->ReadUntil("##>\r\n");
    pc->Send(file.substr(512));
    EXPECT_EQ(pc->ReadUntil("105\r\n"), "\r\n+CME ERROR: 105\r\n");
    EXPECT_FALSE(phone->GetFile("B", "bad.bin"));

    // 3 units are used; a file of 16385 bytes needs 2 more: refused before any data.
    ASSERT_TRUE(phone->PutFile("B", "big.bin", std::string(3 * 16384, 'b')));
    const std::string tooBig(16385, 't');
    EXPECT_EQ(pc->Command(WriteHeader("more.bin", tooBig), "2007\r\n"),
              WriteHeader("more.bin", tooBig) + "\r\r\n+CME ERROR: 2007\r\n");
    // Replacing a file frees its own room first.
    int prompts = 0;
    EXPECT_EQ(WriteFile("big.bin", std::string(16384, 'c'), &prompts), "OK\r\n");

    for (const std::string& header : {
             std::string("AT+FSFW=-1,\"a.bin\",5,\"2006:05:04 12:34:56\",4,0"),  // size mod 512
             std::string("AT+FSFW=-1,\"a.bin\",4,\"2006:05:04 12:34\",4,0"),     // time stamp
             std::string("AT+FSFW=-1,\"a/b\",4,\"2006:05:04 12:34:56\",4,0"),    // name
             std::string("AT+FSFW=-1,\"..\",4,\"2006:05:04 12:34:56\",4,0"),
             std::string("AT+FSFW=-1,\"a.bin\",4,\"2006:05:04 12:34:56\",4"),  // no CRC
             std::string("AT+FSFW=-1,\"a.bin\",4,\"2006:05:04 12:34:56\",4,4294967296"),
             std::string("AT+FSFW=-1,\"a.bin\",4,\"2006:05:04 12:34:56\",-4,0"),
             std::string("AT+FSFW=-1,\"a.bin,4,\"2006:05:04 12:34:56\",4,0"),  // quotes
         })
        EXPECT_EQ(pc->Command(header, "ERROR\r\n"), header + "\r\r\nERROR\r\n");
    EXPECT_FALSE(phone->GetFile("B", "a.bin"));
    EXPECT_EQ(pc->Command("ATZ"), "ATZ\r\r\nOK\r\n");
}

TEST_F(Emulator, EraseRemovesOnceThenReportsTheFileMissing) {
    Start();
    ASSERT_TRUE(phone->PutFile("B", "old.txt", "x"));
    ASSERT_TRUE(phone->PutFile("C", "old.txt", "y"));
    ASSERT_EQ(pc->Command("AT+FSCD=\"B\""), "AT+FSCD=\"B\"\r\r\nOK\r\n");
    EXPECT_EQ(pc->Command("AT+FSFE=-1,\"old.txt\""), "AT+FSFE=-1,\"old.txt\"\r\r\nOK\r\n");
    EXPECT_EQ(pc->Command("AT+FSFE=-1,\"old.txt\"", "2000\r\n"),
              "AT+FSFE=-1,\"old.txt\"\r\r\n+CME ERROR: 2000\r\n");
    EXPECT_FALSE(phone->GetFile("B", "old.txt"));
    EXPECT_EQ(phone->GetFile("C", "old.txt"), "y") << "only the current folder is touched";
}

TEST_F(Emulator, SurvivesHostileInput) {
    Start();
    pc->Send(std::string(10000, 'A') + "\r\n");
    EXPECT_EQ(pc->ReadUntil("ERROR\r\n"), "\r\nERROR\r\n") << "an overlong line is refused";
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 7919) & 0xFF);
    pc->Send(garbage + "\r\n");
    pc->ReadFor(300);
    for (const char* line : {"AT+FSFR=-1,\"", "AT+FSCD=\"\"\"", "AT+FSFE=", "AT+FSFW=-1,,,,,",
                             "AT+FSDL=\"B\",\"C\"", "##>"})
        pc->Send(std::string(line) + "\r\n");
    pc->ReadFor(300);
    EXPECT_EQ(pc->Command("ATZ"), "ATZ\r\r\nOK\r\n");
}

// Random mixtures of real command pieces and noise, fed straight to the interpreter: it must
// neither crash nor grow without bound, and a fresh command line is understood afterwards.
TEST(EmulatorInterpreter, RandomInputNeverBreaksIt) {
    q7k3::emu::EmulatorConfig config;
    auto store = q7k3::emu::MakeMemoryStore();
    q7k3::emu::Trace trace;
    q7k3::emu::Interpreter interp(config, *store, trace);
    const char* pieces[] = {"AT+FSFW=-1,\"a\",3,\"2006:01:01 00:00:00\",3,0\r",
                            "AT+FSFR=-1,\"a\"\r",
                            "AT+FSDL=\"A\"\r",
                            "AT+FSCD=\"",
                            "##>\r\n",
                            "\r",
                            "\"",
                            ",",
                            "AT+FSFE=-1,\"a\"\r",
                            "ATE0\r"};
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    size_t out = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string chunk;
        if (next() % 3 == 0) {
            for (int i = next() % 40; i > 0; --i) chunk += static_cast<char>(next() >> 16);
        } else {
            chunk = pieces[(next() >> 8) % std::size(pieces)];
        }
        for (const auto& c : interp.Feed(chunk.data(), chunk.size(), round)) out += c.Bytes.size();
    }
    interp.Tick(1'000'000);  // gives up a write left waiting for data
    const std::string endless(3 * q7k3::emu::Interpreter::kMaxLine, 'x');
    interp.Feed(endless.data(), endless.size(), 1'000'000);
    const std::string reset = "\rATE1\rATZ\r";
    std::string answer;
    for (const auto& c : interp.Feed(reset.data(), reset.size(), 1'000'001)) answer += c.Bytes;
    EXPECT_NE(answer.find("ATZ\r\r\nOK\r\n"), std::string::npos) << answer;
    EXPECT_GT(out, 0u);
}

}  // namespace
