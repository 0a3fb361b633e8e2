#include "preview/SmafWav.h"

#include <cstdio>
#include <cstring>

#include "media/Melody.h"
#include "preview/SmafRender.h"
#include "ui/Messages.h"

namespace q7k3 {
namespace {

// The melody is rendered and written a block at a time, so that a melody of half an hour
// needs no more memory than one of a second.
constexpr size_t kWavBlockFrames = 8192;

bool RenderInto(std::FILE* f, smaf::SynthHost& host, smaf::Melody melody) {
    smaf::MelodyRenderer renderer(host, std::move(melody));
    // The sizes are known at the end: the header is written again then.
    const Bytes placeholder = smaf::WavHeader(0, smaf::kRenderRate);
    if (std::fwrite(placeholder.data(), 1, placeholder.size(), f) != placeholder.size())
        return false;
    std::vector<int16_t> block(kWavBlockFrames * 2);
    std::vector<uint8_t> bytes(kWavBlockFrames * 4);
    uint64_t dataBytes = 0;
    for (;;) {
        const size_t n = renderer.Read(block.data(), kWavBlockFrames);
        if (n == 0) break;
        for (size_t i = 0; i < n * 2; ++i) {
            const auto v = static_cast<uint16_t>(block[i]);
            bytes[2 * i] = static_cast<uint8_t>(v & 0xFF);
            bytes[2 * i + 1] = static_cast<uint8_t>(v >> 8);
        }
        if (std::fwrite(bytes.data(), 1, n * 4, f) != n * 4) return false;
        dataBytes += n * 4;
    }
    // Thirty minutes and the release come to about 318 MB: the sizes fit their 32 bits.
    const Bytes header = smaf::WavHeader(static_cast<uint32_t>(dataBytes), smaf::kRenderRate);
    return std::fseek(f, 0, SEEK_SET) == 0 &&
           std::fwrite(header.data(), 1, header.size(), f) == header.size();
}

}  // namespace

MediaResult ConvertSMAFtoWAV(const std::string& source, const std::string& target, bool mel,
                             const std::string& soundFont, std::vector<std::string>* warnings) {
    Bytes file;
    if (auto r = media::ReadFileBounded(source, kWorkBufferSize, file); !r) return r;
    ByteView smafBytes(file);
    if (mel) {
        if (RecogniseMelody(smafBytes) != MelodyKind::Mel)
            return MediaResult::Failure(kMsgMelodyUnknown);
        smafBytes = smafBytes.subspan(kMelTitleSize);
    }

    smaf::SmafImage image;
    smaf::ReadResult r = smaf::ReadSmaf(smafBytes, image);
    if (r.Status == smaf::ReadStatus::Unsupported)
        return MediaResult::Failure(kMsgMelodyUnsupported);
    if (!r) return MediaResult::Failure(kMsgMelodyUnknown);
    smaf::Melody melody;
    r = smaf::BuildMelody(image, melody);
    if (!r) return MediaResult::Failure(kMsgMelodyUnknown);
    if (warnings && image.CrcMismatch) warnings->push_back(Msg(kMsgMelodyCrc));
    // A wave left silent is said, never passed over: the melody would sound wrong.
    if (warnings && melody.UnplayedWaves) warnings->push_back(Msg(kMsgWaveCodingUnplayed));
    image = smaf::SmafImage{};  // its copies of the sequences and waves are no longer needed
    file = Bytes{};

    std::string error;
    auto host = smaf::SynthHost::Create(smaf::FindSoundFont(soundFont), error);
    if (!host) return MediaResult::Failure(kMsgNoSoundFont);
    if (target.empty() || media::IsDirectory(target))
        return MediaResult::Failure(kMsgCannotOpenFile, target);
    std::FILE* f = std::fopen(target.c_str(), "wb");
    if (!f) return MediaResult::Failure(kMsgCannotOpenFile, target);
    const bool written = RenderInto(f, *host, std::move(melody));
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        // Half a melody is no use to anyone.
        std::remove(target.c_str());
        return MediaResult::Failure(kMsgCannotOpenFile, target);
    }
    return MediaResult::Success(target);
}

}  // namespace q7k3
