// Whatever the phone sends, q7k3fm-cli prints no byte a terminal would obey: names, the
// model and the phone's words reach the screen with their control bytes escaped.

#include <gtest/gtest.h>

#include <string>

#include "emulator/PhoneEmulator.h"
#include "support/CliRun.h"

namespace {

using q7k3::PhoneEmulator;
using q7k3::test::CliResult;
using q7k3::test::RunCli;

// The bytes a terminal acts on: C0 controls but the line end and tab, DEL, and the C1
// controls as UTF-8 (U+009B opens a sequence on some terminals).
std::string Obeyed(const std::string& text) {
    std::string found;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7F)
            found += "byte " + std::to_string(c) + " at " + std::to_string(i) + "; ";
        if (c == 0xC2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80)
            found += "C1 at " + std::to_string(i) + "; ";
    }
    return found;
}

std::string Listed(const std::string& name) {
    return "+FSDL: \"" + name + "\",0,0,0,0,5,\"2006/05/04 12:00:00\"";
}

const std::string kTitle = "\x1b]0;owned\x07.txt";  // retitles the terminal
const std::string kClear = "a\x1b[2Jb.txt";         // clears it
const std::string kReturn = "fake\rreal.txt";      // overwrites its own line

struct CliTerminal : ::testing::Test {
    void SetUp() override {
        phone = std::make_unique<PhoneEmulator>();
        ASSERT_TRUE(phone->Start()) << phone->Error();
        ASSERT_TRUE(phone->PutFile("B", "plain.txt", "plain"));
        for (const std::string& name : {kTitle, kClear, kReturn})
            ASSERT_TRUE(phone->InjectListingLine("B", Listed(name)));
    }
    CliResult Run(std::vector<std::string> args) {
        args.insert(args.end(), {"--port", phone->SlavePath()});
        return RunCli(args);
    }
    std::unique_ptr<PhoneEmulator> phone;
};

TEST_F(CliTerminal, ListingsEscapeControlBytesInNames) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"ls", "User"}, {"ls", "User", "--porcelain"}, {"scan"},
          {"scan", "--porcelain"}}) {
        const CliResult r = Run(args);
        const std::string shown = args[0] + (args.size() > 2 ? " " + args.back() : "");
        EXPECT_EQ(r.code, 0) << shown << r.err;
        EXPECT_EQ(Obeyed(r.out), "") << shown << "\n" << r.out;
        EXPECT_EQ(Obeyed(r.err), "") << shown << "\n" << r.err;
        EXPECT_NE(r.out.find("plain.txt"), std::string::npos) << shown;
        EXPECT_NE(r.out.find("\\x1B]0;owned\\x07.txt"), std::string::npos) << shown << r.out;
        EXPECT_NE(r.out.find("a\\x1B[2Jb.txt"), std::string::npos) << shown;
        EXPECT_EQ(r.out.find("\nreal.txt"), std::string::npos) << shown;
    }
}

TEST_F(CliTerminal, ErrorsNamingAPhoneFileEscapeIt) {
    phone->FailName(kTitle, 2000);
    const CliResult get = Run({"get", "User/" + kTitle, "-"});
    EXPECT_NE(get.code, 0);
    EXPECT_EQ(Obeyed(get.err), "") << get.err;
    EXPECT_EQ(Obeyed(get.out), "");
    const CliResult rm = Run({"rm", "User/" + kClear});
    EXPECT_NE(rm.code, 0);
    EXPECT_EQ(Obeyed(rm.err), "") << rm.err;
    const CliResult mv = Run({"rename", "User/" + kReturn, "new\x07name.txt"});
    EXPECT_NE(mv.code, 0);
    EXPECT_EQ(Obeyed(mv.err), "") << mv.err;
    EXPECT_EQ(Obeyed(mv.out), "") << mv.out;
}

TEST_F(CliTerminal, TheModelIsShownEscapedWhetherTakenOrRefused) {
    phone->SetModel("SGH-E700\x1b[2J\x07");
    CliResult r = Run({"identify"});
    EXPECT_EQ(Obeyed(r.out + r.err), "") << r.out << r.err;
    EXPECT_NE((r.out + r.err).find("\\x1B[2J\\x07"), std::string::npos) << r.out << r.err;
    phone->SetModel("\x1b[31mXQ-1\x1b[0m");
    r = Run({"identify", "-v"});
    EXPECT_NE(r.code, 0);
    EXPECT_EQ(Obeyed(r.out + r.err), "") << r.out << r.err;
}

}  // namespace
