#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "PtyClient.h"
#include "support/EmulatorProcess.h"

using q7k3::test::EmulatorProcess;
using q7k3::test::PtyClient;

namespace {

std::string TempDir() {
    char templ[] = "/tmp/q7k3emu-XXXXXX";
    const char* dir = mkdtemp(templ);
    return dir ? dir : "";
}

TEST(EmulatorCli, PrintsItsTerminalMakesTheLinkAndStopsCleanly) {
    const std::string dir = TempDir();
    ASSERT_FALSE(dir.empty());
    const std::string link = dir + "/phone";
    {
        EmulatorProcess phone({"--model", "SGH-X600", "--link", link});
        ASSERT_TRUE(phone.Started()) << phone.Error();
        EXPECT_EQ(phone.TtyPath().rfind("/dev/pts/", 0), 0u) << phone.TtyPath();
        char target[256] = {};
        ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
        EXPECT_EQ(phone.TtyPath(), target);

        PtyClient pc(link);
        ASSERT_TRUE(pc.IsOpen());
        EXPECT_EQ(pc.Command("AT+CGMM"), "AT+CGMM\r\r\nSGH-X600\r\n\r\nOK\r\n");
        EXPECT_EQ(phone.Stop(), 0);
    }
    struct stat st {};
    EXPECT_NE(lstat(link.c_str(), &st), 0) << "the link is removed at exit";
    rmdir(dir.c_str());
}

TEST(EmulatorCli, OptionsReachThePhone) {
    const std::string dir = TempDir();
    ASSERT_FALSE(dir.empty());
    {
        EmulatorProcess phone({"--echo", "off", "--fail-name", "x.bin:105", "--unsolicited", "RING",
                               "--root", dir, "--preset", "demo", "--silent-after", "2"});
        ASSERT_TRUE(phone.Started()) << phone.Error();
        PtyClient pc(phone.TtyPath());
        EXPECT_EQ(pc.Command("AT+FSFE=-1,\"x.bin\"", "RING\r\n"),
                  "\r\n+CME ERROR: 105\r\n\r\nRING\r\n");
        EXPECT_EQ(pc.Command("AT+CGMM", "RING\r\n"), "\r\nSGH-E700\r\n\r\nOK\r\n\r\nRING\r\n");
        pc.Send("ATZ\r\n");
        EXPECT_EQ(pc.ReadFor(300), "");
        struct stat st {};
        EXPECT_EQ(stat((dir + "/user/sounds/melody01.mel").c_str(), &st), 0);
        EXPECT_EQ(stat((dir + "/java/Tetris_suite.jar").c_str(), &st), 0);
    }
    std::filesystem::remove_all(dir);
}

TEST(EmulatorCli, HostileLineOptionsReachThePhone) {
    {
        EmulatorProcess phone({"--pims", "--fan-out", "3", "--flood-after", "2", "--seed", "9"});
        ASSERT_TRUE(phone.Started()) << phone.Error();
        PtyClient pc(phone.TtyPath());
        EXPECT_EQ(pc.Command("AT+FSCD=\"/Java/F0002\""), "AT+FSCD=\"/Java/F0002\"\r\r\nOK\r\n");
        EXPECT_EQ(pc.Command("ATZ"), "ATZ\r\r\nOK\r\n");
        pc.Send("ATZ\r\n");
        EXPECT_GT(pc.ReadFor(200).size(), 1000u) << "the flood";
    }
    {
        EmulatorProcess phone({"--trickle-after", "0", "--trickle-every", "5", "--anywhere", "RING"});
        ASSERT_TRUE(phone.Started()) << phone.Error();
        PtyClient pc(phone.TtyPath());
        pc.Send("AT\r\n");
        EXPECT_EQ(pc.ReadUntil("OK\r\n"), "AT\r\r\nOK\r\n");
    }
}

TEST(EmulatorCli, RefusesBadOptionsWithOneLineAndAnswersHelp) {
    const std::string bin = std::string(Q7K3_BIN_DIR) + "/q7k3fm-phone";
    EXPECT_EQ(std::system((bin + " --help >/dev/null").c_str()), 0);
    EXPECT_NE(std::system((bin + " --batch 0 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((bin + " --preset full 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((bin + " --bogus 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((bin + " --trickle-every 0 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((bin + " --split -1 2>/dev/null").c_str()), 0);
    EmulatorProcess missing({"--root", "/proc/no/such/dir"}, 2000);
    EXPECT_FALSE(missing.Started());
}

}  // namespace
