#pragma once
// Where the engine's rendered sound goes: the desktop's audio, or (for tests and
// measurements) a capture that takes the sound as fast as it is made. Either takes it from
// a PcmStream, whose thread renders it: the thread that plays never renders.

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "preview/PcmStream.h"

namespace q7k3::smaf {

class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Starts taking sound from `stream` (which outlives the output). `finished` runs on the
    // thread that called Start, once the stream has ended and its sound has been handed on.
    // False when the sound cannot start.
    virtual bool Start(PcmStream& stream, std::function<void()> finished) = 0;
    // Stops at once; `finished` is not called afterwards.
    virtual void Stop() = 0;
};

// The desktop's default sound device (Qt Multimedia). Checked once by the engine: without a
// device the engine stays unavailable.
bool DesktopSoundAvailable();
std::unique_ptr<SoundOutput> MakeDesktopSoundOutput();

// What a capture saw, shared with whoever made it.
struct CaptureLog {
    std::vector<int16_t> Pcm;  // interleaved stereo, when kept
    size_t Frames = 0;
    std::chrono::steady_clock::time_point Started, FirstSound;
    bool GotSound = false;
    bool Finished = false;
};

// Takes what the stream has ready a block at a time from the event loop (one block per
// turn of the loop, as a sound device would), as fast as it renders.
std::unique_ptr<SoundOutput> MakeCaptureSoundOutput(std::shared_ptr<CaptureLog> log,
                                                    bool keepPcm = true);

}  // namespace q7k3::smaf
