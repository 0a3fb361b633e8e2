#pragma once
// The serial device on termios: exclusive open (flock + TIOCEXCL), raw mode, any rate
// the kernel allows, DTR/RTS, queue counts and modem lines by ioctl.

#include <cstdint>
#include <string>

#include "link/SerialDevice.h"

namespace q7k3 {

class SerialDevicePosix final : public SerialDevice {
public:
    SerialDevicePosix() = default;
    ~SerialDevicePosix() override;
    SerialDevicePosix(const SerialDevicePosix&) = delete;
    SerialDevicePosix& operator=(const SerialDevicePosix&) = delete;

    bool Open(const std::string& name) override;
    void Close() override;
    bool IsOpen() const override { return m_fd >= 0; }

    bool ApplyLineSettings(const LineSettings& settings) override;
    bool SetQueueSizes(uint32_t input, uint32_t output) override;
    bool Purge(bool input, bool output) override;
    int64_t QueuedInput() override;
    int64_t QueuedOutput() override;
    bool GetModemLines(unsigned& lines) override;
    int64_t Read(void* buffer, size_t size) override;
    int64_t Write(const void* data, size_t size) override;
    int NativeHandle() const override { return m_fd; }
    bool Vanished() const override { return m_vanished; }

private:
    // Raises or drops one modem-control line; a device without such lines ignores it.
    void SetLine(int bit, bool on);
    void NoteErrno(int error);

    int m_fd = -1;
    bool m_vanished = false;
};

namespace detail {
// Sets a rate that has no Bnnn constant (128000, 230400 on some systems, ...) on an
// open descriptor whose other settings are already applied. False where impossible.
bool SetArbitraryRate(int fd, uint32_t rate);
}  // namespace detail

}  // namespace q7k3
