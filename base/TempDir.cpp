#include "base/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
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

// Held for good by the clean-up of a process that ends at once: every other thread that
// would list, make or rename a stray path then waits for the end instead.
std::mutex g_strayMutex;
std::vector<std::string>& Strays() {
    static std::vector<std::string> paths;
    return paths;
}

}  // namespace

bool MakeStrayPath(const std::function<std::string()>& make) {
    const std::lock_guard lock(g_strayMutex);
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

bool RenameStrayPath(const std::string& from, const std::string& to) {
    const std::lock_guard lock(g_strayMutex);
    // rename() replaces the target itself, never what a link there points to.
    if (std::rename(from.c_str(), to.c_str()) != 0) return false;
    auto& paths = Strays();
    paths.erase(std::remove(paths.begin(), paths.end(), from), paths.end());
    return true;
}

void RemoveStrayPathsForGood() {
    // Never unlocked: nothing is made, or renamed into a folder being removed, after this.
    g_strayMutex.lock();
    for (const std::string& path : Strays()) {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    Strays().clear();
}

}  // namespace q7k3
