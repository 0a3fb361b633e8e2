// contacts, messages: the phone's phonebook and its stored short messages from the command
// line, over the standard phonebook and message commands on the same link as the files.
#include <unistd.h>

#include <QDateTime>
#include <QTimeZone>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>

#include "app/cli/Cli.h"
#include "app/cli/CliLink.h"
#include "app/cli/CliSession.h"
#include "app/cli/Options.h"
#include "app/cli/Terminal.h"
#include "link/Connection.h"
#include "pim/Export.h"
#include "pim/GsmAlphabet.h"
#include "pim/MessageJoin.h"
#include "pim/Pdu.h"
#include "pim/PimMessages.h"
#include "pim/VCard.h"
#include "pim/phone/ContactImport.h"
#include "pim/phone/PimPhone.h"
#include "base/Messages.h"
#include "base/Text.h"

namespace q7k3::cli {
namespace {

using namespace q7k3::pim;

enum class Format { Human, Porcelain, Json };

Format FormatOf(const ParsedArgs& a) {
    if (a.Has("--json")) return Format::Json;
    if (a.Has("--porcelain")) return Format::Porcelain;
    return Format::Human;
}

struct Session : CliSession {
    // The failure of a phonebook or message exchange, said as every command says it.
    int Failed(const Failure& failure) { return PhoneError(failure); }
    // After a command the phone never answered: the link recovered as after any time-out.
    Status Recover() { return CliSession::Session().RecoverLink(); }
};

// "Контакты SM  40 из 250, осталось 0:12" on standard error while a store is read.
class EntryLine {
public:
    explicit EntryLine(std::string what)
        : m_what(std::move(what)),
          m_on(isatty(STDERR_FILENO) && CurrentVerbosity() != Verbosity::Quiet),
          m_start(std::chrono::steady_clock::now()) {}
    ~EntryLine() { Clear(); }
    void operator()(int done, int expected) {
        if (!m_on) return;
        const auto now = std::chrono::steady_clock::now();
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(now - m_start).count();
        std::string line = m_what + "  " + std::to_string(done);
        if (expected > 0) line += Msg(kMsgOf) + std::to_string(expected);
        if (done > 0 && expected > done && ms >= 500)
            line += Msg(kMsgTimeLeft) + MinutesText((expected - done) * ms / done / 1000);
        std::fprintf(stderr, "\r\033[K%s", line.c_str());
        std::fflush(stderr);
        m_drawn = true;
    }
    void Clear() {
        if (!m_drawn) return;
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
        m_drawn = false;
    }

private:
    std::string m_what;
    bool m_on;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_start;
};

// JSON array or lines, one record each.
class Records {
public:
    explicit Records(Format format) : m_format(format) {
        if (m_format == Format::Json) std::printf("[");
    }
    ~Records() {
        if (m_format == Format::Json) std::printf("%s]\n", m_count ? "\n" : "");
    }
    // Each field: its JSON name, its text, and whether it is a number in JSON.
    struct Field {
        const char* Name;
        std::string Text;
        bool Number = false;
    };
    void Add(const std::vector<Field>& fields) {
        std::string line;
        for (const Field& f : fields) {
            if (m_format == Format::Json) {
                line += std::string(line.empty() ? "{" : ",") + JsonString(f.Name) + ":" +
                        (f.Number ? (f.Text.empty() ? "null" : f.Text) : JsonString(f.Text));
            } else {
                if (!line.empty()) line += m_format == Format::Human ? "  " : "\t";
                line += Printable(f.Text, m_format == Format::Porcelain);
            }
        }
        if (m_format == Format::Json)
            std::printf("%s\n%s}", m_count ? "," : "", line.c_str());
        else
            std::printf("%s\n", line.c_str());
        ++m_count;
    }

private:
    Format m_format;
    int m_count = 0;
};

int CheckStore(const ParsedArgs& a, std::initializer_list<const char*> known) {
    if (!a.Has("--store")) return 0;
    for (const char* k : known)
        if (a.Value("--store") == k) return 0;
    return UsageError(a.positional.empty() ? "" : a.positional.front(),
                      Msg(kMsgCliBadStore) + a.Value("--store"));
}

// ---- contacts --------------------------------------------------------------------------

// Both stores (or the one --store names), read whole before anything is said or written: a
// listing cut half-way leaves nothing behind.
Expected<std::vector<Contact>> ReadAllContacts(Session& s, const PimCharset& cs,
                                               const ParsedArgs& a) {
    AtChannel& ch = s.link.Channel();
    std::vector<std::string> names;
    if (a.Has("--store")) {
        names.push_back(a.Value("--store"));
    } else {
        auto stores = PhonebookStores(ch, cs);
        if (!stores) return Fail(stores.error());
        for (const PhonebookStore& st : *stores) names.push_back(st.Name);
    }
    std::vector<Contact> all;
    for (const std::string& store : names) {
        EntryLine line(Msg(kMsgContactsFolder) + " " + store);
        auto got = ReadContacts(ch, cs, store, std::ref(line));
        line.Clear();
        if (!got) return Fail(got.error());
        all.insert(all.end(), got->begin(), got->end());
    }
    return all;
}

// An export never replaces a file unasked, and says so before the phone is read.
int RefuseExisting(const ParsedArgs& a, const std::string& path) {
    if (a.Has("--force") || !std::filesystem::exists(std::filesystem::symlink_status(path)))
        return kExitOk;
    return Fail(Msg(kMsgCliLocalExists) + Printable(path), kExitLocalFile);
}

// Where `messages export FILE` puts the rest: the PDUs as FILE's stem + ".pdu", the
// conversations in the folder FILE's stem + "-texts".
pim::MessageFiles MessageFilesFor(const std::string& file) {
    std::string stem = file;
    if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".xml") == 0)
        stem.resize(stem.size() - 4);
    return {file, stem + ".pdu", stem + "-texts"};
}

const char* ResultName(ImportResult r) {
    switch (r) {
        case ImportResult::Written: return "written";
        case ImportResult::Cut: return "cut";
        case ImportResult::Already: return "skipped";
        case ImportResult::Refused: return "refused";
        case ImportResult::Full: return "full";
        case ImportResult::Stopped: return "stopped";
        case ImportResult::Failed: return "failed";
    }
    return "failed";
}

// The same in the user's language, for a person's eyes.
int ResultText(ImportResult r) {
    switch (r) {
        case ImportResult::Written: return kMsgImportResultWritten;
        case ImportResult::Cut: return kMsgImportResultCut;
        case ImportResult::Already: return kMsgImportResultAlready;
        case ImportResult::Refused: return kMsgImportResultRefused;
        case ImportResult::Full: return kMsgImportResultFull;
        case ImportResult::Stopped: return kMsgImportResultStopped;
        case ImportResult::Failed: return kMsgImportResultFailed;
    }
    return kMsgImportResultFailed;
}

// contacts import FILE: the cards of FILE into free slots of one store. Every entry ends
// in the report (written, already there, refused and why, not written and why); the exit
// is 0 when each entry is on the phone now, 1 when some are not, 130 after Ctrl+C.
int ImportFile(Session& s, const ParsedArgs& a) {
    const std::string& path = a.positional[1];
    auto bytes = pim::ReadCardFile(path);
    if (!bytes) {
        const Failure& f = bytes.error();
        return Fail(f.Reason == kErrLocalFile ? Msg(kMsgCannotOpenFile) + Printable(path)
                                              : OneLine(f.Text),
                    kExitLocalFile);
    }
    const VCardImport cards = ImportVCards(*bytes);
    if (cards.Contacts.empty() && cards.Skipped.empty())
        return Fail(Msg(kMsgImportNoCards) + Printable(path), kExitBadInput);

    if (const int rc = s.Open()) return rc;
    AtChannel& ch = s.link.Channel();
    PimScope scope(ch);
    if (!scope.Opened()) return s.Failed(scope.Opened().error());
    std::string store = a.Value("--store");
    if (store.empty()) {
        auto stores = PhonebookStores(ch, scope.Charset());
        if (!stores) return s.Failed(stores.error());
        store = DefaultImportStore(*stores);
    }
    ImportReport report;
    {
        // Ctrl+C is heard between two entries: what was written stays, the rest is named.
        const WriteGuard writing;
        EntryLine line(Msg(kMsgWritingContacts) + store);
        ImportOptions options;
        options.Progress = std::ref(line);
        const bool cut = a.Has("--cut-names");
        options.CutNames = [cut](const Contact&, int) { return cut; };
        report = ImportContacts(ch, scope.Charset(), store, cards.Contacts, options);
        line.Clear();
    }
    // The cards that gave no entry go first, as the file has them.
    PrependSkippedCards(report, cards.Skipped);

    const Format format = FormatOf(a);
    const bool verbose = CurrentVerbosity() == Verbosity::Verbose;
    int missing = 0, tooLong = 0;
    {
        Records out(format);
        for (const ImportedEntry& e : report.Entries) {
            const bool ok = e.Result == ImportResult::Written || e.Result == ImportResult::Cut;
            missing += !ok && e.Result != ImportResult::Already;
            tooLong += NameTooLong(e);
            // Without -v a person sees the entries that want something done; a program all.
            const bool said = format != Format::Human || verbose ||
                              e.Result == ImportResult::Refused || e.Result == ImportResult::Failed;
            if (!said) continue;
            const std::string result =
                format == Format::Human ? Msg(ResultText(e.Result)) : ResultName(e.Result);
            out.Add({{"result", result}, {"store", ok ? e.Entry.Store : std::string()},
                     {"index", ok ? std::to_string(e.Entry.Index) : std::string(), true},
                     {"number", e.Entry.Number}, {"name", e.Entry.Name}, {"why", e.Why}});
        }
    }
    if (format == Format::Human) {
        std::printf("%s\n", Printable(ImportSummary(report)).c_str());
        if (const int full = report.Count(ImportResult::Full))
            std::printf("%s: %d\n", Msg(kMsgImportFull).c_str(), full);
        const int stopped = report.Count(ImportResult::Stopped);
        if (stopped && !report.Problem.Reason)
            std::printf("%s: %d\n", Msg(kMsgImportStopped).c_str(), stopped);
    }
    std::fflush(stdout);
    if (tooLong && !a.Has("--cut-names")) Fail(Msg(kMsgImportCutHint), kExitOk);
    if (report.Problem.Reason) return s.Failed(report.Problem);
    if (auto closed = scope.Close(); !closed) return s.Failed(closed.error());
    if (Interrupted()) return kExitInterrupted;
    return missing ? kExitPhoneFailed : kExitOk;
}

int RunContacts(const ParsedArgs& a) {
    Session s;
    if (const int rc = s.TakeOptions(a)) return rc;
    const std::string& verb = a.positional[0];
    if (!((verb == "ls" && a.positional.size() == 1) ||
          ((verb == "export" || verb == "import") && a.positional.size() == 2)))
        return UsageError("contacts", Msg(kMsgCliBadSubcommand) + verb);
    if (const int rc = CheckStore(a, {"SM", "ME"})) return rc;
    if (verb == "import") return ImportFile(s, a);
    if (verb == "export")
        if (const int rc = RefuseExisting(a, a.positional[1])) return rc;
    if (const int rc = s.Open()) return rc;
    PimScope scope(s.link.Channel());
    if (!scope.Opened()) return s.Failed(scope.Opened().error());
    auto all = ReadAllContacts(s, scope.Charset(), a);
    if (!all) return s.Failed(all.error());
    if (verb == "export") {
        if (Status written = pim::ExportContactsFile(a.positional[1], *all); !written)
            return s.Failed(written.error());
        if (CurrentVerbosity() == Verbosity::Verbose)
            std::fprintf(stderr, "%s%s\n", Msg(kMsgExportedTo).c_str(),
                         Printable(a.positional[1]).c_str());
    } else {
        Records out(FormatOf(a));
        for (const Contact& c : *all)
            out.Add({{"store", c.Store}, {"index", std::to_string(c.Index), true},
                     {"number", c.Number}, {"name", c.Name}});
    }
    if (auto closed = scope.Close(); !closed) return s.Failed(closed.error());
    return Interrupted() ? kExitInterrupted : kExitOk;
}

// ---- messages --------------------------------------------------------------------------

const char* StatName(MessageStat stat) {
    switch (stat) {
        case MessageStat::Unread: return "unread";
        case MessageStat::Read: return "read";
        case MessageStat::Unsent: return "unsent";
        case MessageStat::Sent: return "sent";
    }
    return "read";
}

// The sender's own clock time of a stamp, "2006-05-05T12:01:00+03:00".
std::string TimeText(const std::optional<SmsTime>& t) {
    if (!t) return {};
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(t->UtcMs, QTimeZone(t->ZoneMinutes * 60));
    return at.toString(Qt::ISODate).toStdString();
}

struct Decoded {
    StoredPdu Stored;
    std::optional<SmsPdu> Pdu;
    std::string Why;  // why it does not decode
};

std::vector<Decoded> DecodeAll(const std::vector<StoredPdu>& stored) {
    std::vector<Decoded> out;
    for (const StoredPdu& p : stored) {
        auto pdu = DecodePdu(p.Hex);
        out.push_back({p, pdu ? std::optional<SmsPdu>(*pdu) : std::nullopt,
                       pdu ? std::string() : pdu.error().Text});
    }
    return out;
}

std::string TextOf(const Decoded& d) {
    if (!d.Pdu) return Msg(kMsgPduUndecoded) + d.Why;
    if (d.Pdu->Kind == PduKind::StatusReport) {
        const ReportOutcome o = OutcomeOf(d.Pdu->Status);
        return Msg(o == ReportOutcome::Delivered ? kMsgReportDelivered
                   : o == ReportOutcome::Pending ? kMsgReportPending
                                                 : kMsgReportFailed);
    }
    if (!d.Pdu->Data.empty() && d.Pdu->Text.empty())
        return Msg(kMsgPduBinary) + std::to_string(d.Pdu->Data.size());
    return d.Pdu->Text;
}

std::string PartText(const Decoded& d) {
    if (!d.Pdu || !d.Pdu->Part) return {};
    return std::to_string(d.Pdu->Part->Sequence) + "/" + std::to_string(d.Pdu->Part->Total);
}

// The whole text of the message `d` is a part of: its parts in order, whatever order the
// phone keeps them in, and the parts that never came named.
std::string WholeText(const Decoded& d, const std::vector<StoredPdu>& stored) {
    if (!d.Pdu || !d.Pdu->Part) return TextOf(d);
    for (const SmsMessage& m : JoinMessages(stored)) {
        if (std::find(m.Raw.begin(), m.Raw.end(), d.Stored) == m.Raw.end()) continue;
        const std::string note = MissingPartsNote(m);
        return note.empty() ? m.Text : m.Text + "\n(" + note + ")";
    }
    return TextOf(d);
}

Expected<std::vector<StoredPdu>> ReadStores(Session& s, const PimCharset& cs,
                                            const std::vector<std::string>& stores) {
    AtChannel& ch = s.link.Channel();
    ReadOptions options;
    options.Recover = [&s]() { return s.Recover(); };
    std::vector<StoredPdu> all;
    for (const std::string& store : stores) {
        EntryLine line(Msg(kMsgMessagesFolder) + " " + store);
        auto got = ReadMessages(ch, cs, store, std::ref(line), options);
        line.Clear();
        if (!got) return Fail(got.error());
        all.insert(all.end(), got->begin(), got->end());
    }
    return all;
}

int RunMessages(const ParsedArgs& a) {
    Session s;
    if (const int rc = s.TakeOptions(a)) return rc;
    const std::string& verb = a.positional[0];
    if (verb != "ls" && verb != "show" && verb != "export")
        return UsageError("messages", Msg(kMsgCliBadSubcommand) + verb);
    if ((verb != "ls") != (a.positional.size() == 2))
        return UsageError("messages", Msg(kMsgCliBadSubcommand) + verb);
    if (verb == "export") {
        const pim::MessageFiles files = MessageFilesFor(a.positional[1]);
        for (const std::string& path : {files.Xml, files.Pdus})
            if (const int rc = RefuseExisting(a, path)) return rc;
    }
    int index = 0;
    if (verb == "show") {
        const std::string& n = a.positional[1];
        if (n.empty() || n.size() > 6 || n.find_first_not_of("0123456789") != std::string::npos)
            return UsageError("messages", Msg(kMsgCliBadIndex) + n);
        index = std::stoi(n);
    }
    if (const int rc = CheckStore(a, {"ME", "SM", "SR"})) return rc;
    if (const int rc = s.Open()) return rc;
    AtChannel& ch = s.link.Channel();
    PimScope scope(ch);
    if (!scope.Opened()) return s.Failed(scope.Opened().error());
    const PimCharset& cs = scope.Charset();

    std::vector<std::string> stores;
    if (a.Has("--store")) {
        stores.push_back(a.Value("--store"));
    } else if (verb == "show") {
        stores.push_back("ME");
    } else {
        auto offered = MessageStores(ch, cs);
        if (!offered) return s.Failed(offered.error());
        for (const MessageStore& m : *offered) stores.push_back(m.Name);
    }
    auto stored = ReadStores(s, cs, stores);
    if (!stored) return s.Failed(stored.error());
    const std::vector<Decoded> all = DecodeAll(*stored);

    if (verb == "export") {
        const std::vector<pim::SmsMessage> messages = pim::JoinMessages(*stored);
        const pim::MessageFiles files = MessageFilesFor(a.positional[1]);
        // The senders' names from the phonebook, where the phone gives it: a store it will
        // not read leaves its names out, only a failing link ends the export.
        std::vector<Contact> contacts;
        if (auto books = PhonebookStores(ch, cs); books) {
            for (const PhonebookStore& book : *books) {
                auto read = ReadContacts(ch, cs, book.Name);
                if (read) {
                    contacts.insert(contacts.end(), read->begin(), read->end());
                } else if (NeedsLinkRecovery(read.error().Reason)) {
                    return s.Failed(read.error());
                }
            }
        } else if (NeedsLinkRecovery(books.error().Reason)) {
            return s.Failed(books.error());
        }
        if (Status written = pim::ExportMessageFiles(files, messages, pim::NamesByNumber(contacts),
                                                     QDateTime::currentMSecsSinceEpoch());
            !written)
            return s.Failed(written.error());
        if (CurrentVerbosity() == Verbosity::Verbose)
            std::fprintf(stderr, "%s%s\n", Msg(kMsgExportedTo).c_str(), Printable(files.Xml).c_str());
    } else if (verb == "show") {
        const auto it = std::find_if(all.begin(), all.end(),
                                     [&](const Decoded& d) { return d.Stored.Index == index; });
        if (it == all.end()) return Fail(Msg(kMsgNoSuchMessage) + std::to_string(index));
        const Decoded& d = *it;
        const Format format = FormatOf(a);
        const std::string text = WholeText(d, *stored);
        if (format == Format::Human) {
            std::printf("%s %d  %s\n", d.Stored.Store.c_str(), d.Stored.Index, StatName(d.Stored.Stat));
            if (d.Pdu) {
                std::printf("%s\n", Printable(d.Pdu->Address).c_str());
                if (d.Pdu->Time) std::printf("%s\n", TimeText(d.Pdu->Time).c_str());
            }
            // The text as it is: its own line ends stay, control bytes are shown escaped.
            QString shown = QString::fromStdString(Printable(text));
            shown.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
            std::printf("\n%s\n", shown.toStdString().c_str());
        } else {
            Records out(format);
            out.Add({{"store", d.Stored.Store}, {"index", std::to_string(d.Stored.Index), true},
                     {"stat", StatName(d.Stored.Stat)},
                     {"address", d.Pdu ? d.Pdu->Address : std::string()},
                     {"date", d.Pdu ? TimeText(d.Pdu->Time) : std::string()}, {"text", text}});
        }
    } else {
        Records out(FormatOf(a));
        for (const Decoded& d : all) {
            std::string text = TextOf(d);
            if (FormatOf(a) == Format::Human) {
                // The first words, on one line.
                std::replace(text.begin(), text.end(), '\n', ' ');
                const auto points = DecodeUtf8(text);
                if (points.size() > 40) {
                    std::string cut;
                    for (size_t i = 0; i < 40; ++i) AppendUtf8(cut, points[i]);
                    text = cut + "…";
                }
            }
            out.Add({{"store", d.Stored.Store}, {"index", std::to_string(d.Stored.Index), true},
                     {"stat", StatName(d.Stored.Stat)},
                     {"address", d.Pdu ? d.Pdu->Address : std::string()},
                     {"date", d.Pdu ? TimeText(d.Pdu->Time) : std::string()},
                     {"part", PartText(d)}, {"text", text}});
        }
    }
    if (auto closed = scope.Close(); !closed) return s.Failed(closed.error());
    return Interrupted() ? kExitInterrupted : kExitOk;
}

// ---- the option tables -----------------------------------------------------------------

std::vector<OptionSpec> PimOptions() {
    std::vector<OptionSpec> all(LinkOptionSpecs().begin(), LinkOptionSpecs().end());
    all.push_back({"--store", "SM|ME|SR", QT_TRANSLATE_NOOP("Cli", "только эта память телефона")});
    all.push_back({"--porcelain", nullptr, QT_TRANSLATE_NOOP("Cli", "для программ: поля через табуляцию, запись на строку")});
    all.push_back({"--json", nullptr, QT_TRANSLATE_NOOP("Cli", "массив JSON, запись — объект")});
    all.push_back({"--force", nullptr, QT_TRANSLATE_NOOP("Cli", "export заменяет файлы, которые уже есть")});
    return all;
}
const std::vector<OptionSpec> kPimOptions = PimOptions();
std::vector<OptionSpec> ContactsOptions() {
    std::vector<OptionSpec> all = PimOptions();
    all.push_back({"--cut-names", nullptr, QT_TRANSLATE_NOOP("Cli", "import укорачивает имена, длиннее чем берёт память")});
    return all;
}
const std::vector<OptionSpec> kContactsOptions = ContactsOptions();

const CommandSyntax kContactsSpec{"contacts",
    QT_TRANSLATE_NOOP("Cli", "contacts [ПАРАМЕТРЫ] ls | export ФАЙЛ | import ФАЙЛ"),
    QT_TRANSLATE_NOOP("Cli",
        "Печатает записи телефонной книги: память (SM — SIM-карта, ME — телефон),\n"
        "ячейку, номер и имя. Без --store — обе памяти. export ФАЙЛ записывает их\n"
        "в ФАЙЛ как vCard 3.0 (UTF-8), целиком или никак. import ФАЙЛ записывает\n"
        "карточки vCard 2.1 и 3.0 из ФАЙЛА в свободные ячейки памяти ME (или --store),\n"
        "по записи на номер; записи, которые уже есть, пропускает, ничего не заменяет."),
    kContactsOptions, 1, 2};
const CommandSyntax kMessagesSpec{"messages",
    QT_TRANSLATE_NOOP("Cli", "messages [ПАРАМЕТРЫ] ls | show N | export ФАЙЛ.xml"),
    QT_TRANSLATE_NOOP("Cli",
        "ls печатает сообщения всех памятей телефона: память, ячейку, состояние,\n"
        "адрес, время, часть и первые слова. show N показывает сообщение из ячейки N\n"
        "(память ME, если не задана --store) целиком, с остальными его частями.\n"
        "export ФАЙЛ.xml записывает их как XML резервной копии SMS для Android, рядом\n"
        "ФАЙЛ.pdu (PDU как есть) и папку ФАЙЛ-texts с перепиской по адресам."),
    kPimOptions, 1, 2};

const CliCommand kContacts{kContactsSpec, Entry<kContactsSpec, RunContacts>};
const CliCommand kMessages{kMessagesSpec, Entry<kMessagesSpec, RunMessages>};

}  // namespace
}  // namespace q7k3::cli
