#include "pim/phone/PimPhone.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "pim/GsmAlphabet.h"
#include "pim/PduEncoder.h"
#include "base/Messages.h"

namespace q7k3::pim {

namespace {

constexpr int kCommandMs = 5000;
// The most one entry of a listing may take on the line: a UCS-2 name of 20 characters, a
// number of 40 digits, a message of 176 octets in hex, with their frames.
constexpr size_t kContactBytes = 256;
constexpr size_t kMessageBytes = 400;

std::string Trimmed(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

// A "+CMS ERROR: " line, the message commands' refusal: its code, or -1 for another line.
int CmsCode(const std::string& line) {
    static constexpr std::string_view kCms = "+CMS ERROR: ";
    const size_t at = line.find(kCms);
    if (at == std::string::npos) return -1;
    int code = 0;
    const char* from = line.data() + at + kCms.size();
    const auto [end, ec] = std::from_chars(from, line.data() + line.size(), code);
    return ec == std::errc() && end != from ? code : 0;
}

int CmeCode(const std::string& line) {
    const size_t at = line.find(kCme);
    if (at == std::string::npos) return -1;
    int code = 0;
    const char* from = line.data() + at + kCme.size();
    const auto [end, ec] = std::from_chars(from, line.data() + line.size(), code);
    return ec == std::errc() && end != from ? code : 0;
}

// What one command answered: the lines that begin with its prefix (without CR LF), and for
// the message commands the line after each (the PDU).
struct Answer {
    std::vector<std::string> Lines;
    std::vector<std::string> Pdus;
    std::vector<std::string> Texts;  // text mode: the lines after each prefixed one, joined
    int Code = -1;  // the +CME/+CMS code of a refusal that `empty` let through
};

struct Ask {
    Ask(std::string text, std::string prefix = {}, bool withPdu = false)
        : Text(std::move(text)), Prefix(std::move(prefix)), WithPdu(withPdu) {}
    std::string Text;
    std::string Prefix;           // "+CPBR: "
    bool WithPdu = false;         // each prefixed line is followed by a PDU line
    bool WithText = false;        // each is followed by text lines, up to the next or the end
    std::vector<int> EmptyCodes;  // refusals that mean "nothing there" rather than a failure
    int FirstMs = kCommandMs;
    size_t AnswerBytes = 1024;
    int* Seen = nullptr;  // counts the prefixed lines, also of an exchange that fails
};

Expected<Answer> Exchange(AtChannel& ch, const Ask& ask) {
    Answer answer;
    bool pduNext = false;
    int textLines = 0;
    int emptyLines = 0;  // held back until a text line follows them
    CommandSpec spec;
    spec.text = ask.Text + "\r";
    spec.firstTimeoutMs = ask.FirstMs;
    spec.answerBytes = ask.AnswerBytes;
    spec.onLine = [&](const std::string& raw) {
        const std::string line = Trimmed(raw);
        if (pduNext && !line.empty()) {
            answer.Pdus.push_back(line);
            pduNext = false;
            return LineAction::Skip;
        }
        if (!ask.Prefix.empty() && line.starts_with(ask.Prefix)) {
            answer.Lines.push_back(line.substr(ask.Prefix.size()));
            if (ask.WithText) answer.Texts.emplace_back();
            if (ask.Seen) ++*ask.Seen;
            pduNext = ask.WithPdu;
            textLines = 0;
            emptyLines = 0;
            return LineAction::Skip;
        }
        const bool result = line == "OK" || line == "ERROR" || line.starts_with("+CME ERROR") ||
                            line.starts_with("+CMS ERROR");
        if (ask.WithText && !answer.Texts.empty() && !result) {
            // A text's own line breaks reach us as lines of their own; the empty line some
            // phones put before the result is none of it.
            if (line.empty()) {
                ++emptyLines;
                return LineAction::Skip;
            }
            if (textLines++ > 0) ++emptyLines;
            answer.Texts.back() += std::string(static_cast<size_t>(emptyLines), '\n') + line;
            emptyLines = 0;
            return LineAction::Skip;
        }
        const int cme = CmeCode(line);
        const int cms = CmsCode(line);
        const int code = cme >= 0 ? cme : cms;
        if (code >= 0 &&
            std::find(ask.EmptyCodes.begin(), ask.EmptyCodes.end(), code) != ask.EmptyCodes.end()) {
            answer.Code = code;
            return LineAction::Success;
        }
        if (cms >= 0) {
            return ch.Refuse({kErrText, Msg(kMsgErrorCaption) + ": " + line});
        }
        return LineAction::Standard;
    };
    if (auto run = ch.RunCommand(spec); !run) return Fail(run.error());
    if (pduNext) return Fail(kErrBadAnswer);
    return answer;
}

Status Simple(AtChannel& ch, const std::string& text) {
    auto answer = Exchange(ch, Ask{text});
    if (!answer) return Fail(answer.error());
    return {};
}

// Splits "a,\"b,c\",d" into its fields, quotes removed.
std::vector<std::string> Fields(std::string_view s) {
    std::vector<std::string> out;
    std::string field;
    bool quoted = false;
    for (char c : s) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            out.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    out.push_back(field);
    return out;
}

std::optional<int> Int(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    int v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end == s.data()) return std::nullopt;
    return v;
}

// The names inside a "(...)" list: ("SM","ME") or ("GSM","UCS2").
std::vector<std::string> Names(std::string_view s) {
    const size_t open = s.find('(');
    const size_t close = s.find(')', open == std::string_view::npos ? 0 : open);
    if (open == std::string_view::npos || close == std::string_view::npos) return {};
    std::vector<std::string> out;
    for (std::string& f : Fields(s.substr(open + 1, close - open - 1)))
        if (!f.empty()) out.push_back(f);
    return out;
}

std::optional<Charset> SetOf(const PimCharset& cs) {
    return CharsetFromName(cs.Used);
}

// A quoted argument as the phone wants it.
std::string Arg(const PimCharset& cs, const std::string& text) {
    if (cs.HexArguments) return "\"" + Utf8ToUcs2Hex(text) + "\"";
    return "\"" + text + "\"";
}

// A text the phone sent in the set in use as UTF-8; nothing when it does not read.
std::optional<std::string> Decoded(const PimCharset& cs, const std::string& text) {
    const auto set = SetOf(cs);
    if (!set) return text;
    return DecodeCharset(*set, text);
}

// A store name the phone gives back, plain or, under the quirk, in hex.
std::string StoreName(const PimCharset& cs, const std::string& name) {
    if (!cs.HexArguments) return name;
    return Ucs2HexToUtf8(name).value_or(name);
}

Unexpected Refused(const Failure& f, int text) {
    // A phone that has no such commands says ERROR (or a +CME code of its own): say what
    // that means rather than the bare refusal.
    if (f.Reason == kErrRefused || f.Reason == kErrText) return Fail(kErrText, Msg(text));
    return Fail(f);
}

bool Aborted(AtChannel& ch) {
    return (ch.AbortFlag && ch.AbortFlag->load()) || (ch.Stop && ch.Stop->Raised());
}

}  // namespace

Expected<PimCharset> OpenPim(AtChannel& ch) {
    auto offered = Exchange(ch, Ask{"AT+CSCS=?", "+CSCS: "});
    if (!offered) return Refused(offered.error(), kMsgNoPimCommands);
    auto current = Exchange(ch, Ask{"AT+CSCS?", "+CSCS: "});
    if (!current) return Refused(current.error(), kMsgNoPimCommands);
    PimCharset cs;
    if (!current->Lines.empty()) {
        const std::vector<std::string> f = Fields(current->Lines.front());
        cs.Found = f.empty() ? std::string() : f.front();
        // A phone that names its set in hex wants every quoted argument so.
        if (!CharsetFromName(cs.Found)) {
            if (const auto plain = Ucs2HexToUtf8(cs.Found); plain && CharsetFromName(*plain)) {
                cs.Found = *plain;
                cs.HexArguments = true;
            }
        }
    }
    const std::vector<std::string> sets = offered->Lines.empty() ? std::vector<std::string>{}
                                                                 : Names(offered->Lines.front());
    for (const char* wanted : {"UCS2", "GSM", "8859-1", "IRA"}) {
        if (std::find(sets.begin(), sets.end(), wanted) == sets.end()) continue;
        cs.Used = wanted;
        if (cs.Used == cs.Found) return cs;
        // Switching sets: the quoted name goes as the set now in use wants it.
        const bool hexNow = cs.HexArguments && cs.Found == "UCS2";
        const std::string arg = hexNow ? "\"" + Utf8ToUcs2Hex(wanted) + "\"" : "\"" + cs.Used + "\"";
        if (auto set = Simple(ch, "AT+CSCS=" + arg); !set) {
            if (set.error().Reason != kErrRefused && set.error().Reason != kErrText)
                return Fail(set.error());
            continue;
        }
        if (cs.Used == "UCS2" && !cs.HexArguments) {
            // The quirk shows once the set is UCS2: the phone names it in hex then.
            auto now = Exchange(ch, Ask{"AT+CSCS?", "+CSCS: "});
            if (!now) return Fail(now.error());
            if (!now->Lines.empty()) {
                const std::vector<std::string> f = Fields(now->Lines.front());
                cs.HexArguments = !f.empty() && f.front() != "UCS2" &&
                                  Ucs2HexToUtf8(f.front()).value_or("") == "UCS2";
            }
        } else if (cs.Used != "UCS2") {
            cs.HexArguments = false;
        }
        return cs;
    }
    return Fail(kErrText, Msg(kMsgNoPimCharset));
}

Status ClosePim(AtChannel& ch, const PimCharset& cs) {
    if (cs.Found.empty() || cs.Found == cs.Used) return {};
    return Simple(ch, "AT+CSCS=" + Arg(cs, cs.Found));
}

PimScope::PimScope(AtChannel& ch) : m_ch(ch) {
    auto opened = OpenPim(ch);
    if (opened) {
        m_charset = *opened;
        m_open = true;
    } else {
        m_opened = Fail(opened.error());
    }
}

PimScope::~PimScope() {
    (void)Close();
}

Status PimScope::Close() {
    if (!m_open) return {};
    m_open = false;
    return ClosePim(m_ch, m_charset);
}

Expected<PhonebookStore> SelectPhonebook(AtChannel& ch, const PimCharset& cs,
                                         const std::string& store) {
    if (auto set = Simple(ch, "AT+CPBS=" + Arg(cs, store)); !set)
        return Refused(set.error(), kMsgNoContacts);
    PhonebookStore room;
    room.Name = store;
    auto fill = Exchange(ch, Ask{"AT+CPBS?", "+CPBS: "});
    if (!fill) return Fail(fill.error());
    if (!fill->Lines.empty()) {
        const std::vector<std::string> f = Fields(fill->Lines.front());
        if (f.size() >= 3) {
            room.Used = Int(f[1]).value_or(-1);
            room.Total = Int(f[2]).value_or(-1);
        }
    }
    auto range = Exchange(ch, Ask{"AT+CPBR=?", "+CPBR: "});
    if (!range) return Refused(range.error(), kMsgNoContacts);
    if (range->Lines.empty()) return Fail(kErrBadAnswer);
    // (first-last),number length,name length
    const std::string& r = range->Lines.front();
    const size_t open = r.find('('), dash = r.find('-'), close = r.find(')');
    if (open == std::string::npos || dash == std::string::npos || close == std::string::npos ||
        !(open < dash && dash < close))
        return Fail(kErrBadAnswer);
    const auto first = Int(r.substr(open + 1, dash - open - 1));
    const auto last = Int(r.substr(dash + 1, close - dash - 1));
    if (!first || !last || *first < 0 || *last < *first) return Fail(kErrBadAnswer);
    room.First = *first;
    room.Last = *last;
    const std::vector<std::string> lengths = Fields(r.substr(close + 1));
    if (lengths.size() >= 3) {
        room.NumberLength = Int(lengths[1]).value_or(0);
        room.NameLength = Int(lengths[2]).value_or(0);
    }
    return room;
}

Expected<std::vector<PhonebookStore>> PhonebookStores(AtChannel& ch, const PimCharset& cs) {
    std::vector<std::string> names;
    auto offered = Exchange(ch, Ask{"AT+CPBS=?", "+CPBS: "});
    if (offered && !offered->Lines.empty()) {
        for (const std::string& n : Names(offered->Lines.front())) names.push_back(StoreName(cs, n));
    } else if (!offered && offered.error().Reason != kErrRefused &&
               offered.error().Reason != kErrText) {
        return Fail(offered.error());
    }
    // Some phones refuse the question, not the stores: try the two every phone has.
    if (names.empty()) names = {"SM", "ME"};
    std::vector<PhonebookStore> stores;
    for (const std::string& name : names) {
        if (name != "SM" && name != "ME") continue;  // the call lists and the like
        auto room = SelectPhonebook(ch, cs, name);
        if (room) {
            stores.push_back(*room);
        } else if (room.error().Reason != kErrText) {
            return Fail(room.error());
        }
    }
    if (stores.empty()) return Fail(kErrText, Msg(kMsgNoContacts));
    return stores;
}

namespace {

// One "+CPBR: " line (without its prefix) as a contact; nothing when it does not read.
std::optional<Contact> ContactOf(const PimCharset& cs, const std::string& store,
                                 const std::string& line) {
    // index,"number",type,"text"[,more]: the text may hold commas, so take it between the
    // third field's end and its closing quote.
    const std::vector<std::string> f = Fields(line);
    if (f.size() < 4) return std::nullopt;
    Contact c;
    c.Store = store;
    const auto index = Int(f[0]);
    const auto type = Int(f[2]);
    if (!index || !type) return std::nullopt;
    c.Index = *index;
    c.Type = *type;
    c.Number = f[1];
    if (c.Type == 145 && !c.Number.starts_with('+')) c.Number.insert(0, "+");
    const auto name = Decoded(cs, f[3]);
    if (!name) return std::nullopt;
    c.Name = *name;
    return c;
}

}  // namespace

Expected<std::vector<Contact>> ReadContacts(AtChannel& ch, const PimCharset& cs,
                                            const std::string& store, const PimProgress& progress,
                                            const ReadOptions& options) {
    auto room = SelectPhonebook(ch, cs, store);
    if (!room) return Fail(room.error());
    const int expected = room->Used >= 0 ? room->Used : 0;
    std::vector<Contact> contacts;
    const int step = std::max(1, options.Step);
    bool oneByOne = step == 1;
    if (progress) progress(0, expected);
    for (int first = room->First; first <= room->Last;) {
        if (room->Used >= 0 && static_cast<int>(contacts.size()) >= room->Used) break;
        if (Aborted(ch)) return Fail(kErrAborted);
        const int last = oneByOne ? first : std::min(room->Last, first + step - 1);
        Ask ask{"AT+CPBR=" + std::to_string(first) +
                    (last > first ? "," + std::to_string(last) : std::string()),
                "+CPBR: "};
        ask.EmptyCodes = {22, 100};
        ask.AnswerBytes = kContactBytes * static_cast<size_t>(last - first + 1) + 256;
        int seen = 0;
        ask.Seen = &seen;
        auto answer = Exchange(ch, ask);
        if (!answer) {
            const Failure& f = answer.error();
            // A phone that will not list ranges this long: one slot per command from here.
            if (!oneByOne && last > first && (f.Reason == kErrRefused || f.Reason == kErrText)) {
                oneByOne = true;
                continue;
            }
            if (f.Reason == kErrTimeout && seen > 0) return Fail(kErrText, Msg(kMsgListingCut));
            return Fail(f);
        }
        for (const std::string& line : answer->Lines) {
            auto c = ContactOf(cs, store, line);
            if (!c) return Fail(kErrBadAnswer);
            if (c->Index < first || c->Index > last) continue;
            contacts.push_back(std::move(*c));
        }
        if (progress) progress(static_cast<int>(contacts.size()), expected);
        first = last + 1;
    }
    return contacts;
}

int NameLimit(const PhonebookStore& store) {
    return store.NameLength;
}

Expected<int> WriteContact(AtChannel& ch, const PimCharset& cs, const Contact& contact) {
    auto room = SelectPhonebook(ch, cs, contact.Store);
    if (!room) return Fail(room.error());
    const auto set = SetOf(cs);
    const std::string number = contact.Number;
    if (number.empty() || number.find_first_not_of("+0123456789*#pw") != std::string::npos)
        return Fail(kErrBadName, Msg(kMsgBadNumber) + number);
    if (room->NumberLength > 0 && static_cast<int>(number.size()) > room->NumberLength)
        return Fail(kErrBadName, Msg(kMsgNumberTooLong) + number);
    const int length = static_cast<int>(DecodeUtf8(contact.Name).size());
    if (room->NameLength > 0 && length > room->NameLength)
        return Fail(kErrBadName, Msg(kMsgContactNameTooLong) + std::to_string(room->NameLength) +
                                     ": " + contact.Name);
    // A control character has no place in a name, and under a set sent byte for byte a CR
    // would end the command early and leave the rest of the name to run as one of its own.
    const std::vector<char32_t> points = DecodeUtf8(contact.Name);
    if (std::any_of(points.begin(), points.end(),
                    [](char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }))
        return Fail(kErrBadName, Msg(kMsgNameNotInCharset) + contact.Name);
    const Encoded name = set ? EncodeCharset(*set, contact.Name) : Encoded{contact.Name, {}};
    if (!name.Whole() || (*set != Charset::Ucs2 && name.Bytes.find('"') != std::string::npos))
        return Fail(kErrBadName, Msg(kMsgNameNotInCharset) + contact.Name);
    int index = contact.Index;
    if (index != 0) {
        // Only a slot a read shows empty is written: the phone would overwrite a taken one.
        if (index < room->First || index > room->Last)
            return Fail(kErrRefused, Msg(kMsgSlotTaken) + std::to_string(index));
        Ask ask{"AT+CPBR=" + std::to_string(index), "+CPBR: "};
        ask.EmptyCodes = {22, 100};
        auto there = Exchange(ch, ask);
        if (!there) return Fail(there.error());
        if (!there->Lines.empty()) return Fail(kErrRefused, Msg(kMsgSlotTaken) + std::to_string(index));
    } else if (room->Used >= 0 && room->Total >= 0 && room->Used >= room->Total) {
        return Fail(kErrPhoneMemoryFull);
    }
    const int type = number.starts_with('+') ? 145 : 129;
    const std::string digits = type == 145 ? number.substr(1) : number;
    // The name goes in the set in use (UCS2: as hex already), the number plain or, under the
    // quirk, in hex.
    const std::string text = "AT+CPBW=" + (index ? std::to_string(index) : std::string()) + "," +
                             Arg(cs, digits) + "," + std::to_string(type) + ",\"" + name.Bytes + "\"";
    if (auto written = Exchange(ch, Ask{text}); !written) {
        const Failure& f = written.error();
        if (f.Reason == kErrText && ContainsText(f.Text, "+CME ERROR: 20"))
            return Fail(kErrPhoneMemoryFull);
        return Fail(f);
    }
    if (index != 0) return index;
    // Which slot the phone chose: the first that holds the entry now.
    auto after = ReadContacts(ch, cs, contact.Store);
    if (!after) return Fail(after.error());
    int found = 0;
    for (const Contact& c : *after)
        if (c.Name == contact.Name && (c.Number == number || c.Number == digits)) found = c.Index;
    return found;
}

bool SlotTaken(const Failure& failure) {
    return failure.Reason == kErrRefused && failure.Text.starts_with(Msg(kMsgSlotTaken));
}

Status EraseContact(AtChannel& ch, const PimCharset& cs, const std::string& store, int index) {
    if (auto room = SelectPhonebook(ch, cs, store); !room) return Fail(room.error());
    return Simple(ch, "AT+CPBW=" + std::to_string(index));
}

namespace {

// PDU mode where the phone has it; text mode (`*text`) where it refuses PDU mode.
Status SelectMessageStore(AtChannel& ch, const PimCharset& cs, const std::string& store,
                          int* used = nullptr, int* total = nullptr, bool* text = nullptr) {
    auto set = Exchange(ch, Ask{"AT+CPMS=" + Arg(cs, store), "+CPMS: "});
    if (!set) return Refused(set.error(), kMsgNoMessages);
    if (!set->Lines.empty()) {
        const std::vector<std::string> f = Fields(set->Lines.front());
        if (used && !f.empty()) *used = Int(f[0]).value_or(-1);
        if (total && f.size() > 1) *total = Int(f[1]).value_or(-1);
    }
    if (text) *text = false;
    auto pdu = Simple(ch, "AT+CMGF=0");
    if (pdu) return {};
    if (pdu.error().Reason != kErrRefused && pdu.error().Reason != kErrText)
        return Fail(pdu.error());
    // Some phones speak of their messages in text mode only.
    if (auto plain = Simple(ch, "AT+CMGF=1"); !plain || !text)
        return Refused(pdu.error(), kMsgNoMessages);
    *text = true;
    return {};
}

std::optional<MessageStat> TextStatOf(const PimCharset& cs, const std::string& s) {
    static const char* const kStats[] = {"REC UNREAD", "REC READ", "STO UNSENT", "STO SENT"};
    for (const std::string& name : {s, StoreName(cs, s)})
        for (int i = 0; i < 4; ++i)
            if (name == kStats[i]) return static_cast<MessageStat>(i);
    return std::nullopt;
}

// A text the phone sent in the set in use; as it came where it does not read so (a
// phone that gives addresses plain under UCS2).
std::string TextOf(const PimCharset& cs, const std::string& text) {
    return Decoded(cs, text).value_or(text);
}

// One message as text mode shows it: the fields after the index (stat, address, alpha,
// time; a status report: stat, fo, mr, address, type, time, discharge, status) and its
// text. Text mode gives no PDU: it is built here from what was shown, so that the rest
// of the program reads it as any other, and marked so.
Expected<std::vector<StoredPdu>> FromTextMode(const PimCharset& cs, const std::string& store,
                                              int index, const std::vector<std::string>& f,
                                              const std::string& text) {
    if (f.size() < 2) return Fail(kErrBadAnswer);
    const auto stat = TextStatOf(cs, f[0]);
    if (!stat) return Fail(kErrBadAnswer);
    Envelope e;
    std::vector<std::string> hex;
    if (f.size() >= 8 && Int(f[1])) {
        const auto reference = Int(f[2]);
        const auto status = Int(f[7]);
        const auto time = ParseTextTime(f[5]);
        const auto discharge = ParseTextTime(f[6]);
        if (!reference || !status || !time || !discharge) return Fail(kErrBadAnswer);
        e.Address = TextOf(cs, f[3]);
        e.MessageReference = *reference;
        e.Time = *time;
        auto report = EncodeStatusReport(e, *status, *discharge);
        if (!report) return Fail(kErrBadAnswer);
        hex.push_back(*report);
    } else {
        e.Address = TextOf(cs, f[1]);
        if (f.size() >= 4 && !f[3].empty()) {
            // Some phones give the time without its zone: taken as it is, at no offset.
            const auto time = ParseTextTime(f[3].size() == 17 ? f[3] + "+00" : f[3]);
            if (!time) return Fail(kErrBadAnswer);
            e.Time = *time;
        }
        // The parts built of one long text are told from another's by the slot.
        e.ConcatReference = index;
        e.WideReference = index > 0xFF;
        const bool sent = *stat == MessageStat::Unsent || *stat == MessageStat::Sent;
        auto built = sent ? EncodeSubmit(e, TextOf(cs, text)) : EncodeDeliver(e, TextOf(cs, text));
        if (!built) return Fail(kErrBadAnswer);
        hex = *built;
    }
    std::vector<StoredPdu> out;
    for (const std::string& h : hex) out.push_back({store, index, *stat, h, true});
    return out;
}

std::optional<MessageStat> StatOf(const std::string& s) {
    const auto v = Int(s);
    if (!v || *v < 0 || *v > 3) return std::nullopt;
    return static_cast<MessageStat>(*v);
}

bool IsHex(const std::string& s) {
    return !s.empty() && s.size() % 2 == 0 &&
           s.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos;
}

}  // namespace

Expected<std::vector<MessageStore>> MessageStores(AtChannel& ch, const PimCharset& cs) {
    auto offered = Exchange(ch, Ask{"AT+CPMS=?", "+CPMS: "});
    if (!offered) return Refused(offered.error(), kMsgNoMessages);
    std::vector<std::string> names;
    if (!offered->Lines.empty())
        for (const std::string& n : Names(offered->Lines.front())) names.push_back(StoreName(cs, n));
    std::vector<MessageStore> stores;
    for (const std::string& name : names) {
        MessageStore s;
        s.Name = name;
        auto set = Exchange(ch, Ask{"AT+CPMS=" + Arg(cs, name), "+CPMS: "});
        if (!set) {
            if (set.error().Reason == kErrText || set.error().Reason == kErrRefused) continue;
            return Fail(set.error());
        }
        if (!set->Lines.empty()) {
            const std::vector<std::string> f = Fields(set->Lines.front());
            if (f.size() >= 2) {
                s.Used = Int(f[0]).value_or(-1);
                s.Total = Int(f[1]).value_or(-1);
            }
        }
        stores.push_back(s);
    }
    if (stores.empty()) return Fail(kErrText, Msg(kMsgNoMessages));
    return stores;
}

Expected<StoredPdu> ReadMessage(AtChannel& ch, const PimCharset& cs, const std::string& store,
                                int index) {
    bool text = false;
    if (auto set = SelectMessageStore(ch, cs, store, nullptr, nullptr, &text); !set)
        return Fail(set.error());
    if (text) {
        Ask ask{"AT+CMGR=" + std::to_string(index), "+CMGR: "};
        ask.WithText = true;
        ask.AnswerBytes = kMessageBytes + 64;
        auto answer = Exchange(ch, ask);
        if (!answer) return Fail(answer.error());
        if (answer->Lines.empty()) return Fail(kErrBadAnswer);
        auto got = FromTextMode(cs, store, index, Fields(answer->Lines.front()), answer->Texts.front());
        if (!got) return Fail(got.error());
        return got->front();
    }
    Ask ask{"AT+CMGR=" + std::to_string(index), "+CMGR: ", true};
    ask.AnswerBytes = kMessageBytes + 64;
    auto answer = Exchange(ch, ask);
    if (!answer) return Fail(answer.error());
    if (answer->Lines.empty() || answer->Pdus.empty()) return Fail(kErrBadAnswer);
    const std::vector<std::string> f = Fields(answer->Lines.front());
    const auto stat = StatOf(f.front());
    if (!stat || !IsHex(answer->Pdus.front())) return Fail(kErrBadAnswer);
    return StoredPdu{store, index, *stat, answer->Pdus.front()};
}

Expected<std::vector<StoredPdu>> ReadMessages(AtChannel& ch, const PimCharset& cs,
                                              const std::string& store, const PimProgress& progress,
                                              const ReadOptions& options) {
    int used = -1, total = -1;
    bool text = false;
    if (auto set = SelectMessageStore(ch, cs, store, &used, &total, &text); !set)
        return Fail(set.error());
    const int expected = std::max(used, 0);
    if (progress) progress(0, expected);
    std::vector<StoredPdu> messages;
    if (used == 0) return messages;

    Ask list{text ? "AT+CMGL=" + Arg(cs, "ALL") : std::string("AT+CMGL=4"), "+CMGL: ", !text};
    list.WithText = text;
    list.FirstMs = options.ListTimeoutMs;
    list.AnswerBytes = kMessageBytes * static_cast<size_t>(std::max(used, 1)) + 1024;
    int listed = 0;
    list.Seen = &listed;
    auto answer = Exchange(ch, list);
    if (answer) {
        if (answer->Lines.size() != (text ? answer->Texts.size() : answer->Pdus.size()))
            return Fail(kErrBadAnswer);
        int entries = 0;
        for (size_t i = 0; i < answer->Lines.size(); ++i) {
            std::vector<std::string> f = Fields(answer->Lines[i]);
            const auto index = Int(f.front());
            if (!index) return Fail(kErrBadAnswer);
            ++entries;
            if (text) {
                f.erase(f.begin());
                auto got = FromTextMode(cs, store, *index, f, answer->Texts[i]);
                if (!got) return Fail(got.error());
                messages.insert(messages.end(), got->begin(), got->end());
                continue;
            }
            const auto stat = f.size() > 1 ? StatOf(f[1]) : std::nullopt;
            if (!stat || !IsHex(answer->Pdus[i])) return Fail(kErrBadAnswer);
            messages.push_back({store, *index, *stat, answer->Pdus[i]});
        }
        // A listing that ends with fewer entries than the store holds lost some on the way.
        if (used > 0 && entries < used)
            return Fail(kErrText, Msg(kMsgListingCut));
        if (progress) progress(entries, expected);
        return messages;
    }
    const Failure failure = answer.error();
    const bool silent = failure.Reason == kErrTimeout && listed == 0;
    if (failure.Reason == kErrTimeout && !silent) return Fail(kErrText, Msg(kMsgListingCut));
    if (!silent && failure.Reason != kErrRefused && failure.Reason != kErrText) return Fail(failure);
    if (used < 0) return Fail(failure);
    // The listing never came (or is refused): the phone is brought back and asked for one
    // message after the other until it has given as many as it holds.
    if (silent && options.Recover) {
        if (auto back = options.Recover(); !back) return Fail(back.error());
        // The reset may have put back the phone's own set.
        if (cs.Used != cs.Found)
            if (auto again = Simple(ch, "AT+CSCS=\"" + cs.Used + "\""); !again) return Fail(again.error());
    }
    if (auto set = SelectMessageStore(ch, cs, store, nullptr, nullptr, &text); !set)
        return Fail(set.error());
    if (total <= 0) total = 1000;
    for (int index = 1, found = 0; index <= total && found < used; ++index) {
        if (Aborted(ch)) return Fail(kErrAborted);
        Ask one{"AT+CMGR=" + std::to_string(index), "+CMGR: ", !text};
        one.WithText = text;
        one.EmptyCodes = {321, 21, 22};
        one.AnswerBytes = kMessageBytes + 64;
        int seen = 0;
        one.Seen = &seen;
        auto got = Exchange(ch, one);
        if (!got) {
            if (got.error().Reason == kErrTimeout && seen > 0) return Fail(kErrText, Msg(kMsgListingCut));
            return Fail(got.error());
        }
        if (got->Lines.empty()) continue;
        ++found;
        if (text) {
            auto built = FromTextMode(cs, store, index, Fields(got->Lines.front()), got->Texts.front());
            if (!built) return Fail(built.error());
            messages.insert(messages.end(), built->begin(), built->end());
            if (progress) progress(found, expected);
            continue;
        }
        if (got->Pdus.empty()) return Fail(kErrBadAnswer);
        const auto stat = StatOf(Fields(got->Lines.front()).front());
        if (!stat || !IsHex(got->Pdus.front())) return Fail(kErrBadAnswer);
        messages.push_back({store, index, *stat, got->Pdus.front()});
        if (progress) progress(static_cast<int>(messages.size()), expected);
    }
    return messages;
}

Status EraseMessage(AtChannel& ch, const PimCharset& cs, const std::string& store, int index) {
    bool text = false;  // a phone without PDU mode deletes in text mode
    if (auto set = SelectMessageStore(ch, cs, store, nullptr, nullptr, &text); !set)
        return Fail(set.error());
    return Simple(ch, "AT+CMGD=" + std::to_string(index));
}

}  // namespace q7k3::pim
