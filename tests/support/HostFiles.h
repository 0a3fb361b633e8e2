#pragma once
// Whole files of the computer, read and written as bytes, and q7k3fm-cli started in folders
// of its own (for the tests that run the command line against the emulator and look at what
// it left).

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/CliRun.h"  // ReadAll: a whole file's bytes

namespace q7k3::test {

// Writes `bytes` as the whole file, making the folders on its way.
inline void Spit(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// The command line and environment of a q7k3fm-cli run whose home, settings, data and
// temporary folders are below `root` (root/home, root/home/config, root/home/data,
// root/tmp; made here): the caller's environment without HOME, XDG_*, TMPDIR and Q7K3FM_*.
// argv and envp point into the strings and are ready for posix_spawn.
struct IsolatedCli {
    std::vector<std::string> Args, Env;
    std::vector<char*> Argv, Envp;

    IsolatedCli(const std::vector<std::string>& args, const std::filesystem::path& root) {
        Args.push_back(std::string(Q7K3_BIN_DIR) + "/q7k3fm-cli");
        Args.insert(Args.end(), args.begin(), args.end());
        for (char** e = environ; *e; ++e) {
            const std::string kv = *e;
            if (kv.rfind("HOME=", 0) != 0 && kv.rfind("XDG_", 0) != 0 &&
                kv.rfind("TMPDIR=", 0) != 0 && kv.rfind("Q7K3FM_", 0) != 0)
                Env.push_back(kv);
        }
        for (const char* sub : {"home", "tmp"}) std::filesystem::create_directories(root / sub);
        Env.push_back("HOME=" + (root / "home").string());
        Env.push_back("XDG_CONFIG_HOME=" + (root / "home/config").string());
        Env.push_back("XDG_DATA_HOME=" + (root / "home/data").string());
        Env.push_back("TMPDIR=" + (root / "tmp").string());
        for (auto& a : Args) Argv.push_back(a.data());
        Argv.push_back(nullptr);
        for (auto& kv : Env) Envp.push_back(kv.data());
        Envp.push_back(nullptr);
    }
    IsolatedCli(const IsolatedCli&) = delete;
    IsolatedCli& operator=(const IsolatedCli&) = delete;
};

}  // namespace q7k3::test
