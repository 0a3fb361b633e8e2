#pragma once
// The file commands against the emulated phone: the Normal folder map of an E700, strict
// scripted questions (an unscripted question fails the test), and local file helpers.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <deque>

#include "commands/Questions.h"
#include "phonefs/EmulatorLink.h"
#include "phonefs/FolderMaps.h"
#include "support/Reasons.h"

namespace q7k3::test {

// Boxes, yes/no, file-exists and rename questions: the one set of scripted fakes, where an
// unscripted question fails the test.

// The commands sent to the phone, one per line, without data blocks and prompts.
inline std::vector<std::string> SentCommands(const std::string& received) {
    std::vector<std::string> out;
    for (size_t at = 0; (at = received.find("AT+", at)) != std::string::npos;) {
        const size_t end = received.find("\r\n", at);
        out.push_back(received.substr(at, end - at));
        at = end;
    }
    return out;
}

struct CommandFixture : ::testing::Test {
    QTemporaryDir dir;
    EmulatorLink link;
    ScriptedUi prompts;
    ScriptedUi& conflict = prompts;

    void SetUp() override {
        // The record of unfinished replacements lives in the test's own data folder.
        qputenv("XDG_DATA_HOME", QDir(dir.path()).filePath("xdg").toLocal8Bit());
        OpenPhone();
    }
    // The entries of unfinished replacements left in that folder.
    QStringList UnfinishedEntries() const {
        return QDir(QDir(dir.path()).filePath("xdg/Q7K3FileManager/Unfinished"))
            .entryList({QStringLiteral("replace-*")}, QDir::Files);
    }
    void OpenPhone(const std::string& model = "SGH-E700") {
        EmulatorConfig config;
        config.Model = model;
        ASSERT_TRUE(link.Open(config));
        link.fs->SetPrompts(prompts);
        link.fs->SetRoot(BuildFolderMap(MapKind::Normal, link.fs->ModelCodeText()));
    }
    // The folder of a path line, listed from the phone.
    Tree4* Folder(const std::string& path) {
        Tree4* folder = FindFolderByPath(link.fs->PhoneRoot(), path);
        EXPECT_NE(folder, nullptr) << path;
        if (folder) EXPECT_EQ(test::ReasonOf(link.fs->ListFolder(folder, true)), 0);
        return folder;
    }
    std::string IdOf(const std::string& path) {
        return FindFolderByPath(link.fs->PhoneRoot(), path)->Id;
    }
    std::string Path(const std::string& name) const {
        return QDir(dir.path()).filePath(QString::fromStdString(name)).toStdString();
    }
    std::string WriteLocal(const std::string& name, const std::string& data) {
        const std::string path = Path(name);
        QFile f(QString::fromStdString(path));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data.data(), static_cast<qint64>(data.size()));
        return path;
    }
    std::string ReadLocal(const std::string& path) const {
        QFile f(QString::fromStdString(path));
        return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : "<missing>";
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> out;
        for (const auto& b : prompts.shown) out.push_back(b.Text);
        return out;
    }
    std::vector<std::string> PhoneNames(const std::string& id) const {
        std::vector<std::string> out;
        for (const auto& f : link.emu->ListFiles(id)) out.push_back(f.Name);
        return out;
    }
};

}  // namespace q7k3::test
