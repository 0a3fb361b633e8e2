// ports: every serial device the kernel knows, whether it opens, and if not, why and what
// to do about it.
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/cli/Cli.h"
#include "app/cli/Options.h"
#include "ports/PortDiagnostics.h"
#include "settings/SettingsStore.h"
#include "base/Messages.h"

namespace q7k3::cli {
namespace {

const OptionSpec kOptions[] = {
    {"--port", QT_TRANSLATE_NOOP("Cli", "ПУТЬ"), QT_TRANSLATE_NOOP("Cli", "показать и этот порт (без него: Q7K3FM_PORT, затем сохранённый порт)")},
};
const CommandSyntax kSpec{
    "ports",
    QT_TRANSLATE_NOOP("Cli", "ports [--port ПУТЬ]"),
    QT_TRANSLATE_NOOP("Cli", "Показывает каждый последовательный порт: открывается ли он, а если нет —\n"
    "почему и что с этим сделать."),
    kOptions,
    0,
    0};

int RunPorts(const std::vector<std::string>& given) {
    ParsedArgs parsed;
    if (const int rc = Parse(kSpec, given, parsed); rc != kParsed) return rc;
    // A port of one's own choosing (a pseudo-terminal) joins the list like the stored one.
    std::string extra = parsed.Value("--port");
    if (!parsed.Has("--port")) {
        if (const char* env = std::getenv("Q7K3FM_PORT")) extra = env;
    }
    // The port named here is shown whatever it is (a path from the working folder, a
    // device that is gone, a file that is no port), with its state.
    const bool named = !extra.empty();
    if (named) {
        extra = QFileInfo(QString::fromStdString(extra)).absoluteFilePath().toStdString();
    } else {
        SettingsStore store;
        extra = store.ReadString("ComPort", "");
    }
    std::vector<PortStatus> ports = DiagnosePorts(extra);
    if (named && std::none_of(ports.begin(), ports.end(),
                              [&](const PortStatus& p) { return p.Path == extra; }))
        ports.push_back(DiagnoseOnePort(extra));
    if (ports.empty()) return Fail(Msg(kMsgNoSerialDevices), kExitPortCode);
    for (const PortStatus& port : ports) {
        // Device names and the names of the programs holding them come from the system.
        std::printf("%s\n", OneLine(PortStateLine(port)).c_str());
        for (const std::string& line : PortRemedyLines(port))
            std::printf("    %s\n", OneLine(line).c_str());
    }
    return 0;
}

const CliCommand kPorts{kSpec, RunPorts};

}  // namespace
}  // namespace q7k3::cli
