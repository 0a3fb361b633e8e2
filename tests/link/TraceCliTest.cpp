// The CLI's --trace and ports against the phone emulator over a real pseudo-terminal: the
// trace of a scan reads as the exchange it was, a time-out is followed by the link's
// recovery, and the emulator's port is said to open.
#include <gtest/gtest.h>

#include <sstream>

#include "support/CliRun.h"
#include "support/EmulatorProcess.h"
#include "support/TraceText.h"
#include "base/Messages.h"

using q7k3::test::CliResult;
using q7k3::test::EmulatorProcess;
using q7k3::test::ReadAll;
using q7k3::test::RunCli;

namespace {

// The bytes of one direction, unescaped, in the order the trace holds them.
std::string Direction(const std::string& trace, char direction) {
    std::istringstream in(trace);
    std::string bytes;
    for (std::string line; std::getline(in, line);) {
        if (line.size() < 15 || line[13] != direction || line[14] != ' ') continue;
        bytes += q7k3::test::UnescapeTrace(std::string_view(line).substr(15));
    }
    return bytes;
}

TEST(TraceOption, TheTraceOfAScanReadsAsTheExchangeItWas) {
    EmulatorProcess phone({"--preset", "demo"});
    ASSERT_TRUE(phone.Started()) << phone.Error();
    const std::string trace = testing::TempDir() + "/scan-trace.txt";
    std::remove(trace.c_str());
    const CliResult r = RunCli({"--port", phone.TtyPath(), "--trace", trace, "scan"});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string text = ReadAll(trace);
    EXPECT_NE(text.find("# open " + phone.TtyPath()), std::string::npos);
    const std::string sent = Direction(text, '>');
    const std::string received = Direction(text, '<');
    EXPECT_EQ(sent.rfind("ATZ\r\n", 0), 0u) << sent.substr(0, 40);
    // The scan identifies the phone once and scans on that model line: one AT+CGMM, not a
    // second one from the scan's own model query.
    EXPECT_EQ(q7k3::test::CountOf(sent, "AT+CGMM\r\n"), 1u) << sent.substr(0, 80);
    EXPECT_NE(sent.find("AT+FSDL="), std::string::npos);
    EXPECT_NE(received.find("SGH-E700\r\n"), std::string::npos);
    // Every file the scan printed came over the line, as the trace shows.
    EXPECT_NE(r.out.find("Tetris_suite.jar"), std::string::npos);
    EXPECT_NE(received.find("\"Tetris_suite.jar\""), std::string::npos);
    EXPECT_NE(text.find("# close"), std::string::npos);
}

TEST(TraceOption, AfterATimeOutThePortIsReopenedAndThePhoneResetBeforeTheCommandEnds) {
    // Reset and model are answered, the listing's commands no longer.
    EmulatorProcess phone({"--preset", "demo", "--silent-after", "2"});
    ASSERT_TRUE(phone.Started()) << phone.Error();
    const std::string trace = testing::TempDir() + "/timeout-trace.txt";
    std::remove(trace.c_str());
    const CliResult r = RunCli({"--port", phone.TtyPath(), "--trace", trace, "ls", "/User"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(q7k3::test::CountOf(r.err, q7k3::Msg(q7k3::kMsgTimeout)), 1u) << r.err;
    EXPECT_EQ(r.out, "");
    const std::string text = ReadAll(trace);
    const size_t reopened = text.rfind("# open " + phone.TtyPath());
    ASSERT_EQ(q7k3::test::CountOf(text, "# open "), 2u) << text;
    EXPECT_EQ(Direction(text.substr(reopened), '>').rfind("ATZ\r\n", 0), 0u) << text;
}

TEST(TraceOption, AFileThatCannotBeWrittenStopsTheCommandBeforeThePortOpens) {
    EmulatorProcess phone({"--preset", "demo"});
    ASSERT_TRUE(phone.Started()) << phone.Error();
    const CliResult r =
        RunCli({"--port", phone.TtyPath(), "--trace", "/proc/none/trace.txt", "identify"});
    EXPECT_EQ(r.code, 6);  // a local failure
    EXPECT_NE(r.err.find(q7k3::Msg(q7k3::kMsgCliTraceFailed) + "/proc/none/trace.txt: "),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.out, "");
}

TEST(PortsCommand, TheEmulatorsPortOpens) {
    EmulatorProcess phone;
    ASSERT_TRUE(phone.Started()) << phone.Error();
    const CliResult r = RunCli({"ports", "--port", phone.TtyPath()});
    EXPECT_EQ(r.code, 0) << r.err;
    // The emulator keeps the terminal's other end open itself, and is named for it.
    EXPECT_NE(r.out.find(phone.TtyPath() + " " + q7k3::Msg(q7k3::kMsgPortOpensShared) +
                         "q7k3fm-phone, PID " + std::to_string(phone.Pid()) + "\n"),
              std::string::npos)
        << r.out;
}

}  // namespace
