#include "preview/SmafEngine.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QtDebug>

#include "media/MediaResult.h"
#include "preview/SmafScore.h"

namespace q7k3 {
namespace {

struct Engine {
    std::unique_ptr<smaf::SynthHost> Host;
    SmafOutputFactory Factory;
    bool Available = false;
    bool Playing = false;
    std::unique_ptr<smaf::MelodyRenderer> Renderer;
    std::unique_ptr<smaf::SoundOutput> Output;
    SmafStopProc OnStop;
    uint64_t Generation = 0;  // which melody a queued end belongs to
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
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, deliver, Qt::QueuedConnection);
    else
        deliver();
}

}  // namespace

bool SmafInit(const std::string& soundFont) {
    SmafDone();
    Engine& e = E();
    const std::string path = smaf::FindSoundFont(soundFont);
    if (path.empty()) return false;
    std::string error;
    e.Host = smaf::SynthHost::Create(path, error);
    if (!e.Host) {
        qWarning("melody player: %s", error.c_str());
        return false;
    }
    e.Available = e.Factory ? true : smaf::DesktopSoundAvailable();
    if (!e.Available) e.Host.reset();
    return e.Available;
}

bool SmafPlay(const std::string& fileName, SmafStopProc onStop) {
    Engine& e = E();
    if (!e.Available) return false;
    Bytes file;
    if (!media::ReadFileBounded(fileName, kWorkBufferSize, file)) return false;
    SmafStop();

    smaf::Melody melody;
    const smaf::ReadResult r = smaf::ReadMelody(file, melody);
    if (!r) {
        qWarning("melody player: %s: %s", fileName.c_str(), r.Detail.c_str());
        return false;
    }
    for (const std::string& w : melody.Warnings)
        qWarning("melody player: %s: %s", fileName.c_str(), w.c_str());

    e.Renderer = std::make_unique<smaf::MelodyRenderer>(*e.Host, std::move(melody));
    e.Output = e.Factory ? e.Factory() : smaf::MakeDesktopSoundOutput();
    const uint64_t generation = ++e.Generation;
    if (!e.Output || !e.Output->Start(*e.Renderer, [generation] { PostEnd(generation); })) {
        e.Output.reset();
        e.Renderer.reset();
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
    e.Renderer.reset();
    if (onStop) onStop();
}

void SmafDone() {
    Engine& e = E();
    SmafStop();
    e.Host.reset();
    e.Available = false;
}

bool SmafAvailable() {
    return E().Available;
}
bool SmafPlaying() {
    return E().Playing;
}

void SmafSetOutputFactory(SmafOutputFactory factory) {
    E().Factory = std::move(factory);
}

}  // namespace q7k3
