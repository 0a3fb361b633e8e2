#include "link/PhoneLink.h"

namespace q7k3 {
namespace {
LinkClock& ClockOr(std::unique_ptr<LinkClock>& own, LinkClock* given, SerialPort& port) {
    if (given) return *given;
    own = std::make_unique<PortClock>(port);
    return *own;
}
}  // namespace

PhoneLink::PhoneLink(std::unique_ptr<SerialPort> port, LinkClock* clock)
    : m_port(port ? std::move(port) : SerialPort::CreatePhonePort()),
      Port(*m_port),
      Clock(ClockOr(m_ownClock, clock, Port)),
      Channel(Port, Clock) {
    Port.OnReceiveData = [this](SerialPort*, const void* data, uint32_t size) {
        Channel.ReceiveData(data, size);
    };
}

PhoneLink::~PhoneLink() {
    Port.OnReceiveData = nullptr;
    Port.Disconnect();
}

}  // namespace q7k3
