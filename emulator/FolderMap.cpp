#include "emulator/FolderMap.h"

namespace q7k3::emu {

Family FamilyOfModel(const std::string& model) {
    return model.find("E700") != std::string::npos || model.find("E800") != std::string::npos
               ? Family::E
               : Family::Default;
}

namespace {

struct Row {
    const char* path;
    char defaultId;
    char eId;  // 0: the folder does not exist in this family
};

// The phone's internal folders; identifiers as the firmware of each family assigns them.
constexpr Row kRows[] = {
    {"java", '`', 'a'},
    {"user", 'B', 'B'},
    {"images", 'D', 'D'},
    {"wap", 'F', 'F'},
    {"sms", 'I', 'I'},
    {"mms", 'K', 'L'},
    {"test", 'J', 'K'},
    {"user/sounds", 'C', 'C'},
    {"images/idle", 'E', 'E'},
    {"wap/images", 'G', 'G'},
    {"wap/sounds", 'H', 'H'},
    {"mms/inbox", 'L', 'M'},
    {"mms/outbox", 'M', 'N'},
    {"mms/draft", 'N', 'O'},
    {"mms/myfolder", 'O', 'P'},
    {"mms/template", 'P', 'Q'},
    {"mms/voice", 'Q', 'R'},
    {"mms/mmsimage", 'R', 'S'},
    {"mms/temp", 'S', 'T'},
    {"mms/mmssound", 'T', 'U'},
    {"mms/camera", 'U', 'V'},
    {"mms/owtest", '^', '_'},
    {"mms/updwload", '_', '`'},
    {"mms/camera/image", 'V', 'W'},
    {"mms/camera/thumb", 'W', 'X'},
    {"mms/camera/myalbum1", 'X', 'Y'},
    {"mms/camera/myalbum2", '[', '\\'},
    {"mms/camera/myalbum1/image", 'Y', 'Z'},
    {"mms/camera/myalbum1/thumb", 'Z', '['},
    {"mms/camera/myalbum2/image", '\\', ']'},
    {"mms/camera/myalbum2/thumb", ']', '^'},
    {"sms/animations", 0, 'J'},
};

// What a phone with the PIMS file system shows at its top two levels.
constexpr const char* kPimsPaths[] = {
    "Sounds",          "Sounds/Ring",  "Sounds/Voice",
    "Sounds/SMS",      "Pictures",     "Pictures/Wallpapers",
    "Pictures/Camera", "Pictures/SMS", "Java",
    "Other",
};

}  // namespace

FolderMap::FolderMap(Family family, bool pims) : m_pims(pims) {
    if (pims) {
        Add(" ", "");
        for (const char* path : kPimsPaths) Add(std::string("/") + path, path);
        return;
    }
    Add("A", "");
    for (const Row& row : kRows) {
        const char id = family == Family::E ? row.eId : row.defaultId;
        if (id != 0) Add(std::string(1, id), row.path);
    }
}

void FolderMap::Add(std::string id, std::string path) {
    Folder f;
    f.Id = std::move(id);
    const size_t slash = path.rfind('/');
    f.Name = slash == std::string::npos ? path : path.substr(slash + 1);
    f.Path = std::move(path);
    m_folders.push_back(std::move(f));
}

const Folder* FolderMap::ById(const std::string& id) const {
    if (m_folders.empty()) return nullptr;
    if (id == " ") return &m_folders.front();
    for (const Folder& f : m_folders)
        if (f.Id == id) return &f;
    return nullptr;
}

const Folder* FolderMap::ByPath(const std::string& path) const {
    for (const Folder& f : m_folders)
        if (f.Path == path) return &f;
    return nullptr;
}

std::vector<const Folder*> FolderMap::Children(const Folder& parent) const {
    std::vector<const Folder*> out;
    for (const Folder& f : m_folders) {
        if (f.Path.empty()) continue;
        const size_t slash = f.Path.rfind('/');
        const std::string up = slash == std::string::npos ? "" : f.Path.substr(0, slash);
        if (up == parent.Path) out.push_back(&f);
    }
    return out;
}

}  // namespace q7k3::emu
