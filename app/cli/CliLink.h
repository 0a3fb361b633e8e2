#pragma once
// The phone link of a CLI command: the port options, the port chosen with its line settings
// (or found by the search), and how a port or phone that will not do is said. The port is
// opened and the phone identified by the command's session (CliSession.h).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/AppFlags.h"
#include "link/Connection.h"
#include "link/PhoneLink.h"
#include "ports/PhoneSearch.h"

namespace q7k3::cli {

struct LinkOptions {
    // Device path; empty when --port was not given; "auto": the phone search finds it.
    std::string Port;
    uint32_t Baud = 115200;  // --baud N
    int Sleep = 0;           // --sleep 0|1|2: the link's reaction speed
    // Given on the command line: then they win over the stored settings.
    bool BaudGiven = false;
    bool SleepGiven = false;
    // --same-phone: a step cut on a phone that gives no serial number is finished on this one.
    bool SamePhone = false;
};

// Usage text of the options, for the commands' usage lines.
inline constexpr const char* kLinkOptionsUsage =
    "[--port PATH] [--baud N] [--sleep 0|1|2] [--trace FILE]";

// Takes --port, --baud, --sleep, --trace and --same-phone out of args (--trace FILE starts the
// protocol trace at once). Returns 0, or after one line on standard error the exit code: a
// bad value is a usage error, a trace file that cannot be written a local failure.
int TakeLinkOptions(std::vector<std::string>& args, LinkOptions& options);

// --port auto: searches every port (or Q7K3FM_SEARCH_PORTS) and puts the one phone found,
// and its speed, into `options`. With none or several it prints what each port answered
// and returns false with the exit code (4 or 8).
bool FindPhonePort(LinkOptions& options, const ProbeLine& line, const std::string& storedPort,
                   int& exitCode);

// Exit codes of a link that could not be opened.
enum LinkExit : int { kExitPort = 3, kExitSilent = 4, kExitUnsupported = 5 };

class CliLink {
public:
    // Makes the link and chooses its port and line settings (the stored ones, the command
    // line's, the search's). False when there is no port to open; ExitCode() tells why.
    bool Prepare(const LinkOptions& options);
    // The port did not open: why, each on a line of its own, with what to copy.
    void PortFailed();
    // The phone on the port will not do: the catalogue's text for the check.
    void PhoneRefused(const Identification& found);
    int ExitCode() const { return m_exitCode; }

    PhoneLink& Link() { return *m_link; }
    AtChannel& Channel() { return m_link->Channel; }
    // The flags for this run (an SGH-E800 turns MelConvertion off).
    AppFlags Flags;

private:
    std::unique_ptr<PhoneLink> m_link;
    int m_exitCode = 0;
};

}  // namespace q7k3::cli
