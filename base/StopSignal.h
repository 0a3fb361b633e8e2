#pragma once
// A request from outside an exchange that it end at its next safe point: the program
// closing, an interrupt. Raised on any thread, read on the link's.

#include <atomic>

namespace q7k3 {

class StopSignal {
public:
    virtual ~StopSignal() = default;
    virtual bool Raised() const = 0;
    // True when the stop ends the program at once: a write under way then stops at its next
    // data prompt and leaves the phone to give the rest up (CutTransfer.h), instead of
    // sending the rest spoiled, which takes as long as the file.
    virtual bool CutsWrite() const { return false; }
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
