#pragma once
// How the link waits for the phone. The program blocks on the port's descriptor with a
// deadline (PortClock, on the link's own thread): a byte that arrives ends the wait at once.
// Unit tests use a virtual clock that advances and lets a scripted phone answer, so a
// 5000 ms time-out runs in microseconds with the same step counting.

#include <cstdint>

namespace q7k3 {

class LinkClock {
public:
    virtual ~LinkClock() = default;
    // Blocks until bytes arrive or `ms` milliseconds pass, then hands whatever arrived to
    // the channel.
    virtual void WaitForInput(int ms) = 0;
    // Hands over what has already arrived, without waiting.
    virtual void TakeInput() = 0;
    // Monotonic time in milliseconds.
    virtual int64_t NowMs() = 0;

    // A pause the phone needs (after a reset, before a reconnection): `ms` milliseconds pass
    // on this thread; bytes that come meanwhile are taken as usual.
    void Pause(int ms) {
        const int64_t end = NowMs() + ms;
        for (int64_t left = ms; left > 0; left = end - NowMs())
            WaitForInput(static_cast<int>(left));
    }
};

class SerialPort;

// The program's clock: poll(2) on the port's descriptor. The poll period of the port bounds
// each wait, so a device whose descriptor cannot signal (or none at all) is still read at
// that period.
class PortClock final : public LinkClock {
public:
    explicit PortClock(SerialPort& port) : m_port(port) {}
    void WaitForInput(int ms) override;
    void TakeInput() override;
    int64_t NowMs() override;

private:
    SerialPort& m_port;
};

// Monotonic milliseconds, shared by every clock of the program.
int64_t SteadyNowMs();

}  // namespace q7k3
