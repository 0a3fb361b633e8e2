// scan, ls, get, put, rm: the phone's folders and files from the command line. Folders
// are written as the phone pane's path line shows them ("E700:\Sounds\My Sounds"; the
// "E700:" is optional), in the tree of the chosen mode.
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <functional>

#include "app/cli/Cli.h"
#include "app/cli/CliLink.h"
#include "link/Connection.h"
#include "link/SettingsStore.h"
#include "phonefs/PhoneFs.h"
#include "ui/Messages.h"
#include "ui/Text.h"

namespace q7k3::cli {
namespace {

constexpr const char* kCommonUsage =
    "[--port PATH] [--baud N] [--sleep 0|1|2] [--mode normal|pro|pims] [--hidden]";

// Boxes become lines on standard error; the CLI never waits for an answer.
class CliPrompts final : public Prompts {
public:
    void MessageBox(const std::string& text, const std::string&, BoxIcon) override {
        std::string line = text;
        for (size_t at; (at = line.find("\r\n")) != std::string::npos;) line.replace(at, 2, " ");
        Fail(line);
    }
    bool AskYesNo(const std::string&, const std::string&) override { return true; }
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

int RunGet(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    Session s;
    if (const int rc = s.TakeOptions(args)) return rc;
    if (args.size() != 2) return Fail("get takes a phone file and a local path", 2);
    std::string folderPath, name;
    if (!SplitFilePath(args[0], folderPath, name)) return 2;
    if (const int rc = s.Open()) return rc;
    Tree4* folder = s.Folder(folderPath);
    if (!folder || !RealFolder(folder)) return 1;
    // The listing makes the folder current and gives the file's time stamp.
    if (!s.fs->ListFolder(folder, true)) return s.PhoneError();
    const FileEntry* entry = FindFile(folder, name);
    QString local = QString::fromStdString(args[1]);
    if (QFileInfo(local).isDir())
        local = QDir(local).filePath(QString::fromStdString(SafeFileName(name)));
    if (!s.fs->ReadPhoneFile(local.toStdString(), name, entry ? entry->Date : QDateTime())) {
        return s.PhoneError(local.toStdString());
    }
    return 0;
}

int RunPut(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    Session s;
    if (const int rc = s.TakeOptions(args)) return rc;
    if (args.size() != 2 && args.size() != 3) {
        return Fail("put takes a local file, a phone folder and maybe a name", 2);
    }
    const std::string name =
        args.size() == 3 ? args[2]
                         : QFileInfo(QString::fromStdString(args[0])).fileName().toStdString();
    if (const int rc = s.Open()) return rc;
    Tree4* folder = s.Folder(args[1]);
    if (!folder || !RealFolder(folder)) return 1;
    if (!s.fs->ChangeFolder(folder->Id)) return s.PhoneError();
    if (!s.fs->WritePhoneFile(args[0], name, folder)) return s.PhoneError(args[0]);
    return 0;
}

int RunRm(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    Session s;
    if (const int rc = s.TakeOptions(args)) return rc;
    if (args.size() != 1) return Fail("rm takes one phone file", 2);
    std::string folderPath, name;
    if (!SplitFilePath(args[0], folderPath, name)) return 2;
    if (const int rc = s.Open()) return rc;
    Tree4* folder = s.Folder(folderPath);
    if (!folder || !RealFolder(folder)) return 1;
    if (!s.fs->ChangeFolder(folder->Id)) return s.PhoneError();
    if (!s.fs->EraseFile(name)) return s.PhoneError();
    return 0;
}

#define Q7K3_USAGE(cmd, rest) cmd " " rest

const std::string kScanUsage = std::string("scan ") + kCommonUsage;
const std::string kLsUsage = std::string("ls FOLDER ") + kCommonUsage;
const std::string kGetUsage = std::string("get FOLDER\\FILE LOCAL ") + kCommonUsage;
const std::string kPutUsage = std::string("put LOCAL FOLDER [NAME] ") + kCommonUsage;
const std::string kRmUsage = std::string("rm FOLDER\\FILE ") + kCommonUsage;

const CliCommand kScan{"scan", kScanUsage.c_str(), RunScan};
const CliCommand kLs{"ls", kLsUsage.c_str(), RunLs};
const CliCommand kGet{"get", kGetUsage.c_str(), RunGet};
const CliCommand kPut{"put", kPutUsage.c_str(), RunPut};
const CliCommand kRm{"rm", kRmUsage.c_str(), RunRm};

}  // namespace
}  // namespace q7k3::cli
