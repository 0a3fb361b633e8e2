#pragma once
// Sound made on a thread of its own, a little ahead of the moment it is heard. Building a
// melody and rendering a crowded moment (thousands of notes at once) happen there; whoever
// plays the sound only takes what is ready and never waits for it.

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "media/smaf/SmafRender.h"

namespace q7k3::smaf {

class PcmStream {
public:
    // What the thread runs first: it makes the source, or null when there is nothing to
    // play, and may watch `cancel` while it works.
    using Maker = std::function<std::unique_ptr<PcmSource>(const std::atomic<bool>& cancel)>;

    // `aheadFrames`: how much sound may wait, made, to be taken.
    PcmStream(int rate, size_t aheadFrames);
    // Cancels the thread and waits for it (see Abandon for not waiting).
    ~PcmStream();
    PcmStream(const PcmStream&) = delete;
    PcmStream& operator=(const PcmStream&) = delete;

    // Starts the thread. It first waits for the threads in `before`: earlier streams that
    // are still letting go of the same synthesizer.
    void Start(Maker make, std::vector<std::thread> before = {});
    // Copies up to `frames` stereo frames that are ready; 0 when none is ready yet.
    size_t Take(int16_t* out, size_t frames);
    // True once the source has ended and everything it made has been taken.
    bool Ended() const;
    int SampleRate() const { return m_rate; }
    // Tells the thread to stop and hands it over unjoined: whoever uses the synthesizer
    // next waits for it, so that stopping a melody never waits for its thread.
    std::thread Abandon();

private:
    struct Shared;
    int m_rate;
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};

}  // namespace q7k3::smaf
