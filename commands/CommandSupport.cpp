#include "commands/CommandSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cstdlib>

#include "link/Failure.h"
#include "link/Connection.h"
#include "ui/Messages.h"
#include "ui/TempDir.h"
#include "ui/Text.h"

namespace q7k3::commands {

std::string CopyProgressLine(const ProgressView& progress) {
    return Msg(kMsgCopyingFile) + std::to_string(progress.Position(2) + 1) + Msg(kMsgOf) +
           std::to_string(progress.Max(2));
}

Tree4* FolderAt(PhoneFs& fs, const FolderPlace& place) {
    Tree4* folder = FindPlace(fs.PhoneRoot(), place);
    if (!folder) ShowError(fs, Msg(kMsgLostLink));
    return folder;
}

void ShowError(PhoneFs& fs, const std::string& text, BoxIcon icon) {
    fs.Ui().MessageBox(text, Msg(kMsgErrorCaption), icon);
}

void FailLocal(AtChannel& ch, const std::string& path) {
    FailText(ch, Msg(kMsgCannotOpenFile) + path);
}

void FailText(AtChannel& ch, const std::string& text) {
    ch.LastError = kErrText;
    ch.ErrorText = text;
}

std::string ErrorReport(const AtChannel& ch) {
    return FailureText(ch.LastError, ch.ErrorText);
}

bool ValidPhoneName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.find('/') != std::string_view::npos) return false;
    return WireSafeName(name);
}

ConflictEnd ResolveConflict(PhoneFs& /*fs*/, Tree4* folder, ConflictQuestion& conflict,
                            bool& overwriteAll, std::string& name, bool& replace) {
    replace = false;
    const std::string taken = name;
    std::string field = name;
    while (HasFile(folder, name)) {
        ConflictReply answer;
        if (overwriteAll) {
            answer.Answer = ConflictAnswer::Overwrite;
        } else {
            answer = conflict.AskConflict(taken, field);
        }
        switch (answer.Answer) {
            case ConflictAnswer::UseNewName:
                field = answer.NewName;
                // A name the phone cannot take is as good as a taken one: ask again.
                if (ValidPhoneName(field)) name = field;
                break;
            case ConflictAnswer::OverwriteAll:
                overwriteAll = true;
                [[fallthrough]];
            case ConflictAnswer::Overwrite:
                // The phone's file stays until the new one is safely there.
                replace = true;
                return ConflictEnd::Go;
            case ConflictAnswer::Cancel:
                return ConflictEnd::Cancel;
        }
    }
    return ConflictEnd::Go;
}

namespace {

// The phone's user memory; every file takes whole 16 KB units of it.
constexpr int64_t kUserMemoryKb = 13104;

int64_t UnitsKb(int64_t size) {
    return 16 * ((std::max<int64_t>(size, 0) + 16383) / 16384);
}

// Erases the temporary file after a failure; the reason of the failure stays the one
// reported, and a temporary file the phone keeps is named beside it.
void DropTemporary(PhoneFs& fs, Tree4* folder, const std::string& temp) {
    AtChannel& ch = fs.Channel();
    const int reason = ch.LastError;
    const std::string text = ch.ErrorText;
    if (fs.EraseFile(temp)) {
        RemoveFile(folder, temp);
        ch.LastError = reason;
        ch.ErrorText = text;
    } else if (HasFile(folder, temp)) {
        // Written whole: it is on the phone and stays in the list.
        ch.LastError = reason;
        ch.ErrorText = text;
        FailText(ch, ErrorReport(ch) + "\r\n" + Msg(kMsgTemporaryLeft) + temp);
    } else {
        // A write that failed leaves no file: nothing to say about it.
        ch.LastError = reason;
        ch.ErrorText = text;
    }
}

enum class Outcome { Done, Failed, MemoryFull };

// New file under a temporary name, old one erased, new one under its name, temporary
// one erased. Until the old file is erased every failure leaves it as it was.
Outcome ReplaceThroughTemporary(PhoneFs& fs, Tree4* folder, const std::string& source,
                                const std::string& name) {
    AtChannel& ch = fs.Channel();
    const std::string temp = TemporaryPhoneName(folder, name);
    if (!fs.WritePhoneFile(source, temp, folder)) {
        const bool full = ch.LastError == kErrPhoneMemoryFull;
        DropTemporary(fs, folder, temp);
        return full ? Outcome::MemoryFull : Outcome::Failed;
    }
    if (!fs.EraseFile(name)) {
        DropTemporary(fs, folder, temp);
        return Outcome::Failed;
    }
    RemoveFile(folder, name);
    if (!fs.WritePhoneFile(source, name, folder)) {
        // The new file is on the phone all the same, under the temporary name.
        FailText(ch, ErrorReport(ch) + "\r\n" + Msg(kMsgKeptUnderTemporaryName) + temp);
        return Outcome::Failed;
    }
    if (!fs.EraseFile(temp)) {
        FailText(ch, ErrorReport(ch) + "\r\n" + Msg(kMsgTemporaryLeft) + temp);
        return Outcome::Failed;
    }
    RemoveFile(folder, temp);
    return Outcome::Done;
}

// The old file fetched to the computer, erased, the new one written; a failed write
// puts the old one back, or keeps it in the recovery folder.
bool ReplaceThroughComputer(PhoneFs& fs, Tree4* folder, const std::string& source,
                            const std::string& name) {
    AtChannel& ch = fs.Channel();
    const FileEntry* found = FindFile(folder, name);
    const QDateTime date = found ? found->Date : QDateTime::currentDateTime();
    const std::string dir = FreshWorkDir("replaced");
    if (dir.empty()) {
        FailLocal(ch, PrivateTempDir());
        return false;
    }
    const std::string old = dir + "/old";
    if (!fs.ReadPhoneFile(old, name, date, found ? found->Size : -1)) return false;
    if (!fs.EraseFile(name)) return false;
    RemoveFile(folder, name);
    if (fs.WritePhoneFile(source, name, folder)) return true;

    const int reason = ch.LastError;
    const std::string report = ErrorReport(ch);
    if (fs.WritePhoneFile(old, name, folder)) {
        if (reason == kErrPhoneMemoryFull) {
            // As a plain write that did not fit: the phone is as it was.
            ch.LastError = reason;
        } else {
            FailText(ch, report + "\r\n" + Msg(kMsgPutBackUnderOldName) + name);
        }
        return false;
    }
    const std::string keep = RecoveryDir();
    if (!keep.empty() &&
        InstallLocalFile(old, UniquePath(keep, SafeFileName(name)))) {
        FailText(ch, report + "\r\n" + Msg(kMsgKeptInFolder) + keep);
    } else {
        FailText(ch, report + "\r\n" + Msg(kMsgKeptInFolder) + dir);
    }
    return false;
}

}  // namespace

std::string TemporaryPhoneName(const Tree4* folder, const std::string& name) {
    std::string ext;
    const size_t dot = name.rfind('.');
    // A short extension only: the name must stay within every folder's length limit.
    if (dot != std::string::npos && name.size() - dot <= 8) ext = name.substr(dot);
    for (int n = 1;; ++n) {
        const std::string temp = "~q7k3~" + std::to_string(n) + ext;
        if (!HasFile(folder, temp) && temp != name) return temp;
    }
}

bool WriteToPhone(PhoneFs& fs, Tree4* folder, const std::string& source,
                  const std::string& name, bool replace) {
    const FileEntry* old = replace ? FindFile(folder, name) : nullptr;
    if (!old) return fs.WritePhoneFile(source, name, folder);

    ProgressView& progress = fs.Progress();
    // The bars count this one file once, however many exchanges its replacing takes.
    const int filesDone = progress.Position(2);
    const auto counted = [&](bool ok) {
        progress.SetPosition(2, filesDone + (ok ? 1 : 0));
        return ok;
    };
    const int64_t newSize = QFileInfo(QString::fromStdString(source)).size();
    const int64_t freeKb = kUserMemoryKb - fs.UsedKilobytes();
    // Both files at once, and later the new one twice once the old one is gone.
    const bool bothFit = UnitsKb(newSize) <= freeKb &&
                         2 * UnitsKb(newSize) - UnitsKb(old->Size) <= freeKb;
    if (bothFit) {
        switch (ReplaceThroughTemporary(fs, folder, source, name)) {
            case Outcome::Done:
                return counted(true);
            case Outcome::Failed:
                return counted(false);
            case Outcome::MemoryFull:
                // The estimate was too kind (folders not listed): the way that needs
                // no room for two copies.
                break;
        }
    }
    return counted(ReplaceThroughComputer(fs, folder, source, name));
}

bool InstallLocalFile(const std::string& from, const std::string& to) {
    QFile in(QString::fromStdString(from));
    if (!in.open(QIODevice::ReadOnly)) return false;
    QSaveFile out(QString::fromStdString(to));
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly)) return false;
    char chunk[65536];
    for (;;) {
        const qint64 n = in.read(chunk, sizeof chunk);
        if (n < 0) {
            out.cancelWriting();
            return false;
        }
        if (n == 0) break;
        if (out.write(chunk, n) != n) {
            out.cancelWriting();
            return false;
        }
    }
    return out.commit();
}

std::string FreshWorkDir(const std::string& name) {
    const std::string& base = PrivateTempDir();
    if (base.empty()) return {};
    QDir dir(QString::fromStdString(base + "/" + name));
    if (dir.exists() && !dir.removeRecursively()) return {};
    if (!QDir().mkpath(dir.path())) return {};
    return dir.path().toStdString();
}

std::string RecoveryDir() {
    QString data = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
    // The XDG rule: a relative path in the variable is ignored.
    if (data.isEmpty() || QDir::isRelativePath(data)) data = QDir::homePath() + "/.local/share";
    const QString dir = data + "/Q7K3FileManager/Recovered";
    if (!QDir().mkpath(dir)) return {};
    return dir.toStdString();
}

std::string UniquePath(const std::string& dir, const std::string& name) {
    const QDir d(QString::fromStdString(dir));
    QString path = d.filePath(QString::fromStdString(name));
    for (int n = 2; QFileInfo::exists(path) && n < 10000; ++n) {
        path = d.filePath(QString::fromStdString(name) + QStringLiteral(" (%1)").arg(n));
    }
    return path.toStdString();
}

}  // namespace q7k3::commands
