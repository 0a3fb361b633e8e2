#pragma once
// A request from outside an exchange that it end at its next safe point: the program
// closing, an interrupt. Raised on any thread, read on the link's.

#include <atomic>

namespace q7k3 {

class StopSignal {
public:
    virtual ~StopSignal() = default;
    virtual bool Raised() const = 0;
};

// One flag as the signal: an interrupt handler's, a search's stop.
class FlagSignal final : public StopSignal {
public:
    explicit FlagSignal(const std::atomic<bool>& flag) : m_flag(flag) {}
    bool Raised() const override { return m_flag.load(); }

private:
    const std::atomic<bool>& m_flag;
};

}  // namespace q7k3
