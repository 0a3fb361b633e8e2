// libFuzzer target: whatever bytes the phone sends, and whenever it sends them, every phone
// command (identify, listing, read, write, delete, rename) ends within its bound on the
// virtual clock and nothing crashes.
//
// Input: one byte choosing the command, then the phone's bytes in pieces separated by 0x01.
// A piece is released when the program next writes to the port; a piece that starts with
// 0x02 is released instead by the clock, 500 ms after the one before (a phone that talks
// on its own: a trickle, a flood, a "RING").

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "commands/RenameFile.h"
#include "base/AppFlags.h"
#include "link/Connection.h"
#include "link/LinkClock.h"
#include "link/MemorySerialDevice.h"
#include "link/PhoneLink.h"
#include "phonefs/FolderMaps.h"
#include "phonefs/PhoneFs.h"

using namespace q7k3;

namespace {

// Wait steps advance a clock; every step is one poll tick of the port.
class StepClock final : public LinkClock {
public:
    int64_t now = 0;
    std::function<void()> onTick;
    void WaitForInput(int ms) override {
        now += ms;
        if (onTick) onTick();
    }
    void TakeInput() override {
        if (onTick) onTick();
    }
    int64_t NowMs() override { return now; }
};

// Nobody at the screen: boxes are dropped, questions answered the same way every time.
class NobodyThere final : public Prompts,
                          public ProgressView,
                          public RenameQuestion,
                          public ConflictQuestion {
public:
    void MessageBox(const std::string&, const std::string&, BoxIcon) override {}
    bool AskYesNo(const std::string&, const std::string&) override { return true; }
    void Show() override {}
    void Hide() override {}
    void SetCaption(const std::string&) override {}
    void SetQuickStatus(const std::string&) override {}
    void SetLongStatus(const std::string&) override {}
    void SetMax(int bar, int max) override { m_max[bar & 1] = max; }
    void SetPosition(int bar, int position) override { m_pos[bar & 1] = position; }
    void Step(int bar) override { ++m_pos[bar & 1]; }
    int Position(int bar) const override { return m_pos[bar & 1]; }
    int Max(int bar) const override { return m_max[bar & 1]; }
    std::optional<std::string> AskNewName(const std::string&) override { return "new.bin"; }
    ConflictReply AskConflict(const std::string&, const std::string&) override {
        return {ConflictAnswer::Overwrite, {}};
    }

private:
    int m_max[2] = {0, 0};
    int m_pos[2] = {0, 0};
};

[[noreturn]] void Fail(const char* what, int64_t elapsed, int64_t bound) {
    std::fprintf(stderr, "%s: %lld ms, bound %lld ms\n", what, static_cast<long long>(elapsed),
                 static_cast<long long>(bound));
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_phone_stream";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    static QTemporaryDir dir;
    (void)app;
    // A file the rename cannot put back is kept in the recovery folder: keep it here.
    static const bool home = qputenv("XDG_DATA_HOME", dir.path().toLocal8Bit());
    (void)home;
    if (size < 1 || !dir.isValid()) return 0;

    const int op = data[0] % 6;
    std::deque<std::string> onWrite, onClock;
    {
        std::string piece;
        const auto flush = [&] {
            if (!piece.empty() && piece[0] == 0x02)
                onClock.push_back(piece.substr(1));
            else
                onWrite.push_back(piece);
            piece.clear();
        };
        for (size_t i = 1; i < size; ++i) {
            if (data[i] == 0x01)
                flush();
            else
                piece += static_cast<char>(data[i]);
        }
        flush();
    }

    StepClock clock;
    auto device = std::make_unique<MemorySerialDevice>();
    MemorySerialDevice* dev = device.get();
    dev->onWrite = [&](const std::string&) {
        if (onWrite.empty()) return;
        dev->input += onWrite.front();
        onWrite.pop_front();
    };
    PhoneLink link(SerialPort::CreatePhonePort(std::move(device)), &clock);
    link.Port.SetPortName("/dev/ttyFUZZ");
    link.Port.SetClock([&] { return clock.now; }, [&](int ms) { clock.now += ms; });
    AtChannel& ch = link.Channel;
    ch.PollStep = 50;  // the slowest timing: few steps per second of virtual time
    int64_t nextSpontaneous = 500;
    clock.onTick = [&] {
        if (!onClock.empty() && clock.now >= nextSpontaneous) {
            dev->input += onClock.front();
            onClock.pop_front();
            nextSpontaneous = clock.now + 500;
        }
        link.Port.PollTick();
    };
    if (!link.Port.Connect()) return 0;
    ch.PhoneModel = "SGH-E700";

    AppFlags flags;
    NobodyThere nobody;
    PhoneFs fs(ch, flags, nobody, nobody);
    auto root = MakeRoot("E700", "A");
    Tree4* folder = AddFolder("user", root.get(), "B");
    AddFile(folder, "x.bin", QDateTime(), static_cast<int32_t>(size));
    const std::string local = dir.filePath("local.bin").toStdString();
    {
        QFile f(QString::fromStdString(local));
        if (f.open(QIODevice::WriteOnly)) f.write(std::string(700, 'l').c_str(), 700);
    }

    // The bound every exchange keeps: its base (the longest first and further waits and a
    // round trip), four times the line time of every byte either way, half a second per
    // block the input could frame; `exchanges` of them at most for the command.
    size_t blockMarks = 0;
    for (size_t i = 0; i + 3 < size; ++i) {
        blockMarks += (data[i] == '#' && (data[i + 1] == 'O' || data[i + 1] == '#')) ? 1 : 0;
    }
    // What the program itself sends: the commands, a file of 700 bytes twice, prompts.
    const size_t sentBytes = 4 * 700 + 2048 + 8 * (blockMarks + 1);
    const auto bound = [&](int exchanges) {
        const int64_t base = 5000 + 10000 + AtChannel::kRoundTripMs + 1000;
        const int64_t perExchange = base + AtChannel::kLineFactor * ch.LineMs(size + sentBytes) +
                                    static_cast<int64_t>(blockMarks + 2) * AtChannel::kRoundTripMs;
        return exchanges * perExchange;
    };

    const int64_t start = clock.now;
    int exchanges = 1;
    switch (op) {
        case 0:
            exchanges = 2;  // ATZ, AT+CGMM
            IdentifyPhone(link, flags);
            break;
        case 1:
            exchanges = 2;  // AT+FSCD, AT+FSDL
            (void)fs.ListFolder(folder, true);
            break;
        case 2:
            exchanges = 2;  // a read, and one more after a checksum failure
            (void)fs.ReadPhoneFile(dir.filePath("read.bin").toStdString(), "x.bin", QDateTime(),
                                   static_cast<int64_t>(size));
            break;
        case 3:
            (void)fs.WritePhoneFile(local, "x.bin", folder);
            break;
        case 4:
            (void)fs.EraseFile("x.bin");
            break;
        default: {
            // Folder, read twice, two erases, write, and the way back: ten at most.
            exchanges = 10;
            RenameFile rename(fs, folder, nobody, nobody);
            (void)rename.Run("x.bin");
            break;
        }
    }
    const int64_t elapsed = clock.now - start;
    if (elapsed > bound(exchanges)) Fail("a command ran past its bound", elapsed, bound(exchanges));
    return 0;
}
