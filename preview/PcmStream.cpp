#include "preview/PcmStream.h"

#include <algorithm>

namespace q7k3::smaf {
namespace {

// The first block is small, so that the first sound is ready soon after Play; later ones
// are larger, for speed.
constexpr size_t kFirstBlock = 256;
constexpr size_t kBlock = 2048;

}  // namespace

// Everything the thread and the taker share; the thread keeps it alive after an Abandon.
// One thread puts, one takes, and neither ever waits for the other's lock: the taker runs
// the window, and a maker descheduled while holding a lock would hold the window up.
struct PcmStream::Shared {
    std::vector<int16_t> Ring;       // interleaved stereo frames
    size_t Capacity = 0;             // in frames
    std::atomic<uint64_t> Made{0};   // frames put, ever; the thread alone writes it
    std::atomic<uint64_t> Taken{0};  // frames taken, ever; the taker alone writes it
    std::atomic<bool> SourceEnded{false};
    std::atomic<bool> Cancel{false};
    std::atomic<uint32_t> Wake{0};  // changed when frames are taken and on cancel
};

PcmStream::PcmStream(int rate, size_t aheadFrames)
    : m_rate(rate), m_shared(std::make_shared<Shared>()) {
    m_shared->Capacity = std::max(aheadFrames, kBlock);
    m_shared->Ring.resize(m_shared->Capacity * 2);
}

PcmStream::~PcmStream() {
    std::thread t = Abandon();
    if (t.joinable()) t.join();
}

void PcmStream::Start(Maker make, std::vector<std::thread> before) {
    m_thread = std::thread(
        [shared = m_shared, make = std::move(make), before = std::move(before)]() mutable {
            for (std::thread& t : before)
                if (t.joinable()) t.join();
            Shared& s = *shared;
            std::unique_ptr<PcmSource> source;
            if (!s.Cancel) source = make(s.Cancel);
            std::vector<int16_t> block(kBlock * 2);
            size_t want = kFirstBlock;
            while (source && !s.Cancel) {
                // Room for a block, or the stream is cancelled.
                for (;;) {
                    const uint32_t seen = s.Wake.load(std::memory_order_acquire);
                    if (s.Cancel) break;
                    const uint64_t ready = s.Made.load(std::memory_order_relaxed) -
                                           s.Taken.load(std::memory_order_acquire);
                    if (s.Capacity - ready >= want) break;
                    s.Wake.wait(seen, std::memory_order_acquire);
                }
                if (s.Cancel) break;
                const size_t n = source->Read(block.data(), want);
                if (n == 0) break;
                const uint64_t made = s.Made.load(std::memory_order_relaxed);
                for (size_t i = 0; i < n; ++i) {
                    const size_t at = (made + i) % s.Capacity;
                    s.Ring[2 * at] = block[2 * i];
                    s.Ring[2 * at + 1] = block[2 * i + 1];
                }
                s.Made.store(made + n, std::memory_order_release);
                want = kBlock;
            }
            // The source lets go of the synthesizer here, on this thread, before anyone
            // waiting for the thread goes on.
            source.reset();
            s.SourceEnded.store(true, std::memory_order_release);
        });
}

size_t PcmStream::Take(int16_t* out, size_t frames) {
    Shared& s = *m_shared;
    const uint64_t taken = s.Taken.load(std::memory_order_relaxed);
    const uint64_t made = s.Made.load(std::memory_order_acquire);
    const size_t n = static_cast<size_t>(std::min<uint64_t>(frames, made - taken));
    for (size_t i = 0; i < n; ++i) {
        const size_t at = (taken + i) % s.Capacity;
        out[2 * i] = s.Ring[2 * at];
        out[2 * i + 1] = s.Ring[2 * at + 1];
    }
    if (n > 0) {
        s.Taken.store(taken + n, std::memory_order_release);
        s.Wake.fetch_add(1, std::memory_order_release);
        s.Wake.notify_one();
    }
    return n;
}

bool PcmStream::Ended() const {
    const Shared& s = *m_shared;
    // The end is read before what was made: everything made before it is then seen.
    return s.SourceEnded.load(std::memory_order_acquire) &&
           s.Taken.load(std::memory_order_relaxed) == s.Made.load(std::memory_order_acquire);
}

std::thread PcmStream::Abandon() {
    m_shared->Cancel = true;
    m_shared->Wake.fetch_add(1, std::memory_order_release);
    m_shared->Wake.notify_all();
    return std::move(m_thread);
}

}  // namespace q7k3::smaf
