#include "media/Melody.h"

#include <cstdio>
#include <cstring>

#include "base/Text.h"

namespace q7k3 {

std::string MelTitle(ByteView mel) {
    return Cp1251ToUtf8(media::StoredTitle(mel, 0, kMelTitleSize));
}

Bytes BuildMel(ByteView mmf, const std::string& utf8Title) {
    std::string title = Utf8ToCp1251(utf8Title);
    if (title.size() > kMelTitleSize) title.resize(kMelTitleSize);
    Bytes mel(kMelTitleSize, 0xFF);
    std::memcpy(mel.data(), title.data(), title.size());
    mel.insert(mel.end(), mmf.begin(), mmf.end());
    return mel;
}

MediaResult ConvertMELtoMMF(const std::string& source, const std::string& target,
                            bool explicitTarget) {
    Bytes mel;
    if (auto r = media::ReadFileBounded(source, kMelodyAniBufferSize, mel); !r) return r;
    if (mel.size() < kMelTitleSize) return MediaResult::Failure(13);

    std::string out = target;
    if (!explicitTarget) {
        std::string title = MelTitle(mel);
        if (title.empty()) {
            out = media::ReplaceLastThree(target, "mmf");
        } else {
            if (title.find(".mmf") == std::string::npos) title += ".mmf";
            // The title comes from the phone's file: it may name any path; it stays a
            // single name inside the destination folder.
            out = media::JoinPath(media::FolderPart(target), SafeFileName(title));
        }
    }
    auto r = media::WriteFileBytes(out, ByteView(mel).subspan(kMelTitleSize));
    if (r) r.Output = out;
    return r;
}

MediaResult ConvertMMFtoMEL(const std::string& source, const std::string& target) {
    Bytes mmf;
    if (auto r = media::ReadFileBounded(source, kWorkBufferSize, mmf); !r) return r;
    return media::WriteFileBytes(target, BuildMel(mmf, media::FileNamePart(source)));
}

MelodyKind RecogniseMelody(ByteView head) {
    auto magicAt = [&](size_t at) {
        return head.size() >= at + 4 && std::memcmp(head.data() + at, "MMMD", 4) == 0;
    };
    if (magicAt(0)) return MelodyKind::Mmf;
    if (magicAt(kMelTitleSize)) return MelodyKind::Mel;
    return MelodyKind::Unknown;
}

MelodyKind RecogniseMelodyFile(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return MelodyKind::Unknown;
    uint8_t head[36];
    const size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    return RecogniseMelody(ByteView(head, n));
}

}  // namespace q7k3
