#include "ui/TempDir.h"

#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <vector>

namespace q7k3 {

const std::string& PrivateTempDir() {
    // QTemporaryDir makes the directory with mode 0700 and removes it at destruction,
    // which for a function-local static is the end of the program.
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/q7k3fm-XXXXXX"));
    static const std::string path = dir.isValid() ? dir.path().toStdString() : std::string();
    return path;
}

std::string TempFileName() {
    const std::string& dir = PrivateTempDir();
    return dir.empty() ? std::string() : dir + "/Q7K3FM.TMP";
}

namespace {

std::mutex g_strayMutex;
bool g_ending = false;
std::vector<std::string>& Strays() {
    static std::vector<std::string> paths;
    return paths;
}

}  // namespace

void AddStrayPath(const std::string& path) {
    const std::lock_guard lock(g_strayMutex);
    if (g_ending) {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
        return;
    }
    Strays().push_back(path);
}

bool MakeStrayPath(const std::function<std::string()>& make) {
    const std::lock_guard lock(g_strayMutex);
    if (g_ending) return false;
    std::string path = make();
    if (path.empty()) return false;
    Strays().push_back(std::move(path));
    return true;
}

void DropStrayPath(const std::string& path) {
    const std::lock_guard lock(g_strayMutex);
    auto& paths = Strays();
    paths.erase(std::remove(paths.begin(), paths.end(), path), paths.end());
}

void RemoveStrayPaths() {
    const std::lock_guard lock(g_strayMutex);
    g_ending = true;
    for (const std::string& path : Strays()) {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    Strays().clear();
}

ReplacingFile::ReplacingFile(std::string target) : m_target(std::move(target)) {}

ReplacingFile::~ReplacingFile() {
    Cancel();
}

bool ReplacingFile::Open() {
    const QString dir = QFileInfo(QString::fromStdString(m_target)).absolutePath();
    auto file = std::make_unique<QTemporaryFile>(dir + QStringLiteral("/.q7k3fm-part-XXXXXX"));
    file->setAutoRemove(false);
    // A stop signal that ends the program while another thread makes this file must not
    // leave it behind: it is made and listed under the clean-up's lock.
    if (!MakeStrayPath([&] { return file->open() ? file->fileName().toStdString() : std::string(); }))
        return false;
    m_file = std::move(file);
    return true;
}

QFile& ReplacingFile::File() {
    return *m_file;
}

bool ReplacingFile::Commit() {
    if (!m_file) return false;
    const std::string temp = m_file->fileName().toStdString();
    const bool flushed = m_file->flush();
    m_file->close();
    // The finished file gets the permissions a new file of the user's would have (the
    // temporary one is private). umask can only be read by setting it.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(temp.c_str(), 0666 & ~mask);
    // rename() replaces the target itself, never what a link there points to.
    if (!flushed || std::rename(temp.c_str(), m_target.c_str()) != 0) {
        Cancel();
        return false;
    }
    DropStrayPath(temp);
    m_file.reset();
    return true;
}

void ReplacingFile::Cancel() {
    if (!m_file) return;
    const QString temp = m_file->fileName();
    m_file->close();
    QFile::remove(temp);
    DropStrayPath(temp.toStdString());
    m_file.reset();
}

}  // namespace q7k3
