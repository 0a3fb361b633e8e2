#pragma once
// The phone's own folders. Each model family has a fixed set of folders, each addressed by a
// one-character identifier; a phone in PIMS mode addresses its folders by path instead
// ("/Sounds", "/Sounds/Ring", the root " ").

#include <string>
#include <vector>

namespace q7k3::emu {

struct Folder {
    std::string Id;    // what the PC sends in AT+FSCD/FSDL/FSDI
    std::string Path;  // slash-separated place in the tree, "" for the root ("mms/camera/image")
    std::string Name;  // last path component ("image"); empty for the root
};

enum class Family { Default, E };

// E700 and E800 number their folders differently from the other models.
Family FamilyOfModel(const std::string& model);

class FolderMap {
public:
    FolderMap() = default;
    FolderMap(Family family, bool pims);

    const std::vector<Folder>& Folders() const { return m_folders; }
    // The folder with this identifier (" " is the root in every map), or null.
    const Folder* ById(const std::string& id) const;
    const Folder* ByPath(const std::string& path) const;
    // Direct subfolders, in map order.
    std::vector<const Folder*> Children(const Folder& parent) const;
    const Folder& Root() const { return m_folders.front(); }
    bool Pims() const { return m_pims; }

private:
    void Add(std::string id, std::string path);

    std::vector<Folder> m_folders;
    bool m_pims = false;
};

}  // namespace q7k3::emu
