// Transfer and scan efficiency on a line paced at 115200 bit/s (8N1: 11520 bytes a
// second), with the "Быстро" timing: the port polled every 5 ms, waits in 1 ms steps.
//
//   phonefs_bench [--baud N] [--size BYTES] [--runs N] [--trace FILE]
//
// --trace FILE writes the protocol trace of every exchange to FILE, as the program's trace
// switch does; compare the ratios with and without it.
//
// Transfers: payload bytes per second divided by the line's byte rate. Scan: the time of
// a full scan of the PRO map of the E family against the time its exchanges' bytes take
// on the wire.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchPrompts.h"
#include "emulator/PhoneEmulator.h"
#include "link/Connection.h"
#include "link/PhoneLink.h"
#include "link/ProtocolTrace.h"
#include "phonefs/FolderMaps.h"
#include "phonefs/PhoneFs.h"

using namespace q7k3;

namespace {

using bench::QuietPrompts;

struct Bench {
    std::unique_ptr<PhoneEmulator> emu;
    std::unique_ptr<PhoneLink> link;
    AppFlags flags;
    NullProgress progress;
    QuietPrompts prompts;
    std::unique_ptr<PhoneFs> fs;
    uint64_t received = 0;  // bytes the phone put on the line towards the PC

    bool Open(int baud) {
        EmulatorConfig config;
        config.Model = "SGH-E700";
        config.Baud = baud;
        if (const char* log = std::getenv("PHONEFS_BENCH_LOG")) config.LogFile = log;
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
        // Count what arrives on its way to the channel.
        auto deliver = comm.OnReceiveData;
        comm.OnReceiveData = [this, deliver](SerialPort* s, const void* d, uint32_t n) {
            received += n;
            deliver(s, d, n);
        };
        if (!ResetPhone(*link) || ReadModel(*link) != "SGH-E700") return false;
        fs = std::make_unique<PhoneFs>(link->Channel, flags, progress, prompts);
        fs->RereadModel();
        return true;
    }
    AtChannel& Ch() { return link->Channel; }
    ~Bench() {
        if (link) link->Port.Disconnect();
        if (emu) emu->Stop();
    }
};

std::string Payload(size_t n) {
    std::string s(n, '\0');
    uint32_t x = 12345;
    for (char& c : s) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int baud = 115200;
    size_t size = 200 * 1024;
    int runs = 3;
    std::string trace;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--baud"))
            baud = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--size"))
            size = static_cast<size_t>(std::atol(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--runs"))
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--trace"))
            trace = argv[i + 1];
    }
    const double lineRate = baud / 10.0;

    if (!trace.empty()) {
        std::string why;
        if (!ProcessTrace().Start(trace, ProtocolTrace::kDefaultLimit, &why)) {
            std::fprintf(stderr, "phonefs_bench: cannot write the trace: %s\n", why.c_str());
            return 1;
        }
        std::printf("protocol trace on: %s\n", trace.c_str());
    }
    Bench b;
    if (!b.Open(baud)) {
        std::fprintf(stderr, "phonefs_bench: the emulated phone does not answer\n");
        return 1;
    }
    QTemporaryDir dir;
    const QString src = QDir(dir.path()).filePath("payload.bin");
    const QString dst = QDir(dir.path()).filePath("back.bin");
    const std::string data = Payload(size);
    {
        QFile f(src);
        if (!f.open(QIODevice::WriteOnly)) return 1;
        f.write(data.data(), static_cast<qint64>(data.size()));
    }
    b.fs->SetRoot(BuildFolderMap(MapKind::Pro, "E700"));
    Tree4* user = FindChild("user", b.fs->PhoneRoot());

    std::vector<double> writeRatio, readRatio;
    for (int run = 0; run < runs; ++run) {
        if (!b.fs->ChangeFolder("B")) return 1;
        (void)b.fs->EraseFile("payload.bin");
        RemoveFile(user, "payload.bin");
        QElapsedTimer t;
        t.start();
        if (Status written = b.fs->WritePhoneFile(src.toStdString(), "payload.bin", user);
            !written) {
            std::fprintf(stderr, "write failed: %d\n%s\n", written.error().Reason,
                         b.emu->Received().substr(0, 300).c_str());
            return 1;
        }
        const double writeS = static_cast<double>(t.nsecsElapsed()) / 1e9;
        writeRatio.push_back(static_cast<double>(size) / writeS / lineRate);

        t.restart();
        if (Status read = b.fs->ReadPhoneFile(dst.toStdString(), "payload.bin", QDateTime());
            !read) {
            std::fprintf(stderr, "read failed: %d\n", read.error().Reason);
            return 1;
        }
        const double readS = static_cast<double>(t.nsecsElapsed()) / 1e9;
        readRatio.push_back(static_cast<double>(size) / readS / lineRate);
        QFile back(dst);
        if (!back.open(QIODevice::ReadOnly) || back.readAll().toStdString() != data) {
            std::fprintf(stderr, "the read copy differs\n");
            return 1;
        }
        std::printf("run %d: write %.3f s (%.3f of the line), read %.3f s (%.3f of the line)\n",
                    run + 1, writeS, writeRatio.back(), readS, readRatio.back());
    }
    std::printf("write %zu bytes: %.3f of the line rate (median of %d)\n", size, Median(writeRatio),
                runs);
    std::printf("read  %zu bytes: %.3f of the line rate (median of %d)\n", size, Median(readRatio),
                runs);

    // The scan: an empty phone apart from the file written above, PRO map, E family.
    b.flags.Mode = FolderMode::Pro;
    std::vector<double> scanRatio;
    for (int run = 0; run < runs; ++run) {
        b.emu->ClearReceived();
        b.received = 0;
        QElapsedTimer t;
        t.start();
        if (const auto scanned = b.fs->ScanPhone(FolderMode::Pro, false); !scanned) {
            std::fprintf(stderr, "scan failed: %d\n", scanned.error().Reason);
            return 1;
        }
        const double scanS = static_cast<double>(t.nsecsElapsed()) / 1e9;
        const uint64_t wireBytes = b.emu->Received().size() + b.received;
        const double wireS = static_cast<double>(wireBytes) / lineRate;
        scanRatio.push_back(scanS / wireS);
        std::printf("scan run %d: %.3f s, %llu bytes on the wire = %.3f s, %.2f x the wire time\n",
                    run + 1, scanS, static_cast<unsigned long long>(wireBytes), wireS,
                    scanRatio.back());
    }
    std::printf("scan of the PRO E-family map: %.2f x its wire time (median of %d)\n",
                Median(scanRatio), runs);
    return 0;
}
