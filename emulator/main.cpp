// q7k3fm-phone: an SGH phone on a pseudo-terminal, for the demo and the integration tests.

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "emulator/PhoneEmulator.h"

namespace {

const char kUsage[] =
    "usage: q7k3fm-phone [options]\n"
    "An SGH phone answering AT commands on a pseudo-terminal. Prints the terminal's path as\n"
    "its first line, then serves it until SIGTERM or SIGINT.\n"
    "\n"
    "  --model M           the AT+CGMM answer (default SGH-E700; ERROR makes it refuse);\n"
    "                      E700 and E800 number their folders as the E family\n"
    "  --serial S          the AT+CGSN answer (default: fifteen digits made from the model\n"
    "                      and --root; ERROR makes it refuse, as phones without one do)\n"
    "  --pims              folders addressed by path (\"/Sounds/Ring\"), listed with AT+FSDI\n"
    "  --root DIR          keep the files in DIR, one subdirectory per phone folder named by\n"
    "                      its path (user/sounds, mms/camera/image; Sounds/Ring with --pims);\n"
    "                      files of the root folder lie in DIR itself\n"
    "  --preset demo|empty the phone's content at start (default empty; with --root, demo\n"
    "                      files are added only where no file of that name exists)\n"
    "  --link PATH         make PATH a symlink to the terminal (removed at exit)\n"
    "  --baud N            pace the bytes both ways at N/10 bytes per second\n"
    "  --latency MS        wait MS before each answer\n"
    "  --batch N           listing lines per batch (default 10)\n"
    "  --block N           data bytes per read block (default 600)\n"
    "  --echo on|off       echo command lines (default on; ATE0/ATE1 switch it)\n"
    "  --log FILE          trace both directions to FILE\n"
    "  --capacity KB       user memory (default 13104, used in 16 KB units)\n"
    "\n"
    "faults:\n"
    "  --silent-after N    answer N commands, then nothing at all\n"
    "  --drop-command N    leave the Nth command unanswered (once)\n"
    "  --cut-after BYTES   the line goes dead after BYTES bytes of transfer data\n"
    "  --bad-crc           every read ends with a wrong CRC\n"
    "  --extra-prompt      one more ##> after the last block of a write, then its result\n"
    "  --fail-command P:C  answer commands starting with P with +CME ERROR: C (C 0: ERROR)\n"
    "  --fail-name N:C     the same for commands whose first quoted argument is N\n"
    "  --unsolicited TEXT  send the line TEXT after every complete answer\n"
    "  --anywhere TEXT     send the line TEXT every second and at random line boundaries\n"
    "                      inside answers (--anywhere-every MS changes the second)\n"
    "  --trickle-after N   answer N commands, then send one byte every 200 ms for ever\n"
    "                      (the answers first, then NUL noise; --trickle-every MS)\n"
    "  --flood-after N     answer N commands, then send garbage bytes without end\n"
    "  --endless-read      a read goes on with blocks past the file's end for ever\n"
    "  --prompt-storm      a write is answered with ##> for ever, never with its result\n"
    "  --early-ok BYTES    a write is answered OK after BYTES of its data, the file kept cut\n"
    "  --fan-out N         with --pims, every folder also lists N subfolders (F0000...)\n"
    "  --split MS          answers go out in random pieces up to MS apart\n"
    "  --range-limit N     refuse AT+CPBR ranges of more than N slots\n"
    "  --list-hangs        leave AT+CMGL unanswered\n"
    "  --hex-arguments     under AT+CSCS=\"UCS2\" take quoted arguments in hex too\n"
    "  --extra-field       one more number after the text of every +CPBR line\n"
    "  --cut-listing N     once: a phonebook or message listing stops after N entries\n"
    "  --pdu-refused       AT+CMGF=0 is refused: messages are read in text mode only\n"
    "  --charsets LIST     the character sets AT+CSCS offers, e.g. GSM or GSM,8859-1\n"
    "  --sim-slots N       slots of the SIM's phonebook (default 250)\n"
    "  --phone-slots N     slots of the phone's phonebook (default 1000)\n"
    "  --seed N            the seed of the random pieces, places and garbage (default 1)\n"
    "  --help              this text\n";

bool ParseInt(const char* s, long min, long max, long& out) {
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(s, &end, 10);
    if (errno != 0 || end == s || *end != '\0' || v < min || v > max) return false;
    out = v;
    return true;
}

// "PREFIX:CODE", split at the last colon.
bool ParseRule(const std::string& s, std::string& match, int& code) {
    const size_t colon = s.rfind(':');
    long c = 0;
    if (colon == std::string::npos || colon == 0 || !ParseInt(s.c_str() + colon + 1, 0, INT_MAX, c))
        return false;
    match = s.substr(0, colon);
    code = static_cast<int>(c);
    return true;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "q7k3fm-phone: %s\n", message.c_str());
    return 2;
}

// The options into `config` and `link`. Returns -1 to go on, or the exit code (after --help,
// or after saying what is wrong).
int ParseOptions(int argc, char** argv, q7k3::EmulatorConfig& config, std::string& link) {
    for (int i = 1; i < argc; ++i) {
        const std::string opt = argv[i];
        auto value = [&](const char*& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        const char* v = nullptr;
        long n = 0;
        if (opt == "--help" || opt == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (opt == "--pims") {
            config.Pims = true;
        } else if (opt == "--bad-crc") {
            config.Fault.BadReadCrc = true;
        } else if (opt == "--extra-prompt") {
            config.Fault.ExtraPrompt = true;
        } else if (opt == "--endless-read") {
            config.Fault.EndlessRead = true;
        } else if (opt == "--prompt-storm") {
            config.Fault.PromptStorm = true;
        } else if (opt == "--list-hangs") {
            config.Fault.ListHangs = true;
        } else if (opt == "--hex-arguments") {
            config.Fault.HexArguments = true;
        } else if (opt == "--extra-field") {
            config.Fault.PhonebookExtraField = true;
        } else if (opt == "--pdu-refused") {
            config.Fault.PduModeRefused = true;
        } else if (!value(v)) {
            return Fail("unknown option or missing value: " + opt + " (see --help)");
        } else if (opt == "--model") {
            config.Model = v;
        } else if (opt == "--serial") {
            config.Serial = v;
        } else if (opt == "--root") {
            config.RootDir = v;
        } else if (opt == "--preset") {
            if (std::strcmp(v, "demo") == 0)
                config.Content = q7k3::emu::Preset::Demo;
            else if (std::strcmp(v, "empty") == 0)
                config.Content = q7k3::emu::Preset::Empty;
            else
                return Fail("--preset takes demo or empty");
        } else if (opt == "--link") {
            link = v;
        } else if (opt == "--baud" && ParseInt(v, 0, 10'000'000, n)) {
            config.Baud = static_cast<int>(n);
        } else if (opt == "--latency" && ParseInt(v, 0, 600'000, n)) {
            config.LatencyMs = static_cast<int>(n);
        } else if (opt == "--batch" && ParseInt(v, 1, 100'000, n)) {
            config.Batch = static_cast<int>(n);
        } else if (opt == "--block" && ParseInt(v, 1, 65'536, n)) {
            config.Block = static_cast<int>(n);
        } else if (opt == "--echo" && (std::strcmp(v, "on") == 0 || std::strcmp(v, "off") == 0)) {
            config.Echo = std::strcmp(v, "on") == 0;
        } else if (opt == "--log") {
            config.LogFile = v;
        } else if (opt == "--capacity" && ParseInt(v, 0, 4'000'000, n)) {
            config.CapacityKb = static_cast<int>(n);
        } else if (opt == "--silent-after" && ParseInt(v, 0, INT_MAX, n)) {
            config.Fault.SilentAfter = static_cast<int>(n);
        } else if (opt == "--drop-command" && ParseInt(v, 1, INT_MAX, n)) {
            config.Fault.DropCommand = static_cast<int>(n);
        } else if (opt == "--cut-after" && ParseInt(v, 0, LONG_MAX, n)) {
            config.Fault.CutAfterBytes = n;
        } else if (opt == "--early-ok" && ParseInt(v, 0, LONG_MAX, n)) {
            config.Fault.EarlyOkAfter = n;
        } else if (opt == "--fail-command" || opt == "--fail-name") {
            q7k3::emu::ErrorRule rule;
            if (!ParseRule(v, rule.Match, rule.Code)) return Fail(opt + " takes TEXT:CODE");
            rule.ByName = opt == "--fail-name";
            config.Fault.Errors.push_back(rule);
        } else if (opt == "--unsolicited") {
            config.Fault.Unsolicited = v;
        } else if (opt == "--anywhere") {
            config.Fault.Anywhere = v;
        } else if (opt == "--anywhere-every" && ParseInt(v, 1, 600'000, n)) {
            config.Fault.AnywhereMs = static_cast<int>(n);
        } else if (opt == "--trickle-after" && ParseInt(v, 0, INT_MAX, n)) {
            config.Fault.TrickleAfter = static_cast<int>(n);
        } else if (opt == "--trickle-every" && ParseInt(v, 1, 600'000, n)) {
            config.Fault.TrickleMs = static_cast<int>(n);
        } else if (opt == "--flood-after" && ParseInt(v, 0, INT_MAX, n)) {
            config.Fault.FloodAfter = static_cast<int>(n);
        } else if (opt == "--fan-out" && ParseInt(v, 0, 100'000, n)) {
            config.Fault.FanOut = static_cast<int>(n);
        } else if (opt == "--split" && ParseInt(v, 0, 10'000, n)) {
            config.Fault.SplitMaxDelayMs = static_cast<int>(n);
        } else if (opt == "--range-limit" && ParseInt(v, 1, 100'000, n)) {
            config.Fault.RangeLimit = static_cast<int>(n);
        } else if (opt == "--cut-listing" && ParseInt(v, 0, INT_MAX, n)) {
            config.Fault.CutListingAfter = static_cast<int>(n);
        } else if (opt == "--charsets") {
            config.Fault.Charsets.clear();
            for (std::string list = v; !list.empty();) {
                const size_t comma = list.find(',');
                const std::string name = list.substr(0, comma);
                if (name != "GSM" && name != "UCS2" && name != "8859-1" && name != "IRA")
                    return Fail("--charsets takes GSM, UCS2, 8859-1 or IRA, comma-separated");
                config.Fault.Charsets.push_back(name);
                list = comma == std::string::npos ? std::string() : list.substr(comma + 1);
            }
            if (config.Fault.Charsets.empty()) return Fail("--charsets names at least one set");
        } else if (opt == "--sim-slots" && ParseInt(v, 1, 10'000, n)) {
            config.Pim.SimSlots = static_cast<int>(n);
        } else if (opt == "--phone-slots" && ParseInt(v, 1, 10'000, n)) {
            config.Pim.PhoneSlots = static_cast<int>(n);
        } else if (opt == "--seed" && ParseInt(v, 0, UINT32_MAX, n)) {
            config.Fault.Seed = static_cast<uint32_t>(n);
        } else {
            return Fail("bad value for " + opt + ": " + v + " (see --help)");
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    q7k3::EmulatorConfig config;
    std::string link;
    if (const int rc = ParseOptions(argc, argv, config, link); rc >= 0) return rc;

    // The serving thread must not take the stop signals; the main thread waits for them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    q7k3::PhoneEmulator phone(config);
    if (!phone.Start()) return Fail(phone.Error().empty() ? "cannot start" : phone.Error());

    if (!link.empty()) {
        struct stat st {};
        if (lstat(link.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) return Fail(link + " exists and is not a symlink");
            unlink(link.c_str());
        }
        if (symlink(phone.SlavePath().c_str(), link.c_str()) != 0)
            return Fail("cannot make the link " + link + ": " + std::strerror(errno));
    }
    std::printf("%s\n", phone.SlavePath().c_str());
    std::fflush(stdout);

    int sig = 0;
    sigwait(&stopSignals, &sig);
    phone.Stop();
    if (!link.empty()) {
        char target[PATH_MAX];
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, static_cast<size_t>(n)) == phone.SlavePath())
            unlink(link.c_str());
    }
    return 0;
}
