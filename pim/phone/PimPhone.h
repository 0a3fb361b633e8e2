#pragma once
// The phonebook and message exchanges: the standard AT commands of the phonebook stores
// (AT+CPBS, AT+CPBR, AT+CPBW) and of the message stores (AT+CPMS, AT+CMGL, AT+CMGR,
// AT+CMGD), over the same channel as the file commands. Everything here runs on the link's
// thread; the command line and the window's session call it through their one door.
//
// Every operation returns its failure as a value, reports its progress as entries done
// and entries expected, and honours the channel's abort (AbortFlag, Stop): a read ends
// between two commands with kErrAborted, and the phone is left in step.
//
// Nothing here overwrites a phone entry: a contact is written to a free slot only.

#include <functional>
#include <string>
#include <vector>

#include "link/AtChannel.h"
#include "base/Failure.h"
#include "pim/PimTypes.h"

namespace q7k3::pim {

// Entries done so far and entries expected (0 while not known). Called after every
// command of a read, so that a caller can show the entries and the time left.
using PimProgress = std::function<void(int done, int expected)>;

// The character set the exchanges speak, chosen by OpenPim.
struct PimCharset {
    std::string Used;           // "UCS2", "GSM", "8859-1" or "IRA": names and texts in it
    std::string Found;          // the set the phone had before; ClosePim puts it back
    // The phone wants the quoted arguments of later commands (the store names of
    // AT+CPBS and AT+CPMS among them) hex-encoded in the set too, as its AT+CSCS? reply
    // shows by giving the set's own name in hex.
    bool HexArguments = false;
};

// A message store's room, as AT+CPMS tells it.
struct MessageStore {
    std::string Name;  // "SM", "ME", "SR", ...
    int Used = -1;     // -1: not told
    int Total = -1;
};

// How a read goes about it; the defaults suit every phone known.
struct ReadOptions {
    int Step = 20;              // phonebook slots asked for in one AT+CPBR=a,b
    int ListTimeoutMs = 15000;  // the first answer of AT+CMGL=4; after it, one by one
    // Brings the link back after a listing that never answered, as after any time-out
    // (port closed and opened again, ATZ). Null: the phone is asked on as it is.
    std::function<Status()> Recover;
};

// Chooses the character set (UCS2, then GSM, then 8859-1 or IRA, from what AT+CSCS=?
// offers) and notes the one the phone had. A phone that answers none of it fails with a
// clear text (kErrText), not a time-out.
Expected<PimCharset> OpenPim(AtChannel& ch);
// Puts back the set OpenPim found (nothing to do when it was kept).
Status ClosePim(AtChannel& ch, const PimCharset& charset);

// OpenPim for the length of a scope; ClosePim on leaving it, unless Close ran already.
class PimScope {
public:
    explicit PimScope(AtChannel& ch);
    ~PimScope();
    PimScope(const PimScope&) = delete;
    PimScope& operator=(const PimScope&) = delete;
    // Whether the opening worked, and why not.
    const Status& Opened() const { return m_opened; }
    const PimCharset& Charset() const { return m_charset; }
    Status Close();

private:
    AtChannel& m_ch;
    PimCharset m_charset;
    Status m_opened;
    bool m_open = false;
};

// The phonebook stores the phone offers ("SM", "ME"; both tried when it refuses the
// question), each with its slot range, name and number lengths and fill. Leaves the last
// one selected.
Expected<std::vector<PhonebookStore>> PhonebookStores(AtChannel& ch, const PimCharset& charset);
// Selects one store and reads its room (AT+CPBS="..", AT+CPBS?, AT+CPBR=?).
Expected<PhonebookStore> SelectPhonebook(AtChannel& ch, const PimCharset& charset,
                                         const std::string& store);

// Every entry of a store, in slot order: in steps of `Step` slots, one slot per command
// where the phone refuses a range, and no further than needed once the used count the
// phone told is reached.
Expected<std::vector<Contact>> ReadContacts(AtChannel& ch, const PimCharset& charset,
                                            const std::string& store,
                                            const PimProgress& progress = {},
                                            const ReadOptions& options = {});

// Writes a contact into a free slot of contact.Store: the first free one when
// contact.Index is 0 (AT+CPBW=,...), otherwise that slot once a read has shown it empty.
// A taken slot fails (kErrRefused), a name or number longer than the store takes fails
// (kErrBadName) with the reason. Returns the slot written.
Expected<int> WriteContact(AtChannel& ch, const PimCharset& charset, const Contact& contact);
// Whether WriteContact failed for a taken slot; a plain refusal of the phone's is no such.
bool SlotTaken(const Failure& failure);
// Empties one slot (AT+CPBW=index).
Status EraseContact(AtChannel& ch, const PimCharset& charset, const std::string& store,
                    int index);

// The message stores the phone offers, with their fill (AT+CPMS=?, AT+CPMS?).
Expected<std::vector<MessageStore>> MessageStores(AtChannel& ch, const PimCharset& charset);

// Every message of a store as the phone keeps it (PDU mode): AT+CMGL=4, and where that
// never answers, AT+CMGR one index after the other until the count AT+CPMS? told is found.
// A listing that ends before its end fails (kErrUnfinished); nothing half-read is given.
// A phone that refuses PDU mode is read in text mode (AT+CMGF=1, AT+CMGL="ALL"): each
// message is then built into a PDU from the sender, time and text it showed, marked
// FromText (one part of a long message is a message of its own there).
Expected<std::vector<StoredPdu>> ReadMessages(AtChannel& ch, const PimCharset& charset,
                                              const std::string& store,
                                              const PimProgress& progress = {},
                                              const ReadOptions& options = {});
// One message (AT+CMGR=index).
Expected<StoredPdu> ReadMessage(AtChannel& ch, const PimCharset& charset,
                                const std::string& store, int index);
// Erases one message (AT+CMGD=index).
Status EraseMessage(AtChannel& ch, const PimCharset& charset, const std::string& store,
                    int index);

// The longest name a store takes, in characters of the set in use (for an import that
// cuts names only when asked).
int NameLimit(const PhonebookStore& store);

}  // namespace q7k3::pim
