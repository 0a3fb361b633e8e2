// Part files a killed program left beside its outputs: which ones the next output removes.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "base/OutputFile.h"

using namespace q7k3;

namespace {

// The pid of a process that has ended.
pid_t GonePid() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

TEST(OutputFile, RemovesOnlyThePartFilesOfProgramsThatAreGone) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    const std::string gone = std::to_string(GonePid());
    const auto make = [&](const std::string& name) {
        QFile f(QString::fromStdString(folder + "/" + name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("part");
    };
    struct Case {
        std::string name;
        bool removed;
    };
    const std::vector<Case> cases = {
        {".q7k3fm-part-" + gone + "-aB3xYz", true},
        {".q7k3fm-part-" + gone + "-locked", false},  // held by a program elsewhere
        {".q7k3fm-part-" + std::to_string(getppid()) + "-alive1", false},
        {".q7k3fm-part-" + gone + "-short", false},
        {".q7k3fm-part-" + gone + "-ab.txt", false},
        {".q7k3fm-part-x" + gone + "-abcdef", false},
        {"q7k3fm-part-" + gone + "-abcdef", false},
        {"notes.txt", false},
    };
    for (const Case& c : cases) make(c.name);
    const int held = open((folder + "/.q7k3fm-part-" + gone + "-locked").c_str(), O_RDONLY);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    // A link of that form is never followed nor removed.
    const std::string link = folder + "/.q7k3fm-part-" + gone + "-link00";
    ASSERT_EQ(symlink((folder + "/notes.txt").c_str(), link.c_str()), 0);

    EXPECT_EQ(OutputFile::StaleParts(folder),
              std::vector<std::string>{folder + "/" + cases.front().name});
    OutputFile out(folder + "/result.wav");
    ASSERT_TRUE(out.Open());
    ASSERT_TRUE(out.Write("RIFF"));
    ASSERT_TRUE(out.Commit());
    for (const Case& c : cases)
        EXPECT_EQ(QFile::exists(QString::fromStdString(folder + "/" + c.name)), !c.removed)
            << c.name;
    EXPECT_TRUE(QFileInfo(QString::fromStdString(link)).isSymLink());
    close(held);
}

}  // namespace
