#pragma once
// Copy to the computer: the selected files of one phone folder fetched into one local
// directory, converted on the way by the folder rules (.ani to BMP, MEL to MMF, EMS
// pictures and melodies to BMP and iMelody; "_suite" taken out of Java names).
//
// Runs inside the session's busy bracket: it sets the progress texts and bars, never
// shows or hides the dialog. Names from the phone and titles from inside its files become
// safe local names, and nothing is written outside the target directory. A file arrives
// through a temporary file beside its target, so a failed or aborted copy leaves no
// damaged file and keeps the one that was there.

#include <optional>
#include <string>
#include <vector>

#include "commands/CommandSupport.h"
#include "commands/FolderRules.h"
#include "commands/Questions.h"
#include "phonefs/PhoneFs.h"

namespace q7k3 {

class CopyToComputer {
public:
    // `folder` is the phone folder the selection belongs to; `targetDir` the local
    // directory the files go to. With `conflict`, a local file of the same name is only
    // replaced when the answer says so (a new name, skip, cancel); without, it is replaced.
    CopyToComputer(PhoneFs& fs, Tree4* folder, std::string targetDir,
                   ConflictQuestion* conflict = nullptr);

    // `selection`: the captions of the phone pane's selected items, in list order;
    // folders among them are skipped. Fails on a phone or local failure; the files
    // fetched before it stay. An abort ends the read under way at once: kErrAborted with
    // End() Aborted, that file not taken and the local file of its name as it was.
    Status Run(const std::vector<std::string>& selection);

    CommandEnd End() const { return m_end; }
    // How many items of the selection were taken (the window deselects those).
    size_t Taken() const { return m_taken; }
    // The local paths written, in order.
    const std::vector<std::string>& Written() const { return m_written; }
    // For each of Written(): the phone file it came from and the name the folder rules
    // gave it. Two phone files given one name ("Ring.mmf" from two melodies of that title)
    // are both kept: the later one is written as "Ring (2).mmf".
    struct Origin {
        std::string PhoneName;
        std::string RuleName;
    };
    const std::vector<Origin>& Origins() const { return m_origins; }

private:
    enum class Decision { Go, Skip, Cancel };
    // A name this run has already written is numbered; otherwise the conflict question
    // while `name` is taken in the target directory.
    Decision FreeName(std::string& name, const FileEntry& entry);
    bool WroteName(const std::string& name) const;
    void Wrote(const std::string& path, const FileEntry& entry, const std::string& ruleName);
    // How one file's step ends: the next file, a stop or a cancel (or, as the failure of
    // an Expected<Next>, a failure).
    enum class Next { Go, Stop, Cancel };
    // The local name the file takes (free, or what the question made of it): nothing, or
    // how the file's step ends when it is left out or the question cancelled.
    std::optional<Next> TakeName(std::string& name, const FileEntry& entry);
    // A file that goes as it is, and one the folder's rule converts on the way.
    Expected<Next> FetchPlain(const FileEntry& entry);
    Expected<Next> FetchConverted(const FileEntry& entry, FetchRoute route);
    Status Fetch(const FileEntry& entry, const std::string& localPath);
    bool ProbeWritable();

    PhoneFs& m_fs;
    Tree4* m_folder;
    std::string m_targetDir;
    ConflictQuestion* m_conflict;
    commands::ConflictMemory m_answers;
    CommandEnd m_end = CommandEnd::Finished;
    size_t m_taken = 0;
    std::vector<std::string> m_written;
    std::vector<Origin> m_origins;
    commands::ByteMeter m_meter;
};

}  // namespace q7k3
