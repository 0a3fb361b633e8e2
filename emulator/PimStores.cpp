#include "emulator/PimStores.h"

#include <algorithm>
#include <cstdio>

namespace q7k3::emu {

namespace {

struct Field {
    std::string Text;
    bool Quoted = false;
};

// Quoted strings (no escapes) and bare tokens separated by commas; empty tokens allowed.
bool Fields(const std::string& s, std::vector<Field>& out) {
    size_t i = 0;
    for (;;) {
        Field f;
        if (i < s.size() && s[i] == '"') {
            const size_t q = s.find('"', i + 1);
            if (q == std::string::npos) return false;
            f.Text = s.substr(i + 1, q - i - 1);
            f.Quoted = true;
            i = q + 1;
        } else {
            size_t c = s.find(',', i);
            if (c == std::string::npos) c = s.size();
            f.Text = s.substr(i, c - i);
            if (f.Text.find('"') != std::string::npos) return false;
            i = c;
        }
        out.push_back(std::move(f));
        if (i == s.size()) return true;
        if (s[i] != ',') return false;
        ++i;
    }
}

bool Number(const std::string& s, int& value) {
    if (s.empty() || s.size() > 6) return false;
    value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

std::vector<char32_t> CodePoints(const std::string& utf8) {
    std::vector<char32_t> out;
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const int n = b < 0x80 ? 1 : b >> 5 == 6 ? 2 : b >> 4 == 14 ? 3 : b >> 3 == 30 ? 4 : 0;
        if (n == 0 || i + n > utf8.size()) {
            out.push_back(U'?');
            ++i;
            continue;
        }
        char32_t c = n == 1 ? b : b & (0x7F >> n);
        for (int k = 1; k < n; ++k) c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out.push_back(c);
        i += n;
    }
    return out;
}

void Append(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Ucs2Hex(const std::string& utf8) {
    std::string out;
    char buf[5];
    for (char32_t c : CodePoints(utf8)) {
        if (c > 0xFFFF) c = U'?';
        std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(c));
        out += buf;
    }
    return out;
}

std::optional<std::string> FromUcs2Hex(const std::string& hex) {
    if (hex.size() % 4 != 0) return std::nullopt;
    std::string out;
    for (size_t i = 0; i < hex.size(); i += 4) {
        char32_t c = 0;
        for (size_t k = i; k < i + 4; ++k) {
            const char h = hex[k];
            const int d = h >= '0' && h <= '9' ? h - '0'
                          : h >= 'A' && h <= 'F' ? h - 'A' + 10
                          : h >= 'a' && h <= 'f' ? h - 'a' + 10
                                                 : -1;
            if (d < 0) return std::nullopt;
            c = c << 4 | static_cast<char32_t>(d);
        }
        Append(out, c);
    }
    return out;
}

// The GSM default alphabet's main table, code by code (its extension table, reached by an
// escape, is not kept here: such characters become '?').
constexpr char32_t kGsm[128] = {
    U'@', U'£', U'$', U'¥', U'è', U'é', U'ù', U'ì', U'ò', U'Ç', U'\n', U'Ø', U'ø', U'\r', U'Å', U'å',
    U'Δ', U'_', U'Φ', U'Γ', U'Λ', U'Ω', U'Π', U'Ψ', U'Σ', U'Θ', U'Ξ', U'\x1B', U'Æ', U'æ', U'ß', U'É',
    U' ', U'!', U'"', U'#', U'¤', U'%', U'&', U'\'', U'(', U')', U'*', U'+', U',', U'-', U'.', U'/',
    U'0', U'1', U'2', U'3', U'4', U'5', U'6', U'7', U'8', U'9', U':', U';', U'<', U'=', U'>', U'?',
    U'¡', U'A', U'B', U'C', U'D', U'E', U'F', U'G', U'H', U'I', U'J', U'K', U'L', U'M', U'N', U'O',
    U'P', U'Q', U'R', U'S', U'T', U'U', U'V', U'W', U'X', U'Y', U'Z', U'Ä', U'Ö', U'Ñ', U'Ü', U'§',
    U'¿', U'a', U'b', U'c', U'd', U'e', U'f', U'g', U'h', U'i', U'j', U'k', U'l', U'm', U'n', U'o',
    U'p', U'q', U'r', U's', U't', U'u', U'v', U'w', U'x', U'y', U'z', U'ä', U'ö', U'ñ', U'ü', U'à',
};

std::string ToGsm(const std::string& utf8) {
    std::string out;
    for (char32_t c : CodePoints(utf8)) {
        const char32_t* at = std::find(std::begin(kGsm), std::end(kGsm), c);
        out += at == std::end(kGsm) ? '?' : static_cast<char>(at - std::begin(kGsm));
    }
    return out;
}

std::string FromGsm(const std::string& codes) {
    std::string out;
    for (char c : codes) Append(out, kGsm[static_cast<unsigned char>(c) & 0x7F]);
    return out;
}

std::string Latin1(const std::string& utf8, char32_t last) {
    std::string out;
    for (char32_t c : CodePoints(utf8)) out += c <= last ? static_cast<char>(c) : '?';
    return out;
}

std::string FromLatin1(const std::string& bytes) {
    std::string out;
    for (char c : bytes) Append(out, static_cast<unsigned char>(c));
    return out;
}

int Length(const std::string& utf8) {
    return static_cast<int>(CodePoints(utf8).size());
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

}  // namespace

PimStores::PimStores(EmulatorConfig& config) : m_config(config) {
    m_charset = Offered().front();
    m_pduMode = !config.Fault.PduModeRefused;
    const PimContent& c = config.Pim;
    Book& sim = m_books["SM"];
    sim.Total = c.SimSlots;
    sim.NameLength = c.SimNameLength;
    for (const PimContact& e : c.Sim) sim.Slots[e.Index] = e;
    Book& phone = m_books["ME"];
    phone.Total = c.PhoneSlots;
    phone.NameLength = c.PhoneNameLength;
    for (const PimContact& e : c.Phone) phone.Slots[e.Index] = e;
    for (const char* s : {"ME", "SM", "SR"}) m_messages[s];
    for (const PimMessage& m : c.Messages) m_messages[m.Store][m.Index] = m;
}

std::vector<PimContact> PimStores::Contacts(const std::string& store) const {
    std::vector<PimContact> out;
    const auto b = m_books.find(store);
    if (b != m_books.end())
        for (const auto& [i, c] : b->second.Slots) out.push_back(c);
    return out;
}

std::vector<PimMessage> PimStores::Messages(const std::string& store) const {
    std::vector<PimMessage> out;
    const auto s = m_messages.find(store);
    if (s != m_messages.end())
        for (const auto& [i, m] : s->second) out.push_back(m);
    return out;
}

std::vector<std::string> PimStores::Offered() const {
    if (!m_config.Fault.Charsets.empty()) return m_config.Fault.Charsets;
    return {"GSM", "UCS2", "8859-1", "IRA"};
}

bool PimStores::HexQuirk() const {
    return m_charset == "UCS2" && m_config.Fault.HexArguments;
}

std::string PimStores::Encode(const std::string& utf8) const {
    if (m_charset == "UCS2") return Ucs2Hex(utf8);
    if (m_charset == "GSM") return ToGsm(utf8);
    return Latin1(utf8, m_charset == "IRA" ? 0x7F : 0xFF);
}

std::optional<std::string> PimStores::Decode(const std::string& text) const {
    if (m_charset == "UCS2") return FromUcs2Hex(text);
    if (m_charset == "GSM") return FromGsm(text);
    return FromLatin1(text);
}

std::optional<std::string> PimStores::Argument(const std::string& text) const {
    if (!HexQuirk()) return text;
    return FromUcs2Hex(text);
}

bool PimStores::Handle(const std::string& head, bool hasArgs, const std::string& args, Out& lines,
                       std::optional<std::string>& final) {
    if (head == "AT+CSCS") {
        Charset(hasArgs, args, lines, final);
    } else if (head == "AT+CSCS?") {
        Charset(false, {}, lines, final);
    } else if (head == "AT+CPBS" || head == "AT+CPBS?") {
        SelectBook(hasArgs, args, lines, final);
    } else if (head == "AT+CPBR" && hasArgs) {
        ReadBook(args, lines, final);
    } else if (head == "AT+CPBW" && hasArgs) {
        WriteBook(args, final);
    } else if (head == "AT+CPMS" || head == "AT+CPMS?") {
        SelectMessages(hasArgs, args, lines, final);
    } else if (head == "AT+CMGF" && hasArgs) {
        if (args == "?") {
            lines.push_back(m_config.Fault.PduModeRefused ? "+CMGF: (1)" : "+CMGF: (0,1)");
            final = "OK";
        } else if (args == "0" && m_config.Fault.PduModeRefused) {
            final = "+CMS ERROR: 303";
        } else if (args == "0" || args == "1") {
            m_pduMode = args == "0";
            final = "OK";
        } else {
            final = "ERROR";
        }
    } else if (head == "AT+CMGF?") {
        lines.push_back(std::string("+CMGF: ") + (m_pduMode ? "0" : "1"));
        final = "OK";
    } else if (head == "AT+CMGL") {
        List(hasArgs ? args : "0", lines, final);
    } else if (head == "AT+CMGR" && hasArgs) {
        ReadMessage(args, lines, final);
    } else if (head == "AT+CMGD" && hasArgs) {
        DeleteMessage(args, final);
    } else {
        return false;
    }
    return true;
}

void PimStores::Charset(bool hasArgs, const std::string& args, Out& lines,
                        std::optional<std::string>& final) {
    const std::vector<std::string> sets = Offered();
    if (!hasArgs) {
        // A phone with the quirk names its set in the set itself.
        lines.push_back("+CSCS: " + Quoted(HexQuirk() ? Ucs2Hex(m_charset) : m_charset));
        final = "OK";
        return;
    }
    if (args == "?") {
        std::string list;
        for (const std::string& set : sets) list += (list.empty() ? "" : ",") + Quoted(set);
        lines.push_back("+CSCS: (" + list + ")");
        final = "OK";
        return;
    }
    std::vector<Field> f;
    if (!Fields(args, f) || f.size() != 1 || !f[0].Quoted) {
        final = "ERROR";
        return;
    }
    // The name is taken plain, and in hex while the quirk is on.
    std::string name = f[0].Text;
    if (HexQuirk()) {
        if (const auto plain = FromUcs2Hex(name)) name = *plain;
    }
    for (const std::string& s : sets)
        if (name == s) {
            m_charset = s;
            final = "OK";
            return;
        }
    final = "+CME ERROR: 4";
}

void PimStores::SelectBook(bool hasArgs, const std::string& args, Out& lines,
                           std::optional<std::string>& final) {
    if (!hasArgs) {
        const Book& b = m_books[m_book];
        lines.push_back("+CPBS: " + Quoted(HexQuirk() ? Ucs2Hex(m_book) : m_book) + "," +
                        std::to_string(b.Slots.size()) + "," + std::to_string(b.Total));
        final = "OK";
        return;
    }
    if (args == "?") {
        lines.push_back(HexQuirk() ? "+CPBS: (" + Quoted(Ucs2Hex("SM")) + "," + Quoted(Ucs2Hex("ME")) + ")"
                                   : "+CPBS: (\"SM\",\"ME\")");
        final = "OK";
        return;
    }
    std::vector<Field> f;
    std::optional<std::string> name;
    if (Fields(args, f) && f.size() == 1 && f[0].Quoted) name = Argument(f[0].Text);
    if (!name || !m_books.count(*name)) {
        final = "ERROR";
        return;
    }
    m_book = *name;
    final = "OK";
}

std::string PimStores::ContactLine(const PimContact& c) const {
    std::string line = "+CPBR: " + std::to_string(c.Index) + "," + Quoted(c.Number) + "," +
                       std::to_string(c.Type) + "," + Quoted(Encode(c.Name));
    if (m_config.Fault.PhonebookExtraField) line += ",0";
    return line;
}

// Counts one more listed entry against the cut fault; true when the listing stops here.
bool PimStores::Cut() {
    int& cut = m_config.Fault.CutListingAfter;
    if (cut < 0) return false;
    if (cut == 0) {
        cut = -1;
        return true;
    }
    --cut;
    return false;
}

void PimStores::ReadBook(const std::string& args, Out& lines, std::optional<std::string>& final) {
    const Book& b = m_books[m_book];
    if (args == "?") {
        lines.push_back("+CPBR: (1-" + std::to_string(b.Total) + ")," +
                        std::to_string(m_config.Pim.NumberLength) + "," + std::to_string(b.NameLength));
        final = "OK";
        return;
    }
    std::vector<Field> f;
    int first = 0, last = 0;
    if (!Fields(args, f) || f.empty() || f.size() > 2 || !Number(f[0].Text, first) ||
        (f.size() == 2 && !Number(f[1].Text, last))) {
        final = "ERROR";
        return;
    }
    if (f.size() == 1) last = first;
    if (first < 1 || last < first || last > b.Total) {
        final = "+CME ERROR: 21";
        return;
    }
    const int limit = m_config.Fault.RangeLimit;
    if (limit > 0 && last - first + 1 > limit) {
        final = "ERROR";
        return;
    }
    int found = 0;
    for (auto it = b.Slots.lower_bound(first); it != b.Slots.end() && it->first <= last; ++it) {
        if (Cut()) return;
        lines.push_back(ContactLine(it->second));
        ++found;
    }
    // An empty slot asked for alone is "not found"; an empty range just ends.
    final = found == 0 && first == last ? "+CME ERROR: 22" : "OK";
}

void PimStores::WriteBook(const std::string& args, std::optional<std::string>& final) {
    Book& b = m_books[m_book];
    std::vector<Field> f;
    int index = 0;
    if (!Fields(args, f) || f.empty() || (!f[0].Text.empty() && !Number(f[0].Text, index))) {
        final = "ERROR";
        return;
    }
    if (!f[0].Text.empty() && (index < 1 || index > b.Total)) {
        final = "+CME ERROR: 21";
        return;
    }
    if (f.size() == 1) {
        if (f[0].Text.empty()) {
            final = "ERROR";
            return;
        }
        b.Slots.erase(index);
        final = "OK";
        return;
    }
    int type = 129;
    if (f.size() < 2 || !f[1].Quoted || (f.size() > 2 && !f[2].Text.empty() && !Number(f[2].Text, type)) ||
        (f.size() > 3 && !f[3].Quoted) || f.size() > 4) {
        final = "ERROR";
        return;
    }
    const auto number = Argument(f[1].Text);
    std::optional<std::string> name = std::string();
    if (f.size() > 3) {
        name = Decode(f[3].Text);
    }
    if (!number || !name) {
        final = !number ? "+CME ERROR: 27" : "+CME ERROR: 25";
        return;
    }
    if (static_cast<int>(number->size()) > m_config.Pim.NumberLength) {
        final = "+CME ERROR: 26";
        return;
    }
    if (Length(*name) > b.NameLength) {
        final = "+CME ERROR: 24";
        return;
    }
    if (f[0].Text.empty()) {
        index = 0;
        for (int i = 1; i <= b.Total && index == 0; ++i)
            if (!b.Slots.count(i)) index = i;
        if (index == 0) {
            final = "+CME ERROR: 20";
            return;
        }
    }
    // As the phones do: a taken slot is overwritten without a word.
    b.Slots[index] = PimContact{index, *number, type, *name};
    final = "OK";
}

void PimStores::SelectMessages(bool hasArgs, const std::string& args, Out& lines,
                               std::optional<std::string>& final) {
    auto count = [this](const std::string& s) {
        return std::to_string(m_messages[s].size()) + "," + std::to_string(m_config.Pim.MessageSlots);
    };
    auto name = [this](const std::string& s) { return Quoted(HexQuirk() ? Ucs2Hex(s) : s); };
    if (!hasArgs) {
        lines.push_back("+CPMS: " + name(m_readStore) + "," + count(m_readStore) + "," +
                        name(m_writeStore) + "," + count(m_writeStore) + "," + name(m_receiveStore) +
                        "," + count(m_receiveStore));
        final = "OK";
        return;
    }
    if (args == "?") {
        lines.push_back("+CPMS: (" + name("ME") + "," + name("SM") + "," + name("SR") + "),(" +
                        name("ME") + "," + name("SM") + "),(" + name("ME") + "," + name("SM") + ")");
        final = "OK";
        return;
    }
    std::vector<Field> f;
    std::vector<std::string> stores;
    if (Fields(args, f) && !f.empty() && f.size() <= 3)
        for (const Field& x : f) {
            const auto s = x.Quoted ? Argument(x.Text) : std::nullopt;
            if (!s || !m_messages.count(*s) || (!stores.empty() && *s == "SR")) break;
            stores.push_back(*s);
        }
    if (stores.size() != f.size() || stores.empty()) {
        final = "+CMS ERROR: 302";
        return;
    }
    m_readStore = stores[0];
    if (stores.size() > 1) m_writeStore = stores[1];
    if (stores.size() > 2) m_receiveStore = stores[2];
    lines.push_back("+CPMS: " + count(m_readStore) + "," + count(m_writeStore) + "," +
                    count(m_receiveStore));
    final = "OK";
}

namespace {
// The TPDU's length in octets: the PDU without the service centre's address.
int TpduLength(const std::string& hex) {
    int smsc = 0;
    if (hex.size() >= 2) std::sscanf(hex.substr(0, 2).c_str(), "%x", &smsc);
    return static_cast<int>(hex.size() / 2) - 1 - smsc;
}
}  // namespace

void PimStores::List(const std::string& args, Out& lines, std::optional<std::string>& final) {
    if (!m_pduMode) {
        ListText(args, lines, final);
        return;
    }
    if (args == "?") {
        lines.push_back("+CMGL: (0-4)");
        final = "OK";
        return;
    }
    int stat = 0;
    if (!Number(args, stat) || stat > 4) {
        final = "+CMS ERROR: 304";
        return;
    }
    if (m_config.Fault.ListHangs) return;
    for (auto& [i, m] : m_messages[m_readStore]) {
        if (stat != 4 && m.Stat != stat) continue;
        if (Cut()) return;
        lines.push_back("+CMGL: " + std::to_string(i) + "," + std::to_string(m.Stat) + ",," +
                        std::to_string(TpduLength(m.Pdu)));
        lines.push_back(m.Pdu);
        if (m.Stat == 0) m.Stat = 1;
    }
    final = "OK";
}

namespace {
const char* const kTextStats[] = {"REC UNREAD", "REC READ", "STO UNSENT", "STO SENT"};
}  // namespace

// A phone that lists messages in text mode shows only those it knows as text; one kept as
// a PDU alone it cannot show there.
bool PimStores::TextShown(const PimMessage& m) const {
    return m_config.Fault.PduModeRefused && !m.Address.empty();
}

// The header of a message in text mode after "+CMGL: index," or "+CMGR: ", and its text.
void PimStores::TextEntry(const PimMessage& m, std::string& header, std::string& text) const {
    const std::string stat = Quoted(kTextStats[std::clamp(m.Stat, 0, 3)]);
    if (m.Store == "SR") {
        const int type = m.Address.starts_with('+') ? 145 : 129;
        header = stat + ",6," + std::to_string(m.Reference) + "," + Quoted(Encode(m.Address)) + "," +
                 std::to_string(type) + "," + Quoted(m.Time) + "," + Quoted(m.Discharge) + "," +
                 std::to_string(m.Status);
        text.clear();
        return;
    }
    header = stat + "," + Quoted(Encode(m.Address)) + ",," + (m.Time.empty() ? "" : Quoted(m.Time));
    text = Encode(m.Text);
}

void PimStores::ListText(const std::string& args, Out& lines, std::optional<std::string>& final) {
    if (!m_config.Fault.PduModeRefused) {
        // A phone that keeps its messages as PDUs lists them in PDU mode only.
        final = "+CMS ERROR: 302";
        return;
    }
    if (args == "?") {
        lines.push_back("+CMGL: (\"REC UNREAD\",\"REC READ\",\"STO UNSENT\",\"STO SENT\",\"ALL\")");
        final = "OK";
        return;
    }
    std::vector<Field> f;
    std::optional<std::string> which;
    if (Fields(args, f) && f.size() == 1 && f[0].Quoted) which = Argument(f[0].Text);
    int stat = -1;
    if (which)
        for (int i = 0; i < 4; ++i)
            if (*which == kTextStats[i]) stat = i;
    if (!which || (stat < 0 && *which != "ALL")) {
        final = "+CMS ERROR: 304";
        return;
    }
    if (m_config.Fault.ListHangs) return;
    for (auto& [i, m] : m_messages[m_readStore]) {
        if (!TextShown(m) || (stat >= 0 && m.Stat != stat)) continue;
        if (Cut()) return;
        std::string header, text;
        TextEntry(m, header, text);
        lines.push_back("+CMGL: " + std::to_string(i) + "," + header);
        // A text's own line breaks go out as they are, as the phones send them.
        if (m.Store != "SR")
            for (size_t at = 0;;) {
                const size_t nl = text.find('\n', at);
                lines.push_back(text.substr(at, nl == std::string::npos ? std::string::npos : nl - at));
                if (nl == std::string::npos) break;
                at = nl + 1;
            }
        if (m.Stat == 0) m.Stat = 1;
    }
    final = "OK";
}

void PimStores::ReadMessage(const std::string& args, Out& lines, std::optional<std::string>& final) {
    int index = 0;
    if (!Number(args, index)) {
        final = "+CMS ERROR: 302";
        return;
    }
    auto& store = m_messages[m_readStore];
    const auto it = store.find(index);
    if (it == store.end() || (!m_pduMode && !TextShown(it->second))) {
        final = !m_pduMode && it != store.end() ? "+CMS ERROR: 302" : "+CMS ERROR: 321";
        return;
    }
    PimMessage& m = it->second;
    if (!m_pduMode) {
        std::string header, text;
        TextEntry(m, header, text);
        lines.push_back("+CMGR: " + header);
        if (m.Store != "SR") lines.push_back(text);
        if (m.Stat == 0) m.Stat = 1;
        final = "OK";
        return;
    }
    lines.push_back("+CMGR: " + std::to_string(m.Stat) + ",," + std::to_string(TpduLength(m.Pdu)));
    lines.push_back(m.Pdu);
    if (m.Stat == 0) m.Stat = 1;
    final = "OK";
}

void PimStores::DeleteMessage(const std::string& args, std::optional<std::string>& final) {
    int index = 0;
    std::vector<Field> f;
    if (!Fields(args, f) || f.empty() || !Number(f[0].Text, index)) {
        final = "+CMS ERROR: 302";
        return;
    }
    final = m_messages[m_readStore].erase(index) ? "OK" : "+CMS ERROR: 321";
}

}  // namespace q7k3::emu
