#pragma once
// The catalogue numbers (base/Messages.h) of the contacts' and messages' codecs.

namespace q7k3::pim {

enum PimMessageId : int {
    kMsgPduCut = 500,          // the message ends before its fields do
    kMsgPduNotHex = 501,
    kMsgPduUnknownKind = 502,
    kMsgPduCompressed = 503,
    kMsgPduBadHeader = 504,
    kMsgPduBadAddress = 505,
    kMsgPduTooLong = 506,      // user data past one message, a text past 255 parts
    kMsgPduBinary = 507,       // a message's 8-bit data: + its length
    kMsgReportDelivered = 508, // a delivery report's text
    kMsgPduUndecoded = 509,    // a message this program cannot read: + why
    kMsgCardNoNumber = 510,
    kMsgCardUnclosed = 511,
    kMsgCardCharset = 512,     // + the charset's name
    kMsgPduFileLine = 514,     // + the line's number
    kMsgPduPartsMissing = 515, // + the missing parts' numbers
    kMsgReportPending = 516,
    kMsgReportFailed = 517,
    kMsgPduNotGsm = 518,       // a text for 7-bit coding with a character it lacks
};

}  // namespace q7k3::pim
