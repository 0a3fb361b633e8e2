#pragma once
// What the phone keeps besides its files: the phonebook entries and the short messages, as
// plain values. The codecs (pim/) turn them into today's formats and back; the exchanges
// (pim/phone/) read and write them over the AT commands of the phonebook and message stores.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace q7k3::pim {

// One phonebook entry as the phone holds it.
struct Contact {
    std::string Store;   // "SM" (the SIM) or "ME" (the phone)
    int Index = 0;       // its slot in the store; 0 for one not yet written
    std::string Number;  // as dialled, "+" first for an international one
    int Type = 129;      // 145 international, 129 otherwise
    std::string Name;    // UTF-8
    bool operator==(const Contact&) const = default;
};

// A phonebook store's room, as the phone tells it.
struct PhonebookStore {
    std::string Name;     // "SM", "ME"
    int First = 1;        // the slot range AT+CPBR=? gives
    int Last = 0;
    int NumberLength = 0; // the longest number and name the store takes (0: not told)
    int NameLength = 0;
    int Used = -1;        // AT+CPBS? (-1: not told)
    int Total = -1;
};

// Where a stored message stands (the stat of AT+CMGL in PDU mode).
enum class MessageStat : int { Unread = 0, Read = 1, Unsent = 2, Sent = 3 };

// One message as the phone lists it: its store, slot and state, and the PDU (with the
// service centre's address in front) as the hex the phone sent. Kept as it came, so that a
// later decoder can read what this one could not.
struct StoredPdu {
    std::string Store;
    int Index = 0;
    MessageStat Stat = MessageStat::Read;
    std::string Hex;
    // Made here from what the phone showed in text mode (it gives no PDU there): the raw
    // file leaves it out.
    bool FromText = false;
    bool operator==(const StoredPdu&) const = default;
};

}  // namespace q7k3::pim
