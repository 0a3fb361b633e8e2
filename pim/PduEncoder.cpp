#include "pim/PduEncoder.h"

#include <algorithm>

#include "pim/GsmAlphabet.h"
#include "pim/PimMessages.h"
#include "base/Messages.h"

namespace q7k3::pim {
namespace {

bool IsDialDigits(std::string_view s) {
    if (s.empty()) return false;
    return std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '*' || c == '#' || (c >= 'a' && c <= 'c');
    });
}

std::string SemiOctets(std::string_view digits) {
    static constexpr std::string_view kDigits = "0123456789*#abc";
    std::string out;
    for (size_t i = 0; i < digits.size(); i += 2) {
        const int lo = int(kDigits.find(digits[i]));
        const int hi = i + 1 < digits.size() ? int(kDigits.find(digits[i + 1])) : 15;
        out += char(hi << 4 | lo);
    }
    return out;
}

// Length in digits, type, digits; letters as an alphanumeric address.
std::string EncodeAddress(std::string_view address, int type) {
    std::string_view digits = address;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
        type = 0x90 | (type & 0x0F ? type & 0x0F : 1);
    } else if ((type & 0x70) == 0x10 || (type & 0x70) == 0x50) {
        type = 0x81;
    }
    if (!IsDialDigits(digits) && !address.empty()) {
        const std::string codes = Utf8ToGsm(address).Bytes.substr(0, 11);
        const std::string packed = PackSeptets(codes);
        return std::string{char((codes.size() * 7 + 3) / 4), char(0xD0)} + packed;
    }
    if ((type & 0x80) == 0) type = 0x81;
    return std::string{char(digits.size()), char(type)} + SemiOctets(digits);
}

std::string EncodeCentre(std::string_view centre) {
    if (centre.empty()) return std::string(1, '\0');
    const std::string a = EncodeAddress(centre, 0x81);
    return char(a.size() - 1) + a.substr(1);  // the length counts octets here
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400) + (m <= 2);
}

std::string EncodeTime(const SmsTime& t) {
    int quarters = std::clamp(t.ZoneMinutes / 15, -79, 79);
    std::int64_t local = t.UtcMs / 1000 + std::int64_t(quarters) * 15 * 60;
    std::int64_t days = local / 86400, secs = local % 86400;
    if (secs < 0) secs += 86400, --days;
    int y, m, d;
    CivilFromDays(days, y, m, d);
    const int v[6] = {y % 100, m, d, int(secs / 3600), int(secs / 60 % 60), int(secs % 60)};
    std::string out;
    for (int x : v) out += char((x % 10) << 4 | x / 10);
    const int a = std::abs(quarters);
    out += char((a % 10) << 4 | a / 10 | (quarters < 0 ? 0x08 : 0));
    return out;
}

int RelativeOctet(int minutes) {
    if (minutes <= 12 * 60) return std::max(0, (minutes + 4) / 5 - 1);
    if (minutes <= 24 * 60) return 143 + (minutes - 12 * 60 + 29) / 30;
    if (minutes <= 30 * 24 * 60) return 166 + (minutes + 24 * 60 - 1) / (24 * 60);
    return std::min(255, 192 + (minutes + 7 * 24 * 60 - 1) / (7 * 24 * 60));
}

int CodingOctet(DataCoding c, int messageClass) {
    int dcs = c == DataCoding::Ucs2 ? 0x08 : c == DataCoding::Eight ? 0x04 : 0x00;
    if (messageClass >= 0) dcs |= 0x10 | (messageClass & 3);
    return dcs;
}

// The header, the text; UDL counts septets for 7-bit text.
Expected<std::string> EncodeUserData(const SmsPdu& pdu) {
    std::string udh;
    bool hasConcat = false;
    for (const HeaderElement& e : pdu.Header) {
        hasConcat |= e.Id == 0x00 || e.Id == 0x08;
        udh += char(e.Id);
        udh += char(e.Data.size());
        udh += e.Data;
    }
    if (pdu.Part && !hasConcat) {
        const Concatenation& p = *pdu.Part;
        if (p.Wide) udh += std::string{0x08, 4, char(p.Reference >> 8), char(p.Reference & 0xFF)};
        else udh += std::string{0x00, 3, char(p.Reference & 0xFF)};
        udh += char(p.Total);
        udh += char(p.Sequence);
    }
    if (!udh.empty()) udh = char(udh.size()) + udh;
    std::string ud = udh;
    int udl = 0;
    if (pdu.Coding == DataCoding::Gsm7) {
        Encoded codes = Utf8ToGsm(pdu.Text);
        if (!codes.Whole()) return Fail(kErrLocalData, Msg(kMsgPduNotGsm));
        const int headerSeptets = int((udh.size() * 8 + 6) / 7);
        const int fill = headerSeptets * 7 - int(udh.size()) * 8;
        udl = headerSeptets + int(codes.Bytes.size());
        if (udl > 160) return Fail(kErrLocalData, Msg(kMsgPduTooLong));
        ud += PackSeptets(codes.Bytes, fill);
    } else {
        ud += pdu.Coding == DataCoding::Ucs2 ? Utf8ToUtf16Be(pdu.Text) : pdu.Data;
        udl = int(ud.size());
        if (udl > 140) return Fail(kErrLocalData, Msg(kMsgPduTooLong));
    }
    return char(udl) + ud;
}

std::vector<std::string> Chunks(const std::vector<char32_t>& chars, bool septets, size_t room) {
    std::vector<std::string> parts(1);
    size_t used = 0;
    for (char32_t c : chars) {
        const size_t size = septets ? GsmCodeOf(c).size() : (c >= 0x10000 ? 2 : 1);
        if (used + size > room) {
            parts.emplace_back();
            used = 0;
        }
        AppendUtf8(parts.back(), c);
        used += size;
    }
    return parts;
}

Expected<std::vector<std::string>> EncodeText(PduKind kind, const Envelope& e, std::string_view text) {
    const Split split = SplitText(text, e.ForceUcs2, e.WideReference);
    if (split.Parts.size() > 255) return Fail(kErrLocalData, Msg(kMsgPduTooLong));
    std::vector<std::string> out;
    for (size_t i = 0; i < split.Parts.size(); ++i) {
        SmsPdu p;
        p.Kind = kind;
        p.ServiceCentre = e.ServiceCentre;
        p.Address = e.Address;
        p.MessageReference = e.MessageReference;
        p.Coding = split.Coding;
        p.MessageClass = e.MessageClass;
        p.Time = e.Time;
        p.Valid = e.Valid;
        p.Text = split.Parts[i];
        if (split.Parts.size() > 1)
            p.Part = Concatenation{e.ConcatReference, int(split.Parts.size()), int(i + 1), e.WideReference};
        auto hex = EncodePdu(p);
        if (!hex) return Fail(hex.error());
        out.push_back(std::move(*hex));
    }
    return out;
}

}  // namespace

Split SplitText(std::string_view text, bool forceUcs2, bool wideReference) {
    Split s;
    const std::vector<char32_t> chars = DecodeUtf8(text);
    s.Coding = !forceUcs2 && Utf8ToGsm(text).Whole() ? DataCoding::Gsm7 : DataCoding::Ucs2;
    const bool septets = s.Coding == DataCoding::Gsm7;
    const size_t whole = septets ? 160 : 70;
    s.Parts = Chunks(chars, septets, whole);
    if (s.Parts.size() > 1) {
        // Each part gives room to its header: 6 octets (7 with a 16-bit reference).
        const size_t header = wideReference ? 7 : 6;
        s.Parts = Chunks(chars, septets, septets ? (140 - header) * 8 / 7 : (140 - header) / 2);
    }
    return s;
}

Expected<std::string> EncodePdu(const SmsPdu& pdu) {
    auto ud = EncodeUserData(pdu);
    if (!ud) return Fail(ud.error());
    const bool udhi = !pdu.Header.empty() || pdu.Part;
    std::string b = EncodeCentre(pdu.ServiceCentre);
    const int dcs = pdu.CodingScheme && ReadCodingScheme(pdu.CodingScheme).Coding == pdu.Coding
                        ? pdu.CodingScheme
                        : CodingOctet(pdu.Coding, pdu.MessageClass);
    const SmsTime time = pdu.Time.value_or(SmsTime{});
    switch (pdu.Kind) {
    case PduKind::Deliver:
        b += char(0x00 | (pdu.MoreToSend ? 0 : 0x04) | (pdu.StatusReportWanted ? 0x20 : 0) | (udhi ? 0x40 : 0) |
                  (pdu.ReplyPath ? 0x80 : 0));
        b += EncodeAddress(pdu.Address, pdu.AddressType);
        b += char(pdu.ProtocolId);
        b += char(dcs);
        b += EncodeTime(time);
        return ToHex(b + *ud);
    case PduKind::Submit: {
        static constexpr int kVpf[] = {0, 2, 1, 3};  // None, Relative, Enhanced, Absolute
        b += char(0x01 | (pdu.RejectDuplicates ? 0x04 : 0) | kVpf[pdu.Valid.Form] << 3 |
                  (pdu.StatusReportWanted ? 0x20 : 0) | (udhi ? 0x40 : 0) | (pdu.ReplyPath ? 0x80 : 0));
        b += char(std::max(0, pdu.MessageReference) & 0xFF);
        b += EncodeAddress(pdu.Address, pdu.AddressType);
        b += char(pdu.ProtocolId);
        b += char(dcs);
        if (pdu.Valid.Form == Validity::Relative) b += char(RelativeOctet(pdu.Valid.Minutes));
        if (pdu.Valid.Form == Validity::Enhanced) b += (pdu.Valid.Raw + std::string(7, '\0')).substr(0, 7);
        if (pdu.Valid.Form == Validity::Absolute) b += EncodeTime(pdu.Valid.Until);
        return ToHex(b + *ud);
    }
    case PduKind::StatusReport: {
        b += char(0x02 | (pdu.MoreToSend ? 0 : 0x04) | (udhi ? 0x40 : 0));
        b += char(std::max(0, pdu.MessageReference) & 0xFF);
        b += EncodeAddress(pdu.Address, pdu.AddressType);
        b += EncodeTime(time);
        b += EncodeTime(pdu.Discharge.value_or(time));
        b += char(std::max(0, pdu.Status) & 0xFF);
        if (udhi || !pdu.Text.empty() || !pdu.Data.empty() || pdu.ProtocolId || dcs)
            b += std::string{0x07, char(pdu.ProtocolId), char(dcs)} + *ud;
        return ToHex(b);
    }
    }
    return Fail(kErrLocalData, Msg(kMsgPduUnknownKind));
}

Expected<std::vector<std::string>> EncodeDeliver(const Envelope& e, std::string_view text) {
    return EncodeText(PduKind::Deliver, e, text);
}

Expected<std::vector<std::string>> EncodeSubmit(const Envelope& e, std::string_view text) {
    return EncodeText(PduKind::Submit, e, text);
}

Expected<std::string> EncodeStatusReport(const Envelope& e, int status, SmsTime discharge) {
    SmsPdu p;
    p.Kind = PduKind::StatusReport;
    p.ServiceCentre = e.ServiceCentre;
    p.Address = e.Address;
    p.MessageReference = e.MessageReference;
    p.Time = e.Time;
    p.Discharge = discharge;
    p.Status = status;
    return EncodePdu(p);
}

}  // namespace q7k3::pim
