// The file commands on a line paced at 115200 bit/s (8N1: 11520 bytes a second), with the
// "Быстро" timing: ten files of 1 KB to 100 KB, conversions included, copied to the phone
// and back with CopyToPhone and CopyToComputer.
//
//   commands_bench [--baud N]
//
// Reported both ways: the payload (the bytes the phone stores) per second over the line's
// byte rate; and the command's time against the sum of the same transfers run bare with
// WritePhoneFile / ReadPhoneFile, the difference spread over the files as the per-file
// overhead (folder changes, conversions, listing checks).

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchPrompts.h"
#include "commands/CopyToComputer.h"
#include "commands/CopyToPhone.h"
#include "emulator/PhoneEmulator.h"
#include "link/Connection.h"
#include "link/PhoneLink.h"
#include "media/Picture.h"
#include "phonefs/FolderMaps.h"

using namespace q7k3;

namespace {

using bench::ConnectBenchPhone;
using bench::QuietPrompts;

class Overwrite final : public ConflictQuestion {
public:
    ConflictReply AskConflict(const std::string&, const std::string& name) override {
        return {ConflictAnswer::Overwrite, name};
    }
};

std::string Payload(size_t n, uint32_t seed) {
    std::string s(n, '\0');
    uint32_t x = seed;
    for (char& c : s) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

struct Group {
    const char* folder;
    std::vector<std::string> paths;
};

double Seconds(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int baud = 115200;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--baud")) baud = std::atoi(argv[i + 1]);
    }
    const double lineRate = baud / 10.0;

    EmulatorConfig config;
    config.Model = "SGH-E700";
    config.Baud = baud;
    PhoneEmulator emu(config);
    if (!emu.Start()) return 1;
    PhoneLink link;
    if (!ConnectBenchPhone(link, emu.SlavePath(), baud, "commands_bench")) return 1;
    AppFlags flags;
    NullProgress progress;
    QuietPrompts prompts;
    PhoneFs fs(link.Channel, flags, progress, prompts);
    fs.RereadModel();
    fs.SetRoot(BuildFolderMap(MapKind::Normal, "E700"));
    Tree4* root = fs.PhoneRoot();

    QTemporaryDir dir;
    const auto write = [&](const std::string& name, const std::string& data) {
        const QString path = QDir(dir.path()).filePath(QString::fromStdString(name));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(data.data(), static_cast<qint64>(data.size()));
        return path.toStdString();
    };
    const auto picture = [&](const std::string& name, int height) {
        QImage img(128, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < 128; ++x) img.setPixel(x, y, qRgb(x * 2, y, 255 - x));
        const Bytes bmp = EncodeBmp(img);
        return write(name, std::string(bmp.begin(), bmp.end()));
    };
    const auto mmf = [&](const std::string& name, size_t size) {
        return write(name, "MMMD" + Payload(size - 4, static_cast<uint32_t>(size)));
    };
    std::vector<Group> groups = {
        {"User",
         {write("a.jpg", Payload(1024, 1)), write("b.txt", Payload(2048, 2)),
          write("c.bin", Payload(4096, 3)), write("d.bin", Payload(24 * 1024, 4)),
          write("e.bin", Payload(64 * 1024, 5)), write("f.bin", Payload(100 * 1024, 6))}},
        {"Sounds\\Default Sounds", {mmf("t1.mmf", 8 * 1024), mmf("t2.mmf", 32 * 1024)}},
        {"Images\\Animations", {picture("p1.bmp", 16), picture("p2.bmp", 48)}},
    };

    Overwrite overwrite;
    uint64_t payload = 0;
    QElapsedTimer t;
    t.start();
    for (const Group& g : groups) {
        CopyToPhone copy(fs, FindFolderByPath(root, g.folder), overwrite);
        if (Status done = copy.Run(g.paths); !done) {
            std::fprintf(stderr, "copy to the phone failed: %d\n", done.error().Reason);
            return 1;
        }
    }
    const double putS = Seconds(t);
    std::vector<std::pair<Tree4*, std::string>> onPhone;
    for (const Group& g : groups) {
        Tree4* folder = FindFolderByPath(root, g.folder);
        for (const FileEntry& f : folder->Files) {
            payload += static_cast<uint64_t>(f.Size);
            onPhone.emplace_back(folder, f.Name);
        }
    }

    QDir(dir.path()).mkdir("back");
    const std::string back = QDir(dir.path()).filePath("back").toStdString();
    t.restart();
    for (const Group& g : groups) {
        Tree4* folder = FindFolderByPath(root, g.folder);
        std::vector<std::string> names;
        for (const FileEntry& f : folder->Files) names.push_back(f.Name);
        CopyToComputer copy(fs, folder, back);
        if (Status done = copy.Run(names); !done) {
            std::fprintf(stderr, "copy to the computer failed: %d\n", done.error().Reason);
            return 1;
        }
    }
    const double getS = Seconds(t);

    // The same phone files moved bare: one folder change each, then the transfer alone.
    double bareWrite = 0, bareRead = 0;
    const std::string scratch = QDir(dir.path()).filePath("bare").toStdString();
    for (const auto& [folder, name] : onPhone) {
        const std::string bytes = *emu.GetFile(folder->Id, name);
        write("bare", bytes);
        if (!fs.ChangeFolder(folder->Id)) return 1;
        t.restart();
        if (!fs.ReadPhoneFile(scratch + ".in", name, QDateTime())) return 1;
        bareRead += Seconds(t);
        t.restart();
        if (!fs.WritePhoneFile(scratch, "bare_" + name, folder)) return 1;
        bareWrite += Seconds(t);
    }

    const double files = static_cast<double>(onPhone.size());
    std::printf("%zu files, %llu payload bytes at %d bit/s\n", onPhone.size(),
                static_cast<unsigned long long>(payload), baud);
    std::printf(
        "to the phone:    %.2f s, %.3f of the line; bare transfers %.2f s, command/bare "
        "%.3f, overhead %.1f ms a file\n",
        putS, static_cast<double>(payload) / putS / lineRate, bareWrite, bareWrite / putS,
        (putS - bareWrite) / files * 1000);
    std::printf(
        "to the computer: %.2f s, %.3f of the line; bare transfers %.2f s, command/bare "
        "%.3f, overhead %.1f ms a file\n",
        getS, static_cast<double>(payload) / getS / lineRate, bareRead, bareRead / getS,
        (getS - bareRead) / files * 1000);
    link.Port.Disconnect();
    emu.Stop();
    return 0;
}
