#pragma once
// The messages a reader sees, from the PDUs the phone stores: the parts of a long message
// joined in order whatever order they were listed in, a missing part shown where it belongs,
// and a PDU this program cannot read kept as a message of its own with its hex.

#include <optional>
#include <string>
#include <vector>

#include "pim/Pdu.h"
#include "pim/PimTypes.h"

namespace q7k3::pim {

// The mark a missing part leaves in the joined text.
inline constexpr const char* kMissingPartMark = "[…]";

struct SmsMessage {
    std::vector<StoredPdu> Raw;      // the PDUs as stored (store, index, stat, hex), in part order
    bool Decoded = true;             // false: Raw holds one PDU that could not be read
    Failure Problem;                 // why, when not decoded
    PduKind Kind = PduKind::Deliver;
    MessageStat Stat = MessageStat::Read;  // Unread when any part is
    std::string Address;
    std::string ServiceCentre;
    std::optional<SmsTime> Time;     // the earliest time stamp of its parts
    std::optional<SmsTime> Discharge;  // status report
    int Status = -1;                 // status report
    int MessageClass = -1;
    DataCoding Coding = DataCoding::Gsm7;
    std::string Text;                // UTF-8, kMissingPartMark where a part is missing
    int Total = 1;                   // parts the message has
    std::vector<int> Missing;        // the numbers of the parts not stored
    bool Complete() const { return Missing.empty() && Decoded; }
};

// The messages of `pdus`, in the order their first stored part came.
std::vector<SmsMessage> JoinMessages(const std::vector<StoredPdu>& pdus);

// "Не получены части: 2, 5" for a message with parts missing, else empty.
std::string MissingPartsNote(const SmsMessage& m);

}  // namespace q7k3::pim
