#include "base/OutputFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <mutex>
#include <random>
#include <set>

#include "base/LocalProblem.h"
#include "base/Messages.h"
#include "base/TempDir.h"

namespace q7k3 {
namespace {

std::string FolderOf(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
}

// Makes a fresh part file in `folder` and returns its descriptor (-1 with errno set).
int MakePart(const std::string& folder, std::string& path) {
    static thread_local std::mt19937 random(std::random_device{}());
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = ".q7k3fm-part-" + std::to_string(getpid()) + "-";
        for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
        path = folder + "/" + name;
        const int fd =
            open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        // Held while the file is open: a program on another machine sharing the folder
        // cannot see whether this one runs, but it can see the lock.
        if (fd >= 0) flock(fd, LOCK_EX | LOCK_NB);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

constexpr char kPartPrefix[] = ".q7k3fm-part-";

// The pid in a part file's name ".q7k3fm-part-<pid>-XXXXXX", or 0 when the name is not one.
pid_t PartOwner(const std::string& name) {
    const std::string_view prefix = kPartPrefix;
    if (!std::string_view(name).starts_with(prefix)) return 0;
    size_t at = prefix.size();
    pid_t pid = 0;
    const size_t digits = at;
    while (at < name.size() && name[at] >= '0' && name[at] <= '9' && at - digits < 9)
        pid = pid * 10 + (name[at++] - '0');
    if (at == digits || at + 7 != name.size() || name[at] != '-') return 0;
    for (size_t i = at + 1; i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return 0;
    }
    return pid;
}

// Whether `path` is a part file of this user's that its program left for good: the program
// is gone and nobody holds the file locked.
bool Abandoned(const std::string& path, pid_t owner) {
    if (owner == getpid() || kill(owner, 0) == 0 || errno != ESRCH) return false;
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    const bool mine = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid();
    const bool free = mine && flock(fd, LOCK_EX | LOCK_NB) == 0;
    close(fd);
    return free;
}

// Removes the abandoned part files of `folder`, once a folder in a run.
void SweepOnce(const std::string& folder) {
    static std::mutex mutex;
    static std::set<std::string> swept;
    {
        const std::lock_guard lock(mutex);
        if (!swept.insert(folder).second) return;
    }
    for (const std::string& path : OutputFile::StaleParts(folder)) unlink(path.c_str());
}

}  // namespace

std::vector<std::string> OutputFile::StaleParts(const std::string& folder) {
    std::vector<std::string> out;
    const QStringList names =
        QDir(QString::fromStdString(folder))
            .entryList({QString::fromLatin1(kPartPrefix) + QLatin1Char('*')},
                       QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& entry : names) {
        const std::string name = entry.toStdString();
        const pid_t owner = PartOwner(name);
        const std::string path = folder + "/" + name;
        if (owner > 0 && Abandoned(path, owner)) out.push_back(path);
    }
    return out;
}

OutputFile::OutputFile(std::string target) : m_target(std::move(target)) {}

OutputFile::~OutputFile() {
    Cancel();
}

Status OutputFile::LocalFailure(const std::string& path, int err) const {
    return Fail(kErrLocalFile, path + ": " + LocalProblem(path, LocalAccess::Write, err));
}

Status OutputFile::Open() {
    Cancel();
    struct stat st {};
    if (lstat(m_target.c_str(), &st) == 0) {
        // A link would take the file elsewhere, wherever a stranger pointed it.
        if (S_ISLNK(st.st_mode)) return Fail(kErrLocalData, Msg(kMsgLinkRefused) + m_target);
        // A folder, a pipe or a device of that name is not replaced by a file.
        if (!S_ISREG(st.st_mode)) return LocalFailure(m_target, S_ISDIR(st.st_mode) ? EISDIR : 0);
    }
    const std::string folder = FolderOf(m_target);
    SweepOnce(folder);
    int fd = -1;
    int err = 0;
    // A stop signal that ends the program while this thread makes the file must not leave
    // it behind: it is made and listed under the clean-up's lock.
    MakeStrayPath([&] {
        std::string path;
        fd = MakePart(folder, path);
        err = errno;
        if (fd < 0) return std::string();
        m_part = path;
        return path;
    });
    if (fd < 0) return LocalFailure(m_target, err);
    m_file = std::make_unique<QFile>();
    if (!m_file->open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
        close(fd);
        m_file.reset();
        Cancel();
        return LocalFailure(m_target, EIO);
    }
    return {};
}

Status OutputFile::Write(const void* data, size_t size) {
    if (!m_file) return LocalFailure(m_target, EBADF);
    if (size > 0 && m_file->write(static_cast<const char*>(data), static_cast<qint64>(size)) !=
                        static_cast<qint64>(size))
        return LocalFailure(m_target, m_file->error() == QFileDevice::ResourceError ? ENOSPC : errno);
    return {};
}

QFile& OutputFile::File() {
    return *m_file;
}

std::string OutputFile::PartPath() const {
    return m_part;
}

Status OutputFile::Commit() {
    if (!m_file) return LocalFailure(m_target, EBADF);
    const auto failed = [this](int err) {
        const Status failure = LocalFailure(m_target, err);
        Cancel();
        return failure;
    };
    if (!m_file->flush()) return failed(m_file->error() == QFileDevice::ResourceError ? ENOSPC : errno);
    const int fd = m_file->handle();
    // The permissions of the file it replaces, or those a new file of the user's gets (umask
    // can only be read by setting it).
    struct stat st {};
    mode_t mode = 0;
    if (lstat(m_target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    fchmod(fd, mode);
    // The data on the disk before the name: a crash after the rename must not find the name
    // holding a file whose blocks never got there.
    if (fsync(fd) != 0) return failed(errno);
    m_file->close();
    // A link planted while the file grew is refused too; rename() would replace the link
    // itself, but the user named a file, not a link.
    if (lstat(m_target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        Cancel();
        return Fail(kErrLocalData, Msg(kMsgLinkRefused) + m_target);
    }
    // In one step, and never while a stop signal's clean-up takes the part file away.
    if (!RenameStrayPath(m_part, m_target)) return failed(errno);
    m_part.clear();
    m_file.reset();
    if (const int dir = open(FolderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return {};
}

void OutputFile::Cancel() {
    if (m_file) m_file->close();
    m_file.reset();
    if (m_part.empty()) return;
    unlink(m_part.c_str());
    DropStrayPath(m_part);
    m_part.clear();
}

}  // namespace q7k3
