#pragma once
// The serial ports the settings dialog offers: the kernel's serial ttys that have a real
// device behind them, plus the stored port when that path exists (a pseudo-terminal such as
// the emulator's). Each is offered only when it opens, so ports another program holds are
// left out.

#include <functional>
#include <string>
#include <vector>

namespace q7k3 {

// Where the enumeration looks; replaced in tests so that no real port is ever opened.
struct PortListSources {
    std::string SysClassTty = "/sys/class/tty";
    std::string DevDir = "/dev";
    // For a ttyS driven by serial8250: does a UART answer behind it? (The driver registers
    // ports that have no hardware; their type reads as unknown.) Null: ask the device.
    std::function<bool(const std::string& devicePath)> HasUart;
    // Opens the device for writing, exclusively, and closes it again. Null: ProbePort.
    std::function<bool(const std::string& devicePath)> Probe;
};

struct PortScan {
    std::vector<std::string> Ports;  // the ports that opened, in list order
    int Listed = 0;                  // serial devices found, whether they opened or not
};

// The serial devices the kernel knows, in list order, without opening any: the serial ttys
// that have a device behind them, then `storedPort` when it is a character device that is not
// listed already.
std::vector<std::string> ListSerialDevices(const std::string& storedPort,
                                           const PortListSources& sources = {});

// Lists the serial devices and probes each. `storedPort` (the "ComPort" setting) is added
// at the end when it exists and is not listed already.
PortScan ListSerialPorts(const std::string& storedPort, const PortListSources& sources = {});

// Opens `path` write-only without becoming its controlling terminal and without waiting for
// carrier, takes an exclusive lock without blocking, and closes it. True when both worked.
bool ProbePort(const std::string& path);

// True for the name of a tty of a serial family ("ttyUSB3", "ttyACM0", "ttyS1", "rfcomm0").
bool IsSerialTtyName(const std::string& name);

// TIOCGSERIAL: false when the driver reports no UART type for the port.
bool SerialHasUart(const std::string& path);

}  // namespace q7k3
