// Every phone command of q7k3fm-cli against every fault of a hostile line. Each case asserts
// what a user relies on: the command ends within its deadline with an exit code and a
// message of its own (no hang, no crash), no local file is damaged, and no phone file is
// lost or changed but the one the command is meant to change.
//
// The cases run as one ctest entry per fault, side by side.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/EmulatorProcess.h"
#include "support/HostFiles.h"


namespace {

namespace fs = std::filesystem;
using q7k3::test::EmulatorProcess;
using Clock = std::chrono::steady_clock;

// Generous: these are not speed tests. A case past it counts as a hang.
constexpr int kDeadlineMs = 30000;

using q7k3::test::ReadAll;
using q7k3::test::Spit;

// Every file under `dir` by its relative path, with its bytes.
using Snapshot = std::map<std::string, std::string>;
Snapshot Take(const fs::path& dir) {
    Snapshot out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (ec) break;
        if (it->is_regular_file()) out[fs::relative(it->path(), dir).string()] = ReadAll(it->path());
    }
    return out;
}

// Bytes any text protocol trips over, the end of a data block among them.
std::string Awkward(size_t size) {
    const std::string pattern = std::string("ab#OK#\r\n\0\"##>\r\nOK\r\n\xff", 20);
    std::string out;
    while (out.size() < size) out += pattern;
    out.resize(size);
    return out;
}

struct CliRun {
    int code = -1;  // -1: killed by a signal or by the deadline
    bool hung = false;
    int64_t ms = 0;
    std::string out, err;
};

// Runs q7k3fm-cli with its own home, settings, data and temporary folders under `scratch`.
CliRun RunCli(const std::vector<std::string>& args, const fs::path& scratch) {
    const std::string outPath = (scratch / "cli.out").string();
    const std::string errPath = (scratch / "cli.err").string();
    q7k3::test::IsolatedCli cli(args, scratch);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    CliRun r;
    const auto start = Clock::now();
    pid_t pid = -1;
    if (posix_spawn(&pid, cli.Argv[0], &actions, nullptr, cli.Argv.data(), cli.Envp.data()) == 0) {
        int status = 0;
        for (;;) {
            if (waitpid(pid, &status, WNOHANG) == pid) break;
            if (Clock::now() - start > std::chrono::milliseconds(kDeadlineMs + 5000)) {
                r.hung = true;
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!r.hung && WIFEXITED(status)) r.code = WEXITSTATUS(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    r.ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    r.out = ReadAll(outPath);
    r.err = ReadAll(errPath);
    return r;
}

// ---- the faults ---------------------------------------------------------------------------

enum class Outcome { Succeed, Fail, Either };

struct Fault {
    const char* name;
    std::vector<std::string> emulator;  // its options of q7k3fm-phone
    bool pims = false;                  // the phone has the PIMS file system
    // What each command must do under it (by command name); unnamed: `others`.
    std::map<std::string, Outcome> expect;
    Outcome others = Outcome::Either;
};

// The link opens with two commands (reset, model); "after 2" hits the first folder command.
const std::vector<Fault>& Faults() {
    using O = Outcome;
    static const std::vector<Fault> faults = {
        {"healthy", {}, false, {}, O::Succeed},
        {"silent", {"--silent-after", "2"}, false, {{"identify", O::Succeed}}, O::Fail},
        // Slow but whole answers may still make it: only the deadline is held against it.
        {"trickle", {"--trickle-after", "2", "--trickle-every", "50"}, false,
         {{"identify", O::Succeed}}, O::Either},
        {"flood", {"--flood-after", "2"}, false, {{"identify", O::Succeed}}, O::Fail},
        {"endless_read", {"--endless-read"}, false,
         {{"get", O::Fail}, {"backup", O::Fail}, {"rename", O::Fail}}, O::Either},
        {"prompt_storm", {"--prompt-storm"}, false,
         {{"put", O::Fail}, {"rename", O::Fail}, {"restore", O::Fail}}, O::Either},
        {"fan_out", {"--pims", "--fan-out", "4096"}, true, {{"identify", O::Succeed}}, O::Either},
        // Stray lines and a fragmenting line are what real cables do: nothing may fail.
        {"unsolicited", {"--anywhere", "RING", "--anywhere-every", "200", "--seed", "3"}, false,
         {}, O::Succeed},
        {"split", {"--split", "1", "--seed", "5"}, false, {}, O::Succeed},
        {"cut_line", {"--cut-after", "3000"}, false,
         {{"get", O::Fail}, {"put", O::Fail}, {"backup", O::Fail}, {"rename", O::Fail}},
         O::Either},
        {"bad_crc", {"--bad-crc"}, false,
         {{"get", O::Fail}, {"backup", O::Fail}, {"rename", O::Fail}}, O::Either},
    };
    return faults;
}

// ---- the commands -------------------------------------------------------------------------

// A case's folders: the phone's files (the emulator's root), the local folder the command
// reads or writes, and room for the program's outputs.
struct Place {
    fs::path phone, local, scratch;
    std::string folder;  // the phone folder of the test files, as the command line names it
};

// What may differ after the command, phone side and local side; every other file must be
// as it was.
using Allowed = std::function<void(const Place&, const Snapshot& before, const Snapshot& after,
                                   const std::string& which)>;

struct Command {
    const char* name;
    std::function<std::vector<std::string>(const Place&)> args;
    // Run before the command (the phone side may be set up for it).
    std::function<void(const Place&)> prepare;
    Allowed phoneChanges;  // null: none
    Allowed localChanges;  // null: none
};

const std::string kData = Awkward(8000);
const std::string kNote = "a note of the phone";
const std::string kUpload = Awkward(6000).replace(0, 4, "UPLD");

// A file that may be gone or written whole, never anything between.
void WholeOrAbsent(const Snapshot& after, const std::string& path, const std::string& bytes,
                   const std::string& which) {
    auto it = after.find(path);
    if (it != after.end()) EXPECT_TRUE(it->second == bytes) << which << ": " << path << " is damaged";
}

// Files of `before` not in `except` unchanged, and no new file outside `fresh`.
void SameBut(const Snapshot& before, const Snapshot& after, const std::set<std::string>& except,
             const std::function<bool(const std::string&)>& fresh, const std::string& which,
             const char* side) {
    for (const auto& [path, bytes] : before) {
        if (except.count(path)) continue;
        auto it = after.find(path);
        if (it == after.end())
            ADD_FAILURE() << which << ": " << side << " file lost: " << path;
        else if (it->second != bytes)
            ADD_FAILURE() << which << ": " << side << " file changed: " << path;
    }
    for (const auto& [path, bytes] : after)
        if (!before.count(path) && !(fresh && fresh(path)))
            ADD_FAILURE() << which << ": new " << side << " file " << path;
}

std::string UserPath(const Place& p, const std::string& name) {
    // The test files live in the user folder, or the PIMS phone's "Other".
    return (p.folder == "User" ? "user/" : "Other/") + name;
}

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"identify", [](const Place&) { return std::vector<std::string>{"identify"}; }, nullptr,
         nullptr, nullptr},
        {"scan", [](const Place&) { return std::vector<std::string>{"scan", "--porcelain"}; },
         nullptr, nullptr, nullptr},
        {"ls", [](const Place& p) { return std::vector<std::string>{"ls", p.folder}; }, nullptr,
         nullptr, nullptr},
        {"get",
         [](const Place& p) {
             return std::vector<std::string>{"get", p.folder + "/data.bin", (p.local / "out").string()};
         },
         nullptr, nullptr,
         [](const Place&, const Snapshot& before, const Snapshot& after, const std::string& which) {
             WholeOrAbsent(after, "out/data.bin", kData, which);
             SameBut(before, after, {}, [](const std::string& f) { return f == "out/data.bin"; },
                     which, "local");
         }},
        {"put",
         [](const Place& p) {
             return std::vector<std::string>{"put", "--raw", (p.local / "up.bin").string(), p.folder};
         },
         nullptr,
         [](const Place& p, const Snapshot& before, const Snapshot& after, const std::string& which) {
             const std::string up = UserPath(p, "up.bin");
             WholeOrAbsent(after, up, kUpload, which);
             SameBut(before, after, {}, [&](const std::string& f) { return f == up; }, which,
                     "phone");
         },
         nullptr},
        {"rm",
         [](const Place& p) { return std::vector<std::string>{"rm", p.folder + "/note.txt"}; },
         nullptr,
         [](const Place& p, const Snapshot& before, const Snapshot& after, const std::string& which) {
             const std::string note = UserPath(p, "note.txt");
             WholeOrAbsent(after, note, kNote, which);
             SameBut(before, after, {note}, nullptr, which, "phone");
         },
         nullptr},
        {"rename",
         [](const Place& p) {
             return std::vector<std::string>{"rename", p.folder + "/data.bin", "moved.bin"};
         },
         nullptr,
         [](const Place& p, const Snapshot& before, const Snapshot& after, const std::string& which) {
             // The file under one name or the other, whole; never neither.
             // The phone has no rename: the file is read, erased and written anew. When
             // neither the new nor the old name can be written, the copy is kept locally.
             const std::string from = UserPath(p, "data.bin"), to = UserPath(p, "moved.bin");
             WholeOrAbsent(after, from, kData, which);
             WholeOrAbsent(after, to, kData, which);
             const fs::path kept = p.scratch / "home/data/Q7K3FileManager/Recovered/data.bin";
             if (!after.count(from) && !after.count(to))
                 EXPECT_TRUE(fs::exists(kept) && ReadAll(kept) == kData)
                     << which << ": the file is lost";
             SameBut(before, after, {from}, [&](const std::string& f) { return f == to; }, which,
                     "phone");
         },
         nullptr},
        {"backup",
         [](const Place& p) { return std::vector<std::string>{"backup", (p.local / "saved").string()}; },
         nullptr, nullptr,
         [](const Place&, const Snapshot& before, const Snapshot& after, const std::string& which) {
             // A copy of the phone's file is whole wherever it lands.
             for (const auto& [path, bytes] : after)
                 if (path.size() > 8 && path.compare(path.size() - 8, 8, "data.bin") == 0 &&
                     path.rfind("saved/", 0) == 0)
                     EXPECT_TRUE(bytes == kData) << which << ": " << path << " is damaged";
             SameBut(before, after, {}, [](const std::string& f) { return f.rfind("saved/", 0) == 0; },
                     which, "local");
         }},
        {"restore",
         [](const Place& p) {
             return std::vector<std::string>{"restore", (p.local / "backup").string(),
                                             "--match=note.txt"};
         },
         // The phone lost its note since the backup: restore writes it back.
         [](const Place& p) { fs::remove(p.phone / UserPath(p, "note.txt")); },
         [](const Place& p, const Snapshot& before, const Snapshot& after, const std::string& which) {
             const std::string note = UserPath(p, "note.txt");
             WholeOrAbsent(after, note, kNote, which);
             SameBut(before, after, {}, [&](const std::string& f) { return f == note; }, which,
                     "phone");
         },
         nullptr},
        {"verify",
         [](const Place& p) { return std::vector<std::string>{"verify", (p.local / "backup").string()}; },
         nullptr, nullptr, nullptr},
        {"java",
         [](const Place&) { return std::vector<std::string>{"java", "rebuild"}; }, nullptr,
         [](const Place&, const Snapshot& before, const Snapshot& after, const std::string& which) {
             // The registry is what the rebuild writes.
             auto registry = [](const std::string& f) { return f.rfind("java/suites", 0) == 0; };
             std::set<std::string> except;
             for (const auto& [path, bytes] : before)
                 if (registry(path)) except.insert(path);
             SameBut(before, after, except, registry, which, "phone");
         },
         nullptr},
    };
    return commands;
}

// ---- the matrix ---------------------------------------------------------------------------

// The healthy phone's files, and a backup of it, made once per test program: every case
// starts from a copy (times kept), restore and verify read the backup.
fs::path g_template;
fs::path g_backup;

fs::path MakeDir(const std::string& stem) {
    std::string templ = (fs::temp_directory_path() / (stem + "-XXXXXX")).string();
    const char* made = mkdtemp(templ.data());
    return made ? fs::path(made) : fs::path();
}

void FillPhone(const Place& p) {
    Spit(p.phone / UserPath(p, "data.bin"), kData);
    Spit(p.phone / UserPath(p, "note.txt"), kNote);
}

class FaultMatrix : public ::testing::TestWithParam<std::tuple<size_t, size_t>> {
public:
    static void SetUpTestSuite() {
        const fs::path dir = MakeDir("q7k3-matrix-template");
        Place p{dir / "phone", dir, dir, "User"};
        FillPhone(p);
        EmulatorProcess phone({"--root", p.phone.string(), "--preset", "demo"});
        ASSERT_TRUE(phone.Started()) << phone.Error();
        g_template = dir;
        g_backup = dir / "backup";
        const CliRun r = RunCli({"backup", g_backup.string(), "--port", phone.TtyPath(), "-q"}, dir);
        ASSERT_EQ(r.code, 0) << r.err;
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        if (!g_template.empty()) fs::remove_all(g_template, ec);
    }
};

TEST_P(FaultMatrix, EndsInTimeAndKeepsEveryFile) {
    const Command& command = Commands()[std::get<0>(GetParam())];
    const Fault& fault = Faults()[std::get<1>(GetParam())];
    const std::string which = std::string(command.name) + " under " + fault.name;
    const fs::path dir = MakeDir("q7k3-matrix");
    ASSERT_FALSE(dir.empty());
    Place p{dir / "phone", dir / "local", dir, fault.pims ? "Other" : "User"};
    fs::create_directories(p.local / "out");
    if (fault.pims) {
        fs::create_directories(p.phone);
        FillPhone(p);
    } else {
        // With the files' times: the backup matches this phone.
        ASSERT_EQ(std::system(("cp -a '" + (g_template / "phone").string() + "' '" + dir.string() +
                               "/'").c_str()),
                  0);
    }
    Spit(p.local / "up.bin", kUpload);
    Spit(p.local / "keep.txt", "a local file no command may touch");
    fs::copy(g_backup, p.local / "backup", fs::copy_options::recursive);
    if (command.prepare) command.prepare(p);

    std::vector<std::string> emu{"--root", p.phone.string(), "--preset", "demo"};
    emu.insert(emu.end(), fault.emulator.begin(), fault.emulator.end());
    EmulatorProcess phone(emu);
    ASSERT_TRUE(phone.Started()) << phone.Error();

    const Snapshot phoneBefore = Take(p.phone);
    const Snapshot localBefore = Take(p.local);
    std::vector<std::string> args = command.args(p);
    args.insert(args.end(), {"--port", phone.TtyPath(), "-q"});
    if (fault.pims && std::string(command.name) != "identify" && std::string(command.name) != "java")
        args.push_back("--mode=pims");
    const CliRun r = RunCli(args, dir);
    phone.Stop();
    for (const auto& e : fs::directory_iterator(dir / "tmp"))
        ADD_FAILURE() << which << ": left in the temporary folder: " << e.path().filename();

    // Ends, by itself, within the deadline, with a code that names a cause.
    EXPECT_FALSE(r.hung) << which << ": still running after " << r.ms << " ms";
    EXPECT_LT(r.ms, kDeadlineMs) << which;
    EXPECT_GE(r.code, 0) << which << ": ended by a signal";
    auto it = fault.expect.find(command.name);
    const Outcome expected = it != fault.expect.end() ? it->second : fault.others;
    if (expected == Outcome::Succeed) EXPECT_EQ(r.code, 0) << which << "\n" << r.err;
    if (expected == Outcome::Fail)
        EXPECT_NE(r.code, 0) << which << ": a failure reported as success";
    if (r.code > 0 && !r.hung) {
        EXPECT_TRUE(r.code == 1 || r.code == 4 || r.code == 5) << which << ": code " << r.code
                                                               << "\n" << r.err;
        // verify and restore list their findings, file by file, on standard output.
        EXPECT_TRUE(r.err.find("q7k3fm-cli: ") != std::string::npos ||
                    ((std::string(command.name) == "verify" || std::string(command.name) == "restore") && !r.out.empty()))
            << which << ": no message (exit " << r.code << ")\n" << r.out;
    }

    const Snapshot phoneAfter = Take(p.phone);
    const Snapshot localAfter = Take(p.local);
    if (command.phoneChanges)
        command.phoneChanges(p, phoneBefore, phoneAfter, which);
    else
        SameBut(phoneBefore, phoneAfter, {}, nullptr, which, "phone");
    if (command.localChanges)
        command.localChanges(p, localBefore, localAfter, which);
    else
        SameBut(localBefore, localAfter, {}, nullptr, which, "local");
    std::error_code ec;
    fs::remove_all(dir, ec);
}

std::string CaseName(const ::testing::TestParamInfo<FaultMatrix::ParamType>& info) {
    return std::string(Commands()[std::get<0>(info.param)].name) + "_" +
           Faults()[std::get<1>(info.param)].name;
}

INSTANTIATE_TEST_SUITE_P(Matrix, FaultMatrix,
                         ::testing::Combine(::testing::Range<size_t>(0, 11),
                                            ::testing::Range<size_t>(0, 11)),
                         CaseName);

TEST(FaultMatrixTable, CoversEveryCommandAndFault) {
    EXPECT_EQ(Commands().size(), 11u);
    EXPECT_EQ(Faults().size(), 11u);
}

}  // namespace
