#include "link/Connection.h"

#include <algorithm>
#include <array>

#include "link/CutTransfer.h"
#include "base/Messages.h"

namespace q7k3 {
namespace {
constexpr std::string_view kTimeOut = "Time Out";

// A line of text that is neither the echo of an AT command nor empty, trimmed; else "".
std::string OtherText(const std::string& line) {
    const size_t from = line.find_first_not_of(" \r\n");
    if (from == std::string::npos) return {};
    const size_t to = line.find_last_not_of(" \r\n");
    std::string text = line.substr(from, to - from + 1);
    if (text.size() >= 2 && (text[0] == 'A' || text[0] == 'a') &&
        (text[1] == 'T' || text[1] == 't'))
        return {};
    return text;
}
}  // namespace

Status ResetPhone(PhoneLink& link, int firstTimeoutMs, int nextTimeoutMs) {
    AtChannel& ch = link.Channel;
    ch.ClearReceive();
    link.Clock.TakeInput();
    CommandSpec spec;
    spec.text = "ATZ\r\n";
    spec.firstTimeoutMs = firstTimeoutMs;
    spec.nextTimeoutMs = nextTimeoutMs;
    spec.onLine = [&ch](const std::string& line) {
        if (line == kOk) return LineAction::Success;
        if (ContainsText(line, "ERROR")) {
            // A refusal: not to be mistaken for what an earlier command left behind.
            return ch.Refuse({kErrBadAnswer, {}});
        }
        return LineAction::Skip;
    };
    Status done = ch.RunCommand(spec);
    if (!done) ch.ClearReceive();
    return done;
}

ModelAnswer QueryModel(AtChannel& ch, int firstTimeoutMs, int nextTimeoutMs) {
    ModelAnswer answer;
    CommandSpec spec;
    spec.text = "AT+CGMM\r\n";
    spec.firstTimeoutMs = firstTimeoutMs;
    spec.nextTimeoutMs = nextTimeoutMs;
    // A phone silent for the first 5000 ms still gets the usual 2500 ms for its answer.
    spec.firstTimeoutFails = false;
    spec.onLine = [&](const std::string& line) {
        if (answer.Seen) {
            // The model is known; what follows is its final result.
            return line == kOk || ContainsText(line, "ERROR") ? LineAction::Success
                                                              : LineAction::Skip;
        }
        if (ContainsText(line, "SGH")) {
            answer.Model = line.substr(0, line.size() - 2);
            answer.Seen = true;
            return LineAction::Skip;
        }
        if (ContainsText(line, "ERROR")) {
            answer.Refused = true;
            return LineAction::Failure;
        }
        // An "OK" before the model line closes an earlier query, not this one.
        if (answer.Other.empty() && line != kOk) answer.Other = OtherText(line);
        return LineAction::Skip;
    };
    // The answer is followed to its final "OK": left on the way, that "OK" would pass
    // for the answer to the next command.
    const Status done = ch.RunCommand(spec);
    // A model line that came is the answer, even when only its "OK" failed to follow.
    if (answer.Seen) ch.ClearReceive();
    if (!answer.Seen && !answer.Refused && !done) answer.Why = done.error();
    return answer;
}

Expected<std::string> QuerySerial(AtChannel& ch) {
    std::optional<std::string> serial;
    bool refused = false;
    CommandSpec spec;
    spec.text = "AT+CGSN\r\n";
    spec.onLine = [&](const std::string& line) {
        if (line == kOk) return serial ? LineAction::Success : LineAction::Skip;
        if (ContainsText(line, "ERROR")) {
            refused = true;
            return LineAction::Success;
        }
        std::string text = OtherText(line);
        if (text.rfind("+CGSN:", 0) == 0) text = OtherText(text.substr(6));
        if (!text.empty() && !serial) serial = text;
        return LineAction::Skip;
    };
    if (Status done = ch.RunCommand(spec); !done) return Fail(done.error());
    if (refused) return std::string();
    // A serial number is a short run of digits (some phones add letters): anything else is
    // a line that does not belong to this answer.
    const bool plain = serial && serial->size() <= 32 &&
                       std::all_of(serial->begin(), serial->end(), [](char c) {
                           return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                                  (c >= 'a' && c <= 'z') || c == '-';
                       });
    if (!plain) return Fail(kErrBadAnswer);
    return *serial;
}

namespace {

// ReadModel, with the reason of a "Time Out".
std::string ReadModelLine(PhoneLink& link, Failure& silence) {
    AtChannel& ch = link.Channel;
    ch.PhoneSerial.reset();
    const ModelAnswer answer = QueryModel(ch);
    if (answer.Seen) {
        ch.PhoneModel = answer.Model;
        return ch.PhoneModel;
    }
    if (answer.Refused) {
        link.Port.Disconnect();
        ch.PhoneModel = "ERROR";
        return ch.PhoneModel;
    }
    // Silence, or an answer cut by its bound: the reason the exchange gave stays.
    silence = NeedsLinkRecovery(answer.Why.Reason) ? answer.Why : Failure{kErrTimeout, {}};
    return std::string(kTimeOut);
}

}  // namespace

std::string ReadModel(PhoneLink& link) {
    Failure silence;
    return ReadModelLine(link, silence);
}

bool IsSupportedModel(const std::string& phoneModel) {
    static constexpr std::array<std::string_view, 5> kModels = {"SGH-Q7K3", "SGH-X600", "SGH-E100",
                                                                "SGH-E700", "SGH-E800"};
    for (const auto model : kModels) {
        if (phoneModel == model) return true;
    }
    return false;
}

std::string ModelCode(const std::string& phoneModel) {
    return phoneModel.size() > 4 ? phoneModel.substr(4, 4) : std::string();
}

void WaitForCutTransfer(PhoneLink& link) {
    const std::string port = link.Port.PortName();
    const int64_t total = CutTransferWaitMs(port);
    if (total <= 0) {
        link.Channel.EndSilence();
        return;
    }
    // Every byte would be taken for more of the cut write's data and keep the phone waiting:
    // nothing is sent until it has given the write up.
    const int64_t end = link.Clock.NowMs() + total;
    for (int64_t left = total; left > 0; left = end - link.Clock.NowMs()) {
        if (link.Channel.Stop && link.Channel.Stop->Raised()) return;
        if (link.OnCutTransferWait) link.OnCutTransferWait(left, total);
        link.Clock.Pause(static_cast<int>(std::min<int64_t>(left, 500)));
    }
    DropCutTransferMark(port);
    link.Channel.ClearReceive();
    link.Channel.EndSilence();
}

Identification IdentifyPhone(PhoneLink& link, AppFlags& flags,
                             const std::function<void()>& afterReset) {
    WaitForCutTransfer(link);
    link.Clock.TakeInput();
    if (Status reset = ResetPhone(link); !reset) {
        link.Port.Disconnect();
        return {PhoneCheck::Silent, reset.error()};
    }
    if (afterReset) afterReset();
    if (Failure silence; ReadModelLine(link, silence) == kTimeOut) {
        link.Port.Disconnect();
        return {PhoneCheck::Silent, silence};
    }
    const std::string& model = link.Channel.PhoneModel;
    if (!IsSupportedModel(model)) {
        link.Port.Disconnect();
        return {PhoneCheck::Unsupported, {}};
    }
    // This model cannot take converted melodies; the stored setting stays as it is.
    if (model == "SGH-E800") flags.MelConvertion = false;
    return {PhoneCheck::Supported, {}};
}

std::string SilentPhoneText(const std::string& port) {
    return Msg(kMsgPhoneSilent) + "\r\n" + Msg(kMsgPortTried) + port + "\r\n" +
           Msg(kMsgCheckPhone) + " " + Msg(kMsgChoosePort);
}

int PhoneCheckMessage(PhoneCheck check) {
    switch (check) {
        case PhoneCheck::Silent:
            return kMsgPhoneSilent;
        case PhoneCheck::Unsupported:
            return kMsgModelNotSupported;
        case PhoneCheck::Supported:
            break;
    }
    return -1;
}

int PhoneCheckMessage(PhoneCheck check, int reason) {
    if (check == PhoneCheck::Silent) {
        if (reason == kErrGarbled) return kMsgPhoneGarbled;
        if (reason == kErrUnfinished) return kMsgPhoneUnfinished;
    }
    return PhoneCheckMessage(check);
}

}  // namespace q7k3
