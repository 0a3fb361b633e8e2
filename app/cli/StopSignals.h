#pragma once
// SIGTERM, SIGINT and SIGHUP as ordinary calls: a handler only passes the signal's number
// through a pipe that never blocks it, and a thread of its own reads it and calls back, free
// to do anything. The threads' signal masks stay as they are (a program started from here
// inherits its mask, so blocking the signals instead would leave children deaf to them), and
// a read or write cut by the handler is restarted.
//
// The watch is a local of main: the thread is joined when it goes, before main's other
// locals and the program's statics, so a late signal never finds them half destroyed. From
// then on the three signals are ignored: the program is ending of its own accord.

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <thread>

#include "ui/TempDir.h"

namespace q7k3 {

namespace stop_signals_detail {
inline int g_pipe[2] = {-1, -1};

extern "C" inline void PassOn(int sig) {
    const int saved = errno;
    const unsigned char b = static_cast<unsigned char>(sig);
    if (write(g_pipe[1], &b, 1) < 0) {
        // The pipe is full of earlier signals: this one changes nothing.
    }
    errno = saved;
}
}  // namespace stop_signals_detail

class StopSignalWatch {
public:
    // Calls onSignal(sig) on a thread of its own for every stop signal. One watch at a time,
    // made early in main.
    explicit StopSignalWatch(std::function<void(int)> onSignal) {
        using namespace stop_signals_detail;
        if (pipe2(g_pipe, O_CLOEXEC) != 0) return;
        // The handler's end never blocks; the thread's end waits for the next byte.
        fcntl(g_pipe[1], F_SETFL, fcntl(g_pipe[1], F_GETFL) | O_NONBLOCK);
        m_thread = std::thread([onSignal = std::move(onSignal)] {
            for (;;) {
                unsigned char b = 0;
                const ssize_t n = read(g_pipe[0], &b, 1);
                // A zero byte is the watch's own: it ends.
                if (n == 0 || (n == 1 && b == 0)) return;
                if (n == 1) onSignal(b);
            }
        });
        struct sigaction action = {};
        action.sa_handler = PassOn;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
    }
    ~StopSignalWatch() {
        using namespace stop_signals_detail;
        if (!m_thread.joinable()) return;
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        for (const int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &ignore, nullptr);
        const unsigned char end = 0;
        while (write(g_pipe[1], &end, 1) < 0 && (errno == EINTR || errno == EAGAIN)) {
            // A pipe full of signals empties as the thread reads it.
            std::this_thread::yield();
        }
        m_thread.join();
    }
    StopSignalWatch(const StopSignalWatch&) = delete;
    StopSignalWatch& operator=(const StopSignalWatch&) = delete;

private:
    std::thread m_thread;
};

// Removes the private temporary directory and the stray paths beside the user's files
// (whose destructors will not run) and ends the process at once; the port closes with it,
// which releases its lock.
[[noreturn]] inline void EndProcessNow(int code) {
    RemoveStrayPathsForGood();
    std::error_code ignored;
    const std::string& dir = PrivateTempDir();
    if (!dir.empty()) std::filesystem::remove_all(dir, ignored);
    _exit(code);
}

}  // namespace q7k3
