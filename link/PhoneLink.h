#pragma once
// The communication module: owns the serial port Port and the AT channel on it, for the
// whole run. Only one phone link exists at a time.

#include <cstdint>
#include <memory>
#include <vector>

#include "link/AtChannel.h"
#include "link/EventPump.h"
#include "link/SerialPort.h"

namespace q7k3 {

class PhoneLink {
public:
    // Without a port, Port is made on the system's serial device; without a pump the
    // waits sleep and process Qt events.
    explicit PhoneLink(std::unique_ptr<SerialPort> comm = nullptr, EventPump* pump = nullptr);
    ~PhoneLink();
    PhoneLink(const PhoneLink&) = delete;
    PhoneLink& operator=(const PhoneLink&) = delete;

    // The port's receive handler: hands every batch to the channel.
    void ReceiveData(SerialPort* sender, const void* data, uint32_t size);

private:
    std::unique_ptr<EventPump> m_ownPump;
    std::unique_ptr<SerialPort> m_comm;

public:
    SerialPort& Port;
    EventPump& Pump;
    AtChannel Channel;
    // No transfer buffer: both transfers stream, so no file size limit comes from one.
};

}  // namespace q7k3
