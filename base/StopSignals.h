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
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "base/TempDir.h"

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

// The bound of a close: once armed, the process ends (EndProcessNow) at the deadline, however
// far the close has come; the owner going first (main returning) disarms it. A step that must
// be whole before the end (the settings being written) is waited for a little longer.
// A local of main made before everything a stuck close could hang in, so that it outlives
// their destructors.
class ExitDeadline {
public:
    ExitDeadline() = default;
    ~ExitDeadline() {
        {
            const std::lock_guard lock(m_mutex);
            m_over = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable()) m_thread.join();
    }
    ExitDeadline(const ExitDeadline&) = delete;
    ExitDeadline& operator=(const ExitDeadline&) = delete;

    // Ends the process with `code` once `after` has passed, when `ready` is true by then (or
    // `grace` later at the most). Only the first call counts.
    void Arm(std::chrono::milliseconds after, int code, const std::atomic<bool>& ready,
             std::chrono::milliseconds grace) {
        const std::lock_guard lock(m_mutex);
        if (m_thread.joinable() || m_over) return;
        const auto end = std::chrono::steady_clock::now() + after;
        m_thread = std::thread([this, end, code, &ready, last = end + grace] {
            std::unique_lock held(m_mutex);
            if (m_wake.wait_until(held, end, [this] { return m_over; })) return;
            while (!ready.load() && std::chrono::steady_clock::now() < last) {
                const auto step = std::chrono::steady_clock::now() + std::chrono::milliseconds(10);
                if (m_wake.wait_until(held, step, [this] { return m_over; })) return;
            }
            EndProcessNow(code);
        });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_over = false;
    std::thread m_thread;
};

}  // namespace q7k3
