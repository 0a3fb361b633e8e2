#include "link/TForm10.h"

namespace q7k3 {
namespace {
EventPump& PumpOr(std::unique_ptr<EventPump>& own, EventPump* given) {
    if (given) return *given;
    own = std::make_unique<QtEventPump>();
    return *own;
}
}  // namespace

TForm10::TForm10(std::unique_ptr<TCommPortDriver> comm, EventPump* pump)
    : m_comm(comm ? std::move(comm) : TCommPortDriver::CreateComm321()),
      Comm321(*m_comm),
      Pump(PumpOr(m_ownPump, pump)),
      Channel(Comm321, Pump) {
    Comm321.OnReceiveData = [this](TCommPortDriver* sender, const void* data, uint32_t size) {
        Comm321ReceiveData(sender, data, size);
    };
}

TForm10::~TForm10() {
    Comm321.OnReceiveData = nullptr;
    Comm321.Disconnect();
}

void TForm10::Comm321ReceiveData(TCommPortDriver*, const void* data, uint32_t size) {
    Channel.Comm321ReceiveData(data, size);
}

}  // namespace q7k3
