// identify: open the link, reset the phone, print its model line.
#include <cstdio>

#include "app/cli/Cli.h"
#include "app/cli/CliLink.h"

namespace q7k3::cli {
namespace {

int RunIdentify(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    LinkOptions options;
    if (!TakeLinkOptions(args, options)) return 2;
    if (!args.empty()) return Fail("identify takes no arguments besides the link options", 2);
    CliLink link;
    if (!link.Open(options)) return link.ExitCode();
    std::printf("%s\n", link.Channel().PhoneModel.c_str());
    link.Form10().Comm321.Disconnect();
    return 0;
}

const CliCommand kIdentify{"identify",
                           "identify [--port PATH] [--baud N] [--sleep 0|1|2] [--trace FILE]",
                           RunIdentify};

}  // namespace
}  // namespace q7k3::cli
