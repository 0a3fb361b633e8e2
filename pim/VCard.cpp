#include "pim/VCard.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cctype>

#include "pim/GsmAlphabet.h"
#include "pim/PimMessages.h"
#include "base/Messages.h"

namespace q7k3::pim {
namespace {

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return std::string(s);
}

// --- writing

std::string EscapeText(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '\\' || c == ',' || c == ';') out += '\\';
        if (c == '\r') continue;
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out;
}

// One content line, folded: no physical line over 75 octets, never inside a UTF-8 sequence.
void AppendFolded(std::string& out, const std::string& line) {
    size_t start = 0, room = 75;
    while (line.size() - start > room) {
        size_t cut = start + room;
        while (cut > start && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        out.append(line, start, cut - start);
        out += "\r\n ";
        start = cut;
        room = 74;  // the leading space takes one
    }
    out.append(line, start, std::string::npos);
    out += "\r\n";
}

// --- reading

struct Property {
    std::string Name;  // upper case, group dropped
    std::vector<std::pair<std::string, std::string>> Params;  // upper-case names; bare ones as TYPE
    std::string Value;
    std::string Param(const std::string& name) const {
        for (const auto& [n, v] : Params)
            if (n == name) return v;
        return {};
    }
};

bool IsQuotedPrintable(std::string_view head) {
    return Upper(head).find("QUOTED-PRINTABLE") != std::string::npos;
}

std::string DecodeQuotedPrintable(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '=') {
            out += s[i];
            continue;
        }
        if (i + 1 < s.size() && (s[i + 1] == '\r' || s[i + 1] == '\n')) {  // soft line break
            ++i;
            if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
            continue;
        }
        if (i + 2 < s.size()) {
            auto hex = FromHex(s.substr(i + 1, 2));
            if (hex) {
                out += *hex;
                i += 2;
                continue;
            }
        }
        out += '=';  // a stray '=' stays as it is
    }
    return out;
}

bool ValidUtf8(std::string_view s) {
    int bad = 0;
    DecodeUtf8(s, &bad);
    return bad == 0;
}

// The value's bytes in `charset` as UTF-8; false for a charset not known here.
bool ToUtf8(const std::string& bytes, const std::string& charset, std::string& out) {
    const std::string cs = Upper(charset);
    if (cs.empty()) {
        out = ValidUtf8(bytes) ? bytes : Cp1251ToUtf8(bytes);
    } else if (cs == "UTF-8" || cs == "UTF8") {
        out.clear();
        for (char32_t c : DecodeUtf8(bytes)) AppendUtf8(out, c);
    } else if (cs == "WINDOWS-1251" || cs == "CP1251") {
        out = Cp1251ToUtf8(bytes);
    } else if (cs == "ISO-8859-1" || cs == "LATIN1") {
        out = Latin1ToUtf8(bytes);
    } else if (cs == "US-ASCII" || cs == "ASCII") {
        out = IraToUtf8(bytes);
    } else {
        QStringDecoder decoder(charset.c_str());
        if (!decoder.isValid()) return false;
        const QString text = decoder.decode(QByteArray::fromStdString(bytes));
        out = text.toStdString();
    }
    return true;
}

// A text value's escapes undone; `split`: cut at the unescaped ';' of a structured value.
std::vector<std::string> Unescape(std::string_view s, bool split) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            const char n = s[++i];
            parts.back() += n == 'n' || n == 'N' ? '\n' : n;
        } else if (s[i] == ';' && split) {
            parts.emplace_back();
        } else {
            parts.back() += s[i];
        }
    }
    return parts;
}

Property Parse(std::string_view line) {
    Property p;
    // The name and parameters end at the first ':' outside a quoted parameter value.
    size_t colon = std::string::npos;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon == std::string::npos) return p;
    std::string_view head = line.substr(0, colon);
    p.Value = std::string(line.substr(colon + 1));
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t i = 0; i <= head.size(); ++i)
        if (i == head.size() || head[i] == ';') {
            fields.push_back(Trim(head.substr(start, i - start)));
            start = i + 1;
        }
    std::string name = Upper(fields[0]);
    if (auto dot = name.rfind('.'); dot != std::string::npos) name = name.substr(dot + 1);
    p.Name = name;
    for (size_t i = 1; i < fields.size(); ++i) {
        const auto eq = fields[i].find('=');
        std::string key = eq == std::string::npos ? "TYPE" : Upper(fields[i].substr(0, eq));
        std::string value = eq == std::string::npos ? fields[i] : fields[i].substr(eq + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        if (eq == std::string::npos && (Upper(value) == "QUOTED-PRINTABLE" || Upper(value) == "BASE64"))
            key = "ENCODING";
        p.Params.emplace_back(key, value);
    }
    return p;
}

std::string CleanNumber(std::string_view v) {
    std::string out;
    for (char c : v) {
        if ((c >= '0' && c <= '9') || c == '*' || c == '#' || (c == '+' && out.empty())) out += c;
        else if (c == 'p' || c == 'P' || c == 'w' || c == 'W') out += char(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

struct Card {
    int Line = 0;
    bool V21 = false;
    std::string Fn;
    std::vector<std::string> N;
    std::vector<std::string> Numbers;
    std::string Store;
    int Index = 0;
    std::string Problem;
};

void TakeProperty(Card& card, const std::string& line) {
    Property p = Parse(line);
    if (p.Name.empty()) return;
    if (p.Name == "VERSION") {
        card.V21 = Trim(p.Value) == "2.1";
        return;
    }
    if (p.Name != "FN" && p.Name != "N" && p.Name != "TEL" && p.Name != "X-Q7K3-STORE" && p.Name != "X-Q7K3-INDEX")
        return;  // photos, addresses, notes: nothing the phone keeps
    std::string bytes = Upper(p.Param("ENCODING")) == "QUOTED-PRINTABLE" ? DecodeQuotedPrintable(p.Value) : p.Value;
    std::string text;
    const std::string charset = p.Param("CHARSET");
    if (!ToUtf8(bytes, charset, text)) {
        if (card.Problem.empty()) card.Problem = Msg(kMsgCardCharset) + charset;
        return;
    }
    if (p.Name == "FN") {
        card.Fn = Trim(Unescape(text, false)[0]);
    } else if (p.Name == "N") {
        card.N = Unescape(text, true);
    } else if (p.Name == "TEL") {
        std::string number = CleanNumber(text);
        if (!number.empty()) card.Numbers.push_back(number);
    } else if (p.Name == "X-Q7K3-STORE") {
        card.Store = Trim(text);
    } else {
        card.Index = std::atoi(Trim(text).c_str());
    }
}

// N's parts (family; given; middle; prefix; suffix) in reading order.
std::string NameFromN(const std::vector<std::string>& n) {
    static constexpr int kOrder[] = {3, 1, 2, 0, 4};
    std::string name;
    for (int i : kOrder) {
        if (i >= int(n.size())) continue;
        const std::string part = Trim(n[i]);
        if (part.empty()) continue;
        if (!name.empty()) name += ' ';
        name += part;
    }
    return name;
}

std::string NameOf(const Card& card) { return card.Fn.empty() ? NameFromN(card.N) : card.Fn; }

// A name as one line: its line breaks and tabs as spaces, other control characters gone.
std::string OneLine(const std::string& name) {
    std::string out;
    for (char32_t c : DecodeUtf8(name)) {
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) continue;
        AppendUtf8(out, c);
    }
    return Trim(out);
}

void FinishCard(const Card& card, VCardImport& out) {
    const std::string name = OneLine(NameOf(card));
    std::string reason = card.Problem;
    if (reason.empty() && card.Numbers.empty()) reason = Msg(kMsgCardNoNumber);
    if (!reason.empty()) {
        out.Skipped.push_back({card.Line, name, reason});
        return;
    }
    for (const std::string& number : card.Numbers) {
        Contact c;
        c.Name = name;
        c.Number = number;
        c.Type = number.front() == '+' ? 145 : 129;
        c.Store = card.Store;
        c.Index = card.Numbers.size() == 1 ? card.Index : 0;
        out.Contacts.push_back(std::move(c));
    }
}

}  // namespace


std::string ExportVCards(const std::vector<Contact>& contacts) {
    std::string out;
    for (const Contact& c : contacts) {
        const std::string name = EscapeText(c.Name);
        AppendFolded(out, "BEGIN:VCARD");
        AppendFolded(out, "VERSION:3.0");
        AppendFolded(out, "FN:" + name);
        AppendFolded(out, "N:;" + name + ";;;");
        std::string number = c.Number;
        if (c.Type == 145 && !number.empty() && number.front() != '+') number = "+" + number;
        AppendFolded(out, "TEL;TYPE=CELL:" + number);
        if (!c.Store.empty()) AppendFolded(out, "X-Q7K3-STORE:" + EscapeText(c.Store));
        if (c.Index > 0) AppendFolded(out, "X-Q7K3-INDEX:" + std::to_string(c.Index));
        AppendFolded(out, "END:VCARD");
    }
    return out;
}

VCardImport ImportVCards(std::string_view file) {
    if (file.substr(0, 3) == "\xEF\xBB\xBF") file.remove_prefix(3);
    // Physical lines, whatever their ends, taken one after the other.
    size_t at = 0;
    int physical = 0;
    const auto lineAt = [&file](size_t from, size_t& after) {
        size_t end = file.find_first_of("\r\n", from);
        if (end == std::string_view::npos) end = file.size();
        after = end;
        if (after < file.size() && file[after] == '\r') ++after;
        if (after < file.size() && file[after] == '\n') ++after;
        return file.substr(from, end - from);
    };
    VCardImport out;
    std::optional<Card> card;
    while (at < file.size()) {
        std::string line(lineAt(at, at));
        const int lineNo = ++physical;
        // Folding: a line that starts with a space or tab goes on the one before (vCard 3.0
        // drops that one character; 2.1 keeps it). A quoted-printable value ending in '='
        // goes on over the next line whatever it starts with. The name and its parameters
        // end at the first ':', looked for in what came since as long as none is found.
        const bool v21 = card && card->V21;
        const auto quotedPrintable = [&line](size_t colon) {
            return colon != std::string::npos && IsQuotedPrintable(std::string_view(line).substr(0, colon));
        };
        size_t colon = line.find(':');
        size_t searched = line.size();
        bool qp = quotedPrintable(colon);
        while (at < file.size()) {
            size_t after = 0;
            const std::string_view next = lineAt(at, after);
            if (colon == std::string::npos) {
                colon = line.find(':', searched);
                searched = line.size();
                qp = quotedPrintable(colon);
            }
            if (qp && !line.empty() && line.back() == '=') {
                line.pop_back();
                line += next;
            } else if (!next.empty() && (next[0] == ' ' || next[0] == '\t')) {
                line += v21 ? next : next.substr(1);
            } else {
                break;
            }
            at = after;
            ++physical;
        }
        const std::string upper = Upper(Trim(line));
        if (upper == "BEGIN:VCARD") {
            if (card) out.Skipped.push_back({card->Line, NameOf(*card), Msg(kMsgCardUnclosed)});
            card = Card{};
            card->Line = lineNo;
        } else if (upper == "END:VCARD") {
            if (card) FinishCard(*card, out);
            card.reset();
        } else if (card) {
            TakeProperty(*card, line);
        }
    }
    if (card) out.Skipped.push_back({card->Line, NameOf(*card), Msg(kMsgCardUnclosed)});
    return out;
}

}  // namespace q7k3::pim
