#pragma once
// Steps on the phone that must never be left half done, written down before they are taken
// and crossed out after: a replacement (the new file under a temporary name, or the old one
// kept on the computer) and a rename (the file under its new name before the old name goes,
// or kept on the computer in between). A program killed in the middle leaves its record in
// $XDG_DATA_HOME/Q7K3FileManager/Unfinished, and the next connection to the phone the record
// came from finishes the step. Each record is bound to its phone: the model and the serial
// number (AT+CGSN); it is finished or dropped only there, and its copy on the computer is
// kept until that phone has the file back.

#include <QtGlobal>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/Failure.h"
#include "phonefs/PhoneFs.h"

namespace q7k3::commands {

// What tells one phone from another.
struct PhoneIdentity {
    std::string Model;  // the model code, "E700"
    // The serial number the phone gave; "" for a phone that has none; empty for a record
    // written before records knew it.
    std::optional<std::string> Serial;
};

enum class RecordOwner {
    ThisPhone,   // the record came from the phone connected now
    OtherPhone,  // from another phone: it waits for that one
    CannotTell,  // the same model, and no serial number to tell them apart: ask the user
};
// The one rule every program follows: whose is a record of `record`, with `phone` connected.
// Another model, or serial numbers that differ (one phone giving one and the other none
// counts as differing), is another phone.
RecordOwner OwnerOf(const PhoneIdentity& record, const PhoneIdentity& phone);

// One step in progress.
class UnfinishedRecord {
public:
    // A record of a step in `folder` that ends with `name` holding the user's file, bound to
    // the phone connected now. Asks the phone for its serial number (once per connection);
    // fails when the phone does not answer, unless `serialMayBeUnknown` (the line died: the
    // record is then finished only where the user says it is the same phone).
    static Expected<UnfinishedRecord> For(PhoneFs& fs, const Tree4* folder,
                                          const std::string& name,
                                          bool serialMayBeUnknown = false);

    PhoneIdentity Phone;
    std::string FolderId, FolderPath;
    std::string Name;       // where the user's file must end
    std::string Temp;       // a temporary phone file of the program's that holds the new file
    std::string MovedFrom;  // a rename: the old name of the file, erased once Name holds it
    uint32_t NewCrc = 0;    // the CRC of what Temp or MovedFrom holds
    std::string OldCopy;    // a copy of the file on the computer, beside the record
    uint32_t OldCrc = 0;
    qint64 Pid = 0;

    // Writes the record whole (beside it, then renamed).
    Status Save();
    // Reads a record of this version or of the one before it.
    bool Load(const std::string& path);
    // Crosses the record out, with the copy it kept.
    void Drop();
    bool Saved() const { return !m_path.empty(); }
    // A fresh path beside the records for a copy of a file; empty when there is no place.
    static std::string CopyPath();

private:
    std::string m_path;
};

// Asked when the phone connected now may or may not be the one a step was cut on (neither
// gives a serial number); `question` names the file. True: finish it on this phone.
using SamePhoneQuestion = std::function<bool(const std::string& question)>;

// At a connection: finishes the records of this phone (the user's name gets its file, the
// new one from the temporary file or the old name, else the copy on the computer, and the
// temporary file or the old name goes). Records of another phone are left for it, with a
// line that says so; for one that cannot be told, `ask` decides (by default the phone
// session's yes/no box). Records of a program still running are its own. Returns one line
// for each phone path it mended or left waiting.
std::vector<std::string> FinishUnfinishedReplacements(PhoneFs& fs,
                                                      const SamePhoneQuestion& ask = {});
// After a rebuild of the Java registry that lost the line past its erase: the files it
// erased and could not write back are kept as records, so that the next connection writes
// them back. Returns the phone paths kept.
std::vector<std::string> KeepErasedRegistry(PhoneFs& fs);
// Whether a record of a phone of `model` names `name` in the folder `folderId` as a
// temporary file of its own: such a file is the program's, no user's.
bool RecordedTemporary(const std::string& model, const std::string& folderId,
                       const std::string& name);

}  // namespace q7k3::commands
