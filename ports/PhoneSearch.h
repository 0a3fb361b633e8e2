#pragma once
// The phone search: which port is the phone on? Every port is opened and sent the phone's
// identification (ATZ, then AT+CGMM) at each speed the settings offer, with short waits,
// and nothing else is ever written to it. Ports that cannot be opened are not touched; the
// port-state line says why. Ports of different devices are searched at the same time, each
// on a thread of its own with its own link; the interfaces of one USB device one after
// another. The window (ports/widgets/PhoneSearchDialog) and `q7k3fm-cli detect` show the
// findings; `--port auto` uses the one phone found.
//
// The stable name: a USB port may come back under another kernel name (ttyACM1 instead of
// ttyACM0) after it was plugged in again, while its link under /dev/serial/by-id stays. The
// program stores that name, so the stored port follows the device.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "ports/PortDiagnostics.h"

namespace q7k3 {

class PortSettingsTarget;

// The line speeds the settings dialog offers, in its order.
inline constexpr int kOfferedRates[] = {115200, 128000, 230400};

// What a port answered.
enum class PortAnswer {
    Phone,        // a model the program works with
    OtherModel,   // an SGH phone of a model the program does not work with
    Modem,        // answers AT, but is no SGH phone (refuses AT+CGMM, or names itself else)
    Garbled,      // bytes came, but no answer to AT at any speed
    Silent,       // nothing at any speed
    Unavailable,  // cannot be opened: Reason says why, as the port-state window does
    Stopped,      // the search was stopped before this port was done
};

struct PortFinding {
    std::string Path;        // the port as listed
    std::string StableName;  // its name under /dev/serial/by-id, when it has one
    PortAnswer Answer = PortAnswer::Silent;
    std::string Model;  // the model line (or what a modem called itself)
    int Rate = 0;       // the speed the answer came at
    PortStatus State;   // Unavailable: the port's state (PortStateLine, PortRemedyLines)

    // The name to store and to open: the stable name when there is one.
    const std::string& NameToUse() const { return StableName.empty() ? Path : StableName; }
};

// The line set-up the identification is sent with: the stored settings but for the port
// and the speed.
struct ProbeLine {
    bool Manual = false;  // line settings by hand ("Вручную"); else rate,N,8,1
    bool Dtr = true;
    int HwFlow = 1;
    int SwFlow = 0;
    bool CheckLineStatus = true;
};
ProbeLine ProbeLineOf(const PortSettingsTarget& port);

struct SearchSources : PortDiagnosticSources {
    std::string ByIdDir = "/dev/serial/by-id";
};

struct SearchRequest {
    // The ports to search, in this order; empty: every serial device the port-state list
    // knows (with StoredPort).
    std::vector<std::string> Ports;
    std::string StoredPort;
    int PreferredRate = 115200;  // tried first; then the other offered speeds
    ProbeLine Line;
    // Waits of one identification, ms: the first answer to ATZ and to AT+CGMM, and each
    // further piece of an answer. A phone answers within a few tens of ms at the right
    // speed; ATZ is sent again every quarter of the first wait.
    int ResetWaitMs = 800;
    int ModelWaitMs = 800;
    int NextWaitMs = 300;
    // No further speed is tried on a port once this long has passed on it.
    int PortBudgetMs = 3500;
};

// The ports a search covers: `request.Ports`, else Q7K3FM_SEARCH_PORTS (colon-separated)
// when set, else every serial device with the stored port; one entry per device.
std::vector<std::string> SearchList(const SearchRequest& request,
                                    const SearchSources& sources = {});

// Identifies the phone on one port that opens (the finding's Path is `path`). `stop`, once
// raised, ends it within a second.
PortFinding IdentifyPort(const std::string& path, const SearchRequest& request,
                         const std::atomic<bool>* stop = nullptr);

// Searches the ports, in parallel where they belong to different devices. `found` is
// called as each port is done, from the thread that searched it (one call at a time).
// Returns the findings in list order. A raised `stop` ends the search within a second;
// the ports not done are Stopped.
std::vector<PortFinding> SearchPhones(const std::vector<std::string>& ports,
                                      const SearchRequest& request,
                                      const SearchSources& sources = {},
                                      const std::atomic<bool>* stop = nullptr,
                                      const std::function<void(const PortFinding&)>& found = {});

// The findings that are phones the program works with.
std::vector<const PortFinding*> PhonesFound(const std::vector<PortFinding>& findings);

// The link under `byIdDir` that leads to the same device as `path` ("" when none); `path`
// itself when it is such a link already.
std::string StableName(const std::string& path, const std::string& byIdDir = "/dev/serial/by-id");
// True when both names lead to one existing device.
bool SameDevice(const std::string& a, const std::string& b);

// One line of what the port answered, after its name: "телефон SGH-E700, 115200 бит/с",
// "не отвечает", or the port's state.
std::string FindingText(const PortFinding& finding);
// The whole line: the port (with its stable name) and FindingText.
std::string FindingLine(const PortFinding& finding);

}  // namespace q7k3
