#include "app/cli/Terminal.h"

#include <unistd.h>

#include <cstdio>
#include <mutex>

#include "app/cli/Options.h"
#include "base/StopSignals.h"
#include "base/Messages.h"
#include "base/Text.h"

namespace q7k3::cli {
namespace {

std::atomic<bool> g_writing{false};
std::atomic<bool> g_interrupted{false};
// One progress line on the terminal at a time, drawn or not.
std::atomic<bool> g_lineDrawn{false};
std::mutex g_readingMutex;
std::string g_reading;

}  // namespace

void EndProgressLine() {
    if (!g_lineDrawn.exchange(false)) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
}

void DrawStatusLine(const std::string& text) {
    if (!isatty(STDERR_FILENO) || CurrentVerbosity() == Verbosity::Quiet) return;
    std::fprintf(stderr, "\r\033[K%s", Printable(text).c_str());
    std::fflush(stderr);
    g_lineDrawn = true;
}

ReadGuard::ReadGuard(const std::string& target) {
    const std::lock_guard lock(g_readingMutex);
    g_reading = target;
}
ReadGuard::~ReadGuard() {
    const std::lock_guard lock(g_readingMutex);
    g_reading.clear();
}

std::unique_ptr<StopSignalWatch> WatchInterrupts() {
    return std::make_unique<StopSignalWatch>([notice = "\nq7k3fm-cli: " +
                                                       Msg(kMsgCliInterrupted) + "\n"](int) {
        // Outside a write, or on a second interrupt: at once; a file being read is not saved.
        if (!g_writing.load() || g_interrupted.load()) {
            EndProgressLine();
            {
                const std::lock_guard lock(g_readingMutex);
                if (!g_reading.empty())
                    std::fprintf(stderr, "q7k3fm-cli: %s%s\n", Msg(kMsgCliNotSaved).c_str(),
                                 Printable(g_reading).c_str());
            }
            std::fflush(stderr);
            EndProcessNow(kExitInterrupted);
        }
        // The notice leaves the progress line with its own line break.
        g_lineDrawn = false;
        g_interrupted.store(true);
        if (write(STDERR_FILENO, notice.data(), notice.size()) < 0) {
            // Standard error is gone; the write ends all the same.
        }
    });
}

const StopSignal& InterruptSignal() {
    static const FlagSignal signal(g_interrupted);
    return signal;
}
bool Interrupted() {
    return g_interrupted.load();
}

WriteGuard::WriteGuard() {
    g_writing.store(true);
}
WriteGuard::~WriteGuard() {
    g_writing.store(false);
}

CliProgress::CliProgress()
    : m_enabled(isatty(STDERR_FILENO) && CurrentVerbosity() != Verbosity::Quiet),
      m_lastDraw(std::chrono::steady_clock::now()) {}

CliProgress::~CliProgress() {
    Clear();
}

void CliProgress::SetQuickStatus(const std::string& text) {
    // "Копирование файла NAME": the name is what matters on one line.
    const std::string& prefix = Msg(kMsgCopyingFile);
    m_file = text.rfind(prefix, 0) == 0 ? text.substr(prefix.size()) : text;
}

void CliProgress::SetMax(int bar, int max) {
    m_max[Index(bar)] = max;
    if (bar == 1) m_pos[0] = 0;
}

void CliProgress::SetPosition(int bar, int position) {
    m_pos[Index(bar)] = position;
}

void CliProgress::Step(int bar) {
    ++m_pos[Index(bar)];
}

void CliProgress::SetFileBytes(int64_t done, int64_t total, int64_t elapsedMs) {
    const bool first = !g_lineDrawn.load() || done == 0;
    m_done = done;
    m_total = total;
    m_elapsedMs = elapsedMs;
    // The line appears with the first block, then at most five times a second.
    if (done > 0) Draw(first || (total > 0 && done >= total));
}

void CliProgress::Draw(bool force) {
    if (!m_enabled) return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - m_lastDraw < std::chrono::milliseconds(200)) return;
    m_lastDraw = now;
    // "name  12 из 52 КБ 4.3 КБ/сек, осталось 0:09"; the total only when it is known.
    const std::string line = Printable(m_file) + "  " + TransferLine(m_done, m_total, m_elapsedMs);
    std::fprintf(stderr, "\r\033[K%s", line.c_str());
    std::fflush(stderr);
    g_lineDrawn = true;
}

void CliProgress::Clear() {
    EndProgressLine();
}

}  // namespace q7k3::cli
