#include "ui/TempDir.h"

#include <QDir>
#include <QTemporaryDir>

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

}  // namespace q7k3
