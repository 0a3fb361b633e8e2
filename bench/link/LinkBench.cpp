// Round trip of a short exchange over a pseudo-terminal with the phone emulator answering
// at once: during a file read the PC sends the 5-byte batch prompt and the phone sends the
// next 512-byte data block. Reports the median and the 99th percentile for each timing of
// the link, with and without the read notifier (the poll timer alone), and the idle load
// with the port open.
//
//   q7k3-bench-link [ROUNDS]

#include <pty.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "emulator/PhoneEmulator.h"
#include "link/PhoneLink.h"

using namespace q7k3;

namespace {

constexpr size_t kBlock = 512;
constexpr const char* kFolder = "C";
constexpr const char* kFile = "bench.bin";

// Waits until `token` is in the buffer; false after 2500 ms without new data.
bool WaitFor(AtChannel& ch, std::string_view token) {
    while (ch.ReceiveBuffer.find(token) == std::string::npos) {
        if (!ch.ResponseComplete && !ch.WaitResponse(2500)) return false;
        ch.ResponseComplete = false;
    }
    return true;
}

struct Figures {
    double median = 0;
    double p99 = 0;
    int failures = 0;
};

Figures Measure(const std::string& path, uint16_t pollingDelay, int pollStep, bool notifier,
                int rounds) {
    PhoneLink link;
    SerialPort& comm = link.Port;
    AtChannel& ch = link.Channel;
    comm.SetPortName(path);
    comm.SetBaudRateValue(115200);
    comm.SetPollingDelay(pollingDelay);
    comm.SetReadNotifier(notifier);
    ch.PollStep = pollStep;
    Figures f;
    if (!comm.Connect()) {
        f.failures = rounds;
        return f;
    }
    std::vector<double> times;
    // One read of `rounds` blocks: its first block comes with the command, each further
    // one answers a prompt.
    CommandSpec folder;
    folder.text = std::string("AT+FSCD=\"") + kFolder + "\"\r\n";
    ch.ClearReceive();
    if (!ch.RunCommand(folder)) {
        comm.Disconnect();
        f.failures = rounds;
        return f;
    }
    ch.ClearReceive();
    ch.Send(std::string("AT+FSFR=-1,\"") + kFile + "\"\r\n");
    if (!WaitFor(ch, kBatchEnd)) {
        comm.Disconnect();
        f.failures = rounds;
        return f;
    }
    QElapsedTimer t;
    for (int i = 1; i < rounds; ++i) {
        ch.ClearReceive();
        t.start();
        ch.Send(kPrompt);
        const bool ok = WaitFor(ch, kBatchEnd);
        const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
        if (ok)
            times.push_back(ms);
        else
            ++f.failures;
    }
    // The closing line with the checksum, then the final OK.
    ch.ClearReceive();
    ch.Send(kPrompt);
    WaitFor(ch, kBatchEnd);
    ch.ClearReceive();
    ch.Send(kPrompt);
    WaitFor(ch, kOk);
    ch.ClearReceive();
    comm.Disconnect();
    if (times.empty()) return f;
    std::sort(times.begin(), times.end());
    f.median = times[times.size() / 2];
    f.p99 = times[std::min(times.size() - 1, times.size() * 99 / 100)];
    return f;
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Share of one core the program takes with the port open and the phone quiet.
double IdleLoad(const std::string& path, uint16_t pollingDelay, int seconds) {
    PhoneLink link;
    link.Port.SetPortName(path);
    link.Port.SetPollingDelay(pollingDelay);
    if (!link.Port.Connect()) return -1;
    QElapsedTimer wall;
    wall.start();
    const double cpu = CpuSeconds();
    QTimer::singleShot(seconds * 1000, QCoreApplication::instance(), &QCoreApplication::quit);
    QCoreApplication::exec();
    return (CpuSeconds() - cpu) / (static_cast<double>(wall.elapsed()) / 1000.0);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    EmulatorConfig config;
    config.Block = static_cast<int>(kBlock);
    config.Echo = false;
    PhoneEmulator phone(config);
    if (!phone.Start() ||
        !phone.PutFile(kFolder, kFile, std::string(kBlock * static_cast<size_t>(rounds), 'D'))) {
        std::fprintf(stderr, "q7k3-bench-link: the phone emulator did not start: %s\n",
                     phone.Error().c_str());
        return 1;
    }
    const std::string name = phone.SlavePath();

    struct Case {
        const char* name;
        uint16_t pollingDelay;
        int pollStep;
    };
    const Case cases[] = {{"Быстро", 5, 1}, {"Средне", 10, 1}, {"Медленно", 50, 10}};
    std::printf(
        "round trip: %zu-byte prompt, %zu-byte data block, %d rounds, emulator answering at once\n",
        kPrompt.size(), kBlock, rounds);
    std::printf("%-10s %8s %8s %12s %12s %12s %12s\n", "timing", "poll ms", "step ms", "median",
                "p99", "timer median", "timer p99");
    for (const Case& c : cases) {
        const Figures fast = Measure(name, c.pollingDelay, c.pollStep, true, rounds);
        const Figures timer = Measure(name, c.pollingDelay, c.pollStep, false, rounds);
        // Cyrillic names are two bytes a letter: pad by hand.
        std::string label = c.name;
        const size_t letters = label.size() / 2;
        label.append(letters < 10 ? 10 - letters : 0, ' ');
        std::printf("%s %8d %8d %9.2f ms %9.2f ms %9.2f ms %9.2f ms", label.c_str(), c.pollingDelay,
                    c.pollStep, fast.median, fast.p99, timer.median, timer.p99);
        if (fast.failures + timer.failures > 0) {
            std::printf("  (%d lost)", fast.failures + timer.failures);
        }
        std::printf("\n");
    }
    phone.Stop();
    // A quiet terminal for the idle load: nobody on the other side.
    int master = -1;
    int slave = -1;
    char idleName[128] = {};
    if (openpty(&master, &slave, idleName, nullptr, nullptr) != 0) return 0;
    for (uint16_t delay : {5, 10, 50}) {
        const double idle = IdleLoad(idleName, delay, 5);
        std::printf("idle with the port open, %2d ms polling: %.2f%% of one core\n", delay,
                    idle * 100.0);
    }
    close(master);
    close(slave);
    return 0;
}
