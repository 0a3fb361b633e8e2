#pragma once
// The protocol trace: every byte between the program and the phone, both ways, written as
// text for a bug report. One line per piece of a read or write: the time of day to the
// millisecond, ">" for bytes to the phone or "<" for bytes from it, and the bytes with
// control bytes escaped (\r, \n, \t, \\, \xNN). Data blocks are written in full, broken into
// lines after each line feed and every 64 bytes. Lines starting "#" are the program's own
// notes (port opened, line settings, closed).
//
// The file is bounded: past its size limit it is renamed to FILE.1 (replacing an older one)
// and a new FILE begins, so a trace never takes more than twice the limit.
//
// A TracingSerialDevice writes the trace of the device it wraps; the system's serial device
// is always made with one over ProcessTrace(), which costs a flag test while the trace is
// off.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "link/SerialDevice.h"

namespace q7k3 {

enum class TraceDirection { ToPhone, FromPhone };

class ProtocolTrace {
public:
    // 8 MiB per file: some hours of a busy link.
    static constexpr uint64_t kDefaultLimit = 8u << 20;

    ProtocolTrace() = default;
    ~ProtocolTrace();
    ProtocolTrace(const ProtocolTrace&) = delete;
    ProtocolTrace& operator=(const ProtocolTrace&) = delete;

    // Starts a trace in `path` (created, or appended to) with a header line. False when the
    // file cannot be written; `error` then tells why.
    bool Start(const std::string& path, uint64_t limit = kDefaultLimit,
               std::string* error = nullptr);
    void Stop();
    bool Active() const { return m_file != nullptr; }
    const std::string& Path() const { return m_path; }

    // A "#" line of the program's own.
    void Note(std::string_view text);
    // Bytes that went to the phone or came from it.
    void Record(TraceDirection direction, const void* data, size_t size);

    // For the window: the trace follows `*flag`, taking effect when a port is opened
    // (Sync): on, it writes to `path`; off, a trace started this way stops.
    void Follow(const bool* flag, std::string path);
    void Sync();

    // The time of day in ms since midnight, local time (tests fix it).
    void SetClock(std::function<int64_t()> msOfDay) { m_clock = std::move(msOfDay); }

private:
    bool OpenFile(const char* mode, std::string* error);
    void WriteLine(std::string_view stampAndDirection, std::string_view text);
    void RotateIfFull();
    std::string Stamp() const;

    std::FILE* m_file = nullptr;
    std::string m_path;
    uint64_t m_limit = kDefaultLimit;
    uint64_t m_written = 0;
    const bool* m_follow = nullptr;
    std::string m_followPath;
    bool m_startedByFollow = false;
    std::function<int64_t()> m_clock;
    std::string m_line;  // reused for every line
};

// The one trace of the process (the CLI's --trace, the window's switch).
ProtocolTrace& ProcessTrace();

// Where the window writes its trace: $XDG_STATE_HOME/Q7K3FileManager/q7k3fm-trace.txt
// (~/.local/state when unset).
std::string DefaultTracePath();

// Appends `bytes` to `out` with control bytes escaped; Latin and Cyrillic letters in UTF-8
// stay as they are, every other byte above 0x7e is escaped.
void AppendEscaped(std::string& out, std::string_view bytes);

class TracingSerialDevice final : public SerialDevice {
public:
    TracingSerialDevice(std::unique_ptr<SerialDevice> inner, ProtocolTrace& trace);

    bool Open(const std::string& name) override;
    void Close() override;
    bool IsOpen() const override { return m_inner->IsOpen(); }
    bool ApplyLineSettings(const LineSettings& settings) override;
    bool SetQueueSizes(uint32_t input, uint32_t output) override {
        return m_inner->SetQueueSizes(input, output);
    }
    bool Purge(bool input, bool output) override { return m_inner->Purge(input, output); }
    int64_t QueuedInput() override { return m_inner->QueuedInput(); }
    int64_t QueuedOutput() override { return m_inner->QueuedOutput(); }
    bool GetModemLines(unsigned& lines) override { return m_inner->GetModemLines(lines); }
    int64_t Read(void* buffer, size_t size) override;
    int64_t Write(const void* data, size_t size) override;
    int NativeHandle() const override { return m_inner->NativeHandle(); }
    bool Vanished() const override { return m_inner->Vanished(); }

private:
    std::unique_ptr<SerialDevice> m_inner;
    ProtocolTrace& m_trace;
    bool m_vanishNoted = false;
};

}  // namespace q7k3
