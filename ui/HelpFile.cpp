#include "ui/HelpFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace q7k3 {

QString FindHelpFile(const QString& programDir) {
    const QDir dir(programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir);
    const QString beside = dir.filePath(QStringLiteral("Q7K3FM.hlp"));
    if (QFileInfo::exists(beside)) return beside;
    const QString installed =
        QDir::cleanPath(dir.filePath(QStringLiteral("../share/q7k3fm/Q7K3FM.html")));
    if (QFileInfo::exists(installed)) return installed;
    const QString shared = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                  QStringLiteral("q7k3fm/Q7K3FM.html"));
    return shared.isEmpty() ? beside : shared;
}

}  // namespace q7k3
