#include "pim/Pdu.h"

#include "pim/GsmAlphabet.h"
#include "pim/PimMessages.h"
#include "base/Messages.h"

namespace q7k3::pim {
namespace {

// The octets of one message, read front to back; every read checks what is left.
class Reader {
public:
    explicit Reader(std::string_view bytes) : m_b(bytes) {}
    bool Has(size_t n) const { return m_b.size() - m_pos >= n; }
    size_t Left() const { return m_b.size() - m_pos; }
    int Octet() { return static_cast<unsigned char>(m_b[m_pos++]); }
    std::string_view Take(size_t n) {
        auto s = m_b.substr(m_pos, n);
        m_pos += n;
        return s;
    }

private:
    std::string_view m_b;
    size_t m_pos = 0;
};

Unexpected Cut() { return Fail(kErrBadAnswer, Msg(kMsgPduCut)); }

// Semi-octet digits, low nibble first; F pads an odd count.
std::string SemiOctets(std::string_view b, int digits) {
    static constexpr char kDigits[] = "0123456789*#abc";
    std::string out;
    for (int i = 0; i < digits; ++i) {
        const int nibble = (static_cast<unsigned char>(b[i / 2]) >> (i % 2 ? 4 : 0)) & 15;
        if (nibble == 15) break;
        out += kDigits[nibble];
    }
    return out;
}

std::string NumberWithType(std::string digits, int type) {
    if ((type & 0x70) == 0x10 && !digits.empty()) return "+" + digits;
    return digits;
}

// An address field: its length in digits, its type, the digits (or 7-bit letters).
Expected<std::string> ReadAddress(Reader& r, int& type) {
    if (!r.Has(2)) return Cut();
    const int digits = r.Octet();
    type = r.Octet();
    if (digits > 20) return Fail(kErrBadAnswer, Msg(kMsgPduBadAddress));
    const size_t octets = (digits + 1) / 2;
    if (!r.Has(octets)) return Cut();
    auto b = r.Take(octets);
    if ((type & 0x70) == 0x50) {  // alphanumeric: GSM letters packed into the digits' room
        auto codes = UnpackSeptets(b, digits * 4 / 7);
        return GsmToUtf8(codes.value_or(std::string()));
    }
    return NumberWithType(SemiOctets(b, digits), type);
}

int Bcd(int octet) {  // a semi-octet pair, low nibble the tens; -1 for a non-digit
    const int tens = octet & 15, units = octet >> 4;
    return tens > 9 || units > 9 ? -1 : tens * 10 + units;
}

std::int64_t DaysFromCivil(int y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return std::int64_t(era) * 146097 + doe - 719468;
}

// Seven octets of a time stamp; nothing when they hold no valid time.
std::optional<SmsTime> ReadTime(std::string_view b) {
    int v[6];
    for (int i = 0; i < 6; ++i)
        if ((v[i] = Bcd(static_cast<unsigned char>(b[i]))) < 0) return std::nullopt;
    const int tz = static_cast<unsigned char>(b[6]);
    const int quarters = Bcd(tz & ~0x08);
    if (quarters < 0 || quarters > 79) return std::nullopt;
    const int year = v[0] >= 90 ? 1900 + v[0] : 2000 + v[0];
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    if (v[1] < 1 || v[1] > 12 || v[2] < 1 || v[2] > kDays[v[1] - 1] || (v[1] == 2 && v[2] == 29 && !leap) ||
        v[3] > 23 || v[4] > 59 || v[5] > 59)
        return std::nullopt;
    SmsTime t;
    t.ZoneMinutes = quarters * 15 * ((tz & 0x08) ? -1 : 1);
    const std::int64_t local = DaysFromCivil(year, v[1], v[2]) * 86400 + v[3] * 3600 + v[4] * 60 + v[5];
    t.UtcMs = (local - t.ZoneMinutes * 60) * 1000;
    return t;
}

}  // namespace

std::optional<SmsTime> ParseTextTime(std::string_view text) {
    // yy/MM/dd,hh:mm:ss±zz: the same seven fields as a PDU's stamp, read as one.
    if (text.size() != 20) return std::nullopt;
    std::string octets;
    for (size_t at = 0; at < 18; at += 3) {
        const char t = text[at], u = text[at + 1];
        if (t < '0' || t > '9' || u < '0' || u > '9') return std::nullopt;
        if (at < 15 && text[at + 2] != "//,::"[at / 3]) return std::nullopt;
        octets += static_cast<char>((t - '0') | (u - '0') << 4);
    }
    const char sign = text[17];
    if (sign != '+' && sign != '-') return std::nullopt;
    // The zone in quarters of an hour, its sign in the tens' nibble as a PDU keeps it.
    const char t = text[18], u = text[19];
    // (A tens' digit over 7 would reach the sign's bit: no zone is that far.)
    if (t < '0' || t > '7' || u < '0' || u > '9') return std::nullopt;
    octets += static_cast<char>((t - '0') | (u - '0') << 4 | (sign == '-' ? 0x08 : 0));
    return ReadTime(octets);
}

namespace {

Expected<std::optional<SmsTime>> TakeTime(Reader& r) {
    if (!r.Has(7)) return Cut();
    return ReadTime(r.Take(7));
}

// The relative validity octet as minutes.
int RelativeMinutes(int vp) {
    if (vp <= 143) return (vp + 1) * 5;
    if (vp <= 167) return 12 * 60 + (vp - 143) * 30;
    if (vp <= 196) return (vp - 166) * 24 * 60;
    return (vp - 192) * 7 * 24 * 60;
}

Status ReadHeader(std::string_view udh, SmsPdu& pdu) {
    Reader r(udh);
    while (r.Left()) {
        if (!r.Has(2)) return Fail(kErrBadAnswer, Msg(kMsgPduBadHeader));
        HeaderElement e;
        e.Id = r.Octet();
        const int len = r.Octet();
        if (!r.Has(len)) return Fail(kErrBadAnswer, Msg(kMsgPduBadHeader));
        e.Data = std::string(r.Take(len));
        const auto& d = e.Data;
        auto at = [&](int i) { return static_cast<unsigned char>(d[i]); };
        // A part numbered 0 or past the total is no part: the message reads as a whole.
        if (e.Id == 0x00 && len == 3 && at(1) > 0 && at(2) > 0 && at(2) <= at(1))
            pdu.Part = Concatenation{at(0), at(1), at(2), false};
        else if (e.Id == 0x08 && len == 4 && at(2) > 0 && at(3) > 0 && at(3) <= at(2))
            pdu.Part = Concatenation{at(0) << 8 | at(1), at(2), at(3), true};
        pdu.Header.push_back(std::move(e));
    }
    return {};
}

// The user data: its length (septets for 7-bit text, octets otherwise), the header when
// the first octet says there is one, then the text.
Status ReadUserData(Reader& r, bool hasHeader, SmsPdu& pdu) {
    if (!r.Has(1)) return Cut();
    const int udl = r.Octet();
    const bool septets = pdu.Coding == DataCoding::Gsm7;
    const size_t octets = septets ? size_t(PackedLength(udl)) : size_t(udl);
    if (!r.Has(octets)) return Cut();
    std::string_view ud = r.Take(octets);
    size_t headerOctets = 0;
    if (hasHeader && udl > 0) {
        headerOctets = static_cast<unsigned char>(ud[0]) + 1;
        if (headerOctets > ud.size()) return Fail(kErrBadAnswer, Msg(kMsgPduBadHeader));
        if (auto s = ReadHeader(ud.substr(1, headerOctets - 1), pdu); !s) return Fail(s.error());
    }
    if (septets) {
        // The text starts on the septet boundary after the header: fill bits between.
        const int headerSeptets = int((headerOctets * 8 + 6) / 7);
        const int count = udl - headerSeptets;
        if (count < 0) return Fail(kErrBadAnswer, Msg(kMsgPduBadHeader));
        const int fill = headerSeptets * 7 - int(headerOctets) * 8;
        auto codes = UnpackSeptets(ud.substr(headerOctets), count, fill);
        if (!codes) return Cut();
        pdu.Text = GsmToUtf8(*codes);
    } else if (pdu.Coding == DataCoding::Ucs2) {
        pdu.Text = Utf16BeToUtf8(ud.substr(headerOctets));
    } else {
        pdu.Data = std::string(ud.substr(headerOctets));
    }
    return {};
}

Status ReadCoding(Reader& r, SmsPdu& pdu) {
    if (!r.Has(2)) return Cut();
    pdu.ProtocolId = r.Octet();
    pdu.CodingScheme = r.Octet();
    const CodingInfo c = ReadCodingScheme(pdu.CodingScheme);
    if (c.Compressed) return Fail(kErrBadAnswer, Msg(kMsgPduCompressed));
    pdu.Coding = c.Coding;
    pdu.MessageClass = c.MessageClass;
    return {};
}

}  // namespace

CodingInfo ReadCodingScheme(int dcs) {
    CodingInfo c;
    const int group = dcs >> 4;
    if (group <= 7) {  // general coding, or marked for deletion once read
        c.Compressed = dcs & 0x20;
        if (dcs & 0x10) c.MessageClass = dcs & 3;
        const int alphabet = (dcs >> 2) & 3;  // the reserved one reads as 7-bit
        c.Coding = alphabet == 1 ? DataCoding::Eight : alphabet == 2 ? DataCoding::Ucs2 : DataCoding::Gsm7;
    } else if (group == 0xE) {  // message waiting, UCS-2 text
        c.Coding = DataCoding::Ucs2;
    } else if (group == 0xF) {  // data coding and message class
        c.Coding = (dcs & 4) ? DataCoding::Eight : DataCoding::Gsm7;
        c.MessageClass = dcs & 3;
    }
    // The reserved groups (8-B) and the other message-waiting ones (C, D) carry 7-bit text.
    return c;
}

ReportOutcome OutcomeOf(int status) {
    if (status >= 0 && status <= 0x1F) return ReportOutcome::Delivered;
    if (status >= 0x20 && status <= 0x3F) return ReportOutcome::Pending;
    return ReportOutcome::Failed;
}

Expected<SmsPdu> DecodePdu(std::string_view hex, bool withCentre) {
    while (!hex.empty() && (hex.back() == '\r' || hex.back() == '\n' || hex.back() == ' ')) hex.remove_suffix(1);
    auto bytes = FromHex(hex);
    if (!bytes) return Fail(kErrBadAnswer, Msg(kMsgPduNotHex));
    Reader r(*bytes);
    SmsPdu pdu;
    if (withCentre) {
        if (!r.Has(1)) return Cut();
        const int len = r.Octet();  // octets, the type among them
        if (len > 0) {
            if (len > 11) return Fail(kErrBadAnswer, Msg(kMsgPduBadAddress));
            if (!r.Has(len)) return Cut();
            const int type = r.Octet();
            pdu.ServiceCentre = NumberWithType(SemiOctets(r.Take(len - 1), (len - 1) * 2), type);
        }
    }
    if (!r.Has(1)) return Cut();
    const int first = r.Octet();
    const bool hasHeader = first & 0x40;
    switch (first & 3) {
    case 0: {
        pdu.Kind = PduKind::Deliver;
        pdu.MoreToSend = !(first & 0x04);
        pdu.StatusReportWanted = first & 0x20;
        pdu.ReplyPath = first & 0x80;
        auto a = ReadAddress(r, pdu.AddressType);
        if (!a) return Fail(a.error());
        pdu.Address = *a;
        if (auto s = ReadCoding(r, pdu); !s) return Fail(s.error());
        auto t = TakeTime(r);
        if (!t) return Fail(t.error());
        pdu.Time = *t;
        break;
    }
    case 1: {
        pdu.Kind = PduKind::Submit;
        pdu.RejectDuplicates = first & 0x04;
        pdu.StatusReportWanted = first & 0x20;
        pdu.ReplyPath = first & 0x80;
        if (!r.Has(1)) return Cut();
        pdu.MessageReference = r.Octet();
        auto a = ReadAddress(r, pdu.AddressType);
        if (!a) return Fail(a.error());
        pdu.Address = *a;
        if (auto s = ReadCoding(r, pdu); !s) return Fail(s.error());
        switch ((first >> 3) & 3) {
        case 0: break;
        case 2:
            if (!r.Has(1)) return Cut();
            pdu.Valid.Form = Validity::Relative;
            pdu.Valid.Minutes = RelativeMinutes(r.Octet());
            break;
        case 1:
            if (!r.Has(7)) return Cut();
            pdu.Valid.Form = Validity::Enhanced;
            pdu.Valid.Raw = std::string(r.Take(7));
            break;
        case 3: {
            auto t = TakeTime(r);
            if (!t) return Fail(t.error());
            if (*t) {
                pdu.Valid.Form = Validity::Absolute;
                pdu.Valid.Until = **t;
            }
            break;
        }
        }
        break;
    }
    case 2: {
        pdu.Kind = PduKind::StatusReport;
        pdu.MoreToSend = !(first & 0x04);
        if (!r.Has(1)) return Cut();
        pdu.MessageReference = r.Octet();
        auto a = ReadAddress(r, pdu.AddressType);
        if (!a) return Fail(a.error());
        pdu.Address = *a;
        auto t = TakeTime(r);
        if (!t) return Fail(t.error());
        pdu.Time = *t;
        auto d = TakeTime(r);
        if (!d) return Fail(d.error());
        pdu.Discharge = *d;
        if (!r.Has(1)) return Cut();
        pdu.Status = r.Octet();
        // What follows is optional: which of PID, DCS and user data come.
        if (!r.Left()) return pdu;
        const int indicator = r.Octet();
        for (int more = indicator; more & 0x80;) {  // extension octets, none of them read here
            if (!r.Has(1)) return Cut();
            more = r.Octet();
        }
        if (indicator & 1) {
            if (!r.Has(1)) return Cut();
            pdu.ProtocolId = r.Octet();
        }
        if (indicator & 2) {
            if (!r.Has(1)) return Cut();
            pdu.CodingScheme = r.Octet();
            const CodingInfo c = ReadCodingScheme(pdu.CodingScheme);
            if (c.Compressed) return Fail(kErrBadAnswer, Msg(kMsgPduCompressed));
            pdu.Coding = c.Coding;
            pdu.MessageClass = c.MessageClass;
        }
        if (indicator & 4)
            if (auto s = ReadUserData(r, hasHeader, pdu); !s) return Fail(s.error());
        return pdu;
    }
    default: return Fail(kErrBadAnswer, Msg(kMsgPduUnknownKind));
    }
    if (auto s = ReadUserData(r, hasHeader, pdu); !s) return Fail(s.error());
    return pdu;
}

}  // namespace q7k3::pim
