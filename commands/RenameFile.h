#pragma once
// Rename of one phone file. The phone has no rename command: the file is fetched into the
// scratch file and written under the new name, and the old name is erased; then the folder
// is listed again.
//
// The file is never lost. Where the phone has room for a second copy, the new name is
// written before the old one goes; where it has not, the copy waits on the computer beside a
// record of the step (commands/Unfinished.h) while the phone holds the file under neither
// name. A program killed in between leaves the record, and the next connection to the phone
// finishes the rename. When the write under the new name fails, the copy is written back
// under the old name, and when that fails too it is kept in the recovery folder
// (RecoveryDir()); the error report then says which of the two happened.

#include <string>

#include "commands/CommandSupport.h"
#include "commands/Questions.h"
#include "commands/Unfinished.h"
#include "phonefs/PhoneFs.h"

namespace q7k3 {

class RenameFile {
public:
    RenameFile(PhoneFs& fs, Tree4* folder, RenameQuestion& rename, ConflictQuestion& conflict);

    // `oldName`: the focused item of the phone pane; nothing happens when it is no file of
    // the folder. Asks for the new name (and, when it is taken, what to do), then renames.
    // The questions come first: the caller may open its busy bracket around the whole run,
    // or ask with Ask() and run Rename() inside the bracket.
    Status Run(const std::string& oldName);

    // The questions alone: true when there is something to rename (NewName(), Replace()).
    bool Ask(const std::string& oldName);
    // The phone part, after Ask(). Fails on a phone failure.
    Status Rename();

    const std::string& NewName() const { return m_newName; }
    bool Replace() const { return m_replace; }
    CommandEnd End() const { return m_end; }
    // Where the file was kept when it could be put back on the phone under neither name.
    const std::string& RecoveredPath() const { return m_recovered; }

private:
    Status Finish();
    // After the write under the new name failed (`failure`) with the old name gone: the
    // file back under its old name, or kept on the computer. Returns what to report.
    Failure Recover(const std::string& scratch, commands::UnfinishedRecord& record,
                    const Failure& failure);

    PhoneFs& m_fs;
    Tree4* m_folder;
    RenameQuestion& m_rename;
    ConflictQuestion& m_conflict;
    std::string m_oldName;
    std::string m_newName;
    bool m_replace = false;
    CommandEnd m_end = CommandEnd::Finished;
    std::string m_recovered;
};

}  // namespace q7k3
