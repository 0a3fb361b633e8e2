// SMAF melodies from the phone or a disk: the chunk reader, the track decoders and the
// Huffman-coded sequences, with the ADPCM waves they carry.
#include <algorithm>

#include "fuzz/FuzzCheck.h"
#include "media/smaf/SmafScore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const q7k3::ByteView in(data, size);
    q7k3::smaf::Melody m;
    if (q7k3::smaf::ReadMelody(in, m)) {
        FUZZ_CHECK(m.EndMs <= q7k3::smaf::kMaxMelodyMs);
        FUZZ_CHECK(std::is_sorted(m.Events.begin(), m.Events.end(),
                                  [](const auto& a, const auto& b) { return a.Ms < b.Ms; }));
        for (const auto& e : m.Events) {
            FUZZ_CHECK(e.Channel < q7k3::smaf::kSynthChannels);
            if (e.Kind == q7k3::smaf::EventKind::WaveOn) FUZZ_CHECK(e.Wide < m.Waves.size());
        }
    }
    q7k3::Bytes out;
    if (q7k3::smaf::HuffmanDecode(in, out, 1 << 16)) FUZZ_CHECK(out.size() <= (1u << 16));
    return 0;
}
