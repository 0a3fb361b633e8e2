#pragma once
// A serial device in memory, for unit tests of the driver and of whatever sits on it:
// the test queues the bytes "the phone sends", reads back what was written, limits the
// output queue and injects faults (refused open or settings, failing writes, no lines).

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "link/SerialDevice.h"

namespace q7k3 {

class MemorySerialDevice final : public SerialDevice {
public:
    // What the phone side has sent and the PC has not read yet.
    std::string input;
    // Everything the PC wrote.
    std::string written;
    // Bytes the output queue holds without draining; -1 means the output never backs up.
    int outputCapacity = -1;
    int outputQueued = 0;
    // Modem lines reported; linesReadable false makes the status unreadable.
    unsigned lines = kLineCts | kLineDsr | kLineCd;
    bool linesReadable = true;
    // Faults.
    bool refuseOpen = false;
    bool refuseSettings = false;
    bool refusePurge = false;
    long writeFailsAfter = -1;  // bytes after which every write fails (-1: never)
    bool vanished = false;      // the device has gone: reads nothing, writes fail

    // Record of what the driver asked for.
    std::string openedName;
    std::vector<LineSettings> applied;
    int opens = 0;
    int purgesIn = 0;
    int purgesOut = 0;
    int reads = 0;
    uint32_t inQueue = 0;
    uint32_t outQueue = 0;
    std::function<void(const std::string& bytes)> onWrite;

    bool Open(const std::string& name) override {
        if (m_open || refuseOpen) return false;
        m_open = true;
        openedName = name;
        ++opens;
        return true;
    }
    void Close() override { m_open = false; }
    bool IsOpen() const override { return m_open; }

    bool ApplyLineSettings(const LineSettings& settings) override {
        if (!m_open || refuseSettings) return false;
        applied.push_back(settings);
        return true;
    }
    bool SetQueueSizes(uint32_t in, uint32_t out) override {
        inQueue = in;
        outQueue = out;
        return m_open;
    }
    bool Purge(bool in, bool out) override {
        if (!m_open || refusePurge) return false;
        if (in) {
            input.clear();
            ++purgesIn;
        }
        if (out) {
            outputQueued = 0;
            ++purgesOut;
        }
        return true;
    }
    int64_t QueuedInput() override { return m_open ? static_cast<int64_t>(vanished ? 0 : input.size()) : -1; }
    int64_t QueuedOutput() override { return m_open ? outputQueued : -1; }
    bool GetModemLines(unsigned& out) override {
        out = 0;
        if (!m_open || !linesReadable || vanished) return false;
        out = lines;
        return true;
    }
    int64_t Read(void* buffer, size_t size) override {
        if (!m_open) return -1;
        ++reads;
        if (vanished) return 0;
        const size_t n = std::min(size, input.size());
        std::copy_n(input.data(), n, static_cast<char*>(buffer));
        input.erase(0, n);
        return static_cast<int64_t>(n);
    }
    int64_t Write(const void* data, size_t size) override {
        if (!m_open || vanished) return -1;
        if (writeFailsAfter >= 0 && static_cast<long>(written.size()) >= writeFailsAfter) {
            return -1;
        }
        size_t n = size;
        if (outputCapacity >= 0) {
            n = std::min<size_t>(n, static_cast<size_t>(std::max(outputCapacity - outputQueued, 0)));
            outputQueued += static_cast<int>(n);
        }
        const std::string bytes(static_cast<const char*>(data), n);
        written += bytes;
        if (onWrite && n > 0) onWrite(bytes);
        return static_cast<int64_t>(n);
    }
    bool Vanished() const override { return vanished; }

    // Lets `n` queued output bytes leave the "wire".
    void Drain(int n) { outputQueued = std::max(outputQueued - n, 0); }

private:
    bool m_open = false;
};

}  // namespace q7k3
