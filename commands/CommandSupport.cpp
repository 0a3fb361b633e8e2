#include "commands/CommandSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "commands/Backup.h"
#include "commands/FolderRules.h"

#include "link/Connection.h"
#include "base/Failure.h"
#include "base/LocalProblem.h"
#include "base/Messages.h"
#include "base/OutputFile.h"
#include "base/TempDir.h"
#include "base/Text.h"

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

namespace {

std::string KbText(int64_t bytes) {
    return std::to_string((bytes + 1023) / 1024);
}

}  // namespace

void ByteMeter::Start(int64_t total) {
    m_total = total;
    m_done = 0;
    m_clock.start();
}

std::string ByteMeter::Line(const ProgressView& progress) const {
    // One file: its own line in the dialog counts its bytes as they go.
    if (progress.Max(2) <= 1) return CopyProgressLine(progress);
    std::string line = CopyProgressLine(progress) + ", " + KbText(m_done) + Msg(kMsgOf) +
                       KbText(m_total) + Msg(kMsgKilobytes);
    const qint64 spent = m_clock.isValid() ? m_clock.elapsed() : 0;
    if (m_done > 0 && spent > 0) {
        const double left = static_cast<double>(m_total - m_done) * static_cast<double>(spent) /
                            static_cast<double>(m_done);
        line += Msg(kMsgTimeLeft) + MinutesText((static_cast<int64_t>(left) + 999) / 1000);
    }
    return line;
}

void ShowError(PhoneFs& fs, const std::string& text, BoxIcon icon) {
    fs.Ui().MessageBox(text, Msg(kMsgErrorCaption), icon);
}

Failure LocalFailure(const std::string& path, bool writing) {
    return LocalFileFailure(path, writing, errno);
}

Failure FolderFailure(const std::string& path) {
    const int err = errno;
    return {kErrLocalData, Msg(kMsgCannotMakeFolder) + path + ": " + FolderProblem(path, err)};
}

Failure LinkFailure(const std::string& path) {
    return {kErrText, Msg(kMsgLinkRefused) + path};
}

bool ValidPhoneName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.find('/') != std::string_view::npos) return false;
    return WireSafeName(name);
}

std::string PhoneNameProblem(std::string_view name, size_t maxBytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString decoded =
        utf8.decode(QByteArrayView(name.data(), qsizetype(name.size())));
    if (!ValidPhoneName(name) || name.find('\\') != std::string_view::npos || name.front() == ' ' ||
        utf8.hasError())
        return Msg(kMsgBadPhoneName) + std::string(name);
    // The phone stores a longer name, but lists it cut and then finds no file of that name.
    if (name.size() > maxBytes)
        return Msg(kMsgNameTooLong) + std::to_string(maxBytes) + Msg(kMsgNameTooLongEnd) +
               std::string(name);
    return {};
}

ConflictEnd AskWhileTaken(ConflictQuestion& conflict, ConflictMemory& memory,
                          const std::function<bool(const std::string&)>& taken,
                          const std::function<bool(const std::string&)>& valid, std::string& name,
                          bool& replace, const ConflictSides& sides) {
    replace = false;
    const std::string first = name;
    std::string field = name;
    while (taken(name)) {
        ConflictReply answer;
        if (memory.OverwriteAll) {
            answer.Answer = ConflictAnswer::Overwrite;
        } else if (memory.SkipAll) {
            answer.Answer = ConflictAnswer::Skip;
        } else {
            ConflictFacts facts;
            if (sides.Existing) facts.Existing = sides.Existing(name);
            facts.Incoming = sides.Incoming;
            facts.OneFile = sides.OneFile;
            answer = conflict.AskConflictAbout(first, field, facts);
        }
        switch (answer.Answer) {
            case ConflictAnswer::UseNewName:
                field = answer.NewName;
                // A name that cannot be taken is as good as a taken one: ask again.
                if (valid(field)) name = field;
                break;
            case ConflictAnswer::OverwriteAll:
                memory.OverwriteAll = true;
                [[fallthrough]];
            case ConflictAnswer::Overwrite:
                // The file stays until the new one is safely there.
                replace = true;
                return ConflictEnd::Go;
            case ConflictAnswer::SkipAll:
                memory.SkipAll = true;
                [[fallthrough]];
            case ConflictAnswer::Skip:
                return ConflictEnd::Skip;
            case ConflictAnswer::Cancel:
                return ConflictEnd::Cancel;
        }
    }
    return ConflictEnd::Go;
}

FileFacts LocalFacts(const std::string& path) {
    const QFileInfo info(QString::fromStdString(path));
    if (!info.exists()) return {};
    return {info.size(), info.lastModified().toSecsSinceEpoch()};
}

FileFacts PhoneFacts(const FileEntry* entry) {
    if (!entry) return {};
    return {entry->Size, entry->Date.isValid() ? entry->Date.toSecsSinceEpoch() : -1};
}

ConflictEnd ResolveConflict(PhoneFs& fs, Tree4* folder, ConflictQuestion& conflict,
                            ConflictMemory& memory, std::string& name, bool& replace,
                            const std::string& incoming) {
    const size_t limit = RuleToPhone(KindOf(folder)).NameBytes;
    // A typed name the phone could not give back is said, then asked about again.
    const auto valid = [&fs, limit](const std::string& n) {
        const std::string problem = PhoneNameProblem(n, limit);
        if (!problem.empty()) ShowError(fs, problem);
        return problem.empty();
    };
    ConflictSides sides;
    sides.Existing = [folder](const std::string& n) { return PhoneFacts(FindFile(folder, n)); };
    if (!incoming.empty()) sides.Incoming = LocalFacts(incoming);
    sides.OneFile = fs.Progress().Max(2) <= 1;
    return AskWhileTaken(
        conflict, memory, [folder](const std::string& n) { return HasFile(folder, n); }, valid,
        name, replace, sides);
}

namespace {

// The phone's user memory; every file takes whole 16 KB units of it.
constexpr int64_t kUserMemoryKb = 13104;

int64_t UnitsKb(int64_t size) {
    return 16 * ((std::max<int64_t>(size, 0) + 16383) / 16384);
}

// Erases the temporary file after `failure`, which stays the one reported; a temporary
// file the phone keeps is named beside it.
Failure DropTemporary(PhoneFs& fs, Tree4* folder, const std::string& temp, Failure failure) {
    if (fs.EraseFile(temp)) {
        RemoveFile(folder, temp);
    } else if (HasFile(folder, temp)) {
        // Written whole: it is on the phone and stays in the list.
        failure = {kErrText, FailureText(failure) + "\r\n" + Msg(kMsgTemporaryLeft) + temp};
    }
    // A write that failed leaves no file: nothing to say about it.
    return failure;
}

// New file under a temporary name, old one erased, new one under its name, temporary
// one erased. Until the old file is erased every failure leaves it as it was; from then
// on neither the abort button nor an interrupt cuts the steps short. False when the phone
// found its memory full for the temporary file: nothing has changed, and the way that
// needs no room for two copies is left.
Expected<bool> ReplaceThroughTemporary(PhoneFs& fs, Tree4* folder, const std::string& source,
                                       const std::string& name) {
    AtChannel& ch = fs.Channel();
    const std::string temp = TemporaryPhoneName(folder, name);
    Expected<UnfinishedRecord> made = UnfinishedRecord::For(fs, folder, name);
    if (!made) return Fail(made.error());
    UnfinishedRecord& entry = *made;
    entry.Temp = temp;
    if (!LocalFileCrc(source, entry.NewCrc)) return Fail(LocalFailure(source));
    // Without a place for the entry (a data folder that cannot be written) the steps still
    // run to their end; only a killed program could not be finished later.
    (void)entry.Save();
    if (Status written = fs.WritePhoneFile(source, temp, folder); !written) {
        // Left cut as the program ends: the phone gives the write up by itself, and the
        // record stays for the next connection, which finds the old file under its name.
        if (ch.Silenced()) return Fail(written.error());
        const bool full = written.error().Reason == kErrPhoneMemoryFull;
        Failure why = DropTemporary(fs, folder, temp, written.error());
        entry.Drop();
        if (full) return false;
        return Fail(std::move(why));
    }
    PhoneFs::StopHold hold(fs);
    if (Status erased = fs.EraseFile(name); !erased) {
        Failure why = DropTemporary(fs, folder, temp, erased.error());
        entry.Drop();
        return Fail(std::move(why));
    }
    RemoveFile(folder, name);
    if (Status written = fs.WritePhoneFile(source, name, folder); !written) {
        // The new file is on the phone all the same, under the temporary name; the entry
        // stays, and the next connection gives it its name.
        return Fail(kErrText,
                    FailureText(written.error()) + "\r\n" + Msg(kMsgKeptUnderTemporaryName) + temp);
    }
    if (Status erased = fs.EraseFile(temp); !erased) {
        // The entry stays: the next connection erases the temporary file.
        return Fail(kErrText, FailureText(erased.error()) + "\r\n" + Msg(kMsgTemporaryLeft) + temp);
    }
    RemoveFile(folder, temp);
    entry.Drop();
    return true;
}

// The old file fetched to the computer, erased, the new one written; a failed write
// puts the old one back, or keeps it in the recovery folder.
Status ReplaceThroughComputer(PhoneFs& fs, Tree4* folder, const std::string& source,
                              const std::string& name) {
    const FileEntry* found = FindFile(folder, name);
    const QDateTime date = found ? found->Date : QDateTime::currentDateTime();
    Expected<UnfinishedRecord> made = UnfinishedRecord::For(fs, folder, name);
    if (!made) return Fail(made.error());
    UnfinishedRecord& entry = *made;
    // The old file waits beside the entry, where the next connection finds it; without a
    // data folder, in the private temporary folder.
    std::string old = UnfinishedRecord::CopyPath();
    if (old.empty()) {
        const std::string dir = FreshWorkDir("replaced");
        if (dir.empty()) return Fail(LocalFailure(PrivateTempDir()));
        old = dir + "/old";
    }
    // Named by the entry before it is fetched: a kill leaves no copy that no entry names
    // (while the old file is on the phone, the next connection drops both).
    entry.OldCopy = old;
    (void)entry.Save();
    if (Status read = fs.ReadPhoneFile(old, name, date, found ? found->Size : -1); !read) {
        entry.Drop();
        return read;
    }
    if (!LocalFileCrc(old, entry.OldCrc)) {
        Failure why = LocalFailure(old);
        entry.Drop();
        return Fail(std::move(why));
    }
    (void)entry.Save();
    PhoneFs::StopHold hold(fs);
    if (Status erased = fs.EraseFile(name); !erased) {
        entry.Drop();
        return erased;
    }
    RemoveFile(folder, name);
    Status written = fs.WritePhoneFile(source, name, folder);
    if (written) {
        entry.Drop();
        return {};
    }

    // The old file goes back under its name; what is reported is the new one's failure,
    // with where the old one is now.
    const Failure& failure = written.error();
    const std::string report = FailureText(failure);
    if (fs.WritePhoneFile(old, name, folder)) {
        entry.Drop();
        // A new file that did not fit: as a plain write that did not fit, the phone is as
        // it was.
        if (failure.Reason == kErrPhoneMemoryFull) return written;
        return Fail(kErrText, report + "\r\n" + Msg(kMsgPutBackUnderOldName) + name);
    }
    // The entry stays with its copy, so the next connection puts the old file back; the
    // user gets a copy of their own meanwhile.
    const std::string keep = RecoveryDir();
    if (!keep.empty() && InstallLocalFile(old, UniquePath(keep, SafeFileName(name)))) {
        return Fail(kErrText, report + "\r\n" + Msg(kMsgKeptInFolder) + keep);
    }
    return Fail(kErrText, report + "\r\n" + Msg(kMsgKeptInFolder) +
                              QFileInfo(QString::fromStdString(old)).path().toStdString());
}

}  // namespace

bool RoomOnPhone(const PhoneFs& fs, int64_t size, int copies, int64_t freed) {
    const int64_t freeKb = kUserMemoryKb - fs.UsedKilobytes();
    return copies * UnitsKb(size) - (freed > 0 ? UnitsKb(freed) : 0) <= freeKb;
}

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

Status WriteToPhone(PhoneFs& fs, Tree4* folder, const std::string& source, const std::string& name,
                    bool replace) {
    const FileEntry* old = replace ? FindFile(folder, name) : nullptr;
    if (!old) return fs.WritePhoneFile(source, name, folder);

    ProgressView& progress = fs.Progress();
    // The bars count this one file once, however many exchanges its replacing takes.
    const int filesDone = progress.Position(2);
    const auto counted = [&](Status done) {
        progress.SetPosition(2, filesDone + (done ? 1 : 0));
        return done;
    };
    const int64_t newSize = QFileInfo(QString::fromStdString(source)).size();
    // Both files at once, and later the new one twice once the old one is gone.
    const bool bothFit = RoomOnPhone(fs, newSize) && RoomOnPhone(fs, newSize, 2, old->Size);
    if (bothFit) {
        const Expected<bool> replaced = ReplaceThroughTemporary(fs, folder, source, name);
        if (!replaced) return counted(Fail(replaced.error()));
        if (*replaced) return counted({});
        // The estimate was too kind (folders not listed): the way that needs no room for
        // two copies.
    }
    return counted(ReplaceThroughComputer(fs, folder, source, name));
}

std::string EscapeOnTheWay(const std::string& root, const std::string& relative) {
    const QString base = QDir::cleanPath(QString::fromStdString(root));
    const QString rel = QString::fromStdString(relative);
    const QString whole = base + "/" + rel;
    if (rel.isEmpty() || QDir::isAbsolutePath(rel)) return whole.toStdString();
    QString path = base;
    for (const QString& part : rel.split('/')) {
        if (part.isEmpty() || part == "." || part == "..") return whole.toStdString();
        path += "/" + part;
        if (QFileInfo(path).isSymLink()) return path.toStdString();
    }
    return {};
}

Status InstallLocalFile(const std::string& from, const std::string& to) {
    QFile in(QString::fromStdString(from));
    const auto unreadable = [&from] {
        return Fail(kErrLocalFile, from + ": " + LocalProblem(from, LocalAccess::Read, errno));
    };
    if (!in.open(QIODevice::ReadOnly)) return unreadable();
    OutputFile out(to);
    if (Status opened = out.Open(); !opened) return opened;
    char chunk[65536];
    for (;;) {
        const qint64 n = in.read(chunk, sizeof chunk);
        if (n < 0) return unreadable();
        if (n == 0) break;
        if (Status written = out.Write(chunk, static_cast<size_t>(n)); !written) return written;
    }
    return out.Commit();
}

std::string FreshWorkDir(const std::string& name) {
    const std::string& base = PrivateTempDir();
    if (base.empty()) return {};
    QDir dir(QString::fromStdString(base + "/" + name));
    if (dir.exists() && !dir.removeRecursively()) return {};
    if (!QDir().mkpath(dir.path())) return {};
    return dir.path().toStdString();
}

namespace {

// A folder of the program's data directory, made when missing.
std::string DataFolder(const char* name) {
    QString data = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
    // The XDG rule: a relative path in the variable is ignored.
    if (data.isEmpty() || QDir::isRelativePath(data)) data = QDir::homePath() + "/.local/share";
    const QString dir = data + "/Q7K3FileManager/" + QLatin1String(name);
    if (!QDir().mkpath(dir)) return {};
    return dir.toStdString();
}

}  // namespace

std::string RecoveryDir() {
    return DataFolder("Recovered");
}

std::string UnfinishedDir() {
    return DataFolder("Unfinished");
}

bool IsTemporaryPhoneName(std::string_view name) {
    constexpr std::string_view kPrefix = "~q7k3~";
    if (!name.starts_with(kPrefix)) return false;
    name.remove_prefix(kPrefix.size());
    size_t digits = 0;
    while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9') ++digits;
    if (digits == 0) return false;
    name.remove_prefix(digits);
    return name.empty() || (name.front() == '.' && name.find('.', 1) == std::string_view::npos);
}

std::string UniquePath(const std::string& dir, const std::string& name) {
    const QDir d(QString::fromStdString(dir));
    QString path = d.filePath(QString::fromStdString(name));
    for (int n = 2; QFileInfo::exists(path) && n < 10000; ++n) {
        path = d.filePath(QString::fromStdString(NumberedName(name, n)));
    }
    return path.toStdString();
}

std::string NumberedName(const std::string& name, int n) {
    const size_t dot = name.rfind('.');
    const size_t at = dot == std::string::npos || dot == 0 ? name.size() : dot;
    return name.substr(0, at) + " (" + std::to_string(n) + ")" + name.substr(at);
}

std::string FreeNumberedName(const std::string& name,
                             const std::function<bool(const std::string&)>& taken) {
    for (int n = 2;; ++n) {
        std::string chosen = NumberedName(name, n);
        if (!taken(chosen)) return chosen;
    }
}

}  // namespace q7k3::commands
