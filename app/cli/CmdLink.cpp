// identify: open the link, reset the phone, print its model line.
#include <cstdio>

#include "app/cli/Cli.h"
#include "app/cli/CliLink.h"
#include "app/cli/CliSession.h"
#include "app/cli/Options.h"

namespace q7k3::cli {
namespace {

const CommandSyntax kSpec{"identify",
                          QT_TRANSLATE_NOOP("Cli", "identify [ПАРАМЕТРЫ]"),
                          QT_TRANSLATE_NOOP("Cli", "Открывает порт, сбрасывает телефон и печатает строку его модели."),
                          LinkOptionSpecs(),
                          0,
                          0};

int RunIdentify(const std::vector<std::string>& given) {
    ParsedArgs parsed;
    if (const int rc = Parse(kSpec, given, parsed); rc != kParsed) return rc;
    std::vector<std::string> args;
    if (const int rc = LinkWords(parsed, args)) return rc;
    CliSession s;
    if (const int rc = TakeLinkOptions(args, s.options)) return rc;
    // Only the model: what an earlier run left unfinished waits for a command that works.
    s.connecting = {false, false, false, false};
    if (const int rc = s.Open()) return rc;
    std::printf("%s\n", Printable(s.link.Channel().PhoneModel).c_str());
    return 0;
}

const CliCommand kIdentify{kSpec, RunIdentify};

}  // namespace
}  // namespace q7k3::cli
