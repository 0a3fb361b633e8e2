#pragma once
// The folder rules: which phone folder and which file name call which converter and which
// name, in both directions. The phone knows its special folders only by the names the
// folder maps give them ("Default Sounds", "sms" under "Images", ...), so the rules match
// on those names.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "phonefs/Tree.h"

namespace q7k3 {

// The phone refuses longer files: 602 KB.
inline constexpr int64_t kMaxPhoneFileSize = 616448;
// A phone file name, in UTF-8 bytes; the ring-tone folder "My Sounds" takes fewer.
inline constexpr size_t kMaxPhoneNameBytes = 43;
inline constexpr size_t kMySoundsNameBytes = 28;

enum class FolderKind {
    Other,
    Java,           // "java" or "Java": suites named name_suite.jar / name_suite.jad
    DefaultSounds,  // the sixteen default melodies melody01.mel..melody16.mel
    MySounds,       // names of at most 28 bytes
    Animations,     // "Animations" and "OnOff/Menu Images": headerless .ani pictures
    SmsImages,      // "sms" under "Images": EMS pictures in ten slots
    SmsSounds,      // "sms" under "Sounds": EMS melodies in ten slots
};

FolderKind KindOf(const Tree4* folder);

// Phone to computer: how one file of the folder is fetched.
enum class FetchRoute {
    Plain,     // the bytes as they are, "_suite" taken out of the name
    AniToBmp,  // picture.ani -> picture.bmp
    MelToMmf,  // the melody's title (or the name) + .mmf
    EmsToBmp,  // the picture's title + .bmp
    EmsToImy,  // the melody's title + .imy
};

// First match wins. The extension tests are case-sensitive, as the phone writes them:
// picture.ANI is fetched as it is.
FetchRoute RouteToComputer(FolderKind kind, std::string_view phoneName, bool melConvertion);

// The computer's name of a phone file on the plain route: the first "_suite" removed
// (game_suite.jar -> game.jar), then made safe as the last component of a local path.
std::string ComputerName(std::string_view phoneName);

// Computer to phone: what the folder does with a file beyond the size and name limits.
enum class PhoneStep {
    Plain,
    JavaSuite,      // Game.jar -> Game_suite.jar, a descriptor generated when none comes
    DefaultMelody,  // the first free melodyNN.mel; MMF converted to MEL
    AniPicture,     // .bmp/.jpg/.gif up to 128 pixels wide converted to .ani
    SmsPicture,     // .bmp/.jpg/.gif converted to an EMS picture in the first free slot
    SmsMelody,      // any file converted from iMelody to an EMS melody in a free slot
};

struct PhoneFolderRule {
    FolderKind Kind;
    PhoneStep Step;
    size_t NameBytes;  // the longest phone name, in UTF-8 bytes
};

const PhoneFolderRule& RuleToPhone(FolderKind kind);

// While `name` is longer than `maxBytes` in UTF-8, the character before its last four
// (the one before an extension such as ".mid") is deleted. Whole characters only.
std::string CutPhoneName(std::string_view name, size_t maxBytes);

// The lower-cased name contains ".bmp", ".jpg" or ".gif".
bool IsPictureName(std::string_view name);

// Game.jar -> Game_suite.jar and Game.jad -> Game_suite.jad (the extension compared
// without case, written in lower case); a stem that already ends in "_suite" takes no
// second one. The stem is cut first, so that the whole name fits `maxBytes` with its
// suffix. A name that holds "_suite" elsewhere, or has another extension, is only cut.
std::string JavaSuiteName(std::string_view name, size_t maxBytes = kMaxPhoneNameBytes);
// The descriptor's phone name for a jar's file name: the suite name of the same stem with
// ".jad" (game.jar and game_suite.jar both give game_suite.jad).
std::string JadNameForJar(std::string_view jarFileName, size_t maxBytes = kMaxPhoneNameBytes);

// Photos: the phone keeps a thumbnail of every photo of its album folders in a hidden
// folder. The identifier of that folder (empty for any other folder) and the thumbnail's
// name (photo0001.jpg -> photo0001.bmp).
std::string ThumbnailFolderId(std::string_view folderName, std::string_view modelCode);
std::string ThumbnailName(std::string_view photoName);

}  // namespace q7k3
