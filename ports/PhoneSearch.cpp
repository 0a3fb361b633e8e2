#include "ports/PhoneSearch.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "link/Connection.h"
#include "link/LinkClock.h"
#include "link/PhoneLink.h"
#include "link/SerialDevicePosix.h"
#include "settings/SettingsStore.h"
#include "base/Messages.h"

namespace q7k3 {
namespace {

namespace fs = std::filesystem;

bool Raised(const std::atomic<bool>* stop) {
    return stop && stop->load();
}

// The device a name leads to: its device number for a character device.
bool DeviceOf(const std::string& path, dev_t& device) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    device = st.st_rdev;
    return true;
}

// The ports of one USB device (a phone with several interfaces, a multi-port adapter) are
// not independent: they are searched one after another. The key is the USB device in
// sysfs; any other port is a device of its own.
std::string DeviceGroup(const std::string& path, const SearchSources& sources) {
    std::error_code ec;
    const std::string name = fs::path(path).filename().string();
    fs::path dev = fs::canonical(fs::path(sources.SysClassTty) / name / "device", ec);
    for (int depth = 0; !ec && depth < 8 && dev.has_relative_path(); ++depth) {
        if (fs::exists(dev / "idVendor", ec)) return dev.string();
        dev = dev.parent_path();
    }
    const fs::path real = fs::canonical(path, ec);
    return ec ? path : real.string();
}

// The speeds in the order they are tried: the preferred one first.
std::vector<int> RateOrder(int preferred) {
    std::vector<int> rates;
    if (preferred > 0) rates.push_back(preferred);
    for (const int rate : kOfferedRates)
        if (rate != preferred) rates.push_back(rate);
    return rates;
}

}  // namespace

ProbeLine ProbeLineOf(const PortSettingsTarget& port) {
    ProbeLine line;
    line.Manual = port.SettingsMode();
    line.Dtr = port.EnableDTROnOpen();
    line.HwFlow = port.HwFlow();
    line.SwFlow = port.SwFlow();
    line.CheckLineStatus = port.CheckLineStatus();
    return line;
}

std::vector<std::string> SearchList(const SearchRequest& request, const SearchSources& sources) {
    std::vector<std::string> given = request.Ports;
    if (given.empty()) {
        if (const char* env = std::getenv("Q7K3FM_SEARCH_PORTS"); env && *env) {
            std::string list = env;
            for (size_t from = 0; from <= list.size();) {
                const size_t colon = std::min(list.find(':', from), list.size());
                if (colon > from) given.push_back(list.substr(from, colon - from));
                from = colon + 1;
            }
        }
    }
    if (given.empty()) given = ListSerialDevices(request.StoredPort, sources);
    // One entry per device: a stable name and its kernel name are one port.
    std::vector<std::string> ports;
    std::vector<dev_t> devices;
    for (const std::string& path : given) {
        if (std::find(ports.begin(), ports.end(), path) != ports.end()) continue;
        dev_t device = 0;
        if (DeviceOf(path, device)) {
            if (std::find(devices.begin(), devices.end(), device) != devices.end()) continue;
            devices.push_back(device);
        }
        ports.push_back(path);
    }
    return ports;
}

PortFinding IdentifyPort(const std::string& path, const SearchRequest& request,
                         const std::atomic<bool>* stop) {
    PortFinding finding;
    finding.Path = path;
    finding.Answer = PortAnswer::Silent;
    // A device of its own, not behind the process's trace: several ports are searched at
    // once, and the trace is one link's record.
    PhoneLink link(SerialPort::CreatePhonePort(std::make_unique<SerialDevicePosix>()));
    SerialPort& port = link.Port;
    AtChannel& ch = link.Channel;
    port.SetPortName(path);
    port.SetSettingsMode(request.Line.Manual);
    port.SetEnableDTROnOpen(request.Line.Dtr);
    port.SetHwFlow(static_cast<THwFlowControl>(std::clamp(request.Line.HwFlow, 0, 2)));
    port.SetSwFlow(static_cast<TSwFlowControl>(std::clamp(request.Line.SwFlow, 0, 1)));
    port.SetCheckLineStatus(request.Line.CheckLineStatus);
    std::optional<FlagSignal> stopSignal;
    if (stop) stopSignal.emplace(*stop);
    ch.Stop = stopSignal ? &*stopSignal : nullptr;
    bool bytesCame = false;
    const int64_t start = SteadyNowMs();
    for (const int rate : RateOrder(request.PreferredRate)) {
        if (Raised(stop)) {
            finding.Answer = PortAnswer::Stopped;
            break;
        }
        if (SteadyNowMs() - start > request.PortBudgetMs) break;
        port.SetBaudRateValue(static_cast<uint32_t>(rate));
        if (!port.Connected() && !port.Connect()) {
            finding.Answer = PortAnswer::Unavailable;
            finding.State = DiagnoseOnePort(path);
            break;
        }
        port.FlushBuffers(true, true);
        if (!ResetPhone(link, request.ResetWaitMs, request.NextWaitMs)) {
            bytesCame = bytesCame || ch.ExchangeBytes() > 0;
            if (port.Gone()) break;
            continue;
        }
        finding.Rate = rate;
        const ModelAnswer answer = QueryModel(ch, request.ModelWaitMs, request.NextWaitMs);
        if (answer.Seen) {
            finding.Model = answer.Model;
            finding.Answer =
                IsSupportedModel(answer.Model) ? PortAnswer::Phone : PortAnswer::OtherModel;
        } else {
            // It answered ATZ: a modem, whether it refused the model query, named itself
            // otherwise or said nothing more.
            finding.Model = answer.Other;
            finding.Answer = PortAnswer::Modem;
        }
        break;
    }
    if (finding.Answer == PortAnswer::Silent && bytesCame) finding.Answer = PortAnswer::Garbled;
    if (finding.Answer == PortAnswer::Silent && Raised(stop)) finding.Answer = PortAnswer::Stopped;
    return finding;
}

std::vector<PortFinding> SearchPhones(const std::vector<std::string>& ports,
                                      const SearchRequest& request, const SearchSources& sources,
                                      const std::atomic<bool>* stop,
                                      const std::function<void(const PortFinding&)>& found) {
    std::vector<PortFinding> findings(ports.size());
    std::mutex mutex;
    auto done = [&](size_t index, PortFinding finding) {
        finding.StableName = StableName(finding.Path, sources.ByIdDir);
        std::lock_guard<std::mutex> lock(mutex);
        findings[index] = std::move(finding);
        if (found) found(findings[index]);
    };

    // The state of every port first: one that does not open is not touched again.
    std::map<std::string, std::vector<size_t>> groups;
    std::vector<std::string> order;
    for (size_t i = 0; i < ports.size(); ++i) {
        PortStatus status = DiagnoseOnePort(ports[i], sources);
        if (status.State != PortState::Opens) {
            PortFinding finding;
            finding.Path = ports[i];
            finding.Answer = PortAnswer::Unavailable;
            finding.State = std::move(status);
            done(i, std::move(finding));
            continue;
        }
        const std::string group = DeviceGroup(ports[i], sources);
        if (!groups.count(group)) order.push_back(group);
        groups[group].push_back(i);
    }

    std::vector<std::thread> threads;
    threads.reserve(order.size());
    for (const std::string& group : order) {
        threads.emplace_back([&, members = groups[group]] {
            for (const size_t i : members) done(i, IdentifyPort(ports[i], request, stop));
        });
    }
    for (std::thread& t : threads) t.join();
    return findings;
}

std::vector<const PortFinding*> PhonesFound(const std::vector<PortFinding>& findings) {
    std::vector<const PortFinding*> phones;
    for (const PortFinding& f : findings)
        if (f.Answer == PortAnswer::Phone) phones.push_back(&f);
    return phones;
}

std::string StableName(const std::string& path, const std::string& byIdDir) {
    dev_t device = 0;
    if (!DeviceOf(path, device)) return {};
    std::error_code ec;
    if (fs::path(path).parent_path() == fs::path(byIdDir)) return path;
    std::vector<std::string> names;
    for (fs::directory_iterator it(byIdDir, ec), end; !ec && it != end; it.increment(ec)) {
        dev_t other = 0;
        if (DeviceOf(it->path().string(), other) && other == device)
            names.push_back(it->path().string());
    }
    // One device has one link per interface; should there be more, always the same one.
    std::sort(names.begin(), names.end());
    return names.empty() ? std::string() : names.front();
}

bool SameDevice(const std::string& a, const std::string& b) {
    dev_t da = 0, db = 0;
    return DeviceOf(a, da) && DeviceOf(b, db) && da == db;
}

std::string FindingText(const PortFinding& f) {
    switch (f.Answer) {
        case PortAnswer::Phone:
            return Msg(kMsgFoundPhone) + f.Model + ", " + std::to_string(f.Rate) +
                   Msg(kMsgBitsPerSecond);
        case PortAnswer::OtherModel:
            return Msg(kMsgFoundOtherModel) + f.Model;
        case PortAnswer::Modem:
            return Msg(kMsgFoundModem) + (f.Model.empty() ? std::string() : " (" + f.Model + ")");
        case PortAnswer::Garbled:
            return Msg(kMsgFoundGarbled);
        case PortAnswer::Silent:
            return Msg(kMsgFoundSilent);
        case PortAnswer::Stopped:
            return Msg(kMsgFoundStopped);
        case PortAnswer::Unavailable: {
            // The state line begins with the port's name.
            const std::string line = PortStateLine(f.State);
            return line.rfind(f.State.Path + " ", 0) == 0 ? line.substr(f.State.Path.size() + 1)
                                                          : line;
        }
    }
    return {};
}

std::string FindingLine(const PortFinding& f) {
    std::string line = f.Path;
    if (!f.StableName.empty() && f.StableName != f.Path) line += " (" + f.StableName + ")";
    return line + " " + FindingText(f);
}

}  // namespace q7k3
