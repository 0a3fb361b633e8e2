#pragma once
// The phone connection: reset, model query and model check. The session (PhoneSession)
// builds the connection dialog loop, the error report and the keep-alive on them.

#include <functional>
#include <string>

#include "base/AppFlags.h"
#include "link/PhoneLink.h"
#include "base/Prompts.h"

namespace q7k3 {

// Resets the phone with ATZ (re-sent for up to 2000 ms, then 2500 ms per further batch).
// The phone search gives it shorter waits.
Status ResetPhone(PhoneLink& link, int firstTimeoutMs = 2000, int nextTimeoutMs = 2500);
// Queries AT+CGMM: the model line without its CR LF (also stored as PhoneModel), "ERROR"
// when the phone refuses (the port is then closed), or "Time Out". Reads on to the
// answer's final "OK", so that nothing of it is left for the next command.
std::string ReadModel(PhoneLink& link);

// The AT+CGMM exchange itself, followed to its final "OK" (an "OK" before the model line
// closes an earlier query and is skipped). Does not touch PhoneModel.
struct ModelAnswer {
    bool Seen = false;     // a model line came
    bool Refused = false;  // the phone answered ERROR
    std::string Model;     // the model line without its CR LF
    // The first other line of text (neither the command's echo nor a result): what a
    // device that is no SGH phone calls itself.
    std::string Other;
    // Neither a model line nor a refusal: why (silence, an answer cut by its bound).
    Failure Why;
};
ModelAnswer QueryModel(AtChannel& ch, int firstTimeoutMs = 5000, int nextTimeoutMs = 2500);

// The phone's serial number (AT+CGSN): the text of its answer, or "" for a phone that has
// none to give (it refuses the command). A phone that does not answer fails (kErrTimeout),
// one whose answer is no serial number fails with kErrBadAnswer.
Expected<std::string> QuerySerial(AtChannel& ch);

// The five models the program works with, compared as whole strings.
bool IsSupportedModel(const std::string& phoneModel);
// "SGH-E700" gives "E700": the four characters from position 5.
std::string ModelCode(const std::string& phoneModel);
// The one identification routine of the window and the CLI, once the port is open:
// reset, model, model check and the SGH-E800 rule. On failure the port is closed; the
// window turns the result into boxes, the CLI into exit codes.
enum class PhoneCheck {
    Supported,    // PhoneModel is one of the five
    Silent,       // no answer to ATZ or AT+CGMM ("Телефон не отвечает")
    Unsupported,  // refused AT+CGMM or another model ("Эта модель телефона не поддерживается")
};
// Before anything is sent: a phone still waiting for the data of a write cut short on this
// port (CutTransfer.h) is left to give it up, in silence; link.OnCutTransferWait is told.
void WaitForCutTransfer(PhoneLink& link);
// What the identification found, and for a silent phone why it counts as one: kErrTimeout,
// or what cut its answer short (kErrGarbled, kErrUnfinished, kErrPortGone, ...).
struct Identification {
    PhoneCheck Check = PhoneCheck::Supported;
    Failure Why;
    bool operator==(PhoneCheck check) const { return Check == check; }
};
// afterReset runs once the phone answered ATZ, before the model query.
Identification IdentifyPhone(PhoneLink& link, AppFlags& flags,
                             const std::function<void()>& afterReset = nullptr);
// The window's box for a phone that does not answer on `port`: the reason, the port it was
// asked on, what to check and where another port is chosen.
std::string SilentPhoneText(const std::string& port);
// The catalogue message of a failed identification (21 or 20); -1 for Supported.
int PhoneCheckMessage(PhoneCheck check);
// The same, told by the reason of a silent phone: one that sends bytes but no answer, or
// never finishes one, is not called silent.
int PhoneCheckMessage(PhoneCheck check, int reason);
inline int PhoneCheckMessage(const Identification& found) {
    return PhoneCheckMessage(found.Check, found.Why.Reason);
}

}  // namespace q7k3
