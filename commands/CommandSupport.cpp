#include "commands/CommandSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdlib>

#include "link/Failure.h"
#include "link/Connection.h"
#include "ui/Messages.h"
#include "ui/TempDir.h"

namespace q7k3::commands {

std::string CopyProgressLine(const ProgressView& progress) {
    return Msg(kMsgCopyingFile) + std::to_string(progress.Position(2) + 1) + Msg(kMsgOf) +
           std::to_string(progress.Max(2));
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

ConflictEnd ResolveConflict(PhoneFs& fs, Tree4* folder, ConflictQuestion& conflict,
                            bool& overwriteAll, std::string& name) {
    ProgressView& progress = fs.Progress();
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
                // The entry leaves the tree only once the phone has erased the file.
                if (!fs.EraseFile(name)) return ConflictEnd::Fail;
                RemoveFile(folder, name);
                // The erase stepped both bars; the file counter must not count it.
                progress.SetPosition(1, 0);
                progress.SetPosition(2, progress.Position(2) - 1);
                break;
            case ConflictAnswer::Cancel:
                return ConflictEnd::Cancel;
        }
    }
    return ConflictEnd::Go;
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
