// Reading a full phonebook (1000 entries with Cyrillic names) and 300 stored messages on a
// line paced at 115200 bit/s (8N1), with the "Быстро" timing, against the time their
// commands and answers take on the wire.
//
//   pim_bench [--baud N] [--runs N]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "emulator/PhoneEmulator.h"
#include "link/Connection.h"
#include "link/PhoneLink.h"
#include "pim/PduEncoder.h"
#include "pim/phone/PimPhone.h"

using namespace q7k3;

namespace {

emu::PimContent Content() {
    static const char* const kFirst[] = {"Анна", "Борис", "Вера", "Глеб", "Дарья", "Егор", "Жанна", "Зоя"};
    static const char* const kLast[] = {"Иванова", "Петров", "Соколова", "Кузнецов", "Орлова"};
    emu::PimContent pim;
    for (int i = 1; i <= 1000; ++i) {
        const std::string name = std::string(kFirst[i % 8]) + " " + kLast[i % 5] + " " + std::to_string(i);
        pim.Phone.push_back({i, "+7916" + std::to_string(1000000 + i), 145, name});
    }
    for (int i = 1; i <= 300; ++i) {
        pim::Envelope e;
        e.ServiceCentre = "+79168999100";
        e.Address = "+7903" + std::to_string(2000000 + i);
        e.Time = {1146830400000LL + i * 60000LL, 180};
        const std::string text = i % 2 ? "Встреча в " + std::to_string(i % 24) + ":00, не опаздывай!"
                                       : "Message number " + std::to_string(i) + ", all in the GSM alphabet.";
        auto pdus = pim::EncodeDeliver(e, text);
        if (!pdus) continue;
        emu::PimMessage m;
        m.Index = i;
        m.Pdu = pdus->front();
        pim.Messages.push_back(m);
    }
    return pim;
}

struct Bench {
    std::unique_ptr<PhoneEmulator> emu;
    std::unique_ptr<PhoneLink> link;
    uint64_t received = 0;

    bool Open(int baud) {
        EmulatorConfig config;
        config.Baud = baud;
        config.Pim = Content();
        emu = std::make_unique<PhoneEmulator>(config);
        if (!emu->Start()) return false;
        link = std::make_unique<PhoneLink>();
        SerialPort& comm = link->Port;
        comm.SetPortName(emu->SlavePath());
        comm.SetBaudRateValue(static_cast<uint32_t>(baud));
        comm.SetSettingsMode(false);
        comm.SetPollingDelay(5);
        link->Channel.PollStep = 1;
        if (!comm.Connect()) return false;
        auto deliver = comm.OnReceiveData;
        comm.OnReceiveData = [this, deliver](SerialPort* s, const void* d, uint32_t n) {
            received += n;
            deliver(s, d, n);
        };
        return ResetPhone(*link) && ReadModel(*link) == config.Model;
    }
    ~Bench() {
        if (link) link->Port.Disconnect();
        if (emu) emu->Stop();
    }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int baud = 115200, runs = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--baud") == 0) baud = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
    }
    const double lineRate = baud / 10.0;
    std::vector<double> ratios;
    for (int run = 0; run < runs; ++run) {
        Bench b;
        if (!b.Open(baud)) {
            std::fprintf(stderr, "pim_bench: the emulated phone does not answer\n");
            return 1;
        }
        b.emu->ClearReceived();
        b.received = 0;
        QElapsedTimer timer;
        timer.start();
        AtChannel& ch = b.link->Channel;
        auto cs = pim::OpenPim(ch);
        if (!cs) return std::fprintf(stderr, "pim_bench: %s\n", cs.error().Text.c_str()), 1;
        auto contacts = pim::ReadContacts(ch, *cs, "ME");
        auto messages = pim::ReadMessages(ch, *cs, "ME");
        const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        if (!contacts || !messages || contacts->size() != 1000 || messages->size() != 300) {
            std::fprintf(stderr, "pim_bench: the read failed or is short\n");
            return 1;
        }
        const uint64_t wire = b.emu->Received().size() + b.received;
        const double wireS = static_cast<double>(wire) / lineRate;
        ratios.push_back(seconds / wireS);
        std::printf("run %d: %.3f s, %llu bytes on the wire = %.3f s, %.3f x the wire time\n",
                    run + 1, seconds, static_cast<unsigned long long>(wire), wireS, seconds / wireS);
    }
    std::printf("1000 contacts and 300 messages: %.3f x their wire time (median of %d)\n",
                Median(ratios), runs);
    return 0;
}
