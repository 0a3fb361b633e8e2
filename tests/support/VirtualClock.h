#pragma once
// A virtual clock for unit tests of the channel: every wait step advances the clock and
// lets a scripted phone answer, so a 5000 ms time-out runs in microseconds with exactly
// the step counting of the real program.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/AtChannel.h"
#include "link/LinkClock.h"

namespace q7k3::test {

class VirtualClock final : public LinkClock {
public:
    // Called after each step with the clock's new time (the "poll tick").
    std::function<void(int64_t nowMs)> onTick;
    int64_t now = 0;
    int steps = 0;

    void WaitForInput(int ms) override {
        now += ms;
        ++steps;
        Tick();
    }
    // What arrives comes on the ticks: a tick at a time already ticked brings nothing new.
    void TakeInput() override {
        if (now != m_lastTick) Tick();
    }
    int64_t NowMs() override { return now; }

private:
    void Tick() {
        m_lastTick = now;
        if (onTick) onTick(now);
    }
    int64_t m_lastTick = 0;  // nothing arrives before the clock first moves
};

// Records what the channel sends; a test hooks `onSend` to answer like a phone.
class RecordingPort final : public ChannelPort {
public:
    std::vector<std::string> writes;
    std::function<void(const std::string&)> onSend;
    uint32_t rate = 0;  // the line rate the channel sees; 0: unknown

    uint32_t LineRate() const override { return rate; }

    uint32_t SendData(const void* data, uint32_t size) override {
        writes.emplace_back(static_cast<const char*>(data), size);
        if (onSend) onSend(writes.back());
        return size;
    }
    std::string All() const {
        std::string all;
        for (const auto& w : writes) all += w;
        return all;
    }
};

}  // namespace q7k3::test
