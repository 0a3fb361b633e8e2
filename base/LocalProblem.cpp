#include "base/LocalProblem.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>

#include "base/Messages.h"

namespace q7k3 {
namespace {

std::string ParentOf(const std::string& path) {
    std::string dir = path;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    const size_t slash = dir.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : dir.substr(0, slash);
}

// The deepest folder of the path that exists: the one whose disk and rights decide.
std::string ExistingFolder(const std::string& path) {
    std::string dir = path;
    struct stat st {};
    while (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        const std::string up = ParentOf(dir);
        if (up == dir) break;
        dir = up;
    }
    return dir;
}

std::string ErrnoReason(int err, const std::string& folder) {
    switch (err) {
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return Msg(kMsgDiskFull);
        case EROFS:
            return Msg(kMsgDiskReadOnly);
        case EACCES:
        case EPERM:
            return Msg(kMsgNoWriteRights) + folder;
        case EISDIR:
            return Msg(kMsgIsFolder);
        case ENOENT:
        case ENOTDIR:
            return Msg(kMsgNoSuchFolder);
        default:
            return Msg(kMsgSystemError) + std::to_string(err);
    }
}

// Why nothing can be written in `dir` (which may not exist yet).
std::string WriteProblemIn(const std::string& dir, int err) {
    const std::string folder = ExistingFolder(dir);
    // The call's own errno first: a disk that filled up is not full any more once the
    // half-written file is gone.
    if (err != 0 && err != EIO) return ErrnoReason(err, folder);
    struct statvfs fs {};
    if (::statvfs(folder.c_str(), &fs) == 0) {
        if (fs.f_flag & ST_RDONLY) return Msg(kMsgDiskReadOnly);
        if (fs.f_bavail == 0) return Msg(kMsgDiskFull);
    }
    if (::access(folder.c_str(), W_OK) != 0) return ErrnoReason(errno, folder);
    if (folder != dir) return Msg(kMsgNoSuchFolder);
    return Msg(kMsgSystemError) + std::to_string(err != 0 ? err : EIO);
}

}  // namespace

std::string LocalProblem(const std::string& path, LocalAccess access, int err) {
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return Msg(kMsgIsFolder);
    if (exists && !S_ISREG(st.st_mode)) return Msg(kMsgNotRegularFile);
    if (access == LocalAccess::Write) return WriteProblemIn(ParentOf(path), err);
    if (!exists) return Msg(kMsgNoSuchLocalFile);
    if (::access(path.c_str(), R_OK) != 0) return Msg(kMsgNoReadRights);
    return Msg(kMsgSystemError) + std::to_string(err != 0 ? err : EIO);
}

std::string FolderProblem(const std::string& path, int err) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) return Msg(kMsgNotAFolder);
    return WriteProblemIn(path, err);
}

}  // namespace q7k3
