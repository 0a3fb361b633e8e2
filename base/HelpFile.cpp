#include "base/HelpFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "base/Language.h"

namespace q7k3 {

namespace {

// One language's page: beside the program, in share/q7k3fm of its prefix, in the desktop's
// data folders. Empty when none is there.
QString FindPage(const QDir& dir, const QString& stem) {
    const QString beside = dir.filePath(stem + QStringLiteral(".hlp"));
    if (QFileInfo::exists(beside)) return beside;
    const QString html = stem + QStringLiteral(".html");
    const QString installed = QDir::cleanPath(dir.filePath(QStringLiteral("../share/q7k3fm/") + html));
    if (QFileInfo::exists(installed)) return installed;
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("q7k3fm/") + html);
}

}  // namespace

QString FindHelpFile(const QString& programDir) {
    const QDir dir(programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir);
    // The English page where the program speaks English; the Russian one is every
    // language's last resort.
    if (CurrentLanguage() == Language::English) {
        const QString english = FindPage(dir, QStringLiteral("Q7K3FM.en"));
        if (!english.isEmpty()) return english;
    }
    const QString russian = FindPage(dir, QStringLiteral("Q7K3FM"));
    return russian.isEmpty() ? dir.filePath(QStringLiteral("Q7K3FM.hlp")) : russian;
}

}  // namespace q7k3
