#pragma once
// "Sleep one poll step, then process pending events": how every wait for the phone lets
// the port's poll timer deliver received bytes. The program uses QtEventPump; unit tests
// use a virtual clock that advances and lets a scripted phone answer.

#include <cstdint>

namespace q7k3 {

class EventPump {
public:
    virtual ~EventPump() = default;
    // Sleep `ms` milliseconds, then process pending events.
    virtual void SleepAndProcess(int ms) = 0;
    // Process pending events without sleeping.
    virtual void ProcessEvents() = 0;
    // Monotonic time in milliseconds.
    virtual int64_t NowMs() = 0;
};

// QThread::msleep + QCoreApplication::processEvents.
class QtEventPump final : public EventPump {
public:
    void SleepAndProcess(int ms) override;
    void ProcessEvents() override;
    int64_t NowMs() override;
};

}  // namespace q7k3
