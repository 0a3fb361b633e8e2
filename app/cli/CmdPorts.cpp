// ports: every serial device the kernel knows, whether it opens, and if not, why and what
// to do about it.
#include <cstdio>

#include "app/cli/Cli.h"
#include "link/PortDiagnostics.h"
#include "link/SettingsStore.h"
#include "ui/Messages.h"

namespace q7k3::cli {
namespace {

int RunPorts(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    bool missing = false;
    // A port of one's own choosing (a pseudo-terminal) joins the list like the stored one.
    std::string extra = TakeOption(args, "--port", "", missing);
    if (missing) return Fail("--port takes a device path", 2);
    if (!args.empty()) return Fail("ports takes no arguments besides --port", 2);
    if (extra.empty()) {
        SettingsStore store;
        extra = store.ReadString("ComPort", "");
    }
    const std::vector<PortStatus> ports = DiagnosePorts(extra);
    if (ports.empty()) return Fail(Msg(kMsgNoSerialDevices));
    for (const PortStatus& port : ports) {
        std::printf("%s\n", PortStateLine(port).c_str());
        for (const std::string& line : PortRemedyLines(port)) std::printf("    %s\n", line.c_str());
    }
    return 0;
}

const CliCommand kPorts{"ports", "ports [--port PATH]", RunPorts};

}  // namespace
}  // namespace q7k3::cli
