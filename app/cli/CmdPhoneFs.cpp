// scan, ls, get, put, rm, rename: the phone's folders and files from the command line.
// Folders are written as the phone pane's path line shows them ("E700:\Sounds\My Sounds";
// the "E700:" is optional), in the tree of the chosen mode. get and put apply the folder
// rules the window's copy applies (--raw moves the bytes unchanged).
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "app/cli/Cli.h"
#include "app/cli/CliLink.h"
#include "commands/CopyToComputer.h"
#include "commands/CopyToPhone.h"
#include "commands/DeleteFiles.h"
#include "commands/FolderRules.h"
#include "commands/RenameFile.h"
#include "link/Connection.h"
#include "link/SettingsStore.h"
#include "phonefs/PhoneFs.h"
#include "ui/Messages.h"
#include "ui/Text.h"

namespace q7k3::cli {
namespace {

constexpr const char* kCommonUsage =
    "[--port PATH] [--baud N] [--sleep 0|1|2] [--trace FILE] [--mode normal|pro|pims] [--hidden]";

// Boxes become lines on standard error; the CLI never waits for an answer.
class CliPrompts final : public Prompts {
public:
    void MessageBox(const std::string& text, const std::string&, BoxIcon) override {
        std::string line = text;
        for (size_t at; (at = line.find("\r\n")) != std::string::npos;) line.replace(at, 2, " ");
        Fail(line);
        ++shown;
    }
    bool AskYesNo(const std::string&, const std::string&) override { return true; }
    int shown = 0;  // boxes shown: the command tells of a problem
};

// One command's session: options, link, file system.
struct Session {
    LinkOptions options;
    int mode = 0;
    bool hidden = false;
    CliLink link;
    NullProgress progress;
    CliPrompts prompts;
    std::unique_ptr<PhoneFs> fs;

    // Takes the common options; returns 0 or the exit code of a bad option.
    int TakeOptions(std::vector<std::string>& args) {
        if (!TakeLinkOptions(args, options)) return 2;
        bool missing = false;
        const std::string modeName = TakeOption(args, "--mode", "normal", missing);
        hidden = TakeFlag(args, "--hidden");
        if (missing) return Fail("--mode takes normal, pro or pims", 2);
        if (modeName == "normal")
            mode = 0;
        else if (modeName == "pro")
            mode = 1;
        else if (modeName == "pims")
            mode = 2;
        else
            return Fail("--mode takes normal, pro or pims", 2);
        return 0;
    }
    // Opens the link; returns 0 or the link's exit code.
    int Open() {
        if (!link.Open(options)) return link.ExitCode();
        ApplyMode(mode, link.Flags);
        link.Flags.HiddenFiles = hidden;
        // The link's model query was followed to its final "OK": nothing of it is left.
        fs = std::make_unique<PhoneFs>(link.Channel(), link.Flags, progress, prompts);
        return 0;
    }
    // The catalogue's text for the failure; a local file that cannot be opened is named.
    int PhoneError(const std::string& localPath = {}) {
        const AtChannel& ch = link.Channel();
        std::string text = FailureText(ch.LastError, ch.ErrorText);
        if (ch.LastError == kErrLocalFile) text += localPath;
        for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " ");
        return Fail(text);
    }
    // The folder a path names, in the tree of the mode (built without listing).
    Tree4* Folder(const std::string& path) {
        if (!fs->PhoneRoot()) fs->BuildFolderTree(mode);
        Tree4* folder = FindFolderByPath(fs->PhoneRoot(), path);
        if (!folder) Fail("no such phone folder: " + path);
        return folder;
    }
    ~Session() {
        if (fs) link.Form10().Comm321.Disconnect();
    }
};

std::string DateText(const QDateTime& date) {
    return date.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toStdString();
}

void PrintFiles(const Tree4* folder) {
    for (const FileEntry& f : folder->Files) {
        std::printf("    %s\t%d\t%s\n", f.Name.c_str(), f.Size, DateText(f.Date).c_str());
    }
}

// Splits "FOLDER\FILE" at its last backslash.
bool SplitFilePath(const std::string& path, std::string& folder, std::string& name) {
    const size_t at = path.rfind('\\');
    if (at == std::string::npos || at + 1 >= path.size()) {
        Fail("name a phone file as FOLDER\\FILE: " + path);
        return false;
    }
    folder = path.substr(0, at);
    name = path.substr(at + 1);
    return true;
}

bool RealFolder(const Tree4* folder) {
    if (!folder->IsVirtual()) return true;
    Fail("a folder that exists only in the program holds no files: " + PhonePathText(folder));
    return false;
}

int RunScan(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    Session s;
    if (const int rc = s.TakeOptions(args)) return rc;
    if (!args.empty()) return Fail("scan takes no arguments besides its options", 2);
    if (const int rc = s.Open()) return rc;
    // The model was read when the link opened: the scan does not ask again.
    Tree4* root = s.fs->ScanPhone(s.mode, s.hidden, false);
    // A failed walk has already said why.
    if (!root) return 1;
    std::function<void(const Tree4*)> print = [&](const Tree4* folder) {
        std::printf("%s\n", PhonePathText(folder).c_str());
        PrintFiles(folder);
        for (const auto& child : folder->Children) {
            if (!child->IsMarker()) print(child.get());
        }
    };
    print(root);
    std::printf("%s\n", s.fs->EstimateFreeSpace().c_str());
    return 0;
}

int RunLs(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    Session s;
    if (const int rc = s.TakeOptions(args)) return rc;
    if (args.size() != 1) return Fail("ls takes one phone folder", 2);
    if (const int rc = s.Open()) return rc;
    Tree4* folder = s.Folder(args[0]);
    if (!folder) return 1;
    if (!s.fs->ListFolder(folder, s.hidden)) return s.PhoneError();
    std::printf("%s\n", PhonePathText(folder).c_str());
    for (const auto& child : folder->Children) {
        if (!child->IsMarker()) std::printf("    %s\\\n", child->Name.c_str());
    }
    PrintFiles(folder);
    return 0;
}

// The questions of the file commands, answered from the command line: a taken name is
// replaced only with --overwrite; otherwise the command ends and says which name it was.
class CliConflict final : public ConflictQuestion {
public:
    explicit CliConflict(bool overwrite) : m_overwrite(overwrite) {}
    ConflictReply AskConflict(const std::string& oldName, const std::string& newName) override {
        if (m_overwrite) return {ConflictAnswer::Overwrite, newName};
        refused = oldName;
        return {ConflictAnswer::Cancel, newName};
    }
    std::string refused;

private:
    bool m_overwrite;
};

class CliRename final : public RenameQuestion {
public:
    explicit CliRename(std::string name) : m_name(std::move(name)) {}
    std::optional<std::string> AskNewName(const std::string&) override { return m_name; }

private:
    std::string m_name;
};

int ConflictFailure(const std::string& name) {
    return Fail("the phone folder already holds " + name + " (--overwrite replaces it)");
}

// The phone files named as FOLDER\FILE, grouped by folder in the order given.
struct FolderFiles {
    std::string folderPath;
    std::vector<std::string> names;
};

bool GroupByFolder(const std::vector<std::string>& paths, std::vector<FolderFiles>& groups) {
    for (const std::string& path : paths) {
        std::string folderPath, name;
        if (!SplitFilePath(path, folderPath, name)) return false;
        auto it = std::find_if(groups.begin(), groups.end(),
                               [&](const FolderFiles& g) { return g.folderPath == folderPath; });
        if (it == groups.end()) {
            groups.push_back({folderPath, {}});
            it = groups.end() - 1;
        }
        it->names.push_back(name);
    }
    return true;
}

// Lists the folder (which also makes it current) and checks that every name is a file.
// Returns 0, or the exit code after its message.
int ListAndCheck(Session& s, Tree4*& folder, const FolderFiles& group) {
    folder = s.Folder(group.folderPath);
    if (!folder || !RealFolder(folder)) return 1;
    if (!s.fs->ListFolder(folder, true)) return s.PhoneError();
    for (const std::string& name : group.names) {
        if (!HasFile(folder, name))
            return Fail(Msg(kMsgFileNotFound) + ": " + group.folderPath + "\\" + name);
    }
    return 0;
}

int RunGet(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    Session s;
    if (const int rc = s.TakeOptions(args)) return rc;
    const bool raw = TakeFlag(args, "--raw");
    if (args.size() < 2) return Fail("get takes phone files and a local folder", 2);
    const std::string local = args.back();
    args.pop_back();
    const bool toFolder = QFileInfo(QString::fromStdString(local)).isDir();
    if (!toFolder && args.size() > 1) return Fail("several files go into a local folder", 2);
    std::vector<FolderFiles> groups;
    if (!GroupByFolder(args, groups)) return 2;
    if (const int rc = s.Open()) return rc;
    for (const FolderFiles& group : groups) {
        Tree4* folder = nullptr;
        if (const int rc = ListAndCheck(s, folder, group)) return rc;
        const bool plain = raw || RouteToComputer(KindOf(folder), group.names.front(),
                                                  s.link.Flags.MelConvertion) == FetchRoute::Plain;
        if (!toFolder) {
            // One file to a path of the user's choosing: the bytes as they are.
            if (!plain)
                return Fail("the folder rules name a converted file: give a local folder, or --raw",
                            2);
            const FileEntry* entry = FindFile(folder, group.names.front());
            if (!s.fs->ReadPhoneFile(local, entry->Name, entry->Date)) return s.PhoneError(local);
            continue;
        }
        if (raw) {
            for (const std::string& name : group.names) {
                const FileEntry* entry = FindFile(folder, name);
                const std::string path = QDir(QString::fromStdString(local))
                                             .filePath(QString::fromStdString(SafeFileName(name)))
                                             .toStdString();
                if (!s.fs->ReadPhoneFile(path, entry->Name, entry->Date)) return s.PhoneError(path);
            }
            continue;
        }
        CopyToComputer copy(*s.fs, folder, local);
        if (!copy.Run(group.names)) return s.PhoneError();
        if (copy.End() != CommandEnd::Finished) return 1;
    }
    return s.prompts.shown ? 1 : 0;
}

int RunPut(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    Session s;
    if (const int rc = s.TakeOptions(args)) return rc;
    const bool raw = TakeFlag(args, "--raw");
    const bool overwrite = TakeFlag(args, "--overwrite");
    if (args.size() < 2) return Fail("put takes local files and a phone folder", 2);
    const std::string folderPath = args.back();
    args.pop_back();
    for (const std::string& path : args) {
        if (!QFileInfo(QString::fromStdString(path)).isFile())
            return Fail("no such local file: " + path, 2);
    }
    if (const int rc = s.Open()) return rc;
    Tree4* folder = s.Folder(folderPath);
    if (!folder || !RealFolder(folder)) return 1;
    // The listing makes the folder current and shows which names are taken.
    if (!s.fs->ListFolder(folder, true)) return s.PhoneError();
    if (raw) {
        for (const std::string& path : args) {
            const std::string name =
                QFileInfo(QString::fromStdString(path)).fileName().toStdString();
            if (HasFile(folder, name)) {
                if (!overwrite) return ConflictFailure(name);
                if (!s.fs->EraseFile(name)) return s.PhoneError();
                RemoveFile(folder, name);
            }
            if (!s.fs->WritePhoneFile(path, name, folder)) return s.PhoneError(path);
        }
        return 0;
    }
    CliConflict conflict(overwrite);
    CopyToPhone copy(*s.fs, folder, conflict);
    if (!copy.Run(args)) return s.PhoneError();
    if (copy.End() == CommandEnd::Cancelled) return ConflictFailure(conflict.refused);
    if (copy.End() != CommandEnd::Finished || s.prompts.shown) return 1;
    return 0;
}

int RunRm(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    Session s;
    if (const int rc = s.TakeOptions(args)) return rc;
    if (args.empty()) return Fail("rm takes phone files", 2);
    std::vector<FolderFiles> groups;
    if (!GroupByFolder(args, groups)) return 2;
    if (const int rc = s.Open()) return rc;
    for (const FolderFiles& group : groups) {
        Tree4* folder = nullptr;
        if (const int rc = ListAndCheck(s, folder, group)) return rc;
        DeleteFiles erase(*s.fs, folder);
        if (!erase.Run(group.names)) return s.PhoneError();
    }
    return 0;
}

int RunRename(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    Session s;
    if (const int rc = s.TakeOptions(args)) return rc;
    const bool overwrite = TakeFlag(args, "--overwrite");
    if (args.size() != 2) return Fail("rename takes a phone file and its new name", 2);
    std::vector<FolderFiles> groups;
    if (!GroupByFolder({args[0]}, groups)) return 2;
    if (const int rc = s.Open()) return rc;
    Tree4* folder = nullptr;
    if (const int rc = ListAndCheck(s, folder, groups.front())) return rc;
    CliRename name(args[1]);
    CliConflict conflict(overwrite);
    RenameFile rename(*s.fs, folder, name, conflict);
    if (!rename.Run(groups.front().names.front())) return s.PhoneError();
    if (!conflict.refused.empty()) return ConflictFailure(args[1]);
    return rename.End() == CommandEnd::Stopped ? 1 : 0;
}

#define Q7K3_USAGE(cmd, rest) cmd " " rest

const std::string kScanUsage = std::string("scan ") + kCommonUsage;
const std::string kLsUsage = std::string("ls FOLDER ") + kCommonUsage;
const std::string kGetUsage = std::string("get [--raw] FOLDER\\FILE... LOCAL ") + kCommonUsage;
const std::string kPutUsage =
    std::string("put [--raw] [--overwrite] LOCAL... FOLDER ") + kCommonUsage;
const std::string kRmUsage = std::string("rm FOLDER\\FILE... ") + kCommonUsage;
const std::string kRenameUsage =
    std::string("rename [--overwrite] FOLDER\\FILE NEW ") + kCommonUsage;

const CliCommand kScan{"scan", kScanUsage.c_str(), RunScan};
const CliCommand kLs{"ls", kLsUsage.c_str(), RunLs};
const CliCommand kGet{"get", kGetUsage.c_str(), RunGet};
const CliCommand kPut{"put", kPutUsage.c_str(), RunPut};
const CliCommand kRm{"rm", kRmUsage.c_str(), RunRm};
const CliCommand kRename{"rename", kRenameUsage.c_str(), RunRename};

}  // namespace
}  // namespace q7k3::cli
