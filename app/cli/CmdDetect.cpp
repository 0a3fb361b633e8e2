// detect: which port is the phone on? Every port is sent the phone's identification at each
// speed the settings offer; the answer of each is listed. `--port auto` runs the same search
// for the phone commands.
#include <cstdio>
#include <cstdlib>

#include "app/cli/Cli.h"
#include "app/cli/CliLink.h"
#include "app/cli/Options.h"
#include "ports/PhoneSearch.h"
#include "settings/SettingsStore.h"
#include "base/Messages.h"

namespace q7k3::cli {
namespace {

const OptionSpec kOptions[] = {
    {"--baud", "N", QT_TRANSLATE_NOOP("Cli", "скорость, которую пробовать первой (затем 115200, 128000, 230400)")},
    {"--json", nullptr, QT_TRANSLATE_NOOP("Cli", "объект JSON: ports (port, stable, answer, model, rate, state), phones")},
    {"--quiet", nullptr, QT_TRANSLATE_NOOP("Cli", "без лишних строк"), 'q'},
    {"--verbose", nullptr, QT_TRANSLATE_NOOP("Cli", "подробнее о ходе работы"), 'v'},
};
const CommandSyntax kSpec{
    "detect",
    QT_TRANSLATE_NOOP("Cli", "detect [ПАРАМЕТРЫ] [ПОРТ...]"),
    QT_TRANSLATE_NOOP("Cli", "Ищет телефон: на каждый порт посылает опознание (ATZ, AT+CGMM) на каждой скорости\n"
    "настроек и показывает, что ответил каждый порт. Без ПОРТОВ — порты из\n"
    "Q7K3FM_SEARCH_PORTS (через двоеточие), иначе каждый последовательный порт.\n"
    "Порты, которые не открываются, не трогает и говорит почему. Ничего, кроме\n"
    "опознания, в порты не пишет. Код 0, когда найден хотя бы один телефон, иначе 4."),
    kOptions,
    0,
    -1};

const char* AnswerName(PortAnswer answer) {
    switch (answer) {
        case PortAnswer::Phone:
            return "phone";
        case PortAnswer::OtherModel:
            return "unsupported";
        case PortAnswer::Modem:
            return "modem";
        case PortAnswer::Garbled:
            return "garbled";
        case PortAnswer::Silent:
            return "silent";
        case PortAnswer::Unavailable:
            return "unavailable";
        case PortAnswer::Stopped:
            return "stopped";
    }
    return "";
}

// The request with the stored line settings: those the phone commands open the port with.
SearchRequest StoredRequest(uint32_t preferredRate, bool rateGiven) {
    SearchRequest request;
    SettingsStore store;
    request.StoredPort = store.ReadString("ComPort", "");
    // The settings' line defaults, as CliLink sets the port up: rate,N,8,1, line status checked.
    request.Line.Manual = false;
    request.Line.CheckLineStatus = true;
    request.PreferredRate = static_cast<int>(
        rateGiven ? preferredRate : static_cast<uint32_t>(store.ReadInt("BaudRate", 115200)));
    return request;
}

void PrintHuman(const std::vector<PortFinding>& findings, FILE* out, bool advice) {
    for (const PortFinding& f : findings) {
        std::fprintf(out, "%s\n", OneLine(FindingLine(f)).c_str());
        if (!advice || f.Answer != PortAnswer::Unavailable) continue;
        for (const std::string& line : PortRemedyLines(f.State))
            std::fprintf(out, "    %s\n", OneLine(line).c_str());
    }
}

void PrintJson(const std::vector<PortFinding>& findings) {
    std::printf("{\"ports\": [");
    for (size_t i = 0; i < findings.size(); ++i) {
        const PortFinding& f = findings[i];
        std::printf("%s\n  {\"port\": %s, \"stable\": %s, \"answer\": \"%s\"", i ? "," : "",
                    JsonString(f.Path).c_str(),
                    f.StableName.empty() ? "null" : JsonString(f.StableName).c_str(),
                    AnswerName(f.Answer));
        std::printf(", \"model\": %s", f.Model.empty() ? "null" : JsonString(f.Model).c_str());
        if (f.Rate > 0)
            std::printf(", \"rate\": %d", f.Rate);
        else
            std::printf(", \"rate\": null");
        std::printf(", \"state\": %s}", JsonString(FindingText(f)).c_str());
    }
    std::printf("%s], \"phones\": %zu}\n", findings.empty() ? "" : "\n",
                PhonesFound(findings).size());
}

int RunDetect(const std::vector<std::string>& given) {
    ParsedArgs parsed;
    if (const int rc = Parse(kSpec, given, parsed); rc != kParsed) return rc;
    std::vector<std::string> words;
    if (const int rc = LinkWords(parsed, words)) return rc;
    std::vector<std::string> rest = words;
    LinkOptions options;
    if (const int rc = TakeLinkOptions(rest, options)) return rc;
    SearchRequest request = StoredRequest(options.Baud, options.BaudGiven);
    request.Ports = parsed.positional;
    const std::vector<std::string> ports = SearchList(request);
    if (ports.empty()) return Fail(Msg(kMsgNoSerialDevices), kExitPortCode);
    const std::vector<PortFinding> findings = SearchPhones(ports, request);
    if (parsed.Has("--json"))
        PrintJson(findings);
    else
        PrintHuman(findings, stdout, true);
    if (!PhonesFound(findings).empty()) return kExitOk;
    if (!parsed.Has("--json")) {
        Fail(Msg(kMsgNoPhoneFound), kExitSilentCode);
        Advise(kMsgAdviceNoPhoneFound, "q7k3fm-cli ports", kExitSilentCode);
    }
    return kExitSilentCode;
}

const CliCommand kDetect{kSpec, RunDetect};

}  // namespace

bool FindPhonePort(LinkOptions& options, const ProbeLine& line, const std::string& storedPort,
                   int& exitCode) {
    SearchRequest request;
    request.StoredPort = storedPort;
    request.PreferredRate = static_cast<int>(options.Baud);
    request.Line = line;
    const std::vector<std::string> ports = SearchList(request);
    if (ports.empty()) {
        exitCode = kExitPortCode;
        Fail(Msg(kMsgNoSerialDevices), exitCode);
        return false;
    }
    const std::vector<PortFinding> findings = SearchPhones(ports, request);
    const std::vector<const PortFinding*> phones = PhonesFound(findings);
    if (phones.size() == 1) {
        options.Port = phones.front()->NameToUse();
        options.Baud = static_cast<uint32_t>(phones.front()->Rate);
        if (CurrentVerbosity() == Verbosity::Verbose) PrintHuman(findings, stderr, false);
        return true;
    }
    // None or several: what each port answered, so that the user can name one.
    exitCode = phones.empty() ? kExitSilentCode : kExitSeveralPhones;
    Fail(phones.empty() ? Msg(kMsgNoPhoneFound) : Msg(kMsgCliSeveralPhones), exitCode);
    if (phones.empty()) {
        PrintHuman(findings, stderr, true);
    } else {
        std::vector<PortFinding> listed;
        for (const PortFinding* p : phones) listed.push_back(*p);
        PrintHuman(listed, stderr, false);
    }
    return false;
}

}  // namespace q7k3::cli
