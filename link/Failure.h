#pragma once
// Why a phone operation failed. Every operation returns true or false and leaves one of
// these in the channel's LastError; FailureText turns it into what the user reads. The
// numbers are the ones the user sees for a reason without a text of its own.

#include <array>
#include <string>

namespace q7k3 {

enum FailReason : int {
    kErrTimeout = 1,       // no (further) answer within the time-out
    kErrLocalFile = 2,     // a local file cannot be opened or created
    kErrChecksum = 3,      // checksum mismatch on a read file
    kErrNoJar = 4,         // no Java suite found
    kErrText = 5,          // other failure, text in ErrorText
    kErrBadAnswer = 6,     // the phone's answer cannot be read (malformed number, ...)
    kErrPhoneNotFound11 = 11,
    kErrPhoneChecksum = 105,
    kErrPhoneNotFound = 2000,
    kErrPhoneMemoryFull = 2007,
};
// The older name, kept for code written against it.
using LastErrorCode = FailReason;

// Every reason the program sets; each has a text of its own.
inline constexpr std::array<FailReason, 10> kAllFailReasons = {
    kErrTimeout,         kErrLocalFile,     kErrChecksum,      kErrNoJar,
    kErrText,            kErrBadAnswer,     kErrPhoneNotFound11, kErrPhoneChecksum,
    kErrPhoneNotFound,   kErrPhoneMemoryFull};

// The phone's "+CME ERROR: " codes that name a reason; any other code is reported with
// the phone's own words (kErrText).
bool IsKnownCmeCode(long code);

// The text of the error report for a reason; errorText is shown for kErrText, and a
// value that is no reason shows as its decimal number.
std::string FailureText(int reason, const std::string& errorText);

}  // namespace q7k3
