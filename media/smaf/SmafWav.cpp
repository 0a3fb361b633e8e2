#include "media/smaf/SmafWav.h"

#include <cstdio>
#include <cstring>

#include "media/Melody.h"
#include "media/smaf/SmafRender.h"
#include "base/LocalProblem.h"
#include "base/Messages.h"
#include "base/OutputFile.h"

namespace q7k3 {
namespace {

// The melody is rendered and written a block at a time, so that a melody of half an hour
// needs no more memory than one of a second.
constexpr size_t kWavBlockFrames = 8192;

Status RenderInto(OutputFile& out, smaf::SynthHost& host, smaf::Melody melody) {
    smaf::MelodyRenderer renderer(host, std::move(melody));
    // The sizes are known at the end: the header is written again then.
    const Bytes placeholder = smaf::WavHeader(0, smaf::kRenderRate);
    if (Status s = out.Write(placeholder.data(), placeholder.size()); !s) return s;
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
        if (Status s = out.Write(bytes.data(), n * 4); !s) return s;
        dataBytes += n * 4;
    }
    // Thirty minutes and the release come to about 318 MB: the sizes fit their 32 bits.
    const Bytes header = smaf::WavHeader(static_cast<uint32_t>(dataBytes), smaf::kRenderRate);
    if (!out.File().seek(0))
        return Fail(kErrLocalFile,
                    out.Target() + ": " + LocalProblem(out.Target(), LocalAccess::Write, errno));
    return out.Write(header.data(), header.size());
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
    if (target.empty()) return MediaResult::Failure(kMsgCannotOpenFile, target);
    // Half a melody is no use to anyone: the WAV takes the target's place once it is whole.
    OutputFile out(target);
    Status written = out.Open();
    if (written) written = RenderInto(out, *host, std::move(melody));
    if (written) written = out.Commit();
    if (!written) return media::OutputFailure(target, written.error());
    return MediaResult::Success(target);
}

}  // namespace q7k3
