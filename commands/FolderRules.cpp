#include "commands/FolderRules.h"

#include <vector>

#include "phonefs/FolderMaps.h"
#include "base/Text.h"

namespace q7k3 {
namespace {

bool Contains(std::string_view hay, std::string_view needle) {
    return hay.find(needle) != std::string_view::npos;
}

// Phone to computer, first match wins.
struct FetchRow {
    FolderKind Kind;
    const char* Needle;  // case-sensitive part of the phone name; null: any name
    bool NeedsMelConvertion;
    FetchRoute Route;
};

constexpr FetchRow kFetchRows[] = {
    {FolderKind::Animations, ".ani", false, FetchRoute::AniToBmp},
    {FolderKind::DefaultSounds, ".mel", true, FetchRoute::MelToMmf},
    {FolderKind::SmsImages, nullptr, false, FetchRoute::EmsToBmp},
    {FolderKind::SmsSounds, nullptr, false, FetchRoute::EmsToImy},
};

constexpr PhoneFolderRule kPhoneRules[] = {
    {FolderKind::Other, PhoneStep::Plain, kMaxPhoneNameBytes},
    {FolderKind::Java, PhoneStep::JavaSuite, kMaxPhoneNameBytes},
    {FolderKind::DefaultSounds, PhoneStep::DefaultMelody, kMaxPhoneNameBytes},
    {FolderKind::MySounds, PhoneStep::Plain, kMySoundsNameBytes},
    {FolderKind::Animations, PhoneStep::AniPicture, kMaxPhoneNameBytes},
    {FolderKind::SmsImages, PhoneStep::SmsPicture, kMaxPhoneNameBytes},
    {FolderKind::SmsSounds, PhoneStep::SmsMelody, kMaxPhoneNameBytes},
};

struct ThumbRow {
    const char* Folder;
    const char* IdDefault;
    const char* IdE;
};

// The thumbnail folders follow the model family's numbering, as the folder maps do.
constexpr ThumbRow kThumbRows[] = {
    {"My Album 1", "Z", "["},
    {"My Album 2", "]", "^"},
    {"Camera", "W", "X"},
};

}  // namespace

FolderKind KindOf(const Tree4* folder) {
    if (!folder) return FolderKind::Other;
    const std::string& name = folder->Name;
    if (name == "java" || name == "Java") return FolderKind::Java;
    if (name == "Default Sounds") return FolderKind::DefaultSounds;
    if (name == "My Sounds") return FolderKind::MySounds;
    if (name == "Animations" || name == "OnOff/Menu Images") return FolderKind::Animations;
    if (name == "sms" && folder->Parent) {
        if (folder->Parent->Name == "Images") return FolderKind::SmsImages;
        if (folder->Parent->Name == "Sounds") return FolderKind::SmsSounds;
    }
    return FolderKind::Other;
}

FetchRoute RouteToComputer(FolderKind kind, std::string_view phoneName, bool melConvertion) {
    for (const FetchRow& row : kFetchRows) {
        if (row.Kind != kind) continue;
        if (row.Needle && !Contains(phoneName, row.Needle)) continue;
        if (row.NeedsMelConvertion && !melConvertion) continue;
        return row.Route;
    }
    return FetchRoute::Plain;
}

std::string ComputerName(std::string_view phoneName) {
    std::string name(phoneName);
    const size_t at = name.find("_suite");
    if (at != std::string::npos) name.erase(at, 6);
    return SafeFileName(name);
}

const PhoneFolderRule& RuleToPhone(FolderKind kind) {
    for (const PhoneFolderRule& rule : kPhoneRules) {
        if (rule.Kind == kind) return rule;
    }
    return kPhoneRules[0];
}

std::string CutPhoneName(std::string_view name, size_t maxBytes) {
    std::string out(name);
    while (out.size() > maxBytes) {
        const size_t chars = Utf8Length(out);
        if (chars == 0) break;
        // The character at (length - 4), counted from 1: the last one before a
        // four-character extension. A name too short for that loses its last character.
        const size_t index = chars >= 5 ? chars - 5 : chars - 1;
        out = Utf8Left(out, index) +
              std::string(std::string_view(out).substr(Utf8Left(out, index + 1).size()));
    }
    return out;
}

bool IsPictureName(std::string_view name) {
    const std::string lower = LowerAscii(name);
    return Contains(lower, ".bmp") || Contains(lower, ".jpg") || Contains(lower, ".gif");
}

std::string JavaSuiteName(std::string_view name, size_t maxBytes) {
    constexpr std::string_view kSuite = "_suite";
    const std::string ext = LowerAscii(name.size() >= 4 ? name.substr(name.size() - 4) : name);
    if (ext != ".jar" && ext != ".jad") return CutPhoneName(name, maxBytes);
    std::string_view stem = name.substr(0, name.size() - 4);
    if (stem.ends_with(kSuite))
        stem.remove_suffix(kSuite.size());
    else if (Contains(stem, kSuite))
        return CutPhoneName(name, maxBytes);
    // Cut after the suffix was added, the name would lose the suffix instead of the stem.
    const size_t fixed = kSuite.size() + ext.size();
    const size_t room = maxBytes > fixed ? maxBytes - fixed : 0;
    return Utf8LeftBytes(stem, room) + std::string(kSuite) + ext;
}

std::string JadNameForJar(std::string_view jarFileName, size_t maxBytes) {
    return JavaSuiteName(Utf8DropRight(jarFileName, 4) + ".jad", maxBytes);
}

std::string ThumbnailFolderId(std::string_view folderName, std::string_view modelCode) {
    for (const ThumbRow& row : kThumbRows) {
        if (folderName == row.Folder) return IsEFamily(modelCode) ? row.IdE : row.IdDefault;
    }
    return {};
}

std::string ThumbnailName(std::string_view photoName) {
    return Utf8DropRight(photoName, 3) + "bmp";
}

}  // namespace q7k3
