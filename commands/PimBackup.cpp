#include "commands/PimBackup.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <map>
#include <set>
#include <tuple>

#include "pim/Conversation.h"
#include "pim/Export.h"
#include "pim/MessageJoin.h"
#include "pim/SmsBackupXml.h"
#include "pim/VCard.h"
#include "pim/phone/PimPhone.h"
#include "base/Messages.h"
#include "base/OutputFile.h"

namespace q7k3 {
namespace {

constexpr std::string_view kPimTag = "#pim\t";
constexpr const char* kDateFormat = "yyyy-MM-dd hh:mm:ss";
constexpr char kHex[] = "0123456789ABCDEF";

std::string PathIn(const std::string& dir, const char* file) {
    return QDir(QString::fromStdString(dir)).filePath(QString::fromLatin1(file)).toStdString();
}

std::string LineOf(const PimPart& p) {
    std::string crc(8, '0');
    for (int k = 0; k < 8; ++k) crc[static_cast<size_t>(k)] = kHex[(p.Crc >> (28 - 4 * k)) & 15];
    return std::string(kPimTag) + p.File + '\t' + std::to_string(p.Size) + '\t' + crc + '\t' +
           std::to_string(p.Entries) + '\t' +
           p.Saved.toString(QString::fromLatin1(kDateFormat)).toStdString();
}

template <class T>
bool Number(const std::string& text, T& out, int base = 10) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc() && end == text.data() + text.size();
}

std::optional<PimPart> PartOfLine(std::string_view line) {
    if (!line.starts_with(kPimTag)) return std::nullopt;
    line.remove_prefix(kPimTag.size());
    std::vector<std::string> f;
    for (size_t at = 0;;) {
        const size_t tab = line.find('\t', at);
        f.emplace_back(line.substr(at, tab == std::string_view::npos ? tab : tab - at));
        if (tab == std::string_view::npos) break;
        at = tab + 1;
    }
    if (f.size() < 5) return std::nullopt;
    PimPart p;
    p.File = f[0];
    p.Saved = QDateTime::fromString(QString::fromStdString(f[4]), QString::fromLatin1(kDateFormat));
    // Only the three names: a manifest leads nowhere else.
    if (p.File != kContactsFile && p.File != kMessagesFile && p.File != kPdusFile)
        return std::nullopt;
    if (!Number(f[1], p.Size) || p.Size < 0 || f[2].size() != 8 || !Number(f[2], p.Crc, 16) ||
        !Number(f[3], p.Entries) || p.Entries < 0)
        return std::nullopt;
    return p;
}

// The file written whole, then its part in the manifest, which is saved at once: the line
// and the file never disagree for longer than one rename.
Status SavePart(BackupManifest& manifest, const std::string& dir, const char* file,
                const std::string& bytes, int entries) {
    const std::string path = PathIn(dir, file);
    {
        OutputFile out(path);
        if (Status s = out.Open(); !s) return s;
        if (Status s = out.Write(bytes); !s) return s;
        if (Status s = out.Commit(); !s) return s;
    }
    PimPart part;
    part.File = file;
    part.Size = static_cast<int64_t>(bytes.size());
    if (!LocalFileCrc(path, part.Crc)) return Fail(kErrLocalFile, path);
    part.Entries = entries;
    part.Saved = QDateTime::currentDateTime();
    SetPimPart(manifest, part);
    if (!manifest.Save(dir)) return Fail(kErrLocalFile, PathIn(dir, BackupManifest::kFileName));
    return {};
}

// A failure that leaves the phone unheard, or the user's abort: nothing more is asked.
bool EndsExchange(const Failure& f) { return f.Reason == kErrAborted || NeedsLinkRecovery(f.Reason); }

pim::PimProgress EntryProgress(ProgressView& progress, int heading) {
    return [&progress, heading](int done, int expected) {
        std::string line = Msg(heading) + std::to_string(done);
        if (expected > 0) {
            line += Msg(kMsgOf) + std::to_string(expected);
            progress.SetMax(2, expected);
            progress.SetPosition(2, std::min(done, expected));
        }
        progress.SetLongStatus(line);
    };
}

Expected<std::vector<pim::Contact>> ReadPhonebook(AtChannel& ch, const pim::PimCharset& cs,
                                                  ProgressView* progress) {
    auto stores = pim::PhonebookStores(ch, cs);
    if (!stores) return Fail(stores.error());
    std::vector<pim::Contact> all;
    for (const pim::PhonebookStore& store : *stores) {
        auto read = pim::ReadContacts(ch, cs, store.Name,
                                      progress ? EntryProgress(*progress, kMsgReadingContacts)
                                               : pim::PimProgress());
        if (!read) return Fail(read.error());
        all.insert(all.end(), read->begin(), read->end());
    }
    return all;
}

Expected<std::vector<pim::StoredPdu>> ReadAllMessages(AtChannel& ch, const pim::PimCharset& cs,
                                                      ProgressView& progress) {
    auto stores = pim::MessageStores(ch, cs);
    if (!stores) return Fail(stores.error());
    std::vector<pim::StoredPdu> all;
    for (const pim::MessageStore& store : *stores) {
        auto read = pim::ReadMessages(ch, cs, store.Name, EntryProgress(progress, kMsgReadingMessages));
        if (!read) return Fail(read.error());
        all.insert(all.end(), read->begin(), read->end());
    }
    return all;
}

// What tells two entries apart in a comparison: the store, the name and the number as
// dialled (the slot may differ after a restore).
using ContactKey = std::tuple<std::string, std::string, std::string>;
ContactKey KeyOf(const pim::Contact& c) {
    std::string number = c.Number;
    if (c.Type == 145 && !number.starts_with('+')) number.insert(0, "+");
    return {c.Store, c.Name, number};
}
std::string ContactText(const ContactKey& k) {
    return Msg(kMsgContactsFolder) + " " + std::get<0>(k) + ": " + std::get<1>(k) + " " +
           std::get<2>(k);
}

// The saved file of a part, read whole when its size and CRC are what the manifest says.
std::optional<std::string> IntactPart(const std::string& dir, const PimPart& part) {
    const std::string path = PathIn(dir, part.File.c_str());
    const QFileInfo info(QString::fromStdString(path));
    uint32_t crc = 0;
    // A link in its place could show anything: it is no saved part.
    if (info.isSymLink() || !info.isFile() || info.size() != part.Size || !LocalFileCrc(path, crc) ||
        crc != part.Crc)
        return std::nullopt;
    auto bytes = pim::ReadCardFile(path);
    if (!bytes || static_cast<int64_t>(bytes->size()) != part.Size) return std::nullopt;
    return *bytes;
}

}  // namespace

std::vector<PimPart> PimPartsOf(const BackupManifest& manifest) {
    std::vector<PimPart> parts;
    for (const std::string& line : manifest.PimLines)
        if (auto p = PartOfLine(line)) parts.push_back(*p);
    return parts;
}

void SetPimPart(BackupManifest& manifest, const PimPart& part) {
    auto& lines = manifest.PimLines;
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [&](const std::string& line) {
                                   const auto p = PartOfLine(line);
                                   return p && p->File == part.File;
                               }),
                lines.end());
    lines.push_back(LineOf(part));
}

std::optional<PimPart> SavedContacts(const std::string& dir) {
    BackupManifest manifest;
    std::string bad;
    if (!manifest.Load(dir, bad)) return std::nullopt;
    for (const PimPart& p : PimPartsOf(manifest))
        if (p.File == kContactsFile) return p;
    return std::nullopt;
}

std::vector<std::string> PimBackupReport::Lines() const {
    std::vector<std::string> lines;
    lines.push_back(Contacts >= 0 ? Msg(kMsgContactsSaved) + std::to_string(Contacts)
                                  : Msg(kMsgContactsNotSaved) +
                                        FailureText(ContactsProblem.Reason, ContactsProblem.Text));
    lines.push_back(Messages >= 0 ? Msg(kMsgMessagesSaved) + std::to_string(Messages)
                                  : Msg(kMsgMessagesNotSaved) +
                                        FailureText(MessagesProblem.Reason, MessagesProblem.Text));
    return lines;
}

Expected<PimBackupReport> BackupPim(AtChannel& ch, ProgressView& progress, const std::string& dir) {
    PimBackupReport report;
    BackupManifest manifest;
    std::string bad;
    if (!manifest.Load(dir, bad)) return Fail(kErrLocalData, Msg(kMsgBadManifest) + bad);

    pim::PimScope scope(ch);
    if (!scope.Opened()) {
        report.ContactsProblem = report.MessagesProblem = scope.Opened().error();
        return report;
    }
    const pim::PimCharset& cs = scope.Charset();
    std::vector<pim::Contact> contacts;
    if (auto read = ReadPhonebook(ch, cs, &progress); read) {
        contacts = std::move(*read);
        if (Status s = SavePart(manifest, dir, kContactsFile, pim::ExportVCards(contacts),
                                static_cast<int>(contacts.size()));
            !s)
            return Fail(s.error());
        report.Contacts = static_cast<int>(contacts.size());
    } else {
        report.ContactsProblem = read.error();
        if (EndsExchange(read.error())) {
            report.MessagesProblem = read.error();
            return report;
        }
    }

    auto stored = ReadAllMessages(ch, cs, progress);
    if (!stored) {
        report.MessagesProblem = stored.error();
        return report;
    }
    const std::vector<pim::SmsMessage> messages = pim::JoinMessages(*stored);
    const int raw = static_cast<int>(std::count_if(stored->begin(), stored->end(),
                                                   [](const pim::StoredPdu& p) { return !p.FromText; }));
    const pim::SmsXml xml = pim::WriteSmsBackupXml(messages, QDateTime::currentMSecsSinceEpoch(),
                                                   pim::NamesByNumber(contacts));
    if (Status s = SavePart(manifest, dir, kMessagesFile, xml.Xml, xml.Written); !s)
        return Fail(s.error());
    if (Status s = SavePart(manifest, dir, kPdusFile, pim::WriteRawPdus(*stored), raw); !s)
        return Fail(s.error());
    report.Messages = static_cast<int>(messages.size());
    // The phone's own character set goes back (the scope tries again on leaving); what was
    // saved is saved whether the phone takes it or not.
    static_cast<void>(scope.Close());
    return report;
}

Expected<std::vector<std::string>> VerifyPim(const std::string& dir, AtChannel* phone,
                                             int& checked) {
    checked = 0;
    BackupManifest manifest;
    std::string bad;
    if (!manifest.Load(dir, bad)) return Fail(kErrLocalData, Msg(kMsgBadManifest) + bad);
    std::vector<std::string> findings;
    std::optional<std::string> card;
    for (const PimPart& part : PimPartsOf(manifest)) {
        ++checked;
        const std::string path = PathIn(dir, part.File.c_str());
        std::optional<std::string> bytes = IntactPart(dir, part);
        bool sound = bytes.has_value();
        if (sound && part.File == kContactsFile) {
            // The cards must read back whole: each entry one contact, none refused.
            const pim::VCardImport cards = pim::ImportVCards(*bytes);
            sound = cards.Skipped.empty() && static_cast<int>(cards.Contacts.size()) == part.Entries;
            if (sound) card = std::move(bytes);
        }
        if (!sound) findings.push_back(Msg(kMsgBackupDamaged) + path);
    }
    if (!phone || !card) return findings;
    // Deep: the saved contacts against the phone's, each store as many times as it holds one.
    std::multiset<ContactKey> saved, there;
    for (const pim::Contact& c : pim::ImportVCards(*card).Contacts) saved.insert(KeyOf(c));
    pim::PimScope scope(*phone);
    if (!scope.Opened()) return Fail(scope.Opened().error());
    auto read = ReadPhonebook(*phone, scope.Charset(), nullptr);
    if (!read) return Fail(read.error());
    if (Status closed = scope.Close(); !closed) return Fail(closed.error());
    for (const pim::Contact& c : *read) there.insert(KeyOf(c));
    checked += static_cast<int>(saved.size());
    std::vector<ContactKey> gone, added;
    std::set_difference(saved.begin(), saved.end(), there.begin(), there.end(), std::back_inserter(gone));
    std::set_difference(there.begin(), there.end(), saved.begin(), saved.end(), std::back_inserter(added));
    for (const ContactKey& k : gone) findings.push_back(Msg(kMsgMissingOnPhone) + ContactText(k));
    for (const ContactKey& k : added) findings.push_back(Msg(kMsgNotInBackup) + ContactText(k));
    return findings;
}

Expected<std::vector<pim::ImportReport>> RestoreContacts(AtChannel& ch, ProgressView& progress,
                                                         const std::string& dir) {
    std::vector<pim::ImportReport> reports;
    const std::optional<PimPart> part = SavedContacts(dir);
    if (!part) return reports;
    const std::string path = PathIn(dir, kContactsFile);
    const std::optional<std::string> bytes = IntactPart(dir, *part);
    if (!bytes) return Fail(kErrLocalData, Msg(kMsgBackupDamaged) + path);
    const pim::VCardImport cards = pim::ImportVCards(*bytes);

    pim::PimScope scope(ch);
    if (!scope.Opened()) return Fail(scope.Opened().error());
    auto stores = pim::PhonebookStores(ch, scope.Charset());
    if (!stores) return Fail(stores.error());
    // Each store's entries in the file's order, the stores as the file first names them; an
    // entry without one goes where an import would put it.
    const std::string fallback = pim::DefaultImportStore(*stores);
    std::vector<std::pair<std::string, std::vector<pim::Contact>>> byStore;
    for (const pim::Contact& c : cards.Contacts) {
        const std::string store = c.Store.empty() ? fallback : c.Store;
        auto it = std::find_if(byStore.begin(), byStore.end(),
                               [&](const auto& s) { return s.first == store; });
        if (it == byStore.end()) it = byStore.insert(byStore.end(), {store, {}});
        it->second.push_back(c);
    }
    for (const auto& group : byStore) {
        const std::string& store = group.first;
        const std::vector<pim::Contact>& entries = group.second;
        const bool offered = std::any_of(stores->begin(), stores->end(),
                                         [&](const pim::PhonebookStore& s) { return s.Name == store; });
        if (!offered) {
            pim::ImportReport refused;
            refused.Store = store;
            for (const pim::Contact& c : entries)
                refused.Entries.push_back(
                    {c, pim::ImportResult::Refused, Msg(kMsgNoSuchPhonebook) + store});
            reports.push_back(std::move(refused));
            continue;
        }
        pim::ImportOptions options;
        options.Progress = EntryProgress(progress, kMsgWritingContacts);
        reports.push_back(pim::ImportContacts(ch, scope.Charset(), store, entries, options));
        if (reports.back().Problem.Reason) return reports;
    }
    if (Status closed = scope.Close(); !closed) {
        if (reports.empty()) return Fail(closed.error());
        reports.back().Problem = closed.error();
    }
    return reports;
}

int ContactsNotRestored(const std::vector<pim::ImportReport>& reports) {
    int missing = 0;
    for (const pim::ImportReport& r : reports)
        for (const pim::ImportedEntry& e : r.Entries)
            missing += e.Result != pim::ImportResult::Written && e.Result != pim::ImportResult::Cut &&
                       e.Result != pim::ImportResult::Already;
    return missing;
}

}  // namespace q7k3
