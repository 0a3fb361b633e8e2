#include "link/Connection.h"

#include <array>

#include "ui/Messages.h"

namespace q7k3 {
namespace {
constexpr std::string_view kTimeOut = "Time Out";
constexpr size_t kTransferBufferSize = 1048576;
}  // namespace

bool ResetPhone(TForm10& form10) {
    AtChannel& ch = form10.Channel;
    form10.TransferBuffer.assign(kTransferBufferSize, 0);
    ch.ClearReceive();
    form10.Pump.ProcessEvents();
    CommandSpec spec;
    spec.text = "ATZ\r\n";
    spec.firstTimeoutMs = 2000;
    spec.onLine = [](const std::string& line) {
        if (line == kOk) return LineAction::Success;
        if (ContainsText(line, "ERROR")) return LineAction::Failure;
        return LineAction::Skip;
    };
    if (ch.RunCommand(spec)) return true;
    ch.ClearReceive();
    return false;
}

ModelAnswer QueryModel(AtChannel& ch) {
    ModelAnswer answer;
    CommandSpec spec;
    spec.text = "AT+CGMM\r\n";
    spec.firstTimeoutMs = 5000;
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
        return LineAction::Skip;
    };
    // The answer is followed to its final "OK": left on the way, that "OK" would pass
    // for the answer to the next command.
    const int lastError = ch.LastError;
    const bool done = ch.RunCommand(spec);
    if (answer.Seen) {
        if (!done) ch.LastError = lastError;  // only the "OK" failed to come
        ch.ClearReceive();
    }
    return answer;
}

std::string ReadModel(TForm10& form10) {
    AtChannel& ch = form10.Channel;
    const ModelAnswer answer = QueryModel(ch);
    if (answer.Seen) {
        ch.PhoneModel = answer.Model;
        return ch.PhoneModel;
    }
    if (answer.Refused) {
        form10.Comm321.Disconnect();
        ch.PhoneModel = "ERROR";
        return ch.PhoneModel;
    }
    ch.LastError = kErrTimeout;
    return std::string(kTimeOut);
}

bool IsSupportedModel(const std::string& phoneModel) {
    static constexpr std::array<std::string_view, 5> kModels = {
        "SGH-Q7K3", "SGH-X600", "SGH-E100", "SGH-E700", "SGH-E800"};
    for (const auto model : kModels) {
        if (phoneModel == model) return true;
    }
    return false;
}

std::string ModelCode(const std::string& phoneModel) {
    return phoneModel.size() > 4 ? phoneModel.substr(4, 4) : std::string();
}

std::string SessionGuardText(int lastError, const std::string& errorText) {
    switch (lastError) {
    case kErrTimeout: return Msg(kMsgTimeout);
    case kErrLocalFile: return Msg(kMsgCannotOpenFile);
    case kErrChecksum: return Msg(kMsgChecksum);
    case kErrNoJar: return Msg(kMsgNoJar);
    case kErrText: return errorText;
    case kErrBadAnswer: return Msg(kMsgBadAnswer);
    case kErrPhoneNotFound11: return Msg(kMsgFileNotFound);
    case kErrPhoneChecksum: return Msg(kMsgChecksum);
    case kErrPhoneNotFound: return Msg(kMsgFileNotFound);
    case kErrPhoneMemoryFull: return Msg(kMsgMemoryFull);
    default: return std::to_string(lastError);
    }
}

Connection::Connection(TForm10& form10, AppFlags& flags, Prompts& prompts,
                       ProgressView& progress, ConnectionHost& host)
    : m_form10(form10), m_flags(flags), m_prompts(prompts), m_progress(progress), m_host(host) {
    IRDATimer.setInterval(kKeepAliveMs);
    connect(&IRDATimer, &QTimer::timeout, this, &Connection::IRDATimerTimer);
}

void Connection::ShowError(int message) {
    m_prompts.MessageBox(Msg(message), Msg(kMsgErrorCaption), BoxIcon::Error);
}

bool Connection::FormCreate() {
    for (;;) {
        StopKeepAlive();
        if (!m_host.ShowSettingsDialog()) {
            m_host.SetMainWindowEnabled(true);
            return false;
        }
        m_host.ClearPhoneReady();
        if (!m_form10.Comm321.Connect()) {
            ShowError(kMsgCannotOpenPort);
            continue;
        }
        m_host.SetMainWindowEnabled(false);
        if (Identify()) return true;
    }
}

bool Connection::IdentifyPhone() { return Identify() || FormCreate(); }

bool Connection::Identify() {
    TCommPortDriver& comm = m_form10.Comm321;
    m_form10.Pump.ProcessEvents();
    if (!ResetPhone(m_form10)) {
        ShowError(kMsgPhoneSilent);
        comm.Disconnect();
        return false;
    }
    StopKeepAlive();
    m_progress.SetLongStatus(Msg(36));
    m_host.SetMainWindowEnabled(false);
    if (ReadModel(m_form10) == kTimeOut) {
        ShowError(kMsgPhoneSilent);
        comm.Disconnect();
        return false;
    }
    const std::string& model = m_form10.Channel.PhoneModel;
    if (!IsSupportedModel(model)) {
        comm.Disconnect();
        ShowError(kMsgModelNotSupported);
        return false;
    }
    // This model cannot take converted melodies; the stored setting stays as it is.
    if (model == "SGH-E800") m_flags.MelConvertion = false;
    if (!m_host.BuildFileListCache()) {
        // Whatever the scan left behind, a failed start ends without a link or a tree.
        comm.Disconnect();
        m_progress.Hide();
        m_host.DropTree();
        m_host.SetMainWindowEnabled(true);
        return false;
    }
    m_progress.Hide();
    m_host.SetMainWindowEnabled(true);
    ArmKeepAlive();
    return true;
}

void Connection::SessionGuard() {
    AtChannel& ch = m_form10.Channel;
    TCommPortDriver& comm = m_form10.Comm321;
    m_prompts.MessageBox(SessionGuardText(ch.LastError, ch.ErrorText), Msg(kMsgErrorCaption),
                         BoxIcon::Error);
    m_progress.Hide();
    if (ch.LastError == kErrTimeout) {
        comm.Disconnect();
        m_form10.Pump.SleepAndProcess(kRecoveryPauseMs);
        if (!comm.Connect() || !ResetPhone(m_form10)) {
            comm.Disconnect();
            m_host.SetMainWindowEnabled(true);
            m_host.DropTree();
            FormCreate();
            return;
        }
    }
    if (!m_host.CurrentFolderIsRoot()) m_host.RescanBtnClick();
    m_host.SetMainWindowEnabled(true);
}

void Connection::IRDATimerTimer() {
    IRDATimer.stop();
    if (m_host.PhoneReady() && !m_form10.Channel.PingPhone()) {
        SessionGuard();
        return;
    }
    ArmKeepAlive();
}

void Connection::StopKeepAlive() { IRDATimer.stop(); }

void Connection::ArmKeepAlive() {
    if (m_flags.IRDAReq) {
        IRDATimer.start();
    } else {
        IRDATimer.stop();
    }
}

}  // namespace q7k3
