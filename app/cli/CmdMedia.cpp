// q7k3fm-cli convert [KIND] IN OUT: the converters the copy commands use, on local files.
//
// The input is checked first: a file that is not what the kind expects is refused with
// what was expected (exit 7). Where a converter names its own output (mel2mmf, ems2bmp,
// ems2imy) OUT may be a folder and the name comes from the file's title, or from IN's name
// when the title is missing or holds control bytes; the other kinds take a folder too and
// name the file after IN with their extension. An existing output is kept unless --force.
// ani2bmp reads the .ani 126 pixels wide when IN's name or OUT contains "wpaper.ani" (as a
// copy from the phone does) and 128 wide otherwise; --width N says it outright. An OUT
// ending in ".ani" names the phone file: the BMP is written beside it as <name>.bmp.
// IN and OUT may be "-": standard input and output.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/cli/Cli.h"
#include "app/cli/Options.h"
#include "media/Ani.h"
#include "media/EmsMelody.h"
#include "media/EmsPicture.h"
#include "media/Jad.h"
#include "media/MediaResult.h"
#include "media/Melody.h"
#include "preview/SmafWav.h"
#include "ui/Language.h"
#include "ui/Messages.h"
#include "ui/TempDir.h"
#include "ui/Text.h"

namespace q7k3::cli {
namespace {

constexpr const char* kKinds[] = {"mel2mmf", "mmf2mel", "ani2bmp", "pic2ani", "pic2ems", "ems2bmp",
                                  "imy2ems", "ems2imy", "jad",     "mmf2wav", "mel2wav"};

const OptionSpec kOptions[] = {
    {"--slot", "N", QT_TRANSLATE_NOOP("Cli", "ячейка EMS 0..255 (pic2ems, imy2ems)")},
    {"--width", "N", QT_TRANSLATE_NOOP("Cli", "ширина ANI в точках 1..4096 (ani2bmp)")},
    {"--force", nullptr, QT_TRANSLATE_NOOP("Cli", "заменить существующий выходной файл")},
    {"--quiet", nullptr, QT_TRANSLATE_NOOP("Cli", "не печатать путь записанного файла"), 'q'},
    {"--verbose", nullptr, QT_TRANSLATE_NOOP("Cli", "подробнее"), 'v'},
};
const CommandSyntax kSpec{
    "convert",
    QT_TRANSLATE_NOOP("Cli", "convert [ВИД] ВХОД ВЫХОД [--slot N] [--width N] [--force]"),
    QT_TRANSLATE_NOOP("Cli", "Преобразует локальный файл, как при копировании. ВИД: mel2mmf, mmf2mel,\n"
    "ani2bmp, pic2ani, pic2ems, ems2bmp, imy2ems, ems2imy, jad, mmf2wav, mel2wav\n"
    "(мелодия в WAV, как её играет просмотрщик); без ВИДА он\n"
    "угадывается по расширениям (song.mmf song.mel — mmf2mel). ВЫХОД может быть\n"
    "папкой; - — стандартный ввод или вывод. Печатает путь записанного файла."),
    kOptions,
    2,
    3};

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

std::string Extension(const std::string& path) {
    const std::string name = media::FileNamePart(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : LowerAscii(name.substr(dot + 1));
}

// The kind a pair of extensions means, or empty.
std::string GuessKind(const std::string& in, const std::string& out) {
    const std::string a = Extension(in), b = Extension(out);
    const bool picture = a == "bmp" || a == "jpg" || a == "jpeg" || a == "gif" || a == "png";
    if (a == "mel" && b == "mmf") return "mel2mmf";
    if (a == "mmf" && b == "mel") return "mmf2mel";
    if (a == "ani" && b == "bmp") return "ani2bmp";
    if (picture && b == "ani") return "pic2ani";
    if (a == "imy" && b == "mel") return "imy2ems";
    if (a == "mel" && b == "imy") return "ems2imy";
    if (a == "jar" && b == "jad") return "jad";
    if (a == "mmf" && b == "wav") return "mmf2wav";
    if (a == "mel" && b == "wav") return "mel2wav";
    return {};
}

bool StartsWith(const Bytes& data, const char* magic) {
    const size_t n = std::strlen(magic);
    return data.size() >= n && std::memcmp(data.data(), magic, n) == 0;
}

bool IsPicture(const Bytes& d) {
    return StartsWith(d, "BM") || StartsWith(d, "\xFF\xD8\xFF") || StartsWith(d, "GIF8") ||
           StartsWith(d, "\x89PNG");
}

// Printable ASCII with line ends and tabs only: a text file.
bool IsText(const Bytes& d) {
    for (const uint8_t c : d)
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c > 0x7E) return false;
    return !d.empty();
}

// A title fit to name a file: some text and no control byte.
bool TitleLike(const std::string& title) {
    if (title.empty()) return false;
    for (const char ch : title)
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F) return false;
    return true;
}

std::string BaseName(const std::string& in) {
    std::string name = media::FileNamePart(in);
    if (const size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

// OUT itself, or, for a folder, IN's name with its extension replaced by `ext`.
std::string OutputIn(const std::string& in, const std::string& out, const std::string& ext) {
    if (!media::IsDirectory(out)) return out;
    return media::JoinPath(out, SafeFileName(BaseName(in) + ext));
}

int BadInput(const std::string& in, int expected) {
    return Fail(Msg(kMsgCliWrongInput) + Msg(expected) + ": " + Printable(in), kExitBadInput);
}

int RunConvert(const std::vector<std::string>& words) {
    ParsedArgs a;
    if (const int rc = Parse(kSpec, words, a); rc != kParsed) return rc;
    int slot = 0, width = 0;
    if (a.Has("--slot") && !ParseNumber(a.Value("--slot"), 0, 255, slot))
        return UsageError("convert", Msg(kMsgCliBadValue) + "--slot: «" +
                                         Printable(a.Value("--slot")) + "» (0..255)");
    if (a.Has("--width") && !ParseNumber(a.Value("--width"), 1, 4096, width))
        return UsageError("convert", Msg(kMsgCliBadValue) + "--width: «" +
                                         Printable(a.Value("--width")) + "» (1..4096)");
    std::vector<std::string> args = a.positional;
    std::string kind;
    if (args.size() == 3) {
        kind = args[0];
        args.erase(args.begin());
        bool known = false;
        for (const char* k : kKinds) known = known || kind == k;
        if (!known) {
            std::string text = Msg(kMsgCliBadValue) + Tr(QT_TRANSLATE_NOOP("Cli", "ВИД: «")) + Printable(kind) + "»";
            const std::string near =
                Nearest(kind, std::vector<std::string>(std::begin(kKinds), std::end(kKinds)));
            if (!near.empty()) text += Msg(kMsgCliDidYouMean) + "«" + near + "»?";
            return UsageError("convert", text);
        }
    } else {
        kind = GuessKind(args[0], args[1]);
        if (kind.empty())
            return UsageError("convert",
                              Msg(kMsgCliNoKind) + Printable(args[0]) + " " + Printable(args[1]));
    }
    std::string in = args[0];
    std::string out = args[1];
    const auto slotByte = static_cast<uint8_t>(slot);

    // "-": standard input and output go through the private temporary folder, which goes
    // with the program however it ends.
    const bool toStdout = out == "-";
    const QDir scratch(QString::fromStdString(PrivateTempDir()));
    if ((in == "-" || toStdout) && PrivateTempDir().empty())
        return Fail(Msg(kMsgCliNoLocalFile) + "-", kExitLocalFile);
    if (in == "-") {
        QFile input;
        QFile copy(scratch.filePath(QStringLiteral("stdin")));
        if (!input.open(stdin, QIODevice::ReadOnly) || !copy.open(QIODevice::WriteOnly))
            return Fail(Msg(kMsgCliNoLocalFile) + "-", kExitLocalFile);
        copy.write(input.readAll());
        in = copy.fileName().toStdString();
    }
    if (toStdout) out = scratch.filePath(QStringLiteral("stdout")).toStdString();

    // The input, read once to check it is what the kind expects.
    if (!QFileInfo(QString::fromStdString(in)).isFile())
        return Fail(Msg(kMsgCannotOpenFile) + Printable(in), kExitLocalFile);
    Bytes data;
    if (auto r = media::ReadFileBounded(in, kWorkBufferSize, data); !r)
        return Fail(r.Text(), kExitLocalFile);
    const bool outIsFolder = media::IsDirectory(out);
    std::string target;  // the file to be written, known before anything is written
    if (kind == "mel2mmf") {
        if (RecogniseMelody(data) != MelodyKind::Mel) return BadInput(in, kMsgCliKindMel);
        if (outIsFolder) {
            // The copy form names the melody from its title, or from IN's name.
            std::string title = MelTitle(data);
            if (!TitleLike(title)) title = BaseName(in);
            if (title.find(".mmf") == std::string::npos) title += ".mmf";
            target = media::JoinPath(out, SafeFileName(title));
        } else {
            target = out;
        }
    } else if (kind == "mmf2mel") {
        if (RecogniseMelody(data) != MelodyKind::Mmf) return BadInput(in, kMsgCliKindMmf);
        target = OutputIn(in, out, ".mel");
    } else if (kind == "ani2bmp") {
        const bool phoneName = !outIsFolder && LowerAscii(out).ends_with(".ani");
        const std::string named = outIsFolder ? media::JoinPath(out, media::FileNamePart(in)) : out;
        target = outIsFolder || phoneName ? media::ReplaceLastThree(named, "bmp") : out;
        const bool wallpaper = AniWidthFor(media::FileNamePart(in)) == kWallpaperAniWidth ||
                               AniWidthFor(named) == kWallpaperAniWidth;
        if (width == 0) width = wallpaper ? kWallpaperAniWidth : kAniWidth;
        // Raw pixels have no header: at least one row, and nothing that another kind or
        // plain text would be.
        const size_t row = static_cast<size_t>(width) * 2;
        if (data.size() < row || IsPicture(data) || IsText(data) ||
            RecogniseMelody(data) != MelodyKind::Unknown || StartsWith(data, "PK\x03\x04"))
            return BadInput(in, kMsgCliKindAni);
    } else if (kind == "pic2ani" || kind == "pic2ems") {
        if (!IsPicture(data)) return BadInput(in, kMsgCliKindPicture);
        target = OutputIn(in, out, ".ani");
    } else if (kind == "ems2bmp") {
        if (DecodeEmsPicture(data).isNull()) return BadInput(in, kMsgCliKindEmsPicture);
        if (outIsFolder) {
            std::string name = EmsPictureTitle(data);
            if (!TitleLike(name)) name = media::FileNamePart(in);
            if (LowerAscii(name).find(".bmp") == std::string::npos) name += ".bmp";
            target = media::JoinPath(out, SafeFileName(name));
        } else {
            target = out;
        }
    } else if (kind == "imy2ems") {
        std::string body;
        const std::string text(data.begin(), data.end());
        if (!ImelodyBody(text, body)) return BadInput(in, kMsgCliKindImelody);
        target = OutputIn(in, out, ".mel");
    } else if (kind == "ems2imy") {
        // An EMS picture has a length where a melody has its own, and would give a few
        // bytes of its bitmap as a tune.
        std::string text;
        if (!IsEmsMelody(data) || !DecodeEmsMelody(data, text))
            return BadInput(in, kMsgCliKindEmsMelody);
        if (outIsFolder) {
            std::string name = EmsMelodyTitle(data);
            if (!TitleLike(name)) name = BaseName(in);
            if (LowerAscii(name).find(".imy") == std::string::npos) name += ".imy";
            target = media::JoinPath(out, SafeFileName(name));
        } else {
            target = out;
        }
    } else if (kind == "mmf2wav" || kind == "mel2wav") {
        const bool mel = kind == "mel2wav";
        if (RecogniseMelody(data) != (mel ? MelodyKind::Mel : MelodyKind::Mmf))
            return BadInput(in, mel ? kMsgCliKindMel : kMsgCliKindMmf);
        target = OutputIn(in, out, ".wav");
    } else {  // jad
        std::string manifest;
        if (!StartsWith(data, "PK\x03\x04")) return BadInput(in, kMsgCliKindJar);
        if (!ManifestFromJar(data, manifest)) {
            // An archive that opens but has no manifest is a jar all the same, with the one
            // entry the descriptor is made from missing.
            if (!JarLacksManifest(data)) return BadInput(in, kMsgCliKindJar);
            return Fail(Msg(kMsgJarNoManifest) + ": " + Printable(in), kExitBadInput);
        }
        target = OutputIn(in, out, ".jad");
    }
    if (!toStdout && !a.Has("--force") && QFileInfo::exists(QString::fromStdString(target)))
        return Fail(Msg(kMsgCliLocalExists) + Printable(target), kExitLocalFile);

    MediaResult r;
    if (kind == "mel2mmf") {
        r = ConvertMELtoMMF(in, target, true);
    } else if (kind == "mmf2mel") {
        r = ConvertMMFtoMEL(in, target);
    } else if (kind == "ani2bmp") {
        r = ConvertANItoBMP(in, target, width);
    } else if (kind == "pic2ani") {
        r = ConvertPictureToANI(in, target);
    } else if (kind == "pic2ems") {
        r = ConvertBMPtoEMS(in, target, slotByte);
    } else if (kind == "ems2bmp") {
        r = ConvertEMStoBMP(in, target);
    } else if (kind == "imy2ems") {
        r = ConvertIMYtoEMS(in, target, slotByte);
    } else if (kind == "ems2imy") {
        r = ConvertEMStoIMY(in, target);
    } else if (kind == "mmf2wav" || kind == "mel2wav") {
        // Rendered as the preview plays it; a CRC that does not match is only a warning.
        std::vector<std::string> warnings;
        r = ConvertSMAFtoWAV(in, target, kind == "mel2wav", {}, &warnings);
        for (const std::string& w : warnings) std::fprintf(stderr, "%s\n", OneLine(w).c_str());
    } else {
        r = CreateJadFromManifest(in, target);
    }
    // A message about a file that cannot be opened (or a link in the output's place) is
    // about a local file; any other says the content was not what the converter could use.
    if (!r)
        return Fail(Printable(r.Text()),
                    r.Message == kMsgCannotOpenFile || r.Message == kMsgLinkRefused
                        ? kExitLocalFile
                        : kExitBadInput);
    if (toStdout) {
        QFile result(QString::fromStdString(target));
        if (!result.open(QIODevice::ReadOnly))
            return Fail(Msg(kMsgCliNoLocalFile) + "-", kExitLocalFile);
        // A block at a time: a rendered melody may be hundreds of megabytes.
        bool written = true;
        while (written && !result.atEnd()) {
            const QByteArray block = result.read(1 << 16);
            if (block.isEmpty()) break;
            written = std::fwrite(block.constData(), 1, static_cast<size_t>(block.size()),
                                  stdout) == static_cast<size_t>(block.size());
        }
        return written && std::fflush(stdout) == 0 ? 0 : kExitLocalFile;
    }
    if (CurrentVerbosity() != Verbosity::Quiet)
        std::printf("%s\n", Printable(r.Output.empty() ? target : r.Output).c_str());
    return 0;
}

const CliCommand kConvert{kSpec, RunConvert};

}  // namespace
}  // namespace q7k3::cli
