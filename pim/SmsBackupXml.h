#pragma once
// The messages as the XML that Android's common SMS backup-and-restore apps import: one
// <sms/> per message, its attributes in the order those apps write them.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "pim/MessageJoin.h"

namespace q7k3::pim {

struct SmsXml {
    std::string Xml;
    int Written = 0;
    // Messages left out: delivery reports and PDUs not decoded (both stay in the raw file).
    int LeftOut = 0;
};

// `names`: contact names by number, for contact_name; `undatedMs`: the date of a message
// without a time stamp (those the owner wrote: the phone stores no time with them).
SmsXml WriteSmsBackupXml(const std::vector<SmsMessage>& messages, std::int64_t undatedMs,
                         const std::map<std::string, std::string>& names = {});

// The type attribute: 1 received, 2 sent, 3 draft (a stored unsent message).
int SmsXmlType(const SmsMessage& m);
// An attribute value: & < > " ' as entities, CR, LF and tab as character references, and a
// character XML 1.0 cannot carry at all as U+FFFD.
std::string XmlAttribute(const std::string& utf8);
// "2005-06-15 10:20:30" in the time's own zone.
std::string ReadableTime(const SmsTime& t);

}  // namespace q7k3::pim
