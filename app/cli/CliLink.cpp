#include "app/cli/CliLink.h"

#include <algorithm>
#include <cerrno>
#include <charconv>

#include "app/cli/Cli.h"
#include "app/cli/Options.h"
#include "app/cli/Terminal.h"
#include "link/Connection.h"
#include "ports/PhoneSearch.h"
#include "ports/PortDiagnostics.h"
#include "link/ProtocolTrace.h"
#include "settings/SettingsStore.h"
#include "base/LocalProblem.h"
#include "base/Messages.h"

namespace q7k3::cli {
namespace {

bool ParseNumber(const std::string& text, uint32_t& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

// A line of the port's advice in words (the catalogue's), not a command or a rule.
bool IsPortAdvice(const std::string& line) {
    for (const int message :
         {kMsgPortJoinGroup, kMsgPortGrantAccess, kMsgPortUdevRule, kMsgPortUdevReload})
        if (line == Msg(message)) return true;
    return false;
}

}  // namespace

int TakeLinkOptions(std::vector<std::string>& args, LinkOptions& options) {
    bool missing = false;
    options.Port = TakeOption(args, "--port", options.Port, missing);
    const std::string baud = TakeOption(args, "--baud", "", missing);
    const std::string sleep = TakeOption(args, "--sleep", "", missing);
    const std::string trace = TakeOption(args, "--trace", "", missing);
    options.SamePhone = TakeFlag(args, "--same-phone");
    if (missing) {
        return Fail(Msg(kMsgCliOptionNeedsValue) + "--port, --baud, --sleep, --trace", kExitUsage);
    }
    if (!baud.empty()) {
        uint32_t value = 0;
        if (!ParseNumber(baud, value) || value == 0 || value > 4000000) {
            return Fail(Msg(kMsgCliBadValue) + "--baud: «" + Printable(baud) + "»", kExitUsage);
        }
        options.Baud = value;
        options.BaudGiven = true;
    }
    if (!sleep.empty()) {
        if (sleep != "0" && sleep != "1" && sleep != "2") {
            return Fail(Msg(kMsgCliBadValue) + "--sleep: «" + Printable(sleep) + "» (0, 1, 2)",
                        kExitUsage);
        }
        options.Sleep = sleep[0] - '0';
        options.SleepGiven = true;
    }
    // Every byte of the link from here on goes to the trace file as well; a trace that
    // cannot be written is a local failure before anything goes to the phone.
    std::string why;
    if (!trace.empty() && !ProcessTrace().Start(trace, ProtocolTrace::kDefaultLimit, &why)) {
        const int err = errno;
        return Fail(Msg(kMsgCliTraceFailed) + Printable(trace) + ": " +
                        LocalProblem(trace, LocalAccess::Write, err),
                    kExitLocalFile);
    }
    return 0;
}

bool CliLink::Prepare(const LinkOptions& options) {
    m_link = std::make_unique<PhoneLink>();
    SerialPort& comm = m_link->Port;
    AtChannel& ch = m_link->Channel;
    const bool autoPort = options.Port == "auto";
    // The settings' defaults: system line settings (rate,N,8,1), line-status check on.
    comm.SetPortName(autoPort ? std::string() : options.Port);
    comm.SetSettingsMode(false);
    comm.SetCheckLineStatus(true);
    DriverSettings<SerialPort> port(comm);
    // The window's own table of delays (polling period and wait step).
    auto applySleep = [&](int sleep) { ApplySleepTimeAtLoad(sleep, &port, &ch.PollStep); };
    comm.SetBaudRateValue(options.Baud);
    applySleep(options.Sleep);
    // What the program itself stored (the line settings, the conversion of melodies)
    // applies however the port is named; --port, --baud and --sleep given on the command
    // line still have the last word.
    SettingsStore store;
    const std::string storedPort =
        store.Contains("ComPort") ? store.ReadString("ComPort", "") : std::string();
    const auto& keys = SettingsTable();
    if (std::any_of(keys.begin(), keys.end(),
                    [&](const SettingKey& key) { return store.Contains(key.Name); })) {
        LoadSettings(store, {&port, &ch.PollStep, &Flags, nullptr, nullptr});
        // Without a stored port, loading gives the default one: the command line's (or
        // none, which is then said) is kept; "auto" searches below.
        if (autoPort)
            comm.SetPortName(std::string());
        else if (!options.Port.empty() || !store.Contains("ComPort"))
            comm.SetPortName(options.Port);
        if (options.BaudGiven) comm.SetBaudRateValue(options.Baud);
        if (options.SleepGiven) applySleep(options.Sleep);
    }
    if (autoPort) {
        // The stored line settings, on whichever port the phone answers.
        LinkOptions found = options;
        found.Baud = comm.BaudRateValue();
        if (!FindPhonePort(found, ProbeLineOf(port), storedPort, m_exitCode)) return false;
        comm.SetPortName(found.Port);
        comm.SetBaudRateValue(found.Baud);
    }

    m_exitCode = kExitPort;
    // No port at all: the caller says where one is named.
    if (comm.PortName().empty()) return false;
    m_exitCode = 0;
    // A phone still waiting for the data of a write cut short: said once, then counted down.
    m_link->OnCutTransferWait = [said = false](int64_t leftMs, int64_t totalMs) mutable {
        if (!said) {
            said = true;
            Fail(Msg(kMsgPhoneFinishingCut) + std::to_string((totalMs + 999) / 1000) +
                 Msg(kMsgSecondsWait));
        }
        const int64_t seconds = (leftMs + 999) / 1000;
        DrawStatusLine(Msg(kMsgWaitLeft) + std::to_string(seconds / 60) + ":" +
                       (seconds % 60 < 10 ? "0" : "") + std::to_string(seconds % 60));
    };
    return true;
}

void CliLink::PortFailed() {
    m_exitCode = kExitPort;
    // Whether the port is missing, held or not permitted, each on a line of its own;
    // a command or a udev rule to copy stands on its own line, as it is.
    const std::string text = PortOpenFailureText(m_link->Port.PortName());
    size_t from = 0;
    int index = 0;
    while (from < text.size()) {
        const size_t end = std::min(text.find('\n', from), text.size());
        const size_t cut = end > from && text[end - 1] == '\r' ? end - 1 : end;
        const std::string line = text.substr(from, cut - from);
        if (!line.empty()) {
            // The failure, the port's state, then advice and what to copy in turn.
            if (index++ < 2 || IsPortAdvice(line))
                Fail(line, m_exitCode);
            else
                PrintToCopy(line);
        }
        from = end + 1;
    }
}

void CliLink::PhoneRefused(const Identification& found) {
    m_exitCode = found == PhoneCheck::Silent ? kExitSilent : kExitUnsupported;
    Fail(Msg(PhoneCheckMessage(found)), m_exitCode);
}

}  // namespace q7k3::cli
