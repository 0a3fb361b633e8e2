#include "link/LinkClock.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "link/SerialPort.h"

namespace q7k3 {

int64_t SteadyNowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void PortClock::WaitForInput(int ms) {
    const int slice = std::clamp<int>(ms, 0, m_port.PollingDelay());
    const int fd = m_port.Connected() ? m_port.Device().NativeHandle() : -1;
    if (fd < 0) {
        if (slice > 0) std::this_thread::sleep_for(std::chrono::milliseconds(slice));
        m_port.PollTick();
        return;
    }
    pollfd p{fd, POLLIN, 0};
    const int64_t start = SteadyNowMs();
    const int ready = poll(&p, 1, slice);
    m_port.PollTick();
    // A device that hung up stays "readable" with nothing to read: sleep out the slice
    // rather than spin (the channel sees the port gone and ends the exchange).
    if (ready > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) && !(p.revents & POLLIN)) {
        const int64_t left = slice - (SteadyNowMs() - start);
        if (left > 0) std::this_thread::sleep_for(std::chrono::milliseconds(left));
    }
}

void PortClock::TakeInput() {
    m_port.PollTick();
}

int64_t PortClock::NowMs() {
    return SteadyNowMs();
}

}  // namespace q7k3
