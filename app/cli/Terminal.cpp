#include "app/cli/Terminal.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "app/cli/Options.h"
#include "app/cli/StopSignals.h"
#include "ui/Messages.h"

namespace q7k3::cli {
namespace {

std::atomic<bool> g_writing{false};
std::atomic<bool> g_interrupted{false};

constexpr int kBlockBytes = 512;

}  // namespace

std::unique_ptr<StopSignalWatch> WatchInterrupts() {
    return std::make_unique<StopSignalWatch>([notice = "\nq7k3fm-cli: " +
                                                       Msg(kMsgCliInterrupted) + "\n"](int) {
        // Outside a write, or on a second interrupt: at once.
        if (!g_writing.load() || g_interrupted.load()) EndProcessNow(kExitInterrupted);
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
      m_start(std::chrono::steady_clock::now()),
      m_lastDraw(m_start) {}

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
    if (bar == 1) {
        m_pos[0] = 0;
        m_start = std::chrono::steady_clock::now();
    }
}

void CliProgress::SetPosition(int bar, int position) {
    m_pos[Index(bar)] = position;
}

void CliProgress::Step(int bar) {
    ++m_pos[Index(bar)];
    // The line appears with the first block, then at most five times a second.
    if (bar == 1) Draw(m_pos[0] >= m_max[0] || !m_drawn);
}

void CliProgress::Draw(bool force) {
    if (!m_enabled) return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - m_lastDraw < std::chrono::milliseconds(200)) return;
    m_lastDraw = now;
    const double seconds = std::chrono::duration<double>(now - m_start).count();
    const long done = static_cast<long>(m_pos[0]) * kBlockBytes;
    const long total = static_cast<long>(m_max[0]) * kBlockBytes;
    const double rate = seconds > 0.1 ? done / seconds : 0;
    // "name  12 из 52 КБ  4.3 КБ/сек, осталось 0:09"; the total only when it is known.
    std::string line = Printable(m_file) + "  " + std::to_string(done / 1024);
    if (total > 0) line += Msg(kMsgOf) + std::to_string((total + 1023) / 1024);
    line += Msg(kMsgKilobytes);
    if (rate > 0) {
        char speed[32];
        std::snprintf(speed, sizeof speed, "  %.1f ", rate / 1024);
        line += speed + Msg(kMsgSpeedUnit);
        if (total > done) {
            const long left = std::lround((total - done) / rate);
            line += Msg(kMsgTimeLeft) + std::to_string(left / 60) + (left % 60 < 10 ? ":0" : ":") +
                    std::to_string(left % 60);
        }
    }
    std::fprintf(stderr, "\r\033[K%s", line.c_str());
    std::fflush(stderr);
    m_drawn = true;
}

void CliProgress::Clear() {
    if (!m_drawn) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    m_drawn = false;
}

}  // namespace q7k3::cli
