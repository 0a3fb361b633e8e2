#pragma once
// The communication module: owns the serial port Comm321 and the AT channel on it, for the
// whole run. Only one phone link exists at a time.

#include <cstdint>
#include <memory>
#include <vector>

#include "link/AtChannel.h"
#include "link/EventPump.h"
#include "link/TCommPortDriver.h"

namespace q7k3 {

class TForm10 {
public:
    // Without a port, Comm321 is made on the system's serial device; without a pump the
    // waits sleep and process Qt events.
    explicit TForm10(std::unique_ptr<TCommPortDriver> comm = nullptr, EventPump* pump = nullptr);
    ~TForm10();
    TForm10(const TForm10&) = delete;
    TForm10& operator=(const TForm10&) = delete;

    // The port's receive handler: hands every batch to the channel.
    void Comm321ReceiveData(TCommPortDriver* sender, const void* data, uint32_t size);

private:
    std::unique_ptr<EventPump> m_ownPump;
    std::unique_ptr<TCommPortDriver> m_comm;

public:
    TCommPortDriver& Comm321;
    EventPump& Pump;
    AtChannel Channel;
    // No transfer buffer: both transfers stream, so no file size limit comes from one.
};

}  // namespace q7k3
