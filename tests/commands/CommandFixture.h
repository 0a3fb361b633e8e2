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

namespace q7k3::test {

class ScriptedConflict final : public ConflictQuestion {
public:
    struct Asked {
        std::string oldName, newName;
    };
    std::deque<ConflictReply> answers;
    std::vector<Asked> asked;
    ConflictReply AskConflict(const std::string& oldName, const std::string& newName) override {
        asked.push_back({oldName, newName});
        if (answers.empty()) {
            ADD_FAILURE() << "unscripted conflict question for " << oldName;
            return {ConflictAnswer::Cancel, newName};
        }
        ConflictReply a = answers.front();
        answers.pop_front();
        return a;
    }
};

class ScriptedRename final : public RenameQuestion {
public:
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> asked;
    std::optional<std::string> AskNewName(const std::string& name) override {
        asked.push_back(name);
        if (answers.empty()) {
            ADD_FAILURE() << "unscripted rename question for " << name;
            return std::nullopt;
        }
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
};

// Boxes recorded; a yes/no question without a scripted answer fails the test.
class StrictPrompts final : public Prompts {
public:
    struct Box {
        std::string text, caption;
        BoxIcon icon;
    };
    std::vector<Box> boxes;
    std::deque<bool> answers;
    void MessageBox(const std::string& text, const std::string& caption, BoxIcon icon) override {
        boxes.push_back({text, caption, icon});
    }
    bool AskYesNo(const std::string& text, const std::string& caption) override {
        boxes.push_back({text, caption, BoxIcon::Question});
        if (answers.empty()) {
            ADD_FAILURE() << "unscripted question: " << text;
            return false;
        }
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
};

inline std::string Pattern(size_t n, unsigned seed) {
    std::string s(n, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        s[i] = static_cast<char>(x >> 24);
    }
    return s;
}

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
    StrictPrompts prompts;
    ScriptedConflict conflict;

    void SetUp() override { OpenPhone(); }
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
        if (folder) EXPECT_TRUE(link.fs->ListFolder(folder, true)) << link.Ch().LastError;
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
        for (const auto& b : prompts.boxes) out.push_back(b.text);
        return out;
    }
    std::vector<std::string> PhoneNames(const std::string& id) const {
        std::vector<std::string> out;
        for (const auto& f : link.emu->ListFiles(id)) out.push_back(f.Name);
        return out;
    }
};

}  // namespace q7k3::test
