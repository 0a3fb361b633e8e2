#pragma once
// The in-memory model of the phone's folders and files. The phone has no path-based file
// system: every folder is known by an identifier (a single character in the fixed maps, a
// slash path when the folders are discovered), and the tree below is what the program
// knows about them. The tree owns its nodes; a rescan replaces the whole tree.

#include <QDateTime>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace q7k3 {

// One phone file, as the phone listed it.
struct FileEntry {
    std::string Name;  // at most kFileNameChars characters (UTF-8)
    int32_t Size = 0;  // bytes, as the phone reported them
    QDateTime Date;    // modification time stamp (local time)
};

// One phone folder. Children and Files keep the order in which they were added, which
// is the order the folder maps list them and the phone sent them.
struct Tree4 {
    std::string Name;  // at most kFolderNameChars characters; the model code for the root
    std::string Id;    // the phone's identifier, sent verbatim; " " marks a virtual folder
    std::vector<FileEntry> Files;
    std::vector<std::unique_ptr<Tree4>> Children;  // ".." marker first for AddFolder nodes
    Tree4* Parent = nullptr;                       // null for the root
    bool Listed = false;                           // needs no (further) listing

    // The next sibling, or null (the chain of the parent's children).
    Tree4* Next() const;
    // The first child, or null.
    Tree4* FirstChild() const { return Children.empty() ? nullptr : Children.front().get(); }
    bool IsVirtual() const { return Id == kVirtualId; }
    bool IsMarker() const { return Name == ".." && Id == kVirtualId && Children.empty(); }

    static constexpr std::string_view kVirtualId = " ";
};

inline constexpr size_t kFolderNameChars = 24;
inline constexpr size_t kFileNameChars = 64;

// The phone's internal folder names: a listed entry whose raw name is one of them is never
// stored as a file.
const std::vector<std::string>& ReservedNames();
bool IsReservedName(std::string_view rawName);

// A root node: no ".." marker, no parent.
std::unique_ptr<Tree4> MakeRoot(std::string_view modelCode, std::string_view id);

// Adds a folder under parent unless a child of that name (after the cut to 24 characters)
// exists; the new node gets a ".." marker as its first child and is Listed when virtual.
// Returns the new node, or the existing child of that name.
Tree4* AddFolder(std::string_view name, Tree4* parent, std::string_view id);
// Appends a file unless one of that name (after the cut to 64 characters) exists: the
// first entry wins. Returns false when the entry was discarded.
bool AddFile(Tree4* folder, std::string_view name, const QDateTime& date, int32_t size);
// Removes the first entry of that name; nothing happens when there is none.
void RemoveFile(Tree4* folder, std::string_view name);
bool HasFile(const Tree4* folder, std::string_view name);
const FileEntry* FindFile(const Tree4* folder, std::string_view name);
// The child of parent with that name, or parent itself when there is none.
Tree4* FindChild(std::string_view name, Tree4* parent);
void FreeFiles(Tree4* folder);

// True when node, one of its later siblings, or anything below them holds a file.
bool TreeHasFiles(const Tree4* node);

// The scan's walk: for a node, first its first child's walk, then its next sibling's,
// then the node itself. ".." markers are included; the root comes last.
std::vector<Tree4*> CollectFolderTable(Tree4* root);

// The phone pane's path line: "E700:" for the root, "E700:\Sounds\My Sounds" below it.
std::string PhonePathText(const Tree4* folder);
// The folder a path line names, the "E700:" prefix optional; null when there is none.
Tree4* FindFolderByPath(Tree4* root, std::string_view path);

// Where a folder stands: the names from the root down, so a folder is found again in a tree
// read afresh (and a command that holds its place never holds a pointer into a tree that
// may be dropped meanwhile).
using FolderPlace = std::vector<std::string>;
FolderPlace PlaceOf(const Tree4* folder);
// The folder at that place; null when the tree is gone or has no such folder.
Tree4* FindPlace(Tree4* root, const FolderPlace& place);

}  // namespace q7k3
