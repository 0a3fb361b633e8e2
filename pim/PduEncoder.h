#pragma once
// Short messages built as PDU hex, the service centre's address in front, as a phone stores
// them: what the emulator keeps and lists, and the mirror the decoder is tested against.

#include <string>
#include <string_view>
#include <vector>

#include "base/Failure.h"
#include "pim/Pdu.h"

namespace q7k3::pim {

// One PDU exactly as `pdu` describes it: its kind, addresses, times, header (a Part adds
// its concatenation element unless the header has one), and Text in its Coding (Data for
// 8-bit). Fails when the user data outgrows one message or the text has a character the
// 7-bit alphabet lacks.
Expected<std::string> EncodePdu(const SmsPdu& pdu);

// What the messages built from one text share.
struct Envelope {
    std::string ServiceCentre;   // "+..." or empty
    std::string Address;         // "+" and digits, digits, or letters (an alphanumeric sender)
    SmsTime Time;                // the centre's time stamp (deliver, status report)
    int MessageReference = 0;    // submit, status report
    Validity Valid;              // submit
    int MessageClass = -1;
    int ConcatReference = 0;     // the reference of the parts of a long text
    bool WideReference = false;  // as a 16-bit one
    bool ForceUcs2 = false;      // UCS-2 even when the 7-bit alphabet has every character
};

// A text as the PDUs that carry it: one, or parts with a concatenation header each, cut
// between characters (never inside an escape or a surrogate pair). 7-bit when the alphabet
// has every character, else UCS-2. Fails beyond 255 parts.
Expected<std::vector<std::string>> EncodeDeliver(const Envelope& e, std::string_view text);
Expected<std::vector<std::string>> EncodeSubmit(const Envelope& e, std::string_view text);
// A delivery report on message e.MessageReference to e.Address: `status` and when it arrived.
Expected<std::string> EncodeStatusReport(const Envelope& e, int status, SmsTime discharge);

// The texts of the parts `text` is cut into, and their coding.
struct Split {
    DataCoding Coding = DataCoding::Gsm7;
    std::vector<std::string> Parts;  // UTF-8
};
Split SplitText(std::string_view text, bool forceUcs2 = false, bool wideReference = false);

}  // namespace q7k3::pim
