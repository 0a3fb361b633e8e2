#include "commands/SuiteRegistry.h"

#include <QFile>
#include <cerrno>

#include "link/Connection.h"
#include "base/Failure.h"
#include "base/Messages.h"
#include "base/TempDir.h"
#include "base/Text.h"

namespace q7k3 {
namespace {

constexpr std::string_view kSuites = "suites.utf";
constexpr std::string_view kSuitesName = "suitesName.utf";
// Only the beginning of an old list is read: the phone never writes more than its buffer.
constexpr qint64 kOldRegistryRead = 8192;
// An old record stays when the folder holds a file named by its first 43 characters.
constexpr size_t kOldRecordPrefix = 43;

bool WriteLocal(const std::string& path, std::string_view bytes) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const auto size = static_cast<qint64>(bytes.size());
    return f.write(bytes.data(), size) == size && f.flush();
}

bool ReadLocalHead(const std::string& path, std::string& out) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return false;
    out = f.read(kOldRegistryRead).toStdString();
    return f.error() == QFileDevice::NoError;
}

// What a failed rebuild leaves of suites.utf on the phone.
enum class SuitesLeft { None, Old, New };

// The old list of a rebuild that lost the line after erasing it: the next rebuild, on a
// phone without "suites.utf", takes its records from here, so the phone's own records
// survive a cut cable.
std::string& LostRegistry() {
    static std::string bytes;
    return bytes;
}
constexpr qint64 kLostRegistryMax = 65536;

std::vector<ErasedFile>& LeftErased() {
    static std::vector<ErasedFile> files;
    return files;
}

bool ReadLocalAll(const std::string& path, std::string& out) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly) || f.size() > kLostRegistryMax) return false;
    out = f.readAll().toStdString();
    return f.error() == QFileDevice::NoError;
}

}  // namespace

std::vector<std::string> ParseSuiteRecords(std::string_view bytes) {
    std::vector<std::string> records;
    if (bytes.size() <= 2) return records;
    bytes = bytes.substr(0, static_cast<size_t>(kOldRegistryRead));
    // The first record's two prefix bytes are skipped by starting at 2; every later
    // record's length byte goes with the zero before it.
    std::string current;
    for (size_t i = 2; i < bytes.size(); ++i) {
        if (bytes[i] != '\0') {
            current += bytes[i];
            continue;
        }
        records.push_back(std::move(current));
        current.clear();
        ++i;
    }
    records.push_back(std::move(current));
    return records;
}

bool EncodeSuiteRecords(const std::vector<std::string>& records, std::string& out,
                        std::string& error) {
    out.clear();
    for (const std::string& record : records) {
        // A longer text would be written with a wrapped length byte, and the phone would
        // read the rest of it as further records.
        if (record.size() > kSuiteRecordMax) {
            error = Msg(kMsgJavaNameTooLong) + record;
            out.clear();
            return false;
        }
        out += '\0';
        out += static_cast<char>(record.size());
        out += record;
    }
    if (out.size() > kSuiteRegistryMax) {
        error = Msg(kMsgJavaRegistryTooLong);
        out.clear();
        return false;
    }
    return true;
}

Status RebuildSuiteRegistry(PhoneFs& fs) {
    const std::string scratch = TempFileName();
    if (scratch.empty()) {
        return Fail(LocalFileFailure(PrivateTempDir(), true, errno));
    }
    return RebuildSuiteRegistry(fs, scratch);
}

const std::vector<ErasedFile>& RegistryFilesLeftErased() {
    return LeftErased();
}

namespace {

// One rebuild: its files on the computer and how far it has come on the phone.
struct Rebuild {
    PhoneFs& fs;
    Tree4* java;
    const std::string& scratch;
    // The old list is kept in a file of its own beside the scratch file until the end: the
    // scratch file carries the new files, and the old bytes go back to the phone if writing
    // them fails.
    std::string backup;
    bool haveOld = false;
    bool erasedName = false, nameTried = false, newWritten = false;
};

// The records of the jars in the java folder and of its zero-size markers. False, with the
// reason on the channel, when a jar has no descriptor beside it.
Status CollectSuiteKeys(const Tree4* java, std::vector<std::string>& keys) {
    for (const FileEntry& file : java->Files) {
        if (LowerAscii(file.Name).find(".jar") != std::string::npos) {
            // Names are UTF-8 already: the record takes them as they are.
            keys.push_back(Utf8DropRight(file.Name, 9));
            const std::string descriptor = Utf8DropRight(file.Name, 1) + "d";
            if (!HasFile(java, descriptor)) {
                return Fail({kErrText, Msg(kMsgJavaNoDescriptor) + descriptor +
                                           Msg(kMsgJavaNoDescriptorEnd)});
            }
        } else if (file.Size == 0) {
            const size_t at = file.Name.find("_s");
            if (at != std::string::npos) keys.push_back(file.Name.substr(0, at + 1));
        }
    }
    return {};
}

// The old list into the backup file and the beginning of it into `oldBytes`: from the
// phone, or what a rebuild that lost the line kept of it. Sets haveOld when there is one.
Status TakeOldRegistry(Rebuild& r, std::string& oldBytes) {
    const QString backupPath = QString::fromStdString(r.backup);
    const FileEntry* old = FindFile(r.java, kSuites);
    if (old && old->Size != 0) {
        // The java folder is still the phone's current one. A failed read keeps its own
        // reason: a checksum error is no time-out.
        Status read =
            r.fs.ReadPhoneFile(r.scratch, kSuites, QDateTime::currentDateTime(), old->Size);
        if (!read) return read;
        if (!QFile::rename(QString::fromStdString(r.scratch), backupPath) ||
            !ReadLocalHead(r.backup, oldBytes)) {
            return Fail(LocalFileFailure(r.backup, true, errno));
        }
        r.haveOld = true;
        LostRegistry().clear();
    } else if (!old && !LostRegistry().empty()) {
        if (!WriteLocal(r.backup, LostRegistry())) {
            return Fail(LocalFileFailure(r.backup, true, errno));
        }
        oldBytes = LostRegistry().substr(0, static_cast<size_t>(kOldRegistryRead));
        r.haveOld = true;
    }
    return {};
}

// After a failure past the first erase: the old list goes back where it can, and the error
// says what the phone holds now. A time-out means a dead line; its recovery is the session
// guard's, so nothing more is sent.
Status RestoreAfterFailure(Rebuild& r, const Failure& why) {
    if (NeedsLinkRecovery(why.Reason)) {
        std::string lost;
        if (r.haveOld && !r.newWritten && ReadLocalAll(r.backup, lost)) {
            LostRegistry() = lost;
            LeftErased().push_back({std::string(kSuites), lost});
        }
        if (r.erasedName)
            LeftErased().push_back({std::string(kSuitesName), std::string(kSuitesNameText)});
        return Fail(why);
    }
    std::string said = FailureText(why.Reason, why.Text);
    SuitesLeft suites = r.newWritten ? SuitesLeft::New : SuitesLeft::None;
    if (r.haveOld && r.newWritten && r.fs.EraseFile(kSuites)) {
        RemoveFile(r.java, kSuites);
        suites = SuitesLeft::None;
    }
    if (r.haveOld && suites == SuitesLeft::None && r.fs.WritePhoneFile(r.backup, kSuites, r.java)) {
        suites = SuitesLeft::Old;
    }
    bool nameLost = r.erasedName;
    if (r.erasedName && !r.nameTried && WriteLocal(r.scratch, kSuitesNameText) &&
        r.fs.WritePhoneFile(r.scratch, kSuitesName, r.java)) {
        nameLost = false;
    }
    switch (suites) {
        case SuitesLeft::Old:
            said += Msg(kMsgJavaOldRestored);
            break;
        case SuitesLeft::None:
            said += Msg(kMsgJavaNoSuites);
            break;
        case SuitesLeft::New:
            said += Msg(kMsgJavaNewSuites);
            break;
    }
    if (nameLost) said += Msg(kMsgJavaNoSuitesName);
    if (suites != SuitesLeft::Old || nameLost) said += Msg(kMsgJavaRunAgain);
    return Fail({kErrText, said});
}

// The old files go first and the new ones follow, as the phone has always seen it.
Status ReplaceRegistry(Rebuild& r, const std::string& encoded) {
    ProgressView& progress = r.fs.Progress();
    progress.SetQuickStatus(Msg(kMsgJavaErasingSuites));
    if (HasFile(r.java, kSuites)) {
        if (Status erased = r.fs.EraseFile(kSuites); !erased) return erased;
        RemoveFile(r.java, kSuites);
    }
    progress.SetQuickStatus(Msg(kMsgJavaErasingSuitesName));
    if (HasFile(r.java, kSuitesName)) {
        if (Status erased = r.fs.EraseFile(kSuitesName); !erased) {
            return RestoreAfterFailure(r, erased.error());
        }
        RemoveFile(r.java, kSuitesName);
        r.erasedName = true;
    }

    progress.SetQuickStatus(Msg(kMsgJavaWritingSuites));
    if (!WriteLocal(r.scratch, encoded)) {
        return RestoreAfterFailure(r, LocalFileFailure(r.scratch, true, errno));
    }
    if (Status written = r.fs.WritePhoneFile(r.scratch, kSuites, r.java); !written) {
        return RestoreAfterFailure(r, written.error());
    }
    r.newWritten = true;
    LostRegistry().clear();
    progress.Step(1);

    progress.SetQuickStatus(Msg(kMsgJavaWritingSuitesName));
    r.nameTried = true;
    if (!WriteLocal(r.scratch, kSuitesNameText)) {
        return RestoreAfterFailure(r, LocalFileFailure(r.scratch, true, errno));
    }
    if (Status written = r.fs.WritePhoneFile(r.scratch, kSuitesName, r.java); !written) {
        return RestoreAfterFailure(r, written.error());
    }
    return {};
}

}  // namespace

Status RebuildSuiteRegistry(PhoneFs& fs, const std::string& scratch) {
    AtChannel& ch = fs.Channel();
    ProgressView& progress = fs.Progress();
    LeftErased().clear();
    ch.ClearReceive();
    Tree4* root = fs.PhoneRoot();
    if (!root) return Fail({kErrNoJar, {}});
    Tree4* java = FindChild("java", root);

    // Zero-size entries count here whatever the hidden-files setting says.
    progress.SetQuickStatus(Msg(kMsgJavaUpdatingList));
    if (Status listed = fs.ListFolder(java, true); !listed) return listed;
    // The registry files erased and left on the computer by a line that dies are bound to
    // this phone by its serial number, which a dead line no longer tells: it is asked now.
    if (Expected<std::string> serial = fs.SerialNumber(); !serial) {
        return Fail(serial.error());
    }
    std::vector<std::string> keys;
    if (Status collected = CollectSuiteKeys(java, keys); !collected) return collected;

    Rebuild r{fs, java, scratch, scratch + ".suites"};
    struct RemoveBackup {
        QString path;
        ~RemoveBackup() { QFile::remove(path); }
    } removeBackup{QString::fromStdString(r.backup)};
    QFile::remove(removeBackup.path);

    progress.SetQuickStatus(Msg(kMsgJavaAnalysing));
    std::string oldBytes;
    if (Status taken = TakeOldRegistry(r, oldBytes); !taken) return taken;
    if (r.haveOld) {
        // An old record stays while the folder still holds its file.
        for (const std::string& record : ParseSuiteRecords(oldBytes)) {
            if (Utf8Length(record) >= kOldRecordPrefix &&
                HasFile(java, Utf8Left(record, kOldRecordPrefix))) {
                keys.push_back(record);
            }
        }
    }

    // Everything is decided before the phone is touched.
    std::string encoded, error;
    if (!EncodeSuiteRecords(keys, encoded, error)) return Fail({kErrText, error});
    if (encoded.empty()) return Fail({kErrNoJar, {}});
    const int blocks = static_cast<int>(encoded.size() / 512 + (encoded.size() % 512 ? 1 : 0));
    progress.SetMax(1, blocks + 5);
    progress.Step(1);
    if (Status replaced = ReplaceRegistry(r, encoded); !replaced) return replaced;

    progress.SetQuickStatus(Msg(kMsgJavaRelisting));
    if (Status listed = fs.ListFolder(java, fs.Flags().HiddenFiles); !listed) return listed;
    progress.SetPosition(1, 0);
    return {};
}

bool CompileJavaApplies(PhoneFs& fs) {
    return fs.PhoneRoot() != nullptr && fs.Flags().Mode != FolderMode::Pims;
}

Status RebuildJavaRegistry(PhoneFs& fs) {
    if (!CompileJavaApplies(fs)) return {};
    ProgressView& progress = fs.Progress();
    progress.SetMax(1, 5);
    progress.SetMax(2, 6);
    progress.SetPosition(1, 0);
    progress.SetPosition(2, 0);
    progress.SetQuickStatus(Msg(kMsgCompiling));
    progress.SetLongStatus(Msg(kMsgCompiling));
    progress.Show();
    if (Status rebuilt = RebuildSuiteRegistry(fs); !rebuilt) return rebuilt;
    progress.SetPosition(2, 0);
    progress.Hide();
    return {};
}

}  // namespace q7k3
