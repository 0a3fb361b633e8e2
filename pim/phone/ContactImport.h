#pragma once
// Contacts from a file onto the phone: each entry into a free slot of one phonebook store,
// never over an entry that is there; an entry the store already holds (the same name and
// number) is left out, so that a second import of the same file adds nothing. Runs on the
// link's thread like the other phonebook exchanges.

#include <functional>
#include <string>
#include <vector>

#include "link/AtChannel.h"
#include "base/Failure.h"
#include "pim/PimTypes.h"
#include "pim/VCard.h"
#include "pim/phone/PimPhone.h"

namespace q7k3::pim {

enum class ImportResult {
    Written,  // in a free slot as it came
    Cut,      // written with its name cut to the store's length
    Already,  // the store holds it already
    Refused,  // the phone cannot take it as it is (Why says what)
    Full,     // not written: the store had no free slot left
    Stopped,  // not written: the import was stopped before it
    Failed,   // not written: the phone failed (the report's Problem)
};

struct ImportedEntry {
    Contact Entry;  // as written (Store, Index, the name cut); as the file gave it otherwise
    ImportResult Result = ImportResult::Stopped;
    std::string Why;  // a catalogue text for every result but Written
};

struct ImportReport {
    std::string Store;
    std::vector<ImportedEntry> Entries;  // in the file's order
    Failure Problem;                     // Reason 0: the phone did not fail
    int Count(ImportResult result) const;
};

struct ImportOptions {
    // Asked once, at the first name longer than the store takes (`limit` characters): true
    // cuts every such name to the limit, false leaves their entries out. Null: left out.
    std::function<bool(const Contact& first, int limit)> CutNames;
    PimProgress Progress;  // entries done of all given
};

// The store an import goes to when none is named: the phone's own ("ME") where it has
// one, the SIM's otherwise.
std::string DefaultImportStore(const std::vector<PhonebookStore>& stores);

// Writes `entries` into `store`. Stops between two entries when the channel's abort or
// stop is raised (the rest Stopped), at a full store (the rest Full), and when the link
// fails (Problem set, the rest Stopped); an entry the phone refuses is Refused with its
// words. What was written stays written. An abort during the read of the store before
// any write ends the import there (Problem: the abort).
ImportReport ImportContacts(AtChannel& ch, const PimCharset& charset, const std::string& store,
                            const std::vector<Contact>& entries, const ImportOptions& options = {});

// The cards of a file that gave no entry (no number, an unknown charset), as refused
// entries before the report's own.
void PrependSkippedCards(ImportReport& report, const std::vector<SkippedCard>& cards);
// What the import did in a line: the store, how many were written, already there, not
// written ("Контакты записаны в память ME. Записано: 3, уже были в телефоне: 2").
std::string ImportSummary(const ImportReport& report);
// Whether an entry was refused for a name longer than the store takes.
bool NameTooLong(const ImportedEntry& entry);

// The name cut to `limit` characters, without a space left at its end.
std::string CutName(const std::string& name, int limit);

}  // namespace q7k3::pim
