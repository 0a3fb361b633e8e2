#include "preview/SmafEngine.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QtDebug>
#include <cstring>
#include <thread>
#include <vector>

#include "media/MediaResult.h"
#include "preview/PcmStream.h"
#include "media/smaf/SmafScore.h"
#include "base/HandOff.h"
#include "base/Messages.h"

namespace q7k3 {
namespace {

// A second of sound rendered ahead: room enough for a crowded moment to be rendered
// before it is heard.
constexpr size_t kAheadFrames = smaf::kRenderRate;

struct Engine {
    std::unique_ptr<smaf::SynthHost> Host;
    SmafOutputFactory Factory;
    bool Available = false;
    int Missing = 0;
    bool Playing = false;
    std::unique_ptr<smaf::PcmStream> Stream;
    std::unique_ptr<smaf::SoundOutput> Output;
    // Threads of stopped melodies that may still be letting go of the synthesizer; the next
    // melody's thread waits for them.
    std::vector<std::thread> Stopping;
    SmafStopProc OnStop;
    uint64_t Generation = 0;  // which melody a queued end belongs to
    // Where a melody's end is handed to, made on the thread that plays (the window's).
    std::unique_ptr<HandOff> Ends;

    // At exit without SmafDone: the threads finish before the synthesizer goes.
    ~Engine() {
        Output.reset();
        Stream.reset();
        for (std::thread& t : Stopping)
            if (t.joinable()) t.join();
    }
};

Engine& E() {
    static Engine engine;
    return engine;
}

// The end of a melody reaches the engine through the event loop, never from inside the
// sound output that noticed it, and only while that same melody still plays.
void PostEnd(uint64_t generation) {
    auto deliver = [generation] {
        if (E().Playing && E().Generation == generation) SmafEvent(kSmafEndOfMelody);
    };
    if (E().Ends)
        E().Ends->Post(deliver);
    else
        deliver();
}

}  // namespace

bool SmafInit(const std::string& soundFont) {
    SmafDone();
    Engine& e = E();
    e.Missing = kMsgNoSoundFont;
    const std::string path = smaf::FindSoundFont(soundFont);
    if (path.empty()) return false;
    std::string error;
    e.Host = smaf::SynthHost::Create(path, error);
    if (!e.Host) {
        qWarning("melody player: %s", error.c_str());
        return false;
    }
    e.Available = e.Factory ? true : smaf::DesktopSoundAvailable();
    e.Missing = e.Available ? 0 : kMsgNoSoundDevice;
    if (!e.Available) e.Host.reset();
    return e.Available;
}

bool SmafPlay(const std::string& fileName, SmafStopProc onStop) {
    Engine& e = E();
    if (!e.Available) return false;
    Bytes file;
    if (!media::ReadFileBounded(fileName, kWorkBufferSize, file)) return false;
    if (file.size() < 8 || std::memcmp(file.data(), "MMMD", 4) != 0) return false;
    SmafStop();

    // Reading the tracks, which may take a while for a large sequence, is the stream
    // thread's first work. A file found broken there plays as silence and ends at once.
    smaf::SynthHost* host = e.Host.get();
    e.Stream = std::make_unique<smaf::PcmStream>(smaf::kRenderRate, kAheadFrames);
    e.Stream->Start(
        [host, file = std::move(file),
         name = fileName](const std::atomic<bool>& cancel) -> std::unique_ptr<smaf::PcmSource> {
            smaf::Melody melody;
            const smaf::ReadResult r = smaf::ReadMelody(file, melody);
            if (!r) {
                qWarning("melody player: %s: %s", name.c_str(), r.Detail.c_str());
                return nullptr;
            }
            for (const std::string& w : melody.Warnings)
                qWarning("melody player: %s: %s", name.c_str(), w.c_str());
            auto renderer = std::make_unique<smaf::MelodyRenderer>(*host, std::move(melody));
            renderer->SetCancel(&cancel);
            return renderer;
        },
        std::move(e.Stopping));
    e.Stopping.clear();

    e.Output = e.Factory ? e.Factory() : smaf::MakeDesktopSoundOutput();
    if (!e.Ends && QCoreApplication::instance()) e.Ends = std::make_unique<HandOff>(nullptr);
    const uint64_t generation = ++e.Generation;
    if (!e.Output || !e.Output->Start(*e.Stream, [generation] { PostEnd(generation); })) {
        e.Output.reset();
        e.Stopping.push_back(e.Stream->Abandon());
        e.Stream.reset();
        return false;
    }
    e.Playing = true;
    e.OnStop = std::move(onStop);
    return true;
}

void SmafEvent(int event) {
    if (event == kSmafEndOfMelody) SmafStop();
}

void SmafStop() {
    Engine& e = E();
    if (!e.Playing) return;
    // Everything is torn down before the on-stop procedure runs, so that it may start the
    // next melody or call SmafStop again without finding the engine half stopped.
    e.Playing = false;
    SmafStopProc onStop = std::move(e.OnStop);
    e.OnStop = nullptr;
    if (e.Output) e.Output->Stop();
    e.Output.reset();
    if (e.Stream) e.Stopping.push_back(e.Stream->Abandon());
    e.Stream.reset();
    if (onStop) onStop();
}

void SmafDone() {
    Engine& e = E();
    SmafStop();
    for (std::thread& t : e.Stopping)
        if (t.joinable()) t.join();
    e.Stopping.clear();
    e.Host.reset();
    e.Available = false;
    e.Missing = 0;
}

bool SmafAvailable() {
    return E().Available;
}
bool SmafPlaying() {
    return E().Playing;
}
int SmafMissing() {
    return E().Missing;
}

void SmafSetOutputFactory(SmafOutputFactory factory) {
    E().Factory = std::move(factory);
}

}  // namespace q7k3
