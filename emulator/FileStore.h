#pragma once
// Where the phone keeps its files: in memory, or in a host directory with one subdirectory
// per phone folder (named by the folder's path, "mms/camera/image"), so a person can watch
// what arrives. Folders are addressed by path; the interpreter maps identifiers to paths.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace q7k3::emu {

struct StoredFile {
    std::string Name;
    uint64_t Size = 0;
    std::string Stamp;  // as listed: "YYYY/MM/DD HH:MM:SS"
};

class FileStore {
public:
    virtual ~FileStore() = default;
    virtual std::vector<StoredFile> List(const std::string& folder) const = 0;
    virtual std::optional<std::string> Get(const std::string& folder,
                                           const std::string& name) const = 0;
    // Creates or replaces; an existing file keeps its place in the listing.
    virtual bool Put(const std::string& folder, const std::string& name, const std::string& bytes,
                     const std::string& stamp) = 0;
    virtual bool Remove(const std::string& folder, const std::string& name) = 0;
    // Makes sure the folder exists (a directory for the host store).
    virtual void AddFolder(const std::string& folder) = 0;
};

std::unique_ptr<FileStore> MakeMemoryStore();
// rootDir must exist or be creatable; returns null otherwise.
std::unique_ptr<FileStore> MakeDirectoryStore(const std::string& rootDir);

// The current local time as a listing stamp.
std::string NowStamp();

// A name the phone accepts for a file: not empty, at most 255 bytes, no '/', no '"', no
// control bytes, not "." or "..". Also what keeps the host store inside its directory.
bool IsValidFileName(const std::string& name);

}  // namespace q7k3::emu
