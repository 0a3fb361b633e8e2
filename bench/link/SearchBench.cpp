// q7k3-bench-search [PORTS]: how long the phone search of PORTS pseudo-terminals takes (8
// by default: one phone, one modem, the rest silent, the worst case for the waits), and
// how soon a search of silent ports ends once it is stopped.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "emulator/PhoneEmulator.h"
#include "ports/PhoneSearch.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    using namespace q7k3;
    const int count = argc > 1 ? std::max(3, std::atoi(argv[1])) : 8;
    std::vector<std::unique_ptr<PhoneEmulator>> phones;
    SearchRequest request;
    for (int i = 0; i < count; ++i) {
        EmulatorConfig config;
        config.Model = i == 0 ? "SGH-E700" : i == 1 ? "ERROR" : "SGH-E700";
        if (i >= 2) config.Fault.SilentAfter = 0;
        phones.push_back(std::make_unique<PhoneEmulator>(config));
        if (!phones.back()->Start()) {
            std::fprintf(stderr, "cannot start an emulator: %s\n", phones.back()->Error().c_str());
            return 1;
        }
        request.Ports.push_back(phones.back()->SlavePath());
    }

    const auto start = Clock::now();
    const std::vector<PortFinding> found = SearchPhones(request.Ports, request);
    const double took = Seconds(Clock::now() - start);
    for (const PortFinding& f : found) std::printf("  %s\n", FindingLine(f).c_str());
    std::printf("search of %d ports (%d silent): %.2f s, %zu phone(s)\n", count, count - 2, took,
                PhonesFound(found).size());

    // Stopped 200 ms in: how long until every port is closed again.
    std::atomic<bool> stop{false};
    std::vector<std::string> silent(request.Ports.begin() + 2, request.Ports.end());
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        stop = true;
    });
    const auto begun = Clock::now();
    SearchPhones(silent, request, {}, &stop);
    const double stopped = Seconds(Clock::now() - begun) - 0.2;
    stopper.join();
    std::printf("stopped after 0.2 s: ended %.2f s later\n", stopped);
    return 0;
}
