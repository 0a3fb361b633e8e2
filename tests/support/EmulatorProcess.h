#pragma once
// Runs the phone emulator q7k3fm-phone as a child process for integration tests:
//
//   q7k3::test::EmulatorProcess phone({"--model", "SGH-X600", "--preset", "demo"});
//   ASSERT_TRUE(phone.Started()) << phone.Error();
//   OpenPort(phone.TtyPath());
//
// The emulator's default content is an empty phone; "--preset demo" fills it, "--root DIR"
// keeps the files in DIR (one subdirectory per folder: user/sounds, mms/camera/image, ...).
// `q7k3fm-phone --help` lists the fault options. The destructor stops and reaps the child;
// the child also ends when the test process dies.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#ifndef Q7K3_BIN_DIR
#error "Q7K3_BIN_DIR must name the directory of the built programs"
#endif

namespace q7k3::test {

class EmulatorProcess {
public:
    explicit EmulatorProcess(const std::vector<std::string>& args = {}, int startTimeoutMs = 5000) {
        Launch(std::string(Q7K3_BIN_DIR) + "/q7k3fm-phone", args, startTimeoutMs);
    }
    ~EmulatorProcess() { Stop(); }
    EmulatorProcess(const EmulatorProcess&) = delete;
    EmulatorProcess& operator=(const EmulatorProcess&) = delete;

    bool Started() const { return !m_tty.empty() && m_pid > 0; }
    const std::string& TtyPath() const { return m_tty; }
    const std::string& Error() const { return m_error; }
    pid_t Pid() const { return m_pid; }

    // SIGTERM, then SIGKILL after timeoutMs; returns the exit status (-1 if killed or gone).
    int Stop(int timeoutMs = 3000) {
        if (m_pid <= 0) return m_exitStatus;
        kill(m_pid, SIGTERM);
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        int status = 0;
        for (;;) {
            const pid_t r = waitpid(m_pid, &status, WNOHANG);
            if (r == m_pid) {
                m_exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                break;
            }
            if (r < 0) {
                m_exitStatus = -1;
                break;
            }
            if (std::chrono::steady_clock::now() >= end) {
                kill(m_pid, SIGKILL);
                waitpid(m_pid, &status, 0);
                m_exitStatus = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        m_pid = -1;
        return m_exitStatus;
    }

private:
    void Launch(const std::string& program, const std::vector<std::string>& args, int timeoutMs) {
        std::vector<std::string> all{program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);

        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) {
            m_error = "pipe failed";
            return;
        }
        const pid_t parent = getpid();
        m_pid = fork();
        if (m_pid < 0) {
            m_error = "fork failed";
            close(out[0]);
            close(out[1]);
            return;
        }
        if (m_pid == 0) {
            // Only async-signal-safe calls between fork and exec.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent) _exit(127);
            dup2(out[1], STDOUT_FILENO);
            // Keep the test's own descriptors (other emulators' pipes, open ports) out of it.
            for (int fd = 3; fd < 1024; ++fd) close(fd);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);

        // The first line of its output is the terminal's path.
        std::string line;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (line.find('\n') == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  end - std::chrono::steady_clock::now())
                                  .count();
            pollfd p{out[0], POLLIN, 0};
            if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) {
                m_error = "q7k3fm-phone printed no terminal path in time";
                break;
            }
            char buf[256];
            const ssize_t n = read(out[0], buf, sizeof buf);
            if (n <= 0) {
                m_error = "q7k3fm-phone ended without printing a terminal path";
                break;
            }
            line.append(buf, static_cast<size_t>(n));
        }
        close(out[0]);
        const size_t nl = line.find('\n');
        if (nl == std::string::npos) {
            Stop(1000);
            return;
        }
        m_tty = line.substr(0, nl);
    }

    pid_t m_pid = -1;
    int m_exitStatus = -1;
    std::string m_tty;
    std::string m_error;
};

}  // namespace q7k3::test
