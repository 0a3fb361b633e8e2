#pragma once
// Contacts as vCard: written as 3.0 in UTF-8 (what today's phones import), read from 2.1
// and 3.0 as phones and address books of every age wrote them.

#include <string>
#include <string_view>
#include <vector>

#include "pim/PimTypes.h"
#include "base/Text.h"

namespace q7k3::pim {

// One card per contact: FN, N, TEL with its type, the phone's store and slot in X-Q7K3-STORE
// and X-Q7K3-INDEX; CRLF line ends, lines folded at 75 octets between UTF-8 sequences.
std::string ExportVCards(const std::vector<Contact>& contacts);

// A card that gave no contact, and why.
struct SkippedCard {
    int Line = 0;       // where its BEGIN:VCARD stands (1-based)
    std::string Name;   // as far as it was read
    std::string Reason; // a catalogue text
};

struct VCardImport {
    std::vector<Contact> Contacts;  // one per number: a card with three numbers gives three
    std::vector<SkippedCard> Skipped;
};

// Reads every card of a .vcf: folded lines, QUOTED-PRINTABLE with its soft line breaks,
// CHARSET=UTF-8 or WINDOWS-1251 (no charset: UTF-8, or WINDOWS-1251 where the bytes are no
// UTF-8, as old phones wrote). The name is FN, else built from N.
VCardImport ImportVCards(std::string_view file);

// Windows-1251 bytes as UTF-8.
using q7k3::Cp1251ToUtf8;

}  // namespace q7k3::pim
