#pragma once
// The boxes of a benchmark run: printed to stderr (a box during a timed run is a fault to
// look at), and every question answered Yes so that nothing waits for a person.

#include <cstdio>
#include <string>

#include "link/Connection.h"
#include "link/PhoneLink.h"
#include "base/Prompts.h"

namespace q7k3::bench {

class QuietPrompts final : public Prompts {
public:
    void MessageBox(const std::string& text, const std::string&, BoxIcon) override {
        std::fprintf(stderr, "box: %s\n", text.c_str());
    }
    bool AskYesNo(const std::string&, const std::string&) override { return true; }
};

// Opens the emulated phone's pseudo-terminal the way the program does (the fastest
// settings: 5 ms poll, 1 ms steps) and identifies it; false after a line on stderr.
inline bool ConnectBenchPhone(PhoneLink& link, const std::string& tty, int baud, const char* who) {
    SerialPort& comm = link.Port;
    comm.SetPortName(tty);
    comm.SetBaudRateValue(static_cast<uint32_t>(baud));
    comm.SetSettingsMode(false);
    comm.SetPollingDelay(5);
    link.Channel.PollStep = 1;
    if (comm.Connect() && ResetPhone(link) && ReadModel(link) == "SGH-E700") return true;
    std::fprintf(stderr, "%s: the emulated phone does not answer\n", who);
    return false;
}

}  // namespace q7k3::bench
