#include "commands/RenameFile.h"

#include "commands/FolderRules.h"
#include "ui/Messages.h"
#include "ui/TempDir.h"
#include "ui/Text.h"

namespace q7k3 {

RenameFile::RenameFile(PhoneFs& fs, Tree4* folder, RenameQuestion& rename,
                       ConflictQuestion& conflict)
    : m_fs(fs), m_folder(folder), m_rename(rename), m_conflict(conflict) {}

bool RenameFile::Run(const std::string& oldName) {
    return Ask(oldName) ? Rename() : m_end != CommandEnd::Failed;
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

bool RenameFile::Rename() {
    ProgressView& progress = m_fs.Progress();
    const FileEntry* found = FindFile(m_folder, m_oldName);
    // Renaming a file to its own name would erase it as "the file replaced".
    if (!found || m_newName == m_oldName) return true;
    const FileEntry entry = *found;
    const auto fail = [this] {
        m_end = CommandEnd::Failed;
        return false;
    };
    progress.SetMax(1, entry.Size / 512 + 1);
    progress.SetLongStatus(Msg(kMsgRenamingFile) + m_oldName);
    if (!m_fs.ChangeFolder(m_folder->Id)) return fail();
    progress.SetQuickStatus(Msg(kMsgRenameFetch));
    progress.SetMax(2, m_replace ? 7 : 6);
    progress.SetPosition(1, 0);
    progress.SetPosition(2, 0);

    const std::string scratch = TempFileName();
    // A failed fetch leaves the phone as it was.
    if (!m_fs.ReadPhoneFile(scratch, m_oldName, entry.Date, entry.Size)) return fail();
    progress.SetPosition(1, 0);
    progress.Step(2);
    // From the first erase on, the file is only on the computer until it is written back: a
    // stop (the window closing, an interrupt) waits for the write, or for the way back under
    // the old name, instead of spoiling them.
    const PhoneFs::StopHold hold(m_fs);
    if (m_replace) {
        if (!m_fs.EraseFile(m_newName)) return fail();
        RemoveFile(m_folder, m_newName);
    }
    progress.SetQuickStatus(Msg(kMsgRenameErase));
    progress.Step(2);
    progress.SetPosition(1, 0);
    if (!m_fs.EraseFile(m_oldName)) return fail();
    RemoveFile(m_folder, m_oldName);

    progress.SetPosition(1, 0);
    progress.SetQuickStatus(Msg(kMsgRenameWrite));
    progress.Step(2);
    if (!m_fs.WritePhoneFile(scratch, m_newName, m_folder)) {
        Recover(scratch);
        return fail();
    }
    progress.SetQuickStatus(Msg(kMsgRenameFinish));
    // The list shows what the phone itself reports.
    if (!m_fs.ListFolder(m_folder, m_fs.Flags().HiddenFiles)) return fail();
    return true;
}

bool RenameFile::Recover(const std::string& scratch) {
    AtChannel& ch = m_fs.Channel();
    const std::string report = commands::ErrorReport(ch);
    if (m_fs.WritePhoneFile(scratch, m_oldName, m_folder)) {
        commands::FailText(ch, report + "\r\n" + Msg(kMsgPutBackUnderOldName) + m_oldName);
        return true;
    }
    const std::string dir = commands::RecoveryDir();
    if (!dir.empty()) {
        const std::string path = commands::UniquePath(dir, SafeFileName(m_oldName));
        if (commands::InstallLocalFile(scratch, path)) {
            m_recovered = path;
            commands::FailText(ch, report + "\r\n" + Msg(kMsgKeptInFolder) + dir);
            return true;
        }
    }
    // Nowhere better: the scratch file holds it until the next transfer or the end.
    commands::FailText(ch, report + "\r\n" + Msg(kMsgKeptInFolder) + PrivateTempDir());
    return false;
}

}  // namespace q7k3
