#include "commands/RenameFile.h"

#include "commands/Backup.h"
#include "commands/FolderRules.h"
#include "commands/Unfinished.h"
#include "base/Failure.h"
#include "base/Messages.h"
#include "base/TempDir.h"
#include "base/Text.h"

#include <filesystem>
#include <optional>

namespace q7k3 {

RenameFile::RenameFile(PhoneFs& fs, Tree4* folder, RenameQuestion& rename,
                       ConflictQuestion& conflict)
    : m_fs(fs), m_folder(folder), m_rename(rename), m_conflict(conflict) {}

Status RenameFile::Run(const std::string& oldName) {
    if (!Ask(oldName)) return {};
    return Rename();
}

bool RenameFile::Ask(const std::string& oldName) {
    m_replace = false;
    m_end = CommandEnd::Cancelled;
    m_recovered.clear();
    m_oldName = oldName;
    m_newName = oldName;
    if (!m_folder || m_folder->IsVirtual() || !HasFile(m_folder, oldName)) return false;
    const std::optional<std::string> typed = m_rename.AskNewName(oldName);
    if (!typed || *typed == oldName) return false;
    m_newName = *typed;
    // The same limits as a copy to the phone: a name the phone keeps but would list cut
    // leaves a file that can be neither read, erased nor renamed again.
    const size_t limit = RuleToPhone(KindOf(m_folder)).NameBytes;
    if (const std::string problem = commands::PhoneNameProblem(m_newName, limit);
        !problem.empty()) {
        commands::ShowError(m_fs, problem);
        m_end = CommandEnd::Stopped;
        return false;
    }

    // The conflict dialog until the name is free, the old name is typed back, or the
    // taken file is to be replaced.
    std::string field = m_newName;
    while (HasFile(m_folder, m_newName)) {
        // One file: no answers for later files.
        ConflictFacts facts;
        facts.Existing = commands::PhoneFacts(FindFile(m_folder, m_newName));
        facts.Incoming = commands::PhoneFacts(FindFile(m_folder, oldName));
        facts.OneFile = true;
        const ConflictReply answer = m_conflict.AskConflictAbout(oldName, field, facts);
        // The old name in the field, whichever button: there is nothing to rename, and
        // overwriting the file with itself would erase it.
        if (answer.NewName == oldName || answer.Answer == ConflictAnswer::Cancel ||
            answer.Answer == ConflictAnswer::Skip || answer.Answer == ConflictAnswer::SkipAll) {
            m_newName = oldName;
            break;
        }
        if (answer.Answer == ConflictAnswer::UseNewName) {
            field = answer.NewName;
            // A name the phone cannot take is said and asked about again.
            if (const std::string problem = commands::PhoneNameProblem(field, limit);
                !problem.empty()) {
                commands::ShowError(m_fs, problem);
                continue;
            }
            m_newName = field;
            continue;
        }
        // The file replaced is the one called m_newName; an edit of the field made
        // before choosing to overwrite is not taken.
        m_replace = true;
        break;
    }
    if (m_newName == oldName) return false;
    m_end = CommandEnd::Finished;
    return true;
}

Status RenameFile::Rename() {
    ProgressView& progress = m_fs.Progress();
    const FileEntry* found = FindFile(m_folder, m_oldName);
    // Renaming a file to its own name would erase it as "the file replaced".
    if (!found || m_newName == m_oldName) return {};
    const FileEntry entry = *found;
    const auto fail = [this](Failure why) {
        m_end = CommandEnd::Failed;
        return Fail(std::move(why));
    };
    progress.SetMax(1, entry.Size / 512 + 1);
    progress.SetLongStatus(Msg(kMsgRenamingFile) + m_oldName);
    if (Status changed = m_fs.ChangeFolder(m_folder->Id); !changed) return fail(changed.error());
    progress.SetQuickStatus(Msg(kMsgRenameFetch));
    progress.SetMax(2, m_replace ? 7 : 6);
    progress.SetPosition(1, 0);
    progress.SetPosition(2, 0);

    const std::string scratch = TempFileName();
    // A failed fetch leaves the phone as it was.
    if (Status read = m_fs.ReadPhoneFile(scratch, m_oldName, entry.Date, entry.Size); !read) {
        return fail(read.error());
    }
    progress.SetPosition(1, 0);
    progress.Step(2);
    // The step is written down before the phone changes: a program killed from here on
    // leaves a record that the next connection to this phone finishes.
    Expected<commands::UnfinishedRecord> made =
        commands::UnfinishedRecord::For(m_fs, m_folder, m_newName);
    if (!made) return fail(made.error());
    commands::UnfinishedRecord& record = *made;
    record.MovedFrom = m_oldName;
    if (!LocalFileCrc(scratch, record.NewCrc)) return fail(commands::LocalFailure(scratch, false));
    // The file the user chose to replace goes first: until the record is saved, a kill
    // leaves the file under its old name.
    if (m_replace) {
        if (Status erased = m_fs.EraseFile(m_newName); !erased) return fail(erased.error());
        RemoveFile(m_folder, m_newName);
    }

    // With room for a second copy, the file is written under its new name before the old
    // name goes: at every moment the phone holds it under one name at least.
    if (commands::RoomOnPhone(m_fs, entry.Size)) {
        (void)record.Save();
        progress.SetPosition(1, 0);
        progress.SetQuickStatus(Msg(kMsgRenameWrite));
        progress.Step(2);
        Status written = m_fs.WritePhoneFile(scratch, m_newName, m_folder);
        if (written) {
            progress.SetQuickStatus(Msg(kMsgRenameErase));
            progress.Step(2);
            if (Status erased = m_fs.EraseFile(m_oldName); !erased) {
                // The file has its new name. A phone that fell silent may have erased the
                // old one or not: the record settles it at the next connection.
                if (!NeedsLinkRecovery(erased.error().Reason)) record.Drop();
                return fail({kErrText, FailureText(erased.error()) + "\r\n" + Msg(kMsgOldNameLeft) +
                                           m_oldName});
            }
            RemoveFile(m_folder, m_oldName);
            record.Drop();
            return Finish();
        }
        // Not even the estimate's room: the way that needs none. Any other failure leaves
        // the file where it was.
        if (written.error().Reason != kErrPhoneMemoryFull || m_fs.StopRaised()) {
            record.Drop();
            return fail(written.error());
        }
        progress.SetPosition(2, 1);
    }

    // No room for two: the file waits on the computer beside the record (where the next
    // connection finds it) while the phone has it under neither name.
    // The record names the copy before the copy is made: a kill leaves no copy that no
    // record names.
    const std::string copy = commands::UnfinishedRecord::CopyPath();
    bool saved = false;
    if (!copy.empty()) {
        record.OldCopy = copy;
        record.OldCrc = record.NewCrc;
        saved = record.Save() && commands::InstallLocalFile(scratch, copy);
        if (saved) {
            // The file keeps its date when the next connection writes it from there.
            std::error_code ignored;
            std::filesystem::last_write_time(
                copy, std::filesystem::last_write_time(scratch, ignored), ignored);
        } else {
            record.OldCopy.clear();
            if (record.Saved()) (void)record.Save();
        }
    }
    // Without that record a stop (the window closing, an interrupt) waits for the write,
    // or for the way back under the old name, instead of spoiling them.
    std::optional<PhoneFs::StopHold> hold;
    if (!saved) hold.emplace(m_fs);
    progress.SetQuickStatus(Msg(kMsgRenameErase));
    progress.Step(2);
    progress.SetPosition(1, 0);
    if (Status erased = m_fs.EraseFile(m_oldName); !erased) {
        record.Drop();
        return fail(erased.error());
    }
    RemoveFile(m_folder, m_oldName);

    progress.SetPosition(1, 0);
    progress.SetQuickStatus(Msg(kMsgRenameWrite));
    progress.Step(2);
    if (Status written = m_fs.WritePhoneFile(scratch, m_newName, m_folder); !written) {
        return fail(Recover(scratch, record, written.error()));
    }
    record.Drop();
    return Finish();
}

Status RenameFile::Finish() {
    m_fs.Progress().SetQuickStatus(Msg(kMsgRenameFinish));
    // The list shows what the phone itself reports.
    if (Status listed = m_fs.ListFolder(m_folder, m_fs.Flags().HiddenFiles); !listed) {
        m_end = CommandEnd::Failed;
        return listed;
    }
    return {};
}

Failure RenameFile::Recover(const std::string& scratch, commands::UnfinishedRecord& record,
                            const Failure& failure) {
    const std::string report = FailureText(failure);
    const auto kept = [&report](const std::string& where) {
        return Failure{kErrText, report + "\r\n" + Msg(kMsgKeptInFolder) + where};
    };
    // A stop under way would spoil the way back too: the record and its copy wait for the
    // next connection, which gives the file its new name.
    if (m_fs.StopRaised() && record.Saved()) return kept(commands::UnfinishedDir());
    if (m_fs.WritePhoneFile(scratch, m_oldName, m_folder)) {
        record.Drop();
        return {kErrText, report + "\r\n" + Msg(kMsgPutBackUnderOldName) + m_oldName};
    }
    // The record stays with its copy, so the next connection gives the file its new name;
    // the user gets a copy of their own meanwhile.
    const std::string dir = commands::RecoveryDir();
    if (!dir.empty()) {
        const std::string path = commands::UniquePath(dir, SafeFileName(m_oldName));
        if (commands::InstallLocalFile(scratch, path)) {
            m_recovered = path;
            return kept(dir);
        }
    }
    if (record.Saved()) return kept(commands::UnfinishedDir());
    // Nowhere better: the scratch file holds it until the next transfer or the end.
    return kept(PrivateTempDir());
}

}  // namespace q7k3
