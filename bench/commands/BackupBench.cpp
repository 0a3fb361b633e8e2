// The whole-phone backup on a line paced at 115200 bit/s (8N1: 11520 bytes a second), with
// the "Быстро" timing: a phone holding 1 MB in 60 files over six folders.
//
//   backup_bench [--baud N] [--kb N]
//
// Reported: the scan alone; the full backup (scan, listing and folder changes included)
// as the payload per second over the line's byte rate (the goal is 0.9 or better); and a
// second, incremental backup of the unchanged phone against the scan it starts with.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/BenchPrompts.h"
#include "commands/Backup.h"
#include "emulator/PhoneEmulator.h"
#include "link/Connection.h"
#include "link/PhoneLink.h"
#include "phonefs/FolderMaps.h"

using namespace q7k3;
using bench::ConnectBenchPhone;
using bench::QuietPrompts;

namespace {

std::string Payload(size_t n, uint32_t seed) {
    std::string s(n, '\0');
    uint32_t x = seed;
    for (char& c : s) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

double Seconds(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int baud = 115200;
    int kb = 1024;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--baud")) baud = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--kb")) kb = std::atoi(argv[i + 1]);
    }
    const double lineRate = baud / 10.0;

    EmulatorConfig config;
    config.Model = "SGH-E700";
    config.Baud = baud;
    PhoneEmulator emu(config);
    if (!emu.Start()) return 1;
    // 60 files of 0.3 KB to 33 KB, the sizes rising in steps, summing to the payload, in
    // the six folders a person fills: User, My Sounds, My Images, Camera, My Album 1, Voice.
    std::vector<std::string> folders;
    {
        const auto map = BuildFolderMap(MapKind::Normal, "E700");
        for (const char* path :
             {"User", "Sounds\\My Sounds", "Images\\My Images", "Images\\My Photos\\Camera",
              "Images\\My Photos\\My Album 1", "Sounds\\Voice"}) {
            const Tree4* folder = FindFolderByPath(map.get(), path);
            if (!folder || folder->IsVirtual()) {
                std::fprintf(stderr, "backup_bench: no folder %s\n", path);
                return 1;
            }
            folders.push_back(folder->Id);
        }
    }
    const int files = 60;
    const uint64_t total = static_cast<uint64_t>(kb) * 1024;
    uint64_t payload = 0;
    for (int i = 0; i < files; ++i) {
        const uint64_t size = i + 1 < files ? total * static_cast<uint64_t>(2 * i + 1) /
                                                  static_cast<uint64_t>(files * files)
                                            : total - payload;
        const std::string& id = folders[static_cast<size_t>(i) % folders.size()];
        if (id.empty() ||
            !emu.PutFile(id, "file" + std::to_string(i) + ".bin",
                         Payload(size, static_cast<uint32_t>(i + 1)), "2006/05/04 12:00:00")) {
            std::fprintf(stderr, "backup_bench: the phone takes no file in %s\n",
                         folders[static_cast<size_t>(i) % folders.size()].c_str());
            return 1;
        }
        payload += size;
    }

    PhoneLink link;
    if (!ConnectBenchPhone(link, emu.SlavePath(), baud, "backup_bench")) return 1;
    AppFlags flags;
    NullProgress progress;
    QuietPrompts prompts;
    PhoneFs fs(link.Channel, flags, progress, prompts);
    fs.RereadModel();
    QTemporaryDir dir;
    const std::string target = dir.filePath("backup").toStdString();

    QElapsedTimer t;
    t.start();
    if (!fs.ScanPhone(FolderMode::Normal, false)) return 1;
    const double scanS = Seconds(t);
    Backup full(fs, target);
    if (Status done = full.Run(); !done) {
        std::fprintf(stderr, "backup failed: %d\n", done.error().Reason);
        return 1;
    }
    const double fullS = Seconds(t);
    if (static_cast<uint64_t>(full.BytesFetched()) != payload || full.Fetched() != files) {
        std::fprintf(stderr, "backup fetched %d files, %lld bytes\n", full.Fetched(),
                     static_cast<long long>(full.BytesFetched()));
        return 1;
    }

    t.restart();
    if (!fs.ScanPhone(FolderMode::Normal, false)) return 1;
    const double rescanS = Seconds(t);
    Backup again(fs, target);
    if (!again.Run() || again.Fetched() != 0) return 1;
    const double againS = Seconds(t);

    std::printf("%d files, %llu payload bytes at %d bit/s\n", files,
                static_cast<unsigned long long>(payload), baud);
    std::printf("scan:               %.2f s\n", scanS);
    std::printf("full backup:        %.2f s with the scan, %.3f of the line (goal 0.9)\n", fullS,
                static_cast<double>(payload) / fullS / lineRate);
    std::printf("incremental backup: %.2f s with its scan of %.2f s, %.1f ms more than the scan\n",
                againS, rescanS, (againS - rescanS) * 1000);
    link.Port.Disconnect();
    emu.Stop();
    return 0;
}
