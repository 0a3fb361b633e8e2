// put (also with a second phone of the same model connected next), rename (with and without
// room for a second copy), convert, restore, get and backup of q7k3fm-cli ended by SIGTERM or
// SIGKILL at random moments.
// After each run and the next connection (which finishes what a killed run left), every
// user file must be whole under its own name, old or new, on the phone and the computer;
// after SIGTERM no temporary file of the program may be left anywhere.
//
// The moments come from a seeded generator: Q7K3_KILL_SEED=N repeats a failure that a run
// reports. One ctest entry per command, so that they run side by side.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <random>
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

constexpr int kRuns = 20;  // per command and signal
constexpr int kDeadlineMs = 60000;

using q7k3::test::ReadAll;
using q7k3::test::Spit;

// Distinct bytes for each (size, seed), with line ends and quotes among them.
std::string Bytes(size_t size, char seed) {
    std::string out;
    for (size_t i = 0; out.size() < size; ++i)
        out += static_cast<char>((i * 31 + static_cast<size_t>(seed) * 7) % 251);
    return out;
}

// The names in `dir` (not below it), hidden ones too; none when it does not exist.
std::set<std::string> Names(const fs::path& dir) {
    std::set<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec)) out.insert(e.path().filename().string());
    return out;
}

// The files of a phone folder; the phone's own temporary files of a write under way are
// no user's.
std::set<std::string> PhoneNames(const fs::path& dir) {
    std::set<std::string> out;
    for (const std::string& n : Names(dir))
        if (n.rfind(".incoming-", 0) != 0 && fs::is_regular_file(dir / n)) out.insert(n);
    return out;
}

struct Scratch {
    fs::path root;
    fs::path Phone() const { return root / "phone"; }
    fs::path Local() const { return root / "local"; }
    fs::path Tmp() const { return root / "tmp"; }
    fs::path Data() const { return root / "home/data"; }
    fs::path OtherPhone() const { return root / "phone2"; }
};

// Starts q7k3fm-cli with its own home, data and temporary folders; after `killAfterMs`
// (negative: never) sends `sig`. Returns the exit code, -1 after a signal or the deadline.
int RunCli(const std::vector<std::string>& args, const Scratch& s, int killAfterMs = -1,
           int sig = SIGTERM) {
    q7k3::test::IsolatedCli cli(args, s.root);
    const std::string log = (s.root / "cli.log").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    pid_t pid = -1;
    int code = -1;
    if (posix_spawn(&pid, cli.Argv[0], &actions, nullptr, cli.Argv.data(), cli.Envp.data()) == 0) {
        const auto start = Clock::now();
        bool sent = false;
        int status = 0;
        for (;;) {
            if (waitpid(pid, &status, WNOHANG) == pid) break;
            const auto ms =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
            if (!sent && killAfterMs >= 0 && ms >= killAfterMs) {
                kill(pid, sig);
                sent = true;
            }
            if (ms > kDeadlineMs) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (WIFEXITED(status)) code = WEXITSTATUS(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    return code;
}

// The phone as files in a folder of the scratch, served by an emulator while one lives. Its
// serial number comes from its folder: another folder is another phone of the same model.
struct Phone {
    explicit Phone(const Scratch& s, const std::vector<std::string>& more = {})
        : Phone(s.Phone(), more) {}
    explicit Phone(const fs::path& root, const std::vector<std::string>& more = {})
        : emu(Args(root, more)) {}
    static std::vector<std::string> Args(const fs::path& root, std::vector<std::string> more) {
        more.insert(more.begin(), {"--root", root.string(), "--baud", "230400", "--latency", "2"});
        return more;
    }
    std::vector<std::string> Port() const { return {"--port", emu.TtyPath()}; }
    EmulatorProcess emu;
};

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// One command under test: how its scene is laid, how it is run, and what must hold after.
struct Scene {
    const char* name;
    std::function<void(const Scratch&)> lay;  // the phone's and the computer's files
    std::function<std::vector<std::string>(const Scratch&)> args;
    // What must hold after the run and the next connection; `clean`: no temporary file
    // may be left (SIGTERM, or no signal at all).
    std::function<void(const Scratch&, bool clean)> check;
    // What else happens between the killed run and the next connection, if anything.
    std::function<void(const Scratch&)> between = nullptr;
    std::vector<std::string> phone = {};  // more options of the emulator
    bool phoneless = false;               // a local command: no phone, no next connection
};

const std::string kOld1 = Bytes(5000, 1), kOld2 = Bytes(3000, 2);
const std::string kNew1 = Bytes(7000, 3), kNew2 = Bytes(2500, 4), kNew3 = Bytes(4000, 5);
const std::string kLocal = Bytes(1000, 6), kKeep = "keep me", kOther = Bytes(6000, 7);

// Whether `bytes` is one of `allowed` (an empty string: absent).
::testing::AssertionResult OneOf(const std::string& what, const std::optional<std::string>& bytes,
                                 std::initializer_list<const std::string*> allowed) {
    for (const std::string* a : allowed) {
        if (!a && !bytes) return ::testing::AssertionSuccess();
        if (a && bytes && *a == *bytes) return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << what
           << (bytes ? " holds " + std::to_string(bytes->size()) + " other bytes" : " is gone");
}

std::optional<std::string> Read(const fs::path& path) {
    if (!fs::is_regular_file(path)) return std::nullopt;
    return ReadAll(path);
}

void NoTemporaries(const Scratch& s) {
    // The private folder of every run is gone, and so is every record of a replacement.
    EXPECT_TRUE(Names(s.Tmp()).empty());
    for (const std::string& left : Names(s.Data() / "Q7K3FileManager/Unfinished"))
        ADD_FAILURE() << "left in Unfinished: " << left;
}

void LayBackup(const Scratch& s, const fs::path& dir) {
    // A backup of the old phone, made once and copied for every run.
    static std::map<std::string, fs::path> made;
    const fs::path& tmpl = made[s.root.parent_path().string()];
    if (tmpl.empty()) {
        const fs::path t = s.root.parent_path() / "backup-template";
        fs::remove_all(t);
        fs::remove_all(s.Phone());
        Spit(s.Phone() / "user/a.bin", kOld1);
        Spit(s.Phone() / "user/b.bin", kOld2);
        Phone phone(s);
        EXPECT_EQ(RunCli(With({"backup", t.string()}, phone.Port()), s), 0)
            << ReadAll(s.root / "cli.log");
        made[s.root.parent_path().string()] = t;
    }
    fs::remove_all(dir);
    fs::copy(made[s.root.parent_path().string()], dir, fs::copy_options::recursive);
}

void LayRename(const Scratch& s) {
    Spit(s.Phone() / "user/a.bin", kOld1);
    Spit(s.Phone() / "user/keep.txt", kKeep);
}

// The file under one name, old or new, never both and never neither; the record of the step
// is gone once the next connection has finished it.
void CheckRename(const Scratch& s, bool clean) {
    const std::set<std::string> names = PhoneNames(s.Phone() / "user");
    EXPECT_TRUE(names == (std::set<std::string>{"a.bin", "keep.txt"}) ||
                names == (std::set<std::string>{"b.bin", "keep.txt"}))
        << names.size() << " names";
    for (const char* n : {"a.bin", "b.bin"})
        if (names.count(n)) EXPECT_EQ(Read(s.Phone() / "user" / n), kOld1) << n;
    EXPECT_EQ(Read(s.Phone() / "user/keep.txt"), kKeep);
    for (const std::string& left : Names(s.Data() / "Q7K3FileManager/Unfinished"))
        ADD_FAILURE() << "left in Unfinished: " << left;
    if (clean) NoTemporaries(s);
}

const std::vector<Scene>& Scenes() {
    static const std::vector<Scene> scenes = {
        {"put",
         [](const Scratch& s) {
             Spit(s.Phone() / "user/a.bin", kOld1);
             Spit(s.Phone() / "user/keep.txt", kKeep);
             Spit(s.Local() / "a.bin", kNew1);
         },
         [](const Scratch& s) {
             return std::vector<std::string>{"put", "--overwrite", (s.Local() / "a.bin").string(),
                                             "User"};
         },
         [](const Scratch& s, bool clean) {
             EXPECT_EQ(PhoneNames(s.Phone() / "user"),
                       (std::set<std::string>{"a.bin", "keep.txt"}));
             EXPECT_TRUE(OneOf("phone a.bin", Read(s.Phone() / "user/a.bin"), {&kOld1, &kNew1}));
             EXPECT_EQ(Read(s.Phone() / "user/keep.txt"), kKeep);
             EXPECT_EQ(Read(s.Local() / "a.bin"), kNew1);
             EXPECT_EQ(Names(s.Local()), std::set<std::string>{"a.bin"});
             if (clean) NoTemporaries(s);
         }},
        {"put_two_phones",
         // Another phone of the same model, with a file of the same name, is connected
         // first: what the killed run left is none of its business.
         [](const Scratch& s) {
             Spit(s.Phone() / "user/a.bin", kOld1);
             Spit(s.OtherPhone() / "user/a.bin", kOther);
             Spit(s.Local() / "a.bin", kNew1);
         },
         [](const Scratch& s) {
             return std::vector<std::string>{"put", "--overwrite", (s.Local() / "a.bin").string(),
                                             "User"};
         },
         [](const Scratch& s, bool clean) {
             EXPECT_EQ(PhoneNames(s.Phone() / "user"), std::set<std::string>{"a.bin"});
             EXPECT_TRUE(OneOf("phone a.bin", Read(s.Phone() / "user/a.bin"), {&kOld1, &kNew1}));
             EXPECT_EQ(PhoneNames(s.OtherPhone() / "user"), std::set<std::string>{"a.bin"});
             EXPECT_EQ(Read(s.OtherPhone() / "user/a.bin"), kOther);
             if (clean) NoTemporaries(s);
         },
         [](const Scratch& s) {
             Phone other(s.OtherPhone());
             EXPECT_EQ(RunCli(With({"ls", "User"}, other.Port()), s), 0)
                 << ReadAll(s.root / "cli.log");
             EXPECT_EQ(PhoneNames(s.OtherPhone() / "user"), std::set<std::string>{"a.bin"});
             EXPECT_EQ(Read(s.OtherPhone() / "user/a.bin"), kOther);
         }},
        {"rename",
         [](const Scratch& s) { LayRename(s); },
         [](const Scratch&) { return std::vector<std::string>{"rename", "User/a.bin", "b.bin"}; },
         CheckRename},
        // No room for a second copy (a.bin and keep.txt fill the phone): the file waits on
        // the computer while the phone has it under neither name.
        {"rename_full",
         [](const Scratch& s) { LayRename(s); },
         [](const Scratch&) { return std::vector<std::string>{"rename", "User/a.bin", "b.bin"}; },
         CheckRename, nullptr, {"--capacity", "32"}},
        // A melody rendered over an existing WAV: the old file or the whole new one.
        {"convert",
         [](const Scratch& s) {
             Spit(s.Local() / "in.mmf", ReadAll(fs::path(Q7K3_SOURCE_DIR) /
                                                "tests/data/media/dlunch_midi.mmf"));
             Spit(s.Local() / "out.wav", kLocal);
         },
         [](const Scratch& s) {
             return std::vector<std::string>{"convert", "mmf2wav", (s.Local() / "in.mmf").string(),
                                             (s.Local() / "out.wav").string(), "--force", "-q"};
         },
         [](const Scratch& s, bool clean) {
             static const std::string rendered = [&] {
                 const fs::path whole = s.root.parent_path() / "whole.wav";
                 EXPECT_EQ(RunCli({"convert", "mmf2wav", (s.Local() / "in.mmf").string(),
                                   whole.string(), "--force", "-q"},
                                  s),
                           0);
                 return ReadAll(whole);
             }();
             EXPECT_TRUE(OneOf("out.wav", Read(s.Local() / "out.wav"), {&kLocal, &rendered}));
             for (const std::string& n : Names(s.Local())) {
                 if (n != "in.mmf" && n != "out.wav")
                     EXPECT_TRUE(!clean && n.rfind(".q7k3fm-", 0) == 0) << n;
             }
             if (clean)
                 for (const std::string& n : Names(s.Tmp())) ADD_FAILURE() << "left: " << n;
         },
         nullptr, {}, true},
        {"restore",
         [](const Scratch& s) {
             LayBackup(s, s.Local() / "backup");
             Spit(s.Phone() / "user/a.bin", kNew1);
             Spit(s.Phone() / "user/b.bin", kNew2);
         },
         [](const Scratch& s) {
             return std::vector<std::string>{"restore", "--overwrite",
                                             (s.Local() / "backup").string()};
         },
         [](const Scratch& s, bool clean) {
             EXPECT_EQ(PhoneNames(s.Phone() / "user"), (std::set<std::string>{"a.bin", "b.bin"}));
             EXPECT_TRUE(OneOf("phone a.bin", Read(s.Phone() / "user/a.bin"), {&kOld1, &kNew1}));
             EXPECT_TRUE(OneOf("phone b.bin", Read(s.Phone() / "user/b.bin"), {&kOld2, &kNew2}));
             EXPECT_EQ(Read(s.Local() / "backup/E700/User/a.bin"), kOld1);
             EXPECT_EQ(Read(s.Local() / "backup/E700/User/b.bin"), kOld2);
             if (clean) NoTemporaries(s);
         }},
        {"get",
         [](const Scratch& s) {
             Spit(s.Phone() / "user/a.bin", kNew1);
             Spit(s.Phone() / "user/b.bin", kNew2);
             Spit(s.Local() / "a.bin", kLocal);
         },
         [](const Scratch& s) {
             return std::vector<std::string>{"get", "--force", "User/a.bin", "User/b.bin",
                                             s.Local().string()};
         },
         [](const Scratch& s, bool clean) {
             EXPECT_TRUE(OneOf("local a.bin", Read(s.Local() / "a.bin"), {&kLocal, &kNew1}));
             EXPECT_TRUE(OneOf("local b.bin", Read(s.Local() / "b.bin"), {nullptr, &kNew2}));
             for (const std::string& n : Names(s.Local())) {
                 // After SIGKILL only the program's own hidden names may be left beside them.
                 if (n != "a.bin" && n != "b.bin")
                     EXPECT_TRUE(!clean && n.rfind(".q7k3fm-", 0) == 0) << n;
             }
             EXPECT_EQ(PhoneNames(s.Phone() / "user"), (std::set<std::string>{"a.bin", "b.bin"}));
             if (clean) NoTemporaries(s);
         }},
        {"backup",
         [](const Scratch& s) {
             LayBackup(s, s.Local() / "backup");
             Spit(s.Phone() / "user/a.bin", kNew1);
             Spit(s.Phone() / "user/b.bin", kNew2);
             Spit(s.Phone() / "user/c.bin", kNew3);
         },
         [](const Scratch& s) {
             return std::vector<std::string>{"backup", (s.Local() / "backup").string()};
         },
         [](const Scratch& s, bool clean) {
             const fs::path copies = s.Local() / "backup/E700/User";
             EXPECT_TRUE(OneOf("copy a.bin", Read(copies / "a.bin"), {&kOld1, &kNew1}));
             EXPECT_TRUE(OneOf("copy b.bin", Read(copies / "b.bin"), {&kOld2, &kNew2}));
             EXPECT_TRUE(OneOf("copy c.bin", Read(copies / "c.bin"), {nullptr, &kNew3}));
             for (const std::string& n : Names(copies)) {
                 if (n != "a.bin" && n != "b.bin" && n != "c.bin")
                     EXPECT_TRUE(!clean && n.rfind(".q7k3fm-", 0) == 0) << n;
             }
             // The manifest is whole: a backup run to its end completes the copy.
             Phone phone(s);
             EXPECT_EQ(RunCli(With({"backup", (s.Local() / "backup").string()}, phone.Port()), s),
                       0);
             EXPECT_EQ(Read(copies / "c.bin"), kNew3);
             if (clean) NoTemporaries(s);
         }},
    };
    return scenes;
}

uint32_t Seed() {
    const char* text = std::getenv("Q7K3_KILL_SEED");
    return text ? static_cast<uint32_t>(std::strtoul(text, nullptr, 10)) : 23u;
}

class KillSignal : public ::testing::TestWithParam<size_t> {};

TEST_P(KillSignal, EveryUserFileStaysWholeUnderItsOwnName) {
    const Scene& scene = Scenes()[GetParam()];
    const fs::path base = fs::temp_directory_path() /
                          ("q7k3-kill-" + std::string(scene.name) + "-" + std::to_string(getpid()));
    fs::remove_all(base);
    Scratch s{base / "run"};
    const auto fresh = [&] {
        fs::remove_all(s.root);
        fs::create_directories(s.Local());
        scene.lay(s);
    };

    // Undisturbed first: how long the command takes sets the range of the moments.
    fresh();
    int64_t fullMs = 0;
    {
        std::optional<Phone> phone;
        if (!scene.phoneless) phone.emplace(s, scene.phone);
        ASSERT_TRUE(!phone || phone->emu.Started()) << phone->emu.Error();
        const auto start = Clock::now();
        ASSERT_EQ(RunCli(With(scene.args(s), phone ? phone->Port() : std::vector<std::string>{}), s),
                  0)
            << ReadAll(s.root / "cli.log");
        fullMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    }
    scene.check(s, true);

    std::mt19937 random(Seed() + static_cast<uint32_t>(GetParam()));
    for (const int sig : {SIGTERM, SIGKILL}) {
        for (int run = 0; run < kRuns; ++run) {
            const int at = std::uniform_int_distribution<int>(0, static_cast<int>(fullMs))(random);
            SCOPED_TRACE(std::string(scene.name) + (sig == SIGTERM ? " SIGTERM" : " SIGKILL") +
                         " run " + std::to_string(run) + " at " + std::to_string(at) + " ms of " +
                         std::to_string(fullMs) + " (Q7K3_KILL_SEED=" + std::to_string(Seed()) +
                         ")");
            fresh();
            {
                std::optional<Phone> phone;
                if (!scene.phoneless) phone.emplace(s, scene.phone);
                ASSERT_TRUE(!phone || phone->emu.Started()) << phone->emu.Error();
                const int code = RunCli(
                    With(scene.args(s), phone ? phone->Port() : std::vector<std::string>{}), s, at,
                    sig);
                // Before its handlers are in place the program simply ends by the signal.
                if (sig == SIGTERM) EXPECT_TRUE(code == 0 || code == 130 || code == -1) << code;
            }
            if (scene.between) scene.between(s);
            // The next connection finishes what the killed run left.
            if (!scene.phoneless) {
                Phone phone(s, scene.phone);
                EXPECT_EQ(RunCli(With({"ls", "User"}, phone.Port()), s), 0)
                    << ReadAll(s.root / "cli.log");
            }
            scene.check(s, sig == SIGTERM);
            if (HasFailure()) {
                ADD_FAILURE() << ReadAll(s.root / "cli.log");
                fs::remove_all(base);
                return;
            }
        }
    }
    fs::remove_all(base);
}

INSTANTIATE_TEST_SUITE_P(Commands, KillSignal, ::testing::Range<size_t>(0, Scenes().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             return std::string(Scenes()[info.param].name);
                         });

}  // namespace
