#pragma once
// The phone's contacts and messages in a backup folder, beside its files: the phonebook as
// contacts.vcf (vCard 3.0, each entry with its store and slot), the messages as the SMS
// backup XML (messages.xml) and their PDUs as the phone keeps them (messages.pdu). Each file
// is written whole before it takes its name, and the manifest gives it a line of its own:
//   #pim <TAB> file <TAB> size <TAB> CRC-32 (8 hex) <TAB> entries <TAB> date saved
// which a reader that knows only files skips as a comment. A part the phone would not give
// this time keeps the copy (and the line) of an earlier backup.
//
// Messages are kept, never written back to the phone: a restore puts back contacts only,
// those missing on the phone, into free slots of the store they came from.
//
// Everything here runs on the link's thread and returns its failure as a value.

#include <QDateTime>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands/Backup.h"
#include "link/AtChannel.h"
#include "base/Failure.h"
#include "base/Prompts.h"
#include "pim/phone/ContactImport.h"

namespace q7k3 {

inline constexpr const char* kContactsFile = "contacts.vcf";
inline constexpr const char* kMessagesFile = "messages.xml";
inline constexpr const char* kPdusFile = "messages.pdu";

// One saved file of the contacts or messages, as its manifest line has it.
struct PimPart {
    std::string File;  // one of the three names above
    int64_t Size = 0;
    uint32_t Crc = 0;
    int Entries = 0;  // contacts, messages or PDUs in it
    QDateTime Saved;
    bool operator==(const PimPart&) const = default;
};

// The parts a manifest records (a line that does not read is left out), and a part put in
// (in place of the line of its file).
std::vector<PimPart> PimPartsOf(const BackupManifest& manifest);
void SetPimPart(BackupManifest& manifest, const PimPart& part);
// The contacts part of the backup in `dir`, when it has one.
std::optional<PimPart> SavedContacts(const std::string& dir);

struct PimBackupReport {
    int Contacts = -1;  // entries saved this time; -1: not saved, Problem says why
    int Messages = -1;
    Failure ContactsProblem;
    Failure MessagesProblem;
    bool Complete() const { return Contacts >= 0 && Messages >= 0; }
    // "Контакты сохранены: 12", or "Контакты не сохранены: <why>"; a line each.
    std::vector<std::string> Lines() const;
};

// Reads the phonebook and the messages and writes the three files into `dir` (which holds
// a backup's manifest, or will) and their lines into the manifest. A phone that refuses a
// part, or fails in it, leaves that part out and the report says why; a file or the
// manifest that cannot be written is the failure returned.
Expected<PimBackupReport> BackupPim(AtChannel& ch, ProgressView& progress, const std::string& dir);

// The saved parts against the manifest: each file's size and CRC, and the vCard read back
// whole with the count recorded ("Файл резервной копии повреждён: <path>"). With `phone`
// also the saved contacts against those on the phone, by store, name and number ("Нет на
// телефоне: Контакты SM: Анна 123"). `checked` counts the parts and contacts compared. A
// phone failure (deep only) is the failure returned.
Expected<std::vector<std::string>> VerifyPim(const std::string& dir, AtChannel* phone,
                                             int& checked);

// Puts back the saved contacts the phone lacks: those of each store into free slots of that
// store (ContactImport: nothing erased or overwritten, an entry the store holds left out). A
// contact of a store the phone does not offer is refused, with that said. A backup without
// contacts gives no report; a damaged contacts file, or a phone that will not open its
// phonebook, is the failure returned. A phone failure during a store's import is that
// report's Problem, and the stores after it are not tried.
Expected<std::vector<pim::ImportReport>> RestoreContacts(AtChannel& ch, ProgressView& progress,
                                                         const std::string& dir);
// The contacts left out of a restore: not written, and not on the phone already.
int ContactsNotRestored(const std::vector<pim::ImportReport>& reports);

}  // namespace q7k3
