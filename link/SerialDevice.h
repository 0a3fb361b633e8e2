#pragma once
// The operating system's serial port, as small as the driver needs it: open a name
// exclusively, apply line settings, queue sizes, purge, queued bytes, modem lines,
// non-blocking read and write. SerialDevicePosix is the termios side; tests use the
// in-memory device of link/MemorySerialDevice.h.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace q7k3 {

// Modem status lines as GetModemLines reports them.
enum ModemLine : unsigned {
    kLineCts = 1u << 0,
    kLineDsr = 1u << 1,
    kLineRing = 1u << 2,
    kLineCd = 1u << 3,
};

// One complete line set-up, built by the driver from its properties.
struct LineSettings {
    uint32_t BaudRate = 9600;
    int DataBits = 8;      // 5..8
    int StopBits = 0;      // 0 one, 1 one and a half, 2 two
    int Parity = 0;        // 0 none, 1 odd, 2 even, 3 mark, 4 space
    bool RtsCts = false;   // hardware output flow on CTS, RTS as handshake
    bool XonXoff = false;  // software flow both ways (XON 0x11, XOFF 0x13)
    bool Dtr = false;      // DTR raised
    bool Rts = false;      // RTS raised (ignored with RtsCts: the line handshakes)
};

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Opens an existing device for reading and writing, exclusively. False when it is
    // absent, held by another program, not a serial device or not permitted.
    virtual bool Open(const std::string& name) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    virtual bool ApplyLineSettings(const LineSettings& settings) = 0;
    // Asks for input and output queue sizes; advisory where the system sizes its own.
    virtual bool SetQueueSizes(uint32_t input, uint32_t output) = 0;
    // Drops what waits in the chosen queues.
    virtual bool Purge(bool input, bool output) = 0;

    // Bytes waiting to be read / still to be sent; -1 when that cannot be told.
    virtual int64_t QueuedInput() = 0;
    virtual int64_t QueuedOutput() = 0;
    // ModemLine bits; false when the status cannot be read.
    virtual bool GetModemLines(unsigned& lines) = 0;

    // Never blocks. Returns the bytes read (0: nothing there), -1 on a failure. A device
    // that has gone away reads as nothing.
    virtual int64_t Read(void* buffer, size_t size) = 0;
    // Never blocks. Returns the bytes accepted (0: no room now), -1 on a failure.
    virtual int64_t Write(const void* data, size_t size) = 0;

    // A descriptor that turns readable when data arrives, for a read notifier; -1 if none.
    virtual int NativeHandle() const { return -1; }
    // True once the device has been found gone (cable pulled, hang-up).
    virtual bool Vanished() const { return false; }
};

// The platform's device (termios on POSIX).
std::unique_ptr<SerialDevice> MakeSystemSerialDevice();

}  // namespace q7k3
