// The CLI's --trace and ports against the phone emulator over a real pseudo-terminal: the
// trace of a scan reads as the exchange it was, and the emulator's port is said to open.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

#include "support/EmulatorProcess.h"
#include "ui/Messages.h"

extern char** environ;

using q7k3::test::EmulatorProcess;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct CliResult {
    int code = -1;
    std::string out, err;
};

CliResult RunCli(const std::vector<std::string>& args) {
    const std::string outPath = testing::TempDir() + "/trace-cli.out";
    const std::string errPath = testing::TempDir() + "/trace-cli.err";
    std::vector<std::string> all{std::string(Q7K3_BIN_DIR) + "/q7k3fm-cli"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    CliResult r;
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    r.out = ReadAll(outPath);
    r.err = ReadAll(errPath);
    return r;
}

// The bytes of one direction, unescaped, in the order the trace holds them.
std::string Direction(const std::string& trace, char direction) {
    std::istringstream in(trace);
    std::string bytes;
    for (std::string line; std::getline(in, line);) {
        if (line.size() < 15 || line[13] != direction || line[14] != ' ') continue;
        for (size_t i = 15; i < line.size(); ++i) {
            if (line[i] != '\\') {
                bytes += line[i];
                continue;
            }
            const char c = line[++i];
            if (c == 'r') bytes += '\r';
            else if (c == 'n') bytes += '\n';
            else if (c == 't') bytes += '\t';
            else if (c == '\\') bytes += '\\';
            else if (c == 'x') {
                bytes += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
                i += 2;
            }
        }
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
    EXPECT_NE(sent.find("AT+CGMM\r\n"), std::string::npos);
    EXPECT_NE(sent.find("AT+FSDL="), std::string::npos);
    EXPECT_NE(received.find("SGH-E700\r\n"), std::string::npos);
    // Every file the scan printed came over the line, as the trace shows.
    EXPECT_NE(r.out.find("Tetris_suite.jar"), std::string::npos);
    EXPECT_NE(received.find("\"Tetris_suite.jar\""), std::string::npos);
    EXPECT_NE(text.find("# close"), std::string::npos);
}

TEST(TraceOption, AFileThatCannotBeWrittenStopsTheCommandBeforeThePortOpens) {
    EmulatorProcess phone({"--preset", "demo"});
    ASSERT_TRUE(phone.Started()) << phone.Error();
    const CliResult r =
        RunCli({"--port", phone.TtyPath(), "--trace", "/proc/none/trace.txt", "identify"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("cannot write the trace to /proc/none/trace.txt"), std::string::npos)
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
