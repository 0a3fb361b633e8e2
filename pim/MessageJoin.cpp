#include "pim/MessageJoin.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "pim/PimMessages.h"
#include "base/Messages.h"

namespace q7k3::pim {
namespace {

struct Part {
    StoredPdu Stored;
    SmsPdu Pdu;
};

// The text a part stands for: its letters, or a note for data and reports.
std::string PartText(const SmsPdu& p) {
    if (p.Kind == PduKind::StatusReport && p.Text.empty()) {
        switch (OutcomeOf(p.Status)) {
        case ReportOutcome::Delivered: return Msg(kMsgReportDelivered);
        case ReportOutcome::Pending: return Msg(kMsgReportPending);
        case ReportOutcome::Failed: return Msg(kMsgReportFailed);
        }
    }
    if (p.Coding == DataCoding::Eight) return "[" + Msg(kMsgPduBinary) + std::to_string(p.Data.size()) + "]";
    return p.Text;
}

SmsMessage FromParts(std::vector<Part> parts, int total) {
    std::sort(parts.begin(), parts.end(), [](const Part& a, const Part& b) {
        return a.Pdu.Part->Sequence < b.Pdu.Part->Sequence;
    });
    SmsMessage m;
    const SmsPdu& first = parts.front().Pdu;
    m.Kind = first.Kind;
    m.Address = first.Address;
    m.ServiceCentre = first.ServiceCentre;
    m.Stat = parts.front().Stored.Stat;
    m.Discharge = first.Discharge;
    m.Status = first.Status;
    m.MessageClass = first.MessageClass;
    m.Coding = first.Coding;
    m.Total = total;
    size_t next = 0;
    for (int seq = 1; seq <= total; ++seq) {
        if (next < parts.size() && parts[next].Pdu.Part->Sequence == seq) {
            const Part& p = parts[next++];
            m.Text += PartText(p.Pdu);
            m.Raw.push_back(p.Stored);
            if (p.Stored.Stat == MessageStat::Unread) m.Stat = MessageStat::Unread;
            if (p.Pdu.Time && (!m.Time || p.Pdu.Time->UtcMs < m.Time->UtcMs)) m.Time = p.Pdu.Time;
        } else {
            m.Text += kMissingPartMark;
            m.Missing.push_back(seq);
        }
    }
    return m;
}

}  // namespace

std::vector<SmsMessage> JoinMessages(const std::vector<StoredPdu>& pdus) {
    // A slot per message in the order met; the parts of one message share its slot. Two
    // messages can share a reference (it wraps at 256): a part whose number the group
    // already holds opens a group of its own, so neither is lost.
    struct Group {
        std::vector<Part> Parts;
        int Total = 1;
    };
    std::vector<std::optional<SmsMessage>> out;  // whole messages in their slots
    std::vector<Group> groups;
    std::vector<size_t> slotOfGroup;
    using Key = std::tuple<int, std::string, int, int, bool>;
    std::multimap<Key, size_t> byKey;
    for (const StoredPdu& stored : pdus) {
        auto pdu = DecodePdu(stored.Hex);
        if (!pdu) {
            SmsMessage m;
            m.Raw = {stored};
            m.Decoded = false;
            m.Problem = pdu.error();
            m.Stat = stored.Stat;
            m.Text = "[" + Msg(kMsgPduUndecoded) + pdu.error().Text + "]";
            out.emplace_back(std::move(m));
            continue;
        }
        if (!pdu->Part) {
            Part p{stored, std::move(*pdu)};
            p.Pdu.Part = Concatenation{0, 1, 1, false};
            out.emplace_back(FromParts({std::move(p)}, 1));
            continue;
        }
        const Concatenation c = *pdu->Part;
        const Key key{int(pdu->Kind), pdu->Address, c.Reference, c.Total, c.Wide};
        size_t found = groups.size();
        for (auto [it, end] = byKey.equal_range(key); it != end; ++it) {
            const auto& parts = groups[it->second].Parts;
            if (std::none_of(parts.begin(), parts.end(),
                             [&](const Part& p) { return p.Pdu.Part->Sequence == c.Sequence; })) {
                found = it->second;
                break;
            }
        }
        if (found == groups.size()) {
            groups.push_back({{}, c.Total});
            slotOfGroup.push_back(out.size());
            out.emplace_back();
            byKey.emplace(key, found);
        }
        groups[found].Parts.push_back({stored, std::move(*pdu)});
    }
    for (size_t g = 0; g < groups.size(); ++g)
        out[slotOfGroup[g]] = FromParts(std::move(groups[g].Parts), groups[g].Total);
    std::vector<SmsMessage> messages;
    messages.reserve(out.size());
    for (auto& m : out) messages.push_back(std::move(*m));
    return messages;
}

std::string MissingPartsNote(const SmsMessage& m) {
    std::string note;
    for (int n : m.Missing) note += (note.empty() ? Msg(kMsgPduPartsMissing) : std::string(", ")) + std::to_string(n);
    return note;
}

}  // namespace q7k3::pim
