#include "phonefs/Tree.h"

#include <algorithm>

#include "base/Text.h"

namespace q7k3 {

Tree4* Tree4::Next() const {
    if (!Parent) return nullptr;
    const auto& chain = Parent->Children;
    for (size_t i = 0; i + 1 < chain.size(); ++i) {
        if (chain[i].get() == this) return chain[i + 1].get();
    }
    return nullptr;
}

const std::vector<std::string>& ReservedNames() {
    // "animation" without the final "s": that is how the phone names the folder inside.
    static const std::vector<std::string> names = {
        "java",     "user",     "images", "wap",      "sms",      "mms",      "test",
        "sounds",   "idle",     "inbox",  "outbox",   "draft",    "myfolder", "template",
        "voice",    "mmsimage", "temp",   "mmssound", "camera",   "owtest",   "updwload",
        "myalbum1", "myalbum2", "image",  "thumb",    "animation"};
    return names;
}

bool IsReservedName(std::string_view rawName) {
    const auto& names = ReservedNames();
    return std::find(names.begin(), names.end(), rawName) != names.end();
}

std::unique_ptr<Tree4> MakeRoot(std::string_view modelCode, std::string_view id) {
    auto root = std::make_unique<Tree4>();
    root->Name = Utf8Left(modelCode, kFolderNameChars);
    root->Id = std::string(id);
    return root;
}

namespace {

std::unique_ptr<Tree4> MakeMarker(Tree4* parent) {
    auto marker = std::make_unique<Tree4>();
    marker->Name = "..";
    marker->Id = std::string(Tree4::kVirtualId);
    marker->Listed = true;
    // The marker's parent is only used to find its siblings.
    marker->Parent = parent;
    return marker;
}

}  // namespace

Tree4* AddFolder(std::string_view name, Tree4* parent, std::string_view id) {
    if (!parent) return nullptr;
    const std::string cut = Utf8Left(name, kFolderNameChars);
    for (const auto& child : parent->Children) {
        if (child->Name == cut) return child.get();
    }
    auto node = std::make_unique<Tree4>();
    node->Name = cut;
    node->Id = std::string(id);
    node->Parent = parent;
    node->Listed = node->IsVirtual();
    node->Children.push_back(MakeMarker(node.get()));
    parent->Children.push_back(std::move(node));
    return parent->Children.back().get();
}

bool AddFile(Tree4* folder, std::string_view name, const QDateTime& date, int32_t size) {
    if (!folder) return false;
    std::string cut = Utf8Left(name, kFileNameChars);
    if (HasFile(folder, cut)) return false;
    folder->Files.push_back(FileEntry{std::move(cut), size, date});
    return true;
}

void RemoveFile(Tree4* folder, std::string_view name) {
    if (!folder) return;
    auto& files = folder->Files;
    const std::string cut = Utf8Left(name, kFileNameChars);
    const auto it = std::find_if(files.begin(), files.end(),
                                 [&](const FileEntry& f) { return f.Name == cut; });
    if (it != files.end()) files.erase(it);
}

const FileEntry* FindFile(const Tree4* folder, std::string_view name) {
    if (!folder) return nullptr;
    // Names are compared as they are stored: cut to the field's length. A file written
    // under a longer name is found by that name.
    const std::string cut = Utf8Left(name, kFileNameChars);
    for (const auto& f : folder->Files) {
        if (f.Name == cut) return &f;
    }
    return nullptr;
}

bool HasFile(const Tree4* folder, std::string_view name) {
    return FindFile(folder, name);
}

Tree4* FindChild(std::string_view name, Tree4* parent) {
    if (!parent) return nullptr;
    const std::string cut = Utf8Left(name, kFolderNameChars);
    for (const auto& child : parent->Children) {
        if (child->Name == cut) return child.get();
    }
    return parent;
}

void FreeFiles(Tree4* folder) {
    if (!folder) return;
    folder->Files.clear();
    folder->Files.shrink_to_fit();
}

namespace {

bool SubtreeHasFiles(const Tree4* node) {
    // Iterative: a discovered tree comes from the phone and may be wide.
    std::vector<const Tree4*> stack{node};
    while (!stack.empty()) {
        const Tree4* n = stack.back();
        stack.pop_back();
        if (!n->Files.empty()) return true;
        for (const auto& c : n->Children) stack.push_back(c.get());
    }
    return false;
}

void WalkChain(const std::vector<std::unique_ptr<Tree4>>& chain, std::vector<Tree4*>& out) {
    // Unrolled along the sibling chain, "first child, then next sibling, then the node"
    // visits every sibling's subtree in order and then the siblings themselves from the
    // last to the first.
    for (const auto& node : chain) WalkChain(node->Children, out);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) out.push_back(it->get());
}

}  // namespace

bool TreeHasFiles(const Tree4* node) {
    if (!node) return false;
    if (SubtreeHasFiles(node)) return true;
    for (const Tree4* s = node->Next(); s; s = s->Next()) {
        if (SubtreeHasFiles(s)) return true;
    }
    return false;
}

std::vector<Tree4*> CollectFolderTable(Tree4* root) {
    std::vector<Tree4*> table;
    if (!root) return table;
    WalkChain(root->Children, table);
    table.push_back(root);
    return table;
}

std::string PhonePathText(const Tree4* folder) {
    if (!folder) return {};
    std::string text;
    const Tree4* node = folder;
    for (; node->Parent; node = node->Parent) text = "\\" + node->Name + text;
    return node->Name + ":" + text;
}

Tree4* FindFolderByPath(Tree4* root, std::string_view path) {
    if (!root) return nullptr;
    const std::string prefix = root->Name + ":";
    if (path.substr(0, prefix.size()) == prefix) path.remove_prefix(prefix.size());
    Tree4* node = root;
    while (!path.empty()) {
        if (path.front() == '\\') {
            path.remove_prefix(1);
            continue;
        }
        const size_t end = path.find('\\');
        const std::string_view part = path.substr(0, end);
        if (part == "..") return nullptr;
        Tree4* child = FindChild(part, node);
        if (child == node) return nullptr;
        node = child;
        path.remove_prefix(end == std::string_view::npos ? path.size() : end);
    }
    return node;
}

FolderPlace PlaceOf(const Tree4* folder) {
    FolderPlace place;
    for (const Tree4* node = folder; node && node->Parent; node = node->Parent)
        place.insert(place.begin(), node->Name);
    return place;
}

Tree4* FindPlace(Tree4* root, const FolderPlace& place) {
    Tree4* node = root;
    for (const std::string& name : place) {
        if (!node) return nullptr;
        Tree4* child = nullptr;
        for (const auto& c : node->Children) {
            if (c->Name == name && !c->IsMarker()) {
                child = c.get();
                break;
            }
        }
        node = child;
    }
    return node;
}

}  // namespace q7k3
