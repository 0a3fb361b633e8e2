#pragma once
// The files an export of the phone's contacts and messages leaves on the computer, each
// written whole or not at all (OutputFile): the contacts as one vCard file; the messages as
// the SMS backup XML, the PDUs as they came, and a readable text per conversation.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/Failure.h"
#include "pim/MessageJoin.h"
#include "pim/PimTypes.h"

namespace q7k3::pim {

// Contact names by the number as dialled, for the messages' contact_name: the first entry
// of a number names it (the SIM's before the phone's, in the order read).
std::map<std::string, std::string> NamesByNumber(const std::vector<Contact>& contacts);

// The bytes of a .vcf to import: a file that does not read fails with its path
// (kErrLocalFile), one beyond 64 MB, far past any phonebook's, as too large (kErrLocalData).
Expected<std::string> ReadCardFile(const std::string& path);

Status ExportContactsFile(const std::string& path, const std::vector<Contact>& contacts);

// Where the messages go: the XML, the raw PDUs, and the folder of the conversations (made
// when missing).
struct MessageFiles {
    std::string Xml;
    std::string Pdus;
    std::string Conversations;
};
// `names`: number → the contact's name, for the XML's contact_name. The raw PDUs are those
// of the messages given.
Status ExportMessageFiles(const MessageFiles& where, const std::vector<SmsMessage>& messages,
                          const std::map<std::string, std::string>& names, std::int64_t nowMs);

}  // namespace q7k3::pim
