#include "pim/Conversation.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "pim/GsmAlphabet.h"
#include "pim/PimMessages.h"
#include "pim/SmsBackupXml.h"
#include "base/Messages.h"

namespace q7k3::pim {

std::string ConversationFileName(const std::string& address) {
    std::string name;
    for (char32_t c : DecodeUtf8(address)) {
        if (c < 0x20 || c == 0x7F || std::u32string_view(U"/\\:*?\"<>|").find(c) != std::u32string_view::npos)
            name += '_';
        else
            AppendUtf8(name, c);
    }
    while (!name.empty() && (name.front() == '.' || name.front() == ' ')) name.erase(0, 1);
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    if (name.empty()) name = "unknown";
    return name + ".txt";
}

std::map<std::string, std::string> Conversations(const std::vector<SmsMessage>& messages) {
    std::vector<const SmsMessage*> sorted;
    for (const SmsMessage& m : messages) sorted.push_back(&m);
    std::stable_sort(sorted.begin(), sorted.end(), [](const SmsMessage* a, const SmsMessage* b) {
        if (!a->Time || !b->Time) return a->Time.has_value() && !b->Time.has_value();
        return a->Time->UtcMs < b->Time->UtcMs;
    });
    std::map<std::string, std::string> out;
    for (const SmsMessage* m : sorted) {
        const std::string date = m->Time ? ReadableTime(*m->Time) : std::string(19, '-');
        const bool mine = m->Kind == PduKind::Submit;
        std::string line = date + (mine ? "  >>  " : "  <<  ");
        const std::string indent(line.size(), ' ');
        for (char c : m->Text) {
            if (c == '\r') continue;
            line += c;
            if (c == '\n') line += indent;
        }
        const std::string note = MissingPartsNote(*m);
        if (!note.empty()) line += " (" + note + ")";
        out[ConversationFileName(m->Address)] += line + "\n";
    }
    return out;
}

std::string WriteRawPdus(const std::vector<StoredPdu>& pdus) {
    std::string out = "# store index stat pdu\n";
    int fromText = 0;
    for (const StoredPdu& p : pdus) {
        if (p.FromText) {
            ++fromText;
            continue;
        }
        out += p.Store + " " + std::to_string(p.Index) + " " + std::to_string(int(p.Stat)) + " " + p.Hex + "\n";
    }
    if (fromText)
        out.insert(0, "# " + std::to_string(fromText) +
                          " messages came in text mode: the phone gave no PDU of them\n");
    return out;
}

Expected<std::vector<StoredPdu>> ReadRawPdus(std::string_view file) {
    std::vector<StoredPdu> out;
    int lineNo = 0;
    for (size_t start = 0; start < file.size();) {
        size_t end = file.find('\n', start);
        if (end == std::string_view::npos) end = file.size();
        std::string_view line = file.substr(start, end - start);
        start = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        auto bad = [&] { return Fail(kErrLocalData, Msg(kMsgPduFileLine) + std::to_string(lineNo)); };
        std::vector<std::string_view> f;
        for (size_t s = 0; s <= line.size();) {
            size_t e = line.find(' ', s);
            if (e == std::string_view::npos) e = line.size();
            f.push_back(line.substr(s, e - s));
            s = e + 1;
        }
        if (f.size() != 4 || f[0].empty() ||
            !std::all_of(f[0].begin(), f[0].end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
            return bad();
        StoredPdu p;
        p.Store = std::string(f[0]);
        int stat = -1;
        auto r1 = std::from_chars(f[1].data(), f[1].data() + f[1].size(), p.Index);
        auto r2 = std::from_chars(f[2].data(), f[2].data() + f[2].size(), stat);
        if (r1.ec != std::errc() || r1.ptr != f[1].data() + f[1].size() || r2.ec != std::errc() ||
            r2.ptr != f[2].data() + f[2].size() || stat < 0 || stat > 3 || p.Index < 0 || !FromHex(f[3]))
            return bad();
        p.Stat = MessageStat(stat);
        p.Hex = std::string(f[3]);
        out.push_back(std::move(p));
    }
    return out;
}

}  // namespace q7k3::pim
