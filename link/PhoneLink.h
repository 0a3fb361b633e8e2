#pragma once
// The phone link: the serial port, the clock its waits block on, and the AT channel over
// them. One link talks to one phone, from one thread at a time: the window's session runs it
// on its link thread, the command line on its main thread, the phone search on a thread per
// port.

#include <cstdint>
#include <functional>
#include <memory>

#include "link/AtChannel.h"
#include "link/LinkClock.h"
#include "link/SerialPort.h"

namespace q7k3 {

class PhoneLink {
public:
    // Without a port, Port is made on the system's serial device; without a clock the waits
    // block on the port's descriptor (PortClock).
    explicit PhoneLink(std::unique_ptr<SerialPort> port = nullptr, LinkClock* clock = nullptr);
    ~PhoneLink();
    PhoneLink(const PhoneLink&) = delete;
    PhoneLink& operator=(const PhoneLink&) = delete;

private:
    std::unique_ptr<SerialPort> m_port;
    std::unique_ptr<LinkClock> m_ownClock;

public:
    SerialPort& Port;
    LinkClock& Clock;
    AtChannel Channel;
    // Told, before the first command, while the phone is still waiting for the data of a
    // write cut short (CutTransfer.h): the milliseconds left and the whole wait.
    std::function<void(int64_t leftMs, int64_t totalMs)> OnCutTransferWait;
    // No transfer buffer: both transfers stream, so no file size limit comes from one.
};

}  // namespace q7k3
