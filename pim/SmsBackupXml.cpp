#include "pim/SmsBackupXml.h"

#include <cstdio>

#include "pim/GsmAlphabet.h"

namespace q7k3::pim {

int SmsXmlType(const SmsMessage& m) {
    switch (m.Stat) {
    case MessageStat::Sent: return 2;
    // Not an outbox (4): a restored outbox message may be sent again by the new phone.
    case MessageStat::Unsent: return 3;
    default: return m.Kind == PduKind::Submit ? 2 : 1;
    }
}

std::string XmlAttribute(const std::string& utf8) {
    std::string out;
    for (char32_t c : DecodeUtf8(utf8)) {
        switch (c) {
        case U'&': out += "&amp;"; break;
        case U'<': out += "&lt;"; break;
        case U'>': out += "&gt;"; break;
        case U'"': out += "&quot;"; break;
        case U'\'': out += "&apos;"; break;
        case U'\n': out += "&#10;"; break;
        case U'\r': out += "&#13;"; break;
        case U'\t': out += "&#9;"; break;
        default:
            AppendUtf8(out, c < 0x20 || c == 0xFFFE || c == 0xFFFF ? char32_t(0xFFFD) : c);
        }
    }
    return out;
}

std::string ReadableTime(const SmsTime& t) {
    const std::int64_t local = t.UtcMs / 1000 + std::int64_t(t.ZoneMinutes) * 60;
    std::int64_t days = local / 86400, secs = local % 86400;
    if (secs < 0) secs += 86400, --days;
    // Days to a civil date (proleptic Gregorian).
    std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1, m = mp < 10 ? mp + 3 : mp - 9;
    const long long y = yoe + era * 400 + (m <= 2);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02d:%02d:%02d", y, m, d, int(secs / 3600),
                  int(secs / 60 % 60), int(secs % 60));
    return buf;
}

SmsXml WriteSmsBackupXml(const std::vector<SmsMessage>& messages, std::int64_t undatedMs,
                         const std::map<std::string, std::string>& names) {
    SmsXml out;
    std::string body;
    for (const SmsMessage& m : messages) {
        if (!m.Decoded || m.Kind == PduKind::StatusReport) {
            ++out.LeftOut;
            continue;
        }
        const int type = SmsXmlType(m);
        const std::int64_t date = m.Time ? m.Time->UtcMs : undatedMs;
        const SmsTime shown = m.Time ? *m.Time : SmsTime{undatedMs, 0};
        auto name = names.find(m.Address);
        body += "  <sms protocol=\"0\" address=\"" + XmlAttribute(m.Address) + "\" date=\"" + std::to_string(date) +
                "\" type=\"" + std::to_string(type) + "\" subject=\"null\" body=\"" + XmlAttribute(m.Text) +
                "\" toa=\"null\" sc_toa=\"null\" service_center=\"" +
                (type == 1 && !m.ServiceCentre.empty() ? XmlAttribute(m.ServiceCentre) : std::string("null")) +
                "\" read=\"" + (m.Stat == MessageStat::Unread ? "0" : "1") +
                "\" status=\"-1\" locked=\"0\" date_sent=\"" +
                (type == 1 && m.Time ? std::to_string(m.Time->UtcMs) : std::string("0")) + "\" readable_date=\"" +
                XmlAttribute(ReadableTime(shown)) + "\" contact_name=\"" +
                (name != names.end() && !name->second.empty() ? XmlAttribute(name->second) : "(Unknown)") +
                "\" />\n";
        ++out.Written;
    }
    out.Xml = "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\n<smses count=\"" +
              std::to_string(out.Written) + "\">\n" + body + "</smses>\n";
    return out;
}

}  // namespace q7k3::pim
