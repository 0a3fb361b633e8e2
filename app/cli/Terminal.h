#pragma once
// What q7k3fm-cli does with the terminal: Ctrl+C, SIGTERM and SIGHUP, and the progress line
// on standard error.
//
// An interrupt outside a write ends the program at once with exit code 130 (a file being
// read is written through QSaveFile, which leaves nothing behind). During a write the phone
// waits for the rest of the announced file: the program then sends the remaining blocks
// spoiled, the phone's CRC check refuses the file, and only then does the program end with
// 130, so the next command finds the phone in step. A second interrupt ends it at once.
// Whenever it ends so, the private temporary directory is removed and the port released.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "base/StopSignals.h"
#include "base/Prompts.h"
#include "base/StopSignal.h"

namespace q7k3::cli {

// Watches Ctrl+C, SIGTERM and SIGHUP for as long as the watch lives: a local of main.
[[nodiscard]] std::unique_ptr<StopSignalWatch> WatchInterrupts();
// Raised once an interrupt came during a write.
const StopSignal& InterruptSignal();
bool Interrupted();

// Marks a write to the phone under way for as long as it lives.
class WriteGuard {
public:
    WriteGuard();
    ~WriteGuard();
    WriteGuard(const WriteGuard&) = delete;
    WriteGuard& operator=(const WriteGuard&) = delete;
};

// Names the local file a read from the phone is fetching, for as long as it lives: an
// interrupt that ends the program says that file was not saved.
class ReadGuard {
public:
    explicit ReadGuard(const std::string& target);
    ~ReadGuard();
    ReadGuard(const ReadGuard&) = delete;
    ReadGuard& operator=(const ReadGuard&) = delete;
};

// Draws one status line on standard error in place of the progress line (on a terminal,
// without -q).
void DrawStatusLine(const std::string& text);

// Ends the progress line drawn on standard error, so that the next message starts a line
// of its own.
void EndProgressLine();

// The progress of a transfer on standard error, while it is a terminal and -q was not
// given: file, bytes, rate and time left, redrawn on one line.
class CliProgress final : public ProgressView {
public:
    CliProgress();
    ~CliProgress() override;
    void Show() override {}
    void Hide() override { Clear(); }
    void SetCaption(const std::string&) override {}
    void SetQuickStatus(const std::string& text) override;
    void SetLongStatus(const std::string&) override {}
    void SetMax(int bar, int max) override;
    void SetPosition(int bar, int position) override;
    void Step(int bar) override;
    int Position(int bar) const override { return m_pos[Index(bar)]; }
    int Max(int bar) const override { return m_max[Index(bar)]; }
    void SetFileBytes(int64_t done, int64_t total, int64_t elapsedMs) override;
    // The file the next blocks belong to (the transfers' own status names it otherwise).
    void SetFile(const std::string& name) { m_file = name; }

private:
    static int Index(int bar) { return bar == 2 ? 1 : 0; }
    void Draw(bool force);
    void Clear();
    bool m_enabled;
    int m_max[2] = {0, 0};
    int m_pos[2] = {0, 0};
    std::string m_file;
    int64_t m_done = 0;
    int64_t m_total = 0;
    int64_t m_elapsedMs = 0;
    std::chrono::steady_clock::time_point m_lastDraw;
};

}  // namespace q7k3::cli
