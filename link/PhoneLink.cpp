#include "link/PhoneLink.h"

namespace q7k3 {
namespace {
EventPump& PumpOr(std::unique_ptr<EventPump>& own, EventPump* given) {
    if (given) return *given;
    own = std::make_unique<QtEventPump>();
    return *own;
}
}  // namespace

PhoneLink::PhoneLink(std::unique_ptr<SerialPort> comm, EventPump* pump)
    : m_comm(comm ? std::move(comm) : SerialPort::CreatePhonePort()),
      Port(*m_comm),
      Pump(PumpOr(m_ownPump, pump)),
      Channel(Port, Pump) {
    Port.OnReceiveData = [this](SerialPort* sender, const void* data, uint32_t size) {
        ReceiveData(sender, data, size);
    };
}

PhoneLink::~PhoneLink() {
    Port.OnReceiveData = nullptr;
    Port.Disconnect();
}

void PhoneLink::ReceiveData(SerialPort*, const void* data, uint32_t size) {
    Channel.ReceiveData(data, size);
}

}  // namespace q7k3
