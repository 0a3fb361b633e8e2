// The help page is found where a build or an installation puts it.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "base/HelpFile.h"

namespace q7k3 {
namespace {

void Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

TEST(HelpFile, BesideTheProgramThenInTheInstalledShareFolder) {
    QTemporaryDir root;
    const QString bin = root.filePath("usr/bin");
    QDir().mkpath(bin);
    qputenv("XDG_DATA_DIRS", root.filePath("nowhere").toUtf8());
    qputenv("XDG_DATA_HOME", root.filePath("nowhere-either").toUtf8());
    // Nothing anywhere: the path beside the program, for the viewer to report.
    EXPECT_EQ(FindHelpFile(bin), bin + "/Q7K3FM.hlp");

    // Installed under any prefix (here inside a staging root): share/q7k3fm beside bin.
    Touch(root.filePath("usr/share/q7k3fm/Q7K3FM.html"));
    EXPECT_EQ(FindHelpFile(bin), root.filePath("usr/share/q7k3fm/Q7K3FM.html"));

    // A build tree keeps it beside the program, and that copy wins.
    Touch(bin + "/Q7K3FM.hlp");
    EXPECT_EQ(FindHelpFile(bin), bin + "/Q7K3FM.hlp");
}

TEST(HelpFile, InTheDesktopsDataFolders) {
    QTemporaryDir root;
    const QString bin = root.filePath("opt/q7k3fm");
    QDir().mkpath(bin);
    Touch(root.filePath("data/q7k3fm/Q7K3FM.html"));
    qputenv("XDG_DATA_DIRS", root.filePath("data").toUtf8());
    qputenv("XDG_DATA_HOME", root.filePath("home-data").toUtf8());
    EXPECT_EQ(FindHelpFile(bin), root.filePath("data/q7k3fm/Q7K3FM.html"));
}

}  // namespace
}  // namespace q7k3
