#pragma once
// The file system on a real link: the serial driver over the emulated phone's
// pseudo-terminal, in real time, as the program runs it.

#include <QCoreApplication>
#include <memory>

#include "ScriptedPhone.h"
#include "emulator/PhoneEmulator.h"
#include "link/Connection.h"
#include "link/PhoneLink.h"

namespace q7k3::test {

inline void EnsureApplication() {
    static int argc = 1;
    static char name[] = "phonefs_emulator_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app =
        QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
}

// n bytes of a fixed pseudo-random pattern: file contents that no shift or cut preserves.
inline std::string Pattern(size_t n, unsigned seed) {
    std::string s(n, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        s[i] = static_cast<char>(x >> 24);
    }
    return s;
}

struct EmulatorLink {
    std::unique_ptr<PhoneEmulator> emu;
    std::unique_ptr<PhoneLink> link;
    AppFlags flags;
    ScriptedUi ui;
    ScriptedUi& progress = ui;
    ScriptedUi& prompts = ui;
    std::unique_ptr<PhoneFs> fs;

    // Starts the phone and opens the link the "Быстро" way: poll every 5 ms, wait in 1 ms steps.
    bool Open(EmulatorConfig config = {}, uint32_t baud = 115200) {
        EnsureApplication();
        emu = std::make_unique<PhoneEmulator>(config);
        if (!emu->Start()) return false;
        link = std::make_unique<PhoneLink>();
        SerialPort& comm = link->Port;
        comm.SetPortName(emu->SlavePath());
        comm.SetBaudRateValue(baud);
        comm.SetSettingsMode(false);
        comm.SetPollingDelay(5);
        link->Channel.PollStep = 1;
        if (!comm.Connect() || !ResetPhone(*link) || ReadModel(*link) != config.Model) {
            return false;
        }
        fs = std::make_unique<PhoneFs>(link->Channel, flags, progress, prompts);
        fs->RereadModel();
        emu->ClearReceived();
        return true;
    }
    AtChannel& Ch() { return link->Channel; }
    ~EmulatorLink() {
        if (link) link->Port.Disconnect();
        if (emu) emu->Stop();
    }
};

}  // namespace q7k3::test
