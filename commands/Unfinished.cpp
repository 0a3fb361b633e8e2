#include "commands/Unfinished.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <csignal>
#include <map>
#include <memory>

#include "commands/Backup.h"
#include "commands/CommandSupport.h"
#include "link/Connection.h"
#include "commands/SuiteRegistry.h"
#include "base/Messages.h"
#include "base/OutputFile.h"

namespace q7k3::commands {
namespace {

constexpr const char* kMagicV1 = "q7k3fm-unfinished-replace 1";
constexpr const char* kMagic = "q7k3fm-unfinished 2";

// Whether the program that wrote a record still runs (then the record is its own business).
bool OtherProgramRuns(qint64 pid) {
    if (pid <= 0 || pid == QCoreApplication::applicationPid()) return false;
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// The records in `dir`; one that cannot be read is removed when `dropUnreadable`.
std::vector<UnfinishedRecord> AllRecords(const std::string& dir, bool dropUnreadable = true) {
    std::vector<UnfinishedRecord> records;
    const QStringList files =
        QDir(QString::fromStdString(dir))
            .entryList({QStringLiteral("replace-*.txt")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        UnfinishedRecord record;
        const std::string path = dir + "/" + file.toStdString();
        if (record.Load(path)) {
            records.push_back(std::move(record));
        } else if (dropUnreadable) {
            // Not a record this program can read: nothing can be done with it.
            QFile::remove(QString::fromStdString(path));
        }
    }
    return records;
}

}  // namespace

RecordOwner OwnerOf(const PhoneIdentity& record, const PhoneIdentity& phone) {
    if (record.Model != phone.Model) return RecordOwner::OtherPhone;
    // A phone either gives a serial number or never does.
    if (record.Serial && phone.Serial && *record.Serial != *phone.Serial)
        return RecordOwner::OtherPhone;
    if (record.Serial && phone.Serial && !record.Serial->empty()) return RecordOwner::ThisPhone;
    return RecordOwner::CannotTell;
}

Expected<UnfinishedRecord> UnfinishedRecord::For(PhoneFs& fs, const Tree4* folder,
                                                 const std::string& name,
                                                 bool serialMayBeUnknown) {
    UnfinishedRecord record;
    record.Phone.Model = fs.ModelCodeText();
    Expected<std::string> serial = fs.SerialNumber();
    if (serial) {
        record.Phone.Serial = *serial;
    } else if (!serialMayBeUnknown) {
        return Fail(serial.error());
    }
    record.FolderId = folder->Id;
    record.FolderPath = PhonePathText(folder);
    record.Name = name;
    return record;
}

Status UnfinishedRecord::Save() {
    const std::string dir = UnfinishedDir();
    if (dir.empty()) return Fail(kErrLocalData, Msg(kMsgCannotMakeFolder) + "Unfinished");
    if (m_path.empty()) {
        static int counter = 0;
        Pid = QCoreApplication::applicationPid();
        m_path = dir + "/replace-" + std::to_string(Pid) + "-" + std::to_string(++counter) + ".txt";
    }
    std::string text = std::string(kMagic) + "\n";
    const auto line = [&text](const char* key, const std::string& value) {
        text += std::string(key) + "=" + value + "\n";
    };
    line("pid", std::to_string(Pid));
    line("model", Phone.Model);
    if (Phone.Serial) line("serial", *Phone.Serial);
    line("folder-id", FolderId);
    line("folder-path", FolderPath);
    line("name", Name);
    line("temp", Temp);
    line("moved-from", MovedFrom);
    line("new-crc", std::to_string(NewCrc));
    line("old-copy", OldCopy);
    line("old-crc", std::to_string(OldCrc));
    QSaveFile out(QString::fromStdString(m_path));
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !out.commit()) {
        const std::string path = m_path;
        m_path.clear();
        return Fail(kErrLocalFile, path + ": " + out.errorString().toStdString());
    }
    return {};
}

bool UnfinishedRecord::Load(const std::string& path) {
    QFile in(QString::fromStdString(path));
    if (!in.open(QIODevice::ReadOnly)) return false;
    QList<QByteArray> lines = in.readAll().split('\n');
    if (lines.isEmpty()) return false;
    const auto number = [](const QByteArray& text, auto& out) {
        bool ok = false;
        const qulonglong v = text.toULongLong(&ok);
        out = static_cast<std::remove_reference_t<decltype(out)>>(v);
        return ok;
    };
    bool ok = true;
    if (lines[0] == kMagicV1) {
        // The first version: positional lines, no serial number, a replacement only.
        if (lines.size() < 10) return false;
        const auto text = [&](int i) { return lines[i].toStdString(); };
        ok = number(lines[1], Pid) && number(lines[7], NewCrc) && number(lines[9], OldCrc);
        Phone = {text(2), std::nullopt};
        FolderId = text(3);
        FolderPath = text(4);
        Name = text(5);
        Temp = text(6);
        OldCopy = text(8);
    } else if (lines[0] == kMagic) {
        std::map<std::string, std::string> values;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype eq = lines[i].indexOf('=');
            if (eq > 0)
                values[lines[i].left(eq).toStdString()] = lines[i].mid(eq + 1).toStdString();
        }
        const auto value = [&](const char* key) {
            const auto it = values.find(key);
            return it == values.end() ? std::string() : it->second;
        };
        ok = number(QByteArray::fromStdString(value("pid")), Pid) &&
             number(QByteArray::fromStdString(value("new-crc")), NewCrc) &&
             number(QByteArray::fromStdString(value("old-crc")), OldCrc);
        Phone.Model = value("model");
        if (values.count("serial")) Phone.Serial = value("serial");
        FolderId = value("folder-id");
        FolderPath = value("folder-path");
        Name = value("name");
        Temp = value("temp");
        MovedFrom = value("moved-from");
        OldCopy = value("old-copy");
    } else {
        return false;
    }
    m_path = path;
    return ok && !FolderId.empty() && !Name.empty();
}

void UnfinishedRecord::Drop() {
    if (!OldCopy.empty()) QFile::remove(QString::fromStdString(OldCopy));
    if (!m_path.empty()) QFile::remove(QString::fromStdString(m_path));
    m_path.clear();
}

std::string UnfinishedRecord::CopyPath() {
    const std::string dir = UnfinishedDir();
    if (dir.empty()) return {};
    static int counter = 0;
    return dir + "/old-" + std::to_string(QCoreApplication::applicationPid()) + "-" +
           std::to_string(++counter);
}

std::vector<std::string> FinishUnfinishedReplacements(PhoneFs& fs, const SamePhoneQuestion& ask) {
    std::vector<std::string> report;
    const std::string dir = UnfinishedDir();
    if (dir.empty()) return report;
    // A program killed while it made a copy here leaves the part file of it: never whole,
    // and no record names it.
    for (const std::string& part : OutputFile::StaleParts(dir))
        QFile::remove(QString::fromStdString(part));
    // What fails here is tried again at the next connection: no failure of these steps is
    // the caller's.
    std::optional<PhoneIdentity> phone;
    for (UnfinishedRecord& record : AllRecords(dir)) {
        if (OtherProgramRuns(record.Pid) || record.Phone.Model != fs.ModelCodeText()) continue;
        const std::string where = record.FolderPath + "\\" + record.Name;
        if (!phone) {
            // Asked only when a record of this model is there.
            Expected<std::string> serial = fs.SerialNumber();
            // A phone that does not say is asked again at the next connection.
            if (!serial) return report;
            phone = PhoneIdentity{fs.ModelCodeText(), *serial};
        }
        switch (OwnerOf(record.Phone, *phone)) {
            case RecordOwner::ThisPhone:
                break;
            case RecordOwner::OtherPhone:
                report.push_back(Msg(kMsgStepWaitsForOtherPhone) + where);
                continue;
            case RecordOwner::CannotTell: {
                const std::string question =
                    Msg(kMsgSamePhoneQuestion) + where + Msg(kMsgSamePhoneQuestionEnd);
                const bool same =
                    ask ? ask(question) : fs.Ui().AskYesNo(question, Msg(kMsgAttentionCaption));
                if (!same) continue;
                break;
            }
        }
        // A folder that cannot be read now is tried again at the next connection.
        const std::unique_ptr<Tree4> folder = MakeRoot(std::string(), record.FolderId);
        if (!fs.ListFolder(folder.get(), true)) continue;
        const bool hasName = HasFile(folder.get(), record.Name);
        const bool hasTemp = !record.Temp.empty() && HasFile(folder.get(), record.Temp);
        const bool hasFrom = !record.MovedFrom.empty() && HasFile(folder.get(), record.MovedFrom);
        const int done = record.MovedFrom.empty() ? kMsgReplaceFinished : kMsgRenameFinished;
        if (hasName) {
            // The name holds a whole file (the phone keeps a write only once it is whole):
            // only the temporary file, or the old name of a rename, is left over.
            if (hasTemp && !fs.EraseFile(record.Temp)) continue;
            if (hasTemp)
                report.push_back(Msg(kMsgTemporaryErased) + record.FolderPath + "\\" +
                                 record.Temp);
            if (hasFrom && !fs.EraseFile(record.MovedFrom)) continue;
            if (hasFrom) report.push_back(Msg(done) + where);
            record.Drop();
            continue;
        }
        std::string source;
        uint32_t crc = 0;
        const std::string scratch = FreshWorkDir("unfinished");
        // The file whole on the phone under another name: the temporary one, or the old name.
        const auto fromPhone = [&](const std::string& phoneName) {
            const FileEntry* entry = FindFile(folder.get(), phoneName);
            const std::string copy = scratch + "/new";
            if (!scratch.empty() && fs.ReadPhoneFile(copy, phoneName, entry->Date, entry->Size) &&
                LocalFileCrc(copy, crc) && crc == record.NewCrc)
                source = copy;
        };
        if (hasTemp) fromPhone(record.Temp);
        if (source.empty() && !record.OldCopy.empty() && LocalFileCrc(record.OldCopy, crc) &&
            crc == record.OldCrc)
            source = record.OldCopy;
        if (source.empty() && hasFrom) fromPhone(record.MovedFrom);
        if (source.empty()) {
            // Nothing whole is left to give the name: the record can do no more.
            if (!hasTemp && !hasFrom) record.Drop();
            continue;
        }
        if (Status written = fs.WritePhoneFile(source, record.Name, folder.get()); !written) {
            // A rename that had not begun on a phone without room for a second copy (killed
            // before the old name went, its copy beside the record or not): the file is
            // whole under its old name, and stays there.
            if (hasFrom && !hasTemp && written.error().Reason == kErrPhoneMemoryFull)
                record.Drop();
            continue;
        }
        if (hasTemp) (void)fs.EraseFile(record.Temp);
        if (hasFrom) (void)fs.EraseFile(record.MovedFrom);
        report.push_back(Msg(done) + where);
        record.Drop();
    }
    return report;
}

std::vector<std::string> KeepErasedRegistry(PhoneFs& fs) {
    std::vector<std::string> kept;
    Tree4* root = fs.PhoneRoot();
    if (!root) return kept;
    const Tree4* java = FindChild("java", root);
    for (const ErasedFile& file : RegistryFilesLeftErased()) {
        // The line is dead: a serial number not asked before is not known.
        Expected<UnfinishedRecord> made = UnfinishedRecord::For(fs, java, file.Name, true);
        if (!made) break;
        UnfinishedRecord& record = *made;
        const std::string copy = UnfinishedRecord::CopyPath();
        if (copy.empty()) break;
        QSaveFile out(QString::fromStdString(copy));
        const auto size = static_cast<qint64>(file.Bytes.size());
        if (!out.open(QIODevice::WriteOnly) || out.write(file.Bytes.data(), size) != size ||
            !out.commit() || !LocalFileCrc(copy, record.OldCrc))
            continue;
        record.OldCopy = copy;
        if (record.Save())
            kept.push_back(record.FolderPath + "\\" + file.Name);
        else
            record.Drop();
    }
    return kept;
}

bool RecordedTemporary(const std::string& model, const std::string& folderId,
                       const std::string& name) {
    const std::string dir = UnfinishedDir();
    if (dir.empty()) return false;
    for (const UnfinishedRecord& record : AllRecords(dir, false))
        if (record.Phone.Model == model && record.FolderId == folderId && record.Temp == name)
            return true;
    return false;
}

}  // namespace q7k3::commands
