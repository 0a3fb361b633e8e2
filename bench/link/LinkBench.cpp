// Round trip of a short exchange over a pseudo-terminal: the PC sends the 5-byte batch
// prompt, a peer that answers at once sends a 512-byte block back. Reports the median
// and the 99th percentile for each timing of the link, with and without the read
// notifier (the poll timer alone).
//
//   q7k3-bench-link [ROUNDS]

#include <poll.h>
#include <sys/resource.h>
#include <pty.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "link/TForm10.h"

using namespace q7k3;

namespace {

constexpr size_t kBlock = 512;

// Answers every prompt with one block, as fast as it can.
void Peer(int master, std::atomic<bool>& stop) {
    const std::string block(kBlock, 'D');
    std::string pending;
    while (!stop) {
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        char buf[256];
        const ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0) continue;
        pending.append(buf, static_cast<size_t>(n));
        size_t at;
        while ((at = pending.find(kPrompt)) != std::string::npos) {
            pending.erase(0, at + kPrompt.size());
            size_t off = 0;
            while (off < block.size()) {
                const ssize_t w = write(master, block.data() + off, block.size() - off);
                if (w > 0) off += static_cast<size_t>(w);
            }
        }
    }
}

struct Figures {
    double median = 0;
    double p99 = 0;
    int failures = 0;
};

Figures Measure(const std::string& path, uint16_t pollingDelay, int pollStep, bool notifier,
                int rounds) {
    TForm10 form10;
    TCommPortDriver& comm = form10.Comm321;
    AtChannel& ch = form10.Channel;
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
    QElapsedTimer t;
    for (int i = 0; i < rounds; ++i) {
        ch.ClearReceive();
        t.start();
        ch.Send(kPrompt);
        bool ok = true;
        while (ch.ReceiveBuffer.size() < kBlock) {
            if (!ch.ResponseComplete && !ch.WaitResponse(2500)) {
                ok = false;
                break;
            }
            ch.ResponseComplete = false;
        }
        const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
        if (ok) times.push_back(ms);
        else ++f.failures;
    }
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
    TForm10 form10;
    form10.Comm321.SetPortName(path);
    form10.Comm321.SetPollingDelay(pollingDelay);
    if (!form10.Comm321.Connect()) return -1;
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
    int master = -1;
    int slave = -1;
    char name[128] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::fprintf(stderr, "q7k3-bench-link: no pseudo-terminal\n");
        return 1;
    }
    std::atomic<bool> stop{false};
    std::thread peer(Peer, master, std::ref(stop));

    struct Case {
        const char* name;
        uint16_t pollingDelay;
        int pollStep;
    };
    const Case cases[] = {{"Быстро", 5, 1}, {"Средне", 10, 1}, {"Медленно", 50, 10}};
    std::printf("round trip: %zu-byte prompt, %zu-byte answer, %d rounds, pty peer answering at once\n",
                kPrompt.size(), kBlock, rounds);
    std::printf("%-10s %8s %8s %12s %12s %12s %12s\n", "timing", "poll ms", "step ms",
                "median", "p99", "timer median", "timer p99");
    for (const Case& c : cases) {
        const Figures fast = Measure(name, c.pollingDelay, c.pollStep, true, rounds);
        const Figures timer = Measure(name, c.pollingDelay, c.pollStep, false, rounds);
        // Cyrillic names are two bytes a letter: pad by hand.
        std::string label = c.name;
        const size_t letters = label.size() / 2;
        label.append(letters < 10 ? 10 - letters : 0, ' ');
        std::printf("%s %8d %8d %9.2f ms %9.2f ms %9.2f ms %9.2f ms", label.c_str(),
                    c.pollingDelay, c.pollStep, fast.median, fast.p99, timer.median, timer.p99);
        if (fast.failures + timer.failures > 0) {
            std::printf("  (%d lost)", fast.failures + timer.failures);
        }
        std::printf("\n");
    }
    stop = true;
    peer.join();
    // The peer is gone (it would count as well); the terminal stays up through `slave`.
    for (uint16_t delay : {5, 10, 50}) {
        const double idle = IdleLoad(name, delay, 5);
        std::printf("idle with the port open, %2d ms polling: %.2f%% of one core\n", delay,
                    idle * 100.0);
    }
    close(master);
    close(slave);
    return 0;
}
