// q7k3fm-cli convert KIND IN OUT: the converters the copy commands use, on local files.
//
// Where a converter names its own output (mel2mmf, ems2bmp, ems2imy) OUT may be a folder;
// the other kinds take a folder too and name the file after IN with their extension.
// ani2bmp reads the .ani 126 pixels wide when IN's name or OUT contains "wpaper.ani" (as a
// copy from the phone does) and 128 wide otherwise; --width N says it outright. An OUT
// ending in ".ani" names the phone file: the BMP is written beside it as <name>.bmp.

#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/Cli.h"
#include "media/Ani.h"
#include "media/EmsMelody.h"
#include "media/EmsPicture.h"
#include "media/Jad.h"
#include "media/MediaResult.h"
#include "media/Melody.h"
#include "preview/SmafWav.h"
#include "ui/Text.h"

namespace q7k3::cli {
namespace {

constexpr const char* kUsage =
    "convert mel2mmf|mmf2mel|mmf2wav|mel2wav|ani2bmp|pic2ani|pic2ems|ems2bmp|imy2ems|ems2imy|jad "
    "IN OUT "
    "[--slot N] [--width N]";

// OUT itself, or, for a folder, IN's name with its extension replaced by `ext`.
std::string OutputIn(const std::string& in, const std::string& out, const std::string& ext) {
    if (!media::IsDirectory(out)) return out;
    std::string name = media::FileNamePart(in);
    if (const size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.resize(dot);
    return media::JoinPath(out, SafeFileName(name + ext));
}

bool ParseNumber(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 6) return false;
    int v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v < low || v > high) return false;
    value = v;
    return true;
}

int RunConvert(const std::vector<std::string>& argsIn) {
    std::vector<std::string> args = argsIn;
    bool optionError = false;
    const std::string slotText = TakeOption(args, "--slot", "0", optionError);
    const std::string widthText = TakeOption(args, "--width", "", optionError);
    int slot = 0, width = 0;
    if (optionError || args.size() != 3 || !ParseNumber(slotText, 0, 255, slot) ||
        (!widthText.empty() && !ParseNumber(widthText, 1, 4096, width)))
        return Fail(std::string("usage: q7k3fm-cli ") + kUsage, 2);
    const std::string& kind = args[0];
    const std::string& in = args[1];
    const std::string& out = args[2];
    const bool outIsFolder = media::IsDirectory(out);
    const auto slotByte = static_cast<uint8_t>(slot);

    MediaResult r;
    if (kind == "mel2mmf") {
        // The copy form names the melody from its title, or from IN's name.
        r = outIsFolder ? ConvertMELtoMMF(in, media::JoinPath(out, media::FileNamePart(in)), false)
                        : ConvertMELtoMMF(in, out, true);
    } else if (kind == "mmf2mel") {
        r = ConvertMMFtoMEL(in, OutputIn(in, out, ".mel"));
    } else if (kind == "mmf2wav" || kind == "mel2wav") {
        // Rendered as the preview plays it; a CRC that does not match is only a warning.
        std::vector<std::string> warnings;
        r = ConvertSMAFtoWAV(in, OutputIn(in, out, ".wav"), kind == "mel2wav", {}, &warnings);
        for (const std::string& w : warnings) std::fprintf(stderr, "%s\n", w.c_str());
    } else if (kind == "ani2bmp") {
        // OUT named like the phone file (folder/wpaper.ani) is the copy to the computer's
        // own form: the BMP goes beside it with "bmp" for its last three letters.
        const bool phoneName = !outIsFolder && LowerAscii(out).ends_with(".ani");
        const std::string target =
            outIsFolder ? media::JoinPath(out, media::FileNamePart(in)) : out;
        const std::string bmp =
            outIsFolder || phoneName ? media::ReplaceLastThree(target, "bmp") : out;
        const bool wallpaper = AniWidthFor(media::FileNamePart(in)) == kWallpaperAniWidth ||
                               AniWidthFor(target) == kWallpaperAniWidth;
        const int aniWidth = wallpaper ? kWallpaperAniWidth : kAniWidth;
        r = ConvertANItoBMP(in, bmp, width > 0 ? width : aniWidth);
    } else if (kind == "pic2ani") {
        r = ConvertPictureToANI(in, OutputIn(in, out, ".ani"));
    } else if (kind == "pic2ems") {
        r = ConvertBMPtoEMS(in, OutputIn(in, out, ".ani"), slotByte);
    } else if (kind == "ems2bmp") {
        r = outIsFolder ? ConvertEMStoBMP(in, "", out) : ConvertEMStoBMP(in, out);
    } else if (kind == "imy2ems") {
        r = ConvertIMYtoEMS(in, OutputIn(in, out, ".mel"), slotByte);
    } else if (kind == "ems2imy") {
        r = outIsFolder ? ConvertEMStoIMY(in, "", out) : ConvertEMStoIMY(in, out);
    } else if (kind == "jad") {
        r = CreateJadFromManifest(in, OutputIn(in, out, ".jad"));
    } else {
        return Fail(std::string("usage: q7k3fm-cli ") + kUsage, 2);
    }
    if (!r) return Fail(r.Text());
    std::printf("%s\n", r.Output.c_str());
    return 0;
}

const CliCommand kConvert{"convert", kUsage, RunConvert};

}  // namespace
}  // namespace q7k3::cli
