#include "preview/PcmStream.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

namespace q7k3::smaf {
namespace {

// The first block is small, so that the first sound is ready soon after Play; later ones
// are larger, for speed.
constexpr size_t kFirstBlock = 256;
constexpr size_t kBlock = 2048;

}  // namespace

// Everything the thread and the taker share; the thread keeps it alive after an Abandon.
struct PcmStream::Shared {
    std::mutex Lock;
    std::condition_variable Room;  // signalled when frames are taken or on cancel
    std::vector<int16_t> Ring;     // interleaved stereo frames
    size_t Capacity = 0;           // in frames
    size_t Head = 0;               // the next frame to take
    size_t Count = 0;              // frames ready
    bool SourceEnded = false;
    std::atomic<bool> Cancel{false};
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
                {
                    std::unique_lock<std::mutex> lock(s.Lock);
                    s.Room.wait(lock, [&] { return s.Cancel || s.Capacity - s.Count >= want; });
                    if (s.Cancel) break;
                }
                const size_t n = source->Read(block.data(), want);
                if (n == 0) break;
                std::lock_guard<std::mutex> lock(s.Lock);
                for (size_t i = 0; i < n; ++i) {
                    const size_t at = (s.Head + s.Count + i) % s.Capacity;
                    s.Ring[2 * at] = block[2 * i];
                    s.Ring[2 * at + 1] = block[2 * i + 1];
                }
                s.Count += n;
                want = kBlock;
            }
            // The source lets go of the synthesizer here, on this thread, before anyone
            // waiting for the thread goes on.
            source.reset();
            std::lock_guard<std::mutex> lock(s.Lock);
            s.SourceEnded = true;
        });
}

size_t PcmStream::Take(int16_t* out, size_t frames) {
    Shared& s = *m_shared;
    size_t n = 0;
    {
        std::lock_guard<std::mutex> lock(s.Lock);
        n = std::min(frames, s.Count);
        for (size_t i = 0; i < n; ++i) {
            const size_t at = (s.Head + i) % s.Capacity;
            out[2 * i] = s.Ring[2 * at];
            out[2 * i + 1] = s.Ring[2 * at + 1];
        }
        s.Head = (s.Head + n) % s.Capacity;
        s.Count -= n;
    }
    if (n > 0) s.Room.notify_one();
    return n;
}

bool PcmStream::Ended() const {
    Shared& s = *m_shared;
    std::lock_guard<std::mutex> lock(s.Lock);
    return s.SourceEnded && s.Count == 0;
}

std::thread PcmStream::Abandon() {
    {
        std::lock_guard<std::mutex> lock(m_shared->Lock);
        m_shared->Cancel = true;
    }
    m_shared->Room.notify_all();
    return std::move(m_thread);
}

}  // namespace q7k3::smaf
