#include "pim/phone/ContactImport.h"

#include <algorithm>
#include <optional>
#include <set>
#include <utility>

#include "pim/GsmAlphabet.h"
#include "base/Messages.h"

namespace q7k3::pim {

namespace {

// The channel's abort and stop reach no exchange of one entry: an entry is written whole
// or not begun, and the import stops between two.
class EntryHold {
public:
    explicit EntryHold(AtChannel& ch) : m_ch(ch), m_abort(ch.AbortFlag), m_stop(ch.Stop) {
        ch.AbortFlag = nullptr;
        ch.Stop = nullptr;
    }
    ~EntryHold() {
        m_ch.AbortFlag = m_abort;
        m_ch.Stop = m_stop;
    }
    EntryHold(const EntryHold&) = delete;
    EntryHold& operator=(const EntryHold&) = delete;

private:
    AtChannel& m_ch;
    const std::atomic<bool>* m_abort;
    const StopSignal* m_stop;
};

bool StopAsked(const AtChannel& ch) {
    return (ch.AbortFlag && ch.AbortFlag->load()) || (ch.Stop && ch.Stop->Raised());
}

// What makes two entries the same: the name, and the number as dialled ("+" for an
// international one however the phone keeps its type).
std::pair<std::string, std::string> Identity(const Contact& c) {
    std::string number = c.Number;
    if (c.Type == 145 && !number.starts_with('+')) number.insert(0, "+");
    return {c.Name, number};
}

int Length(const std::string& name) {
    return static_cast<int>(DecodeUtf8(name).size());
}

}  // namespace

int ImportReport::Count(ImportResult result) const {
    return static_cast<int>(std::count_if(Entries.begin(), Entries.end(),
                                          [result](const ImportedEntry& e) { return e.Result == result; }));
}

std::string DefaultImportStore(const std::vector<PhonebookStore>& stores) {
    for (const PhonebookStore& s : stores)
        if (s.Name == "ME") return "ME";
    return stores.empty() ? std::string("ME") : stores.front().Name;
}

void PrependSkippedCards(ImportReport& report, const std::vector<SkippedCard>& cards) {
    std::vector<ImportedEntry> skipped;
    for (const SkippedCard& card : cards)
        skipped.push_back({Contact{"", 0, "", 129, card.Name}, ImportResult::Refused, card.Reason});
    report.Entries.insert(report.Entries.begin(), skipped.begin(), skipped.end());
}

std::string ImportSummary(const ImportReport& report) {
    const int written = report.Count(ImportResult::Written) + report.Count(ImportResult::Cut);
    const int already = report.Count(ImportResult::Already);
    const int missing = static_cast<int>(report.Entries.size()) - written - already;
    std::string line = Msg(kMsgImportIntoStore) + report.Store + ". " + Msg(kMsgImportWrittenCount) +
                       std::to_string(written);
    if (already) line += Msg(kMsgImportAlreadyCount) + std::to_string(already);
    if (missing) line += Msg(kMsgImportNotWrittenCount) + std::to_string(missing);
    return line;
}

bool NameTooLong(const ImportedEntry& entry) {
    return entry.Result == ImportResult::Refused && entry.Why.starts_with(Msg(kMsgContactNameTooLong));
}

std::string CutName(const std::string& name, int limit) {
    const std::vector<char32_t> points = DecodeUtf8(name);
    std::string out;
    for (size_t i = 0; i < points.size() && static_cast<int>(i) < limit; ++i) AppendUtf8(out, points[i]);
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

ImportReport ImportContacts(AtChannel& ch, const PimCharset& cs, const std::string& store,
                            const std::vector<Contact>& entries, const ImportOptions& options) {
    ImportReport report;
    report.Store = store;
    for (const Contact& c : entries)
        report.Entries.push_back({c, ImportResult::Stopped, Msg(kMsgImportStopped)});
    const int all = static_cast<int>(entries.size());
    if (StopAsked(ch)) return report;

    // The store as it is, every entry of it, before anything is written. Nothing is written
    // yet, so an abort may end the read anywhere.
    std::set<std::pair<std::string, std::string>> there;
    std::vector<int> free;
    int limit = 0;
    {
        auto room = SelectPhonebook(ch, cs, store);
        if (!room) {
            report.Problem = room.error();
            return report;
        }
        auto held = ReadContacts(ch, cs, store);
        if (!held) {
            report.Problem = held.error();
            return report;
        }
        std::set<int> taken;
        for (const Contact& c : *held) {
            there.insert(Identity(c));
            taken.insert(c.Index);
        }
        for (int slot = room->First; slot <= room->Last; ++slot)
            if (!taken.count(slot)) free.push_back(slot);
        // A store that counts fewer slots than its range spans has no more room than that.
        if (room->Total >= 0) {
            const int left = std::max(0, room->Total - static_cast<int>(held->size()));
            if (static_cast<int>(free.size()) > left) free.resize(static_cast<size_t>(left));
        }
        limit = NameLimit(*room);
    }

    std::optional<bool> cutNames;
    size_t nextFree = 0;
    bool full = false;
    if (options.Progress) options.Progress(0, all);
    for (int i = 0; i < all; ++i) {
        if (StopAsked(ch)) break;  // this one and the rest: Stopped
        ImportedEntry& e = report.Entries[static_cast<size_t>(i)];
        Contact c = e.Entry;
        c.Store = store;
        bool cut = false;
        if (limit > 0 && Length(c.Name) > limit) {
            if (!cutNames) cutNames = options.CutNames && options.CutNames(c, limit);
            if (!*cutNames) {
                e.Result = ImportResult::Refused;
                e.Why = Msg(kMsgContactNameTooLong) + std::to_string(limit) + ": " + c.Name;
                if (options.Progress) options.Progress(i + 1, all);
                continue;
            }
            c.Name = CutName(c.Name, limit);
            cut = true;
        }
        if (there.count(Identity(c))) {
            e.Result = ImportResult::Already;
            e.Why = Msg(kMsgImportAlready);
            if (options.Progress) options.Progress(i + 1, all);
            continue;
        }
        // Once the store is full, only what would need a write is left out for that.
        if (full) {
            e.Result = ImportResult::Full;
            e.Why = Msg(kMsgImportFull);
            if (options.Progress) options.Progress(i + 1, all);
            continue;
        }
        // A slot someone filled since the store was read is passed over for the next.
        Expected<int> written = Fail(kErrPhoneMemoryFull);
        {
            const EntryHold hold(ch);
            while (nextFree < free.size()) {
                c.Index = free[nextFree++];
                written = WriteContact(ch, cs, c);
                if (written || !SlotTaken(written.error())) break;
            }
            if (!written && SlotTaken(written.error())) {
                written = Fail(kErrPhoneMemoryFull);  // every slot left was filled meanwhile
            } else if (!written && written.error().Reason != kErrPhoneMemoryFull) {
                --nextFree;  // the slot the phone would not fill for this one stays free
            }
        }
        if (written) {
            c.Index = *written;
            there.insert(Identity(c));
            e.Result = cut ? ImportResult::Cut : ImportResult::Written;
            e.Why = cut ? Msg(kMsgImportNameCut) + e.Entry.Name : std::string();
            e.Entry = c;
        } else if (written.error().Reason == kErrPhoneMemoryFull) {
            full = true;
            e.Result = ImportResult::Full;
            e.Why = Msg(kMsgImportFull);
        } else if (written.error().Reason == kErrBadName) {
            e.Result = ImportResult::Refused;
            e.Why = written.error().Text;
        } else if (!NeedsLinkRecovery(written.error().Reason)) {
            // The phone would not take this one (a text too long, a character it refuses):
            // the rest may go in still.
            e.Result = ImportResult::Refused;
            e.Why = FailureText(written.error().Reason, written.error().Text);
        } else {
            e.Result = ImportResult::Failed;
            e.Why = FailureText(written.error().Reason, written.error().Text);
            report.Problem = written.error();
            break;
        }
        if (options.Progress) options.Progress(i + 1, all);
    }
    return report;
}

}  // namespace q7k3::pim
