#include "preview/SmafWav.h"

#include <cstring>

#include "media/Melody.h"
#include "preview/SmafRender.h"
#include "ui/Messages.h"

namespace q7k3 {

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

    std::string error;
    auto host = smaf::SynthHost::Create(smaf::FindSoundFont(soundFont), error);
    if (!host) return MediaResult::Failure(kMsgNoSoundFont);
    const std::vector<int16_t> pcm = smaf::RenderAll(*host, std::move(melody));
    auto w = media::WriteFileBytes(target, smaf::WavFile(pcm, smaf::kRenderRate));
    if (w) w.Output = target;
    return w;
}

}  // namespace q7k3
