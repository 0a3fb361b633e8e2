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
#include "media/smaf/SmafWav.h"
#include "base/Language.h"
#include "base/Messages.h"
#include "base/TempDir.h"
#include "base/Text.h"

namespace q7k3::cli {
namespace {

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

// One conversion: the files, the numbers the options gave and the file to be written.
struct ConvertJob {
    std::string in;
    std::string out;
    std::string target;  // the file to be written, known before anything is written
    bool outIsFolder = false;
    int width = 0;
    uint8_t slot = 0;
};

// A folder as OUT for a converter that names its own output: the title when it is fit to
// name a file, else `fallback`, with `ext` added unless the name holds it already.
std::string NamedInFolder(const ConvertJob& job, std::string title, const std::string& fallback,
                          const char* ext) {
    if (!TitleLike(title)) title = fallback;
    if (LowerAscii(title).find(ext) == std::string::npos) title += ext;
    return media::JoinPath(job.out, SafeFileName(title));
}

int PrepareMel2Mmf(const Bytes& data, ConvertJob& job) {
    if (RecogniseMelody(data) != MelodyKind::Mel) return BadInput(job.in, kMsgCliKindMel);
    // The copy form names the melody from its title, or from IN's name.
    if (!job.outIsFolder) {
        job.target = job.out;
        return 0;
    }
    std::string title = MelTitle(data);
    if (!TitleLike(title)) title = BaseName(job.in);
    if (title.find(".mmf") == std::string::npos) title += ".mmf";
    job.target = media::JoinPath(job.out, SafeFileName(title));
    return 0;
}

int PrepareMmf2Mel(const Bytes& data, ConvertJob& job) {
    if (RecogniseMelody(data) != MelodyKind::Mmf) return BadInput(job.in, kMsgCliKindMmf);
    job.target = OutputIn(job.in, job.out, ".mel");
    return 0;
}

int PrepareAni2Bmp(const Bytes& data, ConvertJob& job) {
    const bool phoneName = !job.outIsFolder && LowerAscii(job.out).ends_with(".ani");
    const std::string named =
        job.outIsFolder ? media::JoinPath(job.out, media::FileNamePart(job.in)) : job.out;
    job.target = job.outIsFolder || phoneName ? media::ReplaceLastThree(named, "bmp") : job.out;
    const bool wallpaper = AniWidthFor(media::FileNamePart(job.in)) == kWallpaperAniWidth ||
                           AniWidthFor(named) == kWallpaperAniWidth;
    if (job.width == 0) job.width = wallpaper ? kWallpaperAniWidth : kAniWidth;
    // Raw pixels have no header: at least one row, and nothing that another kind or
    // plain text would be.
    const size_t row = static_cast<size_t>(job.width) * 2;
    if (data.size() < row || IsPicture(data) || IsText(data) ||
        RecogniseMelody(data) != MelodyKind::Unknown || StartsWith(data, "PK\x03\x04"))
        return BadInput(job.in, kMsgCliKindAni);
    return 0;
}

int PreparePicture(const Bytes& data, ConvertJob& job) {
    if (!IsPicture(data)) return BadInput(job.in, kMsgCliKindPicture);
    job.target = OutputIn(job.in, job.out, ".ani");
    return 0;
}

int PrepareEms2Bmp(const Bytes& data, ConvertJob& job) {
    if (DecodeEmsPicture(data).isNull()) return BadInput(job.in, kMsgCliKindEmsPicture);
    job.target = job.outIsFolder ? NamedInFolder(job, EmsPictureTitle(data),
                                                 media::FileNamePart(job.in), ".bmp")
                                 : job.out;
    return 0;
}

int PrepareImy2Ems(const Bytes& data, ConvertJob& job) {
    std::string body;
    const std::string text(data.begin(), data.end());
    if (!ImelodyBody(text, body)) return BadInput(job.in, kMsgCliKindImelody);
    job.target = OutputIn(job.in, job.out, ".mel");
    return 0;
}

int PrepareEms2Imy(const Bytes& data, ConvertJob& job) {
    // An EMS picture has a length where a melody has its own, and would give a few bytes of
    // its bitmap as a tune.
    std::string text;
    if (!IsEmsMelody(data) || !DecodeEmsMelody(data, text))
        return BadInput(job.in, kMsgCliKindEmsMelody);
    job.target = job.outIsFolder
                     ? NamedInFolder(job, EmsMelodyTitle(data), BaseName(job.in), ".imy")
                     : job.out;
    return 0;
}

int PrepareJad(const Bytes& data, ConvertJob& job) {
    std::string manifest;
    if (!StartsWith(data, "PK\x03\x04")) return BadInput(job.in, kMsgCliKindJar);
    if (!ManifestFromJar(data, manifest)) {
        // An archive that opens but has no manifest is a jar all the same, with the one
        // entry the descriptor is made from missing.
        if (!JarLacksManifest(data)) return BadInput(job.in, kMsgCliKindJar);
        return Fail(Msg(kMsgJarNoManifest) + ": " + Printable(job.in), kExitBadInput);
    }
    job.target = OutputIn(job.in, job.out, ".jad");
    return 0;
}

template <bool Mel>
int PrepareWav(const Bytes& data, ConvertJob& job) {
    if (RecogniseMelody(data) != (Mel ? MelodyKind::Mel : MelodyKind::Mmf))
        return BadInput(job.in, Mel ? kMsgCliKindMel : kMsgCliKindMmf);
    job.target = OutputIn(job.in, job.out, ".wav");
    return 0;
}

// Rendered as the preview plays it; a CRC that does not match is only a warning.
template <bool Mel>
MediaResult ConvertWav(const ConvertJob& job) {
    std::vector<std::string> warnings;
    MediaResult r = ConvertSMAFtoWAV(job.in, job.target, Mel, {}, &warnings);
    for (const std::string& w : warnings) std::fprintf(stderr, "%s\n", OneLine(w).c_str());
    return r;
}

// A kind of conversion: its name, the check of its input that also names the output (0, or
// the exit code of a refusal it has reported), and the converter.
struct ConvertKind {
    const char* Name;
    int (*Prepare)(const Bytes& data, ConvertJob& job);
    MediaResult (*Convert)(const ConvertJob& job);
};

const ConvertKind kKinds[] = {
    {"mel2mmf", PrepareMel2Mmf,
     [](const ConvertJob& j) { return ConvertMELtoMMF(j.in, j.target, true); }},
    {"mmf2mel", PrepareMmf2Mel,
     [](const ConvertJob& j) { return ConvertMMFtoMEL(j.in, j.target); }},
    {"ani2bmp", PrepareAni2Bmp,
     [](const ConvertJob& j) { return ConvertANItoBMP(j.in, j.target, j.width); }},
    {"pic2ani", PreparePicture,
     [](const ConvertJob& j) { return ConvertPictureToANI(j.in, j.target); }},
    {"pic2ems", PreparePicture,
     [](const ConvertJob& j) { return ConvertBMPtoEMS(j.in, j.target, j.slot); }},
    {"ems2bmp", PrepareEms2Bmp,
     [](const ConvertJob& j) { return ConvertEMStoBMP(j.in, j.target); }},
    {"imy2ems", PrepareImy2Ems,
     [](const ConvertJob& j) { return ConvertIMYtoEMS(j.in, j.target, j.slot); }},
    {"ems2imy", PrepareEms2Imy,
     [](const ConvertJob& j) { return ConvertEMStoIMY(j.in, j.target); }},
    {"jad", PrepareJad, [](const ConvertJob& j) { return CreateJadFromManifest(j.in, j.target); }},
    {"mmf2wav", PrepareWav<false>, ConvertWav<false>},
    {"mel2wav", PrepareWav<true>, ConvertWav<true>},
};

// The kind named by the first of three arguments or guessed from the two files' names;
// null after reporting a usage error (its exit code in `rc`).
const ConvertKind* ChooseKind(std::vector<std::string>& args, int& rc) {
    std::string name;
    if (args.size() == 3) {
        name = args[0];
        args.erase(args.begin());
    } else {
        name = GuessKind(args[0], args[1]);
        if (name.empty()) {
            rc = UsageError("convert",
                            Msg(kMsgCliNoKind) + Printable(args[0]) + " " + Printable(args[1]));
            return nullptr;
        }
    }
    for (const ConvertKind& k : kKinds)
        if (name == k.Name) return &k;
    std::vector<std::string> names;
    for (const ConvertKind& k : kKinds) names.emplace_back(k.Name);
    std::string text =
        Msg(kMsgCliBadValue) + Tr(QT_TRANSLATE_NOOP("Cli", "ВИД: «")) + Printable(name) + "»";
    if (const std::string near = Nearest(name, names); !near.empty())
        text += Msg(kMsgCliDidYouMean) + "«" + near + "»?";
    rc = UsageError("convert", text);
    return nullptr;
}

// "-": standard input and output go through the private temporary folder, which goes with
// the program however it ends. 0, or the exit code of a failure it has reported.
int RedirectStandardStreams(ConvertJob& job) {
    const QDir scratch(QString::fromStdString(PrivateTempDir()));
    if ((job.in == "-" || job.out == "-") && PrivateTempDir().empty())
        return Fail(Msg(kMsgCliNoLocalFile) + "-", kExitLocalFile);
    if (job.in == "-") {
        QFile input;
        QFile copy(scratch.filePath(QStringLiteral("stdin")));
        if (!input.open(stdin, QIODevice::ReadOnly) || !copy.open(QIODevice::WriteOnly))
            return Fail(Msg(kMsgCliNoLocalFile) + "-", kExitLocalFile);
        copy.write(input.readAll());
        job.in = copy.fileName().toStdString();
    }
    if (job.out == "-") job.out = scratch.filePath(QStringLiteral("stdout")).toStdString();
    return 0;
}

// The written file on standard output, a block at a time: a rendered melody may be hundreds
// of megabytes.
int CopyToStandardOutput(const std::string& target) {
    QFile result(QString::fromStdString(target));
    if (!result.open(QIODevice::ReadOnly))
        return Fail(Msg(kMsgCliNoLocalFile) + "-", kExitLocalFile);
    bool written = true;
    while (written && !result.atEnd()) {
        const QByteArray block = result.read(1 << 16);
        if (block.isEmpty()) break;
        written = std::fwrite(block.constData(), 1, static_cast<size_t>(block.size()), stdout) ==
                  static_cast<size_t>(block.size());
    }
    return written && std::fflush(stdout) == 0 ? 0 : kExitLocalFile;
}

int RunConvert(const std::vector<std::string>& words) {
    ParsedArgs a;
    if (const int rc = Parse(kSpec, words, a); rc != kParsed) return rc;
    ConvertJob job;
    int slot = 0;
    if (a.Has("--slot") && !ParseNumber(a.Value("--slot"), 0, 255, slot))
        return UsageError("convert", Msg(kMsgCliBadValue) + "--slot: «" +
                                         Printable(a.Value("--slot")) + "» (0..255)");
    if (a.Has("--width") && !ParseNumber(a.Value("--width"), 1, 4096, job.width))
        return UsageError("convert", Msg(kMsgCliBadValue) + "--width: «" +
                                         Printable(a.Value("--width")) + "» (1..4096)");
    job.slot = static_cast<uint8_t>(slot);
    std::vector<std::string> args = a.positional;
    int rc = 0;
    const ConvertKind* kind = ChooseKind(args, rc);
    if (kind == nullptr) return rc;
    job.in = args[0];
    job.out = args[1];
    const bool toStdout = job.out == "-";
    if (const int failed = RedirectStandardStreams(job); failed != 0) return failed;

    // The input, read once to check it is what the kind expects.
    if (!QFileInfo(QString::fromStdString(job.in)).isFile())
        return Fail(Msg(kMsgCannotOpenFile) + Printable(job.in), kExitLocalFile);
    Bytes data;
    if (auto r = media::ReadFileBounded(job.in, kWorkBufferSize, data); !r)
        return Fail(r.Text(), kExitLocalFile);
    job.outIsFolder = media::IsDirectory(job.out);
    if (const int refused = kind->Prepare(data, job); refused != 0) return refused;
    if (!toStdout && !a.Has("--force") && QFileInfo::exists(QString::fromStdString(job.target)))
        return Fail(Msg(kMsgCliLocalExists) + Printable(job.target), kExitLocalFile);

    const MediaResult r = kind->Convert(job);
    // A message about a file that cannot be opened (or a link in the output's place) is
    // about a local file; any other says the content was not what the converter could use.
    if (!r)
        return Fail(Printable(r.Text()),
                    r.Message == kMsgCannotOpenFile || r.Message == kMsgLinkRefused
                        ? kExitLocalFile
                        : kExitBadInput);
    if (toStdout) return CopyToStandardOutput(job.target);
    if (CurrentVerbosity() != Verbosity::Quiet)
        std::printf("%s\n", Printable(r.Output.empty() ? job.target : r.Output).c_str());
    return 0;
}

const CliCommand kConvert{kSpec, RunConvert};

}  // namespace
}  // namespace q7k3::cli
