#pragma once
// Runs the built q7k3fm-cli with its arguments as given (no shell between) and collects
// its exit code and both outputs, for the tests of the command line.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace q7k3::test {

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// How often `what` stands in `text` (overlapping matches count).
inline size_t CountOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

struct CliResult {
    int code = -1;
    std::string out;
    std::string err;
};

inline CliResult RunCli(const std::vector<std::string>& args) {
    // Named by the test process: test programs run side by side share the temporary folder.
    const std::string stem = testing::TempDir() + "/cli-" + std::to_string(getpid());
    const std::string outPath = stem + ".out";
    const std::string errPath = stem + ".err";
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

}  // namespace q7k3::test
