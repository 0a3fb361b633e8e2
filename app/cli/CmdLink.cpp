// identify: open the link, reset the phone, print its model line.
#include <cstdio>

#include "app/cli/Cli.h"
#include "app/cli/CliLink.h"
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
    LinkOptions options;
    if (const int rc = TakeLinkOptions(args, options)) return rc;
    CliLink link;
    if (!link.Open(options)) return LinkFailure(link, options);
    std::printf("%s\n", Printable(link.Channel().PhoneModel).c_str());
    link.Link().Port.Disconnect();
    return 0;
}

const CliCommand kIdentify{kSpec, RunIdentify};

}  // namespace
}  // namespace q7k3::cli
