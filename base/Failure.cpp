#include "base/Failure.h"

#include "base/LocalProblem.h"
#include "base/Messages.h"

namespace q7k3 {

bool IsKnownCmeCode(long code) {
    return code == kErrPhoneNotFound11 || code == kErrPhoneChecksum || code == kErrPhoneNotFound ||
           code == kErrPhoneMemoryFull;
}

bool NeedsLinkRecovery(int reason) {
    return reason == kErrTimeout || reason == kErrUnfinished || reason == kErrGarbled ||
           reason == kErrAborted || reason == kErrPortGone;
}

std::string FailureText(int reason, const std::string& errorText) {
    switch (reason) {
    case kErrTimeout: return Msg(kMsgTimeout);
    case kErrLocalFile: return Msg(kMsgCannotOpenFile) + errorText;
    case kErrChecksum: return Msg(kMsgChecksum);
    case kErrNoJar: return Msg(kMsgNoJar);
    case kErrText: return errorText;
    case kErrBadAnswer: return Msg(kMsgBadAnswer);
    case kErrUnfinished: return Msg(kMsgPhoneUnfinished);
    case kErrGarbled: return Msg(kMsgPhoneGarbled);
    case kErrAborted: return Msg(kMsgAborted);
    case kErrBadName: return Msg(kMsgBadPhoneName) + errorText;
    case kErrPortGone: return Msg(kMsgPortGone) + errorText;
    case kErrPhoneNotFound11: return Msg(kMsgFileNotFound);
    case kErrRefused: return Msg(kMsgPhoneRefused);
    case kErrLocalData: return errorText;
    case kErrPhoneChecksum: return Msg(kMsgChecksum);
    case kErrPhoneNotFound: return Msg(kMsgFileNotFound);
    case kErrPhoneMemoryFull: return Msg(kMsgMemoryFull);
    default: return std::to_string(reason);
    }
}

bool IsLocalFailure(int reason) {
    return reason == kErrLocalFile || reason == kErrLocalData;
}

std::string FailureAdvice(int reason) {
    return reason == kErrTimeout ? Msg(kMsgCheckPhone) : std::string();
}

std::string FailureReport(int reason, const std::string& errorText) {
    const std::string advice = FailureAdvice(reason);
    const std::string text = FailureText(reason, errorText);
    return advice.empty() ? text : text + "\r\n" + advice;
}

Failure LocalFileFailure(const std::string& path, bool writing, int err) {
    return {
        kErrLocalFile,
        path + ": " + LocalProblem(path, writing ? LocalAccess::Write : LocalAccess::Read, err)};
}

}  // namespace q7k3
