// The faults of a hostile line: answers that never end, garbage, prompts without end, folders
// without end, stray lines anywhere, answers in pieces.

#include <chrono>

#include "EmulatorFixture.h"

using namespace q7k3::test;

namespace {

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

size_t CountOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

std::string Without(std::string text, const std::string& what) {
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what))
        text.erase(at, what.size());
    return text;
}

TEST_F(Emulator, TrickleSendsTheAnswerByteByByteThenNoiseForEver) {
    Start();
    phone->TrickleAfter(1, 20);
    EXPECT_EQ(pc->Command("ATZ"), "ATZ\r\r\nOK\r\n");
    const auto start = Clock::now();
    pc->Send("ATZ\r\n");
    EXPECT_EQ(pc->ReadUntil("OK\r\n"), "ATZ\r\r\nOK\r\n");
    EXPECT_GE(MsSince(start), 9 * 20 - 20) << "one byte every 20 ms";
    // The line never goes quiet again: NUL after NUL, each within the pace.
    const std::string noise = pc->ReadFor(300);
    EXPECT_GE(noise.size(), 8u);
    EXPECT_LE(noise.size(), 16u);
    EXPECT_EQ(noise, std::string(noise.size(), '\0'));
    EXPECT_GE(pc->ReadFor(200).size(), 5u);
    phone->ClearFaults();
    pc->ReadFor(100);
    EXPECT_EQ(pc->Command("ATZ"), "ATZ\r\r\nOK\r\n") << "a healthy line again";
}

TEST_F(Emulator, FloodSendsGarbageWithoutEndAndStillReadsCommands) {
    Start();
    phone->FloodAfter(1);
    EXPECT_EQ(pc->Command("ATZ"), "ATZ\r\r\nOK\r\n");
    EXPECT_EQ(pc->ReadFor(100), "") << "nothing before the next command";
    pc->Send("AT+CGMM\r\n");
    const std::string first = pc->ReadFor(300);
    const std::string second = pc->ReadFor(300);
    EXPECT_GT(first.size(), 4000u);
    EXPECT_GT(second.size(), 4000u);
    EXPECT_EQ(first.find("SGH-E700"), std::string::npos) << "the answer is lost in the flood";
    EXPECT_EQ(phone->CommandCount(), 2);
}

TEST_F(Emulator, EndlessReadGoesOnPastTheFileUntilANewCommand) {
    config.Block = 400;
    Start();
    const std::string file = Awkward(500);
    ASSERT_TRUE(phone->PutFile("A", "f.bin", file));
    phone->EndlessRead(true);
    pc->Send("AT+FSFR=-1,\"f.bin\"\r\n");
    EXPECT_EQ(pc->ReadUntil("#OK#\r\n"),
              "AT+FSFR=-1,\"f.bin\"\r\r\n+FSFR: 1,400," + file.substr(0, 400) + "#OK#\r\n");
    pc->Send("##>\r\n");
    EXPECT_EQ(pc->ReadUntil("#OK#\r\n"), "\r\n+FSFR: 2,100," + file.substr(400) + "#OK#\r\n");
    for (int block = 3; block < 40; ++block) {
        pc->Send("##>\r\n");
        const std::string expected = "\r\n+FSFR: " + std::to_string(block) + ",400," +
                                     std::string(400, file.back()) + "#OK#\r\n";
        ASSERT_EQ(pc->ReadUntil("#OK#\r\n"), expected);
    }
    EXPECT_EQ(pc->ReadFor(100), "") << "each block still waits for its prompt";
    EXPECT_EQ(pc->Command("ATZ"), "ATZ\r\r\nOK\r\n");
    EXPECT_EQ(phone->GetFile("A", "f.bin"), file);
}

TEST_F(Emulator, PromptStormNeverFinishesAWriteAndStoresNothing) {
    Start();
    phone->PromptStorm(true);
    const std::string file = Awkward(600);
    pc->Send(WriteHeader("w.bin", file) + "\r\n");
    EXPECT_EQ(pc->ReadUntil("##>\r\n"), WriteHeader("w.bin", file) + "\r\r\n##>\r\n");
    pc->Send(file.substr(0, 512));
    EXPECT_EQ(pc->ReadUntil("##>\r\n"), "\r\n##>\r\n");
    pc->Send(file.substr(512));
    EXPECT_EQ(pc->ReadUntil("##>\r\n", 300), "\r\n##>\r\n") << "the last block is prompted too";
    pc->Send("\r");
    EXPECT_EQ(pc->ReadUntil("##>\r\n", 300), "\r\n##>\r\n") << "so is anything else";
    // A PC that only waits is prompted again and again.
    const std::string waiting = pc->ReadFor(1200);
    EXPECT_GE(CountOf(waiting, "##>"), 2u) << waiting;
    EXPECT_EQ(waiting.find("OK"), std::string::npos);
    EXPECT_EQ(Without(pc->Command("ATZ"), "\r\n##>\r\n"), "ATZ\r\r\nOK\r\n") << "a command ends it";
    EXPECT_FALSE(phone->GetFile("A", "w.bin"));
    EXPECT_EQ(pc->ReadFor(700), "") << "and the prompts stop";
}

TEST_F(Emulator, FanOutListsThousandsOfFoldersInEveryFolder) {
    config.Pims = true;
    config.Batch = 1000;
    Start();
    phone->FanOut(4096);
    int batches = 0;
    const std::string top = Listing("AT+FSDI=\" \"", &batches);
    EXPECT_EQ(batches, 5);
    EXPECT_NE(top.find("+FSDI: \"Sounds\",4099,0"), std::string::npos);
    EXPECT_NE(top.find("+FSDI: \"F4095\",4096,0"), std::string::npos);
    const std::string deep = Listing("AT+FSDI=\"/Sounds/F0001/F4095\"");
    EXPECT_EQ(CountOf(deep, "+FSDI: "), 4096u);
    EXPECT_EQ(pc->Command("AT+FSCD=\"/Sounds/F0012/F0003\""),
              "AT+FSCD=\"/Sounds/F0012/F0003\"\r\r\nOK\r\n");
    EXPECT_EQ(pc->Command("AT+FSDL=\"/F0007\""), "AT+FSDL=\"/F0007\"\r\r\nOK\r\n") << "empty";
    for (const char* bad : {"/Sounds/F4096", "/Sounds/F12", "/Sounds/F00012", "/Nope/F0001"}) {
        const std::string cmd = std::string("AT+FSCD=\"") + bad + "\"";
        EXPECT_EQ(pc->Command(cmd, "2000\r\n"), cmd + "\r\r\n+CME ERROR: 2000\r\n") << bad;
    }
}

TEST_F(Emulator, UnsolicitedLinesComeAnywhereButNeverInsideFileData) {
    config.Batch = 2;
    config.Block = 100;
    Start();
    for (int i = 0; i < 30; ++i) ASSERT_TRUE(phone->PutFile("A", "f" + std::to_string(i), "x"));
    const std::string file = Awkward(3000);
    ASSERT_TRUE(phone->PutFile("B", "data.bin", file));
    const std::string clean = Listing("AT+FSDL=\"A\"");
    phone->UnsolicitedAnywhere("RING", 50);
    EXPECT_NE(pc->ReadFor(200).find("\r\nRING\r\n"), std::string::npos) << "on an idle line";
    std::string noisy;
    pc->Send("AT+FSDL=\"A\"\r\n");
    while (noisy.find("\r\nOK\r\n") == std::string::npos) {
        const std::string part = pc->ReadUntil("\r\n");
        ASSERT_FALSE(part.empty());
        noisy += part;
        if (part == "#OK#\r\n") pc->Send("##>\r\n");
    }
    EXPECT_GE(CountOf(noisy, "RING"), 3u);
    EXPECT_EQ(Without(noisy, "\r\nRING\r\n"), clean);

    // Blocks of a read: the stray lines come between them, each block stays whole.
    ASSERT_EQ(Without(pc->Command("AT+FSCD=\"B\""), "\r\nRING\r\n"), "AT+FSCD=\"B\"\r\r\nOK\r\n");
    pc->Send("AT+FSFR=-1,\"data.bin\"\r\n");
    std::string all;
    for (int block = 1; block <= 31; ++block) {
        all += pc->ReadUntil("#OK#\r\n");
        pc->Send("##>\r\n");
    }
    all += pc->ReadUntil("\r\nOK\r\n");
    phone->UnsolicitedAnywhere("", 50);
    std::string data;
    for (size_t at = all.find("+FSFR: "); at != std::string::npos;
         at = all.find("\r\n+FSFR: ", at)) {
        at = all.find("+FSFR: ", at);
        const size_t c1 = all.find(',', at);
        const size_t c2 = all.find(',', c1 + 1);
        const std::string no = all.substr(at + 7, c1 - at - 7);
        if (no == "0") break;
        const size_t len = std::stoul(all.substr(c1 + 1, c2 - c1 - 1));
        data += all.substr(c2 + 1, len);
        ASSERT_EQ(all.substr(c2 + 1 + len, 6), "#OK#\r\n");
        at = c2 + 1 + len;
    }
    EXPECT_EQ(data, file);
    EXPECT_GE(CountOf(all, "RING"), 3u);
}

TEST_F(Emulator, SplitAnswersArriveInPiecesButWhole) {
    config.Fault.Seed = 7;
    Start();
    const std::string file = Awkward(1800);
    ASSERT_TRUE(phone->PutFile("A", "f.bin", file));
    phone->SplitAnswers(3);
    auto start = Clock::now();
    std::string crc;
    EXPECT_EQ(ReadFile("f.bin", &crc), file);
    EXPECT_EQ(crc, Crc(file));
    // About 120 pieces of at most 16 bytes, each up to 3 ms apart.
    EXPECT_GE(MsSince(start), 60);
    EXPECT_EQ(pc->Command("AT+CGMM"), "AT+CGMM\r\r\nSGH-E700\r\n\r\nOK\r\n");
    int prompts = 0;
    EXPECT_EQ(WriteFile("g.bin", file, &prompts), "OK\r\n");
    EXPECT_EQ(phone->GetFile("A", "g.bin"), file);
}

}  // namespace
