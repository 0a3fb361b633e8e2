#pragma once
// Copy to the phone: local files sent into one phone folder in the given order (the
// computer pane's selection, or a list dropped from another program), with the folder
// rules: the size and name limits, Java suite names and generated descriptors, the slot
// names of default melodies and SMS media, MMF to MEL, pictures to .ani and EMS, and the
// conflict question when the name is taken.
//
// Runs inside the session's busy bracket: it sets the progress texts and bars, never
// shows or hides the dialog. A local problem costs only its file (a box, then the next
// file); a phone failure ends the command with its reason.

#include <optional>
#include <string>
#include <vector>

#include "commands/CommandSupport.h"
#include "commands/Questions.h"
#include "phonefs/PhoneFs.h"

namespace q7k3 {

class CopyToPhone {
public:
    CopyToPhone(PhoneFs& fs, Tree4* folder, ConflictQuestion& conflict);

    // `paths`: full local paths. Fails on a phone failure (the files sent before it stay
    // on the phone and in the tree). "Перезаписать все" holds for the rest of this run
    // only.
    Status Run(const std::vector<std::string>& paths);

    CommandEnd End() const { return m_end; }
    // The phone names written, descriptors included, in order.
    const std::vector<std::string>& Sent() const { return m_sent; }
    // The local paths this run has dealt with: sent, or left out with its reason told.
    // After a stop the window unmarks those and only those, so that a second F5 sends
    // what is left and nothing twice.
    const std::vector<std::string>& DealtWith() const { return m_dealtWith; }
    // For each of Sent(): the local path it was made from (a descriptor: its jar's).
    const std::vector<std::string>& Origins() const { return m_origins; }
    // Files left out (missing, unreadable, too large, empty, not recognised, skipped in
    // the conflict question).
    int Skipped() const { return m_skipped; }
    // A batch says at its end, in one box, what was copied, skipped and refused and why,
    // instead of a box for each file left out.
    void SummarizeLeftOut(bool summarize) { m_summarize = summarize; }

private:
    // How one file's step ends (a failure ends it as the failure of an Expected<Next>).
    enum class Next { Go, Skipped, Stop, Cancel };
    // A folder rule's step: nothing when the file goes on, or how its step ends.
    using Prepared = std::optional<Expected<Next>>;
    Status RunFiles(const std::vector<std::string>& paths);
    void ShowSummary();
    // A file on its way to the phone: its local path, the scratch file a conversion writes,
    // the phone name it takes and the local file that is sent.
    struct Outgoing {
        const std::string& path;
        const std::string& scratch;
        std::string name;
        std::string source;
    };
    Expected<Next> SendOne(const std::string& path, const std::vector<std::string>& selection);
    // The file's checks before anything is sent: nothing when it may go, or how SendOne ends.
    std::optional<Next> CheckLocalFile(const std::string& path);
    // The folder rule's step on one file: nothing when the file is ready to go on to the
    // name check and the conflict question, or how SendOne ends.
    Prepared PrepareJavaSuite(Outgoing& file, size_t nameBytes,
                              const std::vector<std::string>& selection);
    Prepared PrepareDefaultMelody(Outgoing& file);
    Prepared PrepareAniPicture(Outgoing& file);
    Prepared PrepareSmsPicture(Outgoing& file);
    Prepared PrepareSmsMelody(Outgoing& file);
    Next ResolveConflict(std::string& name, bool& replace, const std::string& source);
    Status Write(const std::string& origin, const std::string& source, const std::string& name,
                 bool replace = false);
    Next Skip(const std::string& text, BoxIcon icon);
    bool HasName(const std::string& name) const;
    Status DescriptorStep();

    PhoneFs& m_fs;
    Tree4* m_folder;
    ConflictQuestion& m_conflict;
    commands::ConflictMemory m_answers;
    std::vector<std::string> m_jadQueue;
    std::vector<std::string> m_sent;
    std::vector<std::string> m_dealtWith;
    std::vector<std::string> m_origins;
    int m_skipped = 0;
    bool m_summarize = false;
    std::string m_current;               // the local path under way
    std::vector<std::string> m_refused;  // the lines of the files left out with a reason
    commands::ByteMeter m_meter;
    CommandEnd m_end = CommandEnd::Finished;
};

}  // namespace q7k3
