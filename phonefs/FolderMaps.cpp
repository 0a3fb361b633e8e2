#include "phonefs/FolderMaps.h"

#include <string>
#include <vector>

namespace q7k3 {
namespace {

// One row: the folder's name, its parent's path below the root ("" for the root itself,
// '/' between levels) and its identifier in the default and in the E family.
struct MapRow {
    const char* name;
    const char* parent;
    const char* idDefault;
    const char* idE;
};

// The E family has one more row: animations under sms. A null id means "not in this
// family".
const std::vector<MapRow>& ProRows() {
    static const std::vector<MapRow> rows = {
        {"java", "", "`", "a"},
        {"user", "", "B", "B"},
        {"images", "", "D", "D"},
        {"wap", "", "F", "F"},
        {"sms", "", "I", "I"},
        {"mms", "", "K", "L"},
        {"test", "", "J", "K"},
        {"sounds", "user", "C", "C"},
        {"idle", "images", "E", "E"},
        {"images", "wap", "G", "G"},
        {"sounds", "wap", "H", "H"},
        {"inbox", "mms", "L", "M"},
        {"outbox", "mms", "M", "N"},
        {"draft", "mms", "N", "O"},
        {"myfolder", "mms", "O", "P"},
        {"template", "mms", "P", "Q"},
        {"voice", "mms", "Q", "R"},
        {"mmsimage", "mms", "R", "S"},
        {"temp", "mms", "S", "T"},
        {"mmssound", "mms", "T", "U"},
        {"camera", "mms", "U", "V"},
        {"owtest", "mms", "^", "_"},
        {"updwload", "mms", "_", "`"},
        {"image", "mms/camera", "V", "W"},
        {"thumb", "mms/camera", "W", "X"},
        {"myalbum1", "mms/camera", "X", "Y"},
        {"myalbum2", "mms/camera", "[", "\\"},
        {"image", "mms/camera/myalbum1", "Y", "Z"},
        {"thumb", "mms/camera/myalbum1", "Z", "["},
        {"image", "mms/camera/myalbum2", "\\", "]"},
        {"thumb", "mms/camera/myalbum2", "]", "^"},
        {"animations", "sms", nullptr, "J"},
    };
    return rows;
}

const std::vector<MapRow>& NormalRows() {
    static const std::vector<MapRow> rows = {
        {"java", "", "`", "a"},
        {"Sounds", "", " ", " "},
        {"Images", "", " ", " "},
        {"User", "", "B", "B"},
        {"My Sounds", "Sounds", "T", "U"},
        {"Default Sounds", "Sounds", "C", "C"},
        {"Voice", "Sounds", "Q", "R"},
        {"sms", "Sounds", "H", "H"},
        {"My Images", "Images", "R", "S"},
        {"Animations", "Images", "E", "E"},
        {"OnOff/Menu Images", "Images", "D", "D"},
        {"My Photos", "Images", " ", " "},
        {"sms", "Images", "G", "G"},
        {"Camera", "Images/My Photos", "V", "W"},
        {"My Album 1", "Images/My Photos", "Y", "Z"},
        {"My Album 2", "Images/My Photos", "\\", "]"},
    };
    return rows;
}

// Follows a '/'-separated parent path from the root with FindChild. The Normal names
// hold no '/' except "OnOff/Menu Images", which is never a parent.
Tree4* FindParent(Tree4* root, std::string_view path) {
    Tree4* node = root;
    while (!path.empty()) {
        const size_t slash = path.find('/');
        node = FindChild(path.substr(0, slash), node);
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    }
    return node;
}

}  // namespace

bool IsEFamily(std::string_view modelCode) {
    return modelCode == "E700" || modelCode == "E800";
}

std::unique_ptr<Tree4> BuildFolderMap(MapKind kind, std::string_view modelCode) {
    const bool eFamily = IsEFamily(modelCode);
    // PRO shows the phone's own root folder "A"; Normal's root is a grouping folder.
    auto root = MakeRoot(modelCode, kind == MapKind::Pro ? "A" : " ");
    for (const MapRow& row : kind == MapKind::Pro ? ProRows() : NormalRows()) {
        const char* id = eFamily ? row.idE : row.idDefault;
        if (!id) continue;
        AddFolder(row.name, FindParent(root.get(), row.parent), id);
    }
    return root;
}

}  // namespace q7k3
