#pragma once
// Why a phone operation failed. Every operation returns its result or a Failure with one
// of these reasons; FailureText turns it into what the user reads. The numbers are the
// ones the user sees for a reason without a text of its own.

#include <array>
#include <cassert>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace q7k3 {

enum FailReason : int {
    kErrTimeout = 1,     // no (further) answer within the time-out
    kErrLocalFile = 2,   // a local file cannot be opened or created (text: path: reason)
    kErrChecksum = 3,    // checksum mismatch on a read file
    kErrNoJar = 4,       // no Java suite found
    kErrText = 5,        // other failure, with its text
    kErrBadAnswer = 6,   // the phone's answer cannot be read (malformed number, ...)
    kErrUnfinished = 7,  // the phone answers, but the answer never ends within its bound
    kErrGarbled = 8,     // bytes come, but no answer: noise, a flood, a wrong line rate
    kErrAborted = 9,     // the user (or an interrupt) ended the exchange
    kErrBadName = 10,    // a name the phone cannot take (a quote, a control character)
    kErrPhoneNotFound11 = 11,
    kErrRefused = 12,    // the phone answered a plain ERROR: it will not do it
    kErrLocalData = 13,  // a local folder or file is unusable as it is (with its text)
    kErrPortGone = 14,   // the port's device went away (cable pulled); text: the port
    kErrPhoneChecksum = 105,
    kErrPhoneNotFound = 2000,
    kErrPhoneMemoryFull = 2007,
};

// A failure as a value: its reason and, for the reasons that carry one, its text.
struct Failure {
    int Reason = 0;
    std::string Text;
    bool operator==(const Failure&) const = default;
};

// The failure side of an Expected, as std::unexpected is for std::expected.
struct Unexpected {
    Failure Error;
};
inline Unexpected Fail(int reason, std::string text = {}) {
    return Unexpected{Failure{reason, std::move(text)}};
}
inline Unexpected Fail(Failure failure) { return Unexpected{std::move(failure)}; }

// What an operation gives back: its value, or the failure that kept it from one. Shaped as
// C++23's std::expected (has_value, value, error, operator*, ->), so that moving to the
// standard type is a rename.
template <class T>
class [[nodiscard]] Expected {
public:
    Expected(T value) : m_v(std::in_place_index<0>, std::move(value)) {}
    Expected(Unexpected failure) : m_v(std::in_place_index<1>, std::move(failure.Error)) {}
    bool has_value() const { return m_v.index() == 0; }
    explicit operator bool() const { return has_value(); }
    T& value() & { assert(has_value()); return std::get<0>(m_v); }
    const T& value() const& { assert(has_value()); return std::get<0>(m_v); }
    T&& value() && { assert(has_value()); return std::get<0>(std::move(m_v)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    const Failure& error() const { assert(!has_value()); return std::get<1>(m_v); }
    T value_or(T other) const { return has_value() ? value() : std::move(other); }

private:
    std::variant<T, Failure> m_v;
};

// An operation that gives nothing back but whether it worked.
template <>
class [[nodiscard]] Expected<void> {
public:
    Expected() = default;
    Expected(Unexpected failure) : m_failure(std::move(failure.Error)) {}
    bool has_value() const { return !m_failure; }
    explicit operator bool() const { return has_value(); }
    const Failure& error() const { assert(m_failure); return *m_failure; }

private:
    std::optional<Failure> m_failure;
};
using Status = Expected<void>;

// Every reason the program sets; each has a text of its own.
inline constexpr std::array<FailReason, 17> kAllFailReasons = {
    kErrTimeout,       kErrLocalFile,       kErrChecksum,  kErrNoJar,     kErrText,
    kErrBadAnswer,     kErrUnfinished,      kErrGarbled,   kErrAborted,   kErrBadName,
    kErrPhoneNotFound11, kErrRefused,       kErrLocalData, kErrPortGone,  kErrPhoneChecksum,
    kErrPhoneNotFound, kErrPhoneMemoryFull};

// Reasons after which the phone may still be in the middle of an answer: the link is
// recovered (port closed and opened again, ATZ) as after a time-out.
bool NeedsLinkRecovery(int reason);

// The phone's "+CME ERROR: " codes that name a reason; any other code is reported with
// the phone's own words (kErrText).
bool IsKnownCmeCode(long code);

// The text of the error report for a reason; errorText is shown for kErrText and
// kErrLocalData (and after the text of kErrBadName and kErrLocalFile: the name), and a
// value that is no reason shows as its decimal number.
std::string FailureText(int reason, const std::string& errorText);

// Reasons that lie with the computer, not the phone (the CLI's exit code 6).
bool IsLocalFailure(int reason);

// What to check after a reason that leaves the phone unheard (a time-out): the cable, the
// phone switched on. Empty for the other reasons.
std::string FailureAdvice(int reason);
// The whole report: FailureText, and the advice on a line of its own when there is one.
std::string FailureReport(int reason, const std::string& errorText);
inline std::string FailureText(const Failure& failure) {
    return FailureText(failure.Reason, failure.Text);
}
inline std::string FailureReport(const Failure& failure) {
    return FailureReport(failure.Reason, failure.Text);
}

// The failure of a local file that cannot be opened, read or written: kErrLocalFile,
// and as its text the path with the reason (`err`: the failed call's errno, or 0).
Failure LocalFileFailure(const std::string& path, bool writing, int err = 0);

}  // namespace q7k3
