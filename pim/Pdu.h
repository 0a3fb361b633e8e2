#pragma once
// Short messages as the phone keeps them in PDU mode (AT+CMGF=0): the hex of one message with
// the service centre's address in front. Decoding checks every length against what is left,
// so a cut or crafted message gives a Failure and never a read past its end.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Failure.h"

namespace q7k3::pim {

enum class PduKind { Deliver, Submit, StatusReport };
enum class DataCoding { Gsm7, Eight, Ucs2 };

// A time stamp of the service centre: the instant, and the sender's zone (local time is
// UTC + ZoneMinutes).
struct SmsTime {
    std::int64_t UtcMs = 0;
    int ZoneMinutes = 0;
    bool operator==(const SmsTime&) const = default;
};

// How long the centre should try to deliver a message sent.
struct Validity {
    enum Format { None, Relative, Enhanced, Absolute } Form = None;
    int Minutes = 0;        // Relative: the period
    SmsTime Until;          // Absolute: the instant
    std::string Raw;        // Enhanced: its seven octets as they came
    bool operator==(const Validity&) const = default;
};

// One part of a message cut into several.
struct Concatenation {
    int Reference = 0;  // the same in every part of one message
    int Total = 0;      // 1..255
    int Sequence = 0;   // 1..Total
    bool Wide = false;  // a 16-bit reference
    bool operator==(const Concatenation&) const = default;
};

// One element of a user data header.
struct HeaderElement {
    int Id = 0;
    std::string Data;
    bool operator==(const HeaderElement&) const = default;
};

struct SmsPdu {
    PduKind Kind = PduKind::Deliver;
    std::string ServiceCentre;      // "+..." or empty when the phone gave none
    std::string Address;            // the sender (deliver), recipient (submit, status report)
    int AddressType = 0x81;         // its type octet: 0x91 international, 0xD0 alphanumeric
    int MessageReference = -1;      // submit and status report
    int ProtocolId = 0;
    int CodingScheme = 0;           // the octet as it came
    DataCoding Coding = DataCoding::Gsm7;
    int MessageClass = -1;          // 0-3, or -1 for none
    bool ReplyPath = false, StatusReportWanted = false, MoreToSend = false, RejectDuplicates = false;
    std::optional<SmsTime> Time;    // the service centre's time stamp (deliver, status report);
                                    // absent too when the phone stored one that is no time
    std::optional<SmsTime> Discharge; // status report: when the message reached its recipient
    int Status = -1;                  // status report: 0x00-0x1F delivered, above: not (yet)
    Validity Valid;                   // submit
    std::vector<HeaderElement> Header;
    std::optional<Concatenation> Part;
    std::string Text;                 // UTF-8 (7-bit and UCS-2 data)
    std::string Data;                 // 8-bit data, the octets as they came
    bool operator==(const SmsPdu&) const = default;
};

// Decodes the hex the phone gives for a stored message; `withCentre`: it starts with the
// service centre's address, as AT+CMGL and AT+CMGR give it.
Expected<SmsPdu> DecodePdu(std::string_view hex, bool withCentre = true);

// A time stamp as text mode gives it, "06/05/03,09:15:00+12" (the zone in quarters of an
// hour); nothing when it is none.
std::optional<SmsTime> ParseTextTime(std::string_view text);

// Reads a coding scheme octet: the alphabet, the class (-1: none) and whether the text is
// compressed (which this program does not read).
struct CodingInfo {
    DataCoding Coding = DataCoding::Gsm7;
    int MessageClass = -1;
    bool Compressed = false;
};
CodingInfo ReadCodingScheme(int dcs);

// A delivery report's status as delivered (0x00-0x1F), still tried (0x20-0x3F) or failed.
enum class ReportOutcome { Delivered, Pending, Failed };
ReportOutcome OutcomeOf(int status);

}  // namespace q7k3::pim
