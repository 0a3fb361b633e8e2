#pragma once
// The strict option parser every q7k3fm-cli command shares. A command describes its options
// and how many plain arguments it takes; Parse() then
//   - accepts "--name VALUE", "--name=VALUE", short flags ("-q"), and "--" (every word after
//     it is a plain argument, "-" always is one: standard input or output);
//   - refuses an unknown option, a missing value or a value given to a flag, naming it,
//     and a wrong number of arguments, saying which (exit code 2);
//   - answers "--help"/"-h" with the command's help on standard output.
// The texts of the help are Russian, marked QT_TRANSLATE_NOOP("Cli", ...) and printed in the
// language set (base/Language.h); the options' names are the same in every command.
//
// A command adopts it in a few lines:
//   const OptionSpec kOpts[] = {{"--force", nullptr, QT_TRANSLATE_NOOP("Cli", "заменить ...")}};
//   const CommandSyntax kSpec{"backup", QT_TRANSLATE_NOOP("Cli", "backup [ПАРАМЕТРЫ] ПАПКА"),
//                             QT_TRANSLATE_NOOP("Cli", "Копирует ..."), kOpts, 1, 1};
//   int Run(const std::vector<std::string>& words) {
//       ParsedArgs a;
//       if (const int rc = Parse(kSpec, words, a); rc != kParsed) return rc;
//       ... a.Has("--force"), a.Value("--port"), a.positional ...
//   }

#include <QtGlobal>

#include <initializer_list>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "base/AppFlags.h"

namespace q7k3::cli {

// The exit codes of q7k3fm-cli, the same for every command.
enum ExitCode : int {
    kExitOk = 0,
    kExitPhoneFailed = 1,    // the phone refused or the exchange failed
    kExitUsage = 2,          // a wrong command line
    kExitPortCode = 3,       // the port does not open
    kExitSilentCode = 4,     // the phone does not answer
    kExitModelCode = 5,      // the phone's model is not supported
    kExitLocalFile = 6,      // a local file cannot be read or written, or would be replaced
    kExitBadInput = 7,       // an input file is not of the kind the command expects
    kExitSeveralPhones = 8,  // --port auto found more than one phone
    kExitInterrupted = 130,
};

struct OptionSpec {
    const char* name;    // "--port"
    const char* value;   // the value's placeholder ("ПУТЬ"), or null for a flag
    const char* help;    // one line, Russian
    char shortName = 0;  // 'q' for -q, or 0
};

struct CommandSyntax {
    const char* name;
    const char* synopsis;  // "get [ПАРАМЕТРЫ] ПАПКА\\ФАЙЛ... ЛОКАЛЬНЫЙ"
    const char* summary;   // what the command does, Russian, may hold several lines
    std::span<const OptionSpec> options;
    int minArgs = 0;
    int maxArgs = 0;  // -1: any number
    const char* note = nullptr;  // a paragraph after the summary that several commands share
};

struct ParsedArgs {
    std::map<std::string, std::string> values;  // option name -> its value ("" for flags)
    std::vector<std::string> positional;
    bool Has(const std::string& name) const { return values.count(name) != 0; }
    std::string Value(const std::string& name, const std::string& fallback = {}) const;
};

// Parse()'s answer when the command should go on.
inline constexpr int kParsed = -1;
// Parses `words` (the words after the command name). Returns kParsed, or the exit code
// once it has printed the help (0) or a usage error (2).
int Parse(const CommandSyntax& spec, const std::vector<std::string>& words, ParsedArgs& out);

// The options every phone command takes: --port, --baud, --sleep, --trace, -q, -v.
std::span<const OptionSpec> LinkOptionSpecs();
// The link options, then those of the phone's folder tree (--mode, --hidden), then `own`.
std::vector<OptionSpec> TreeOptionSpecs(std::initializer_list<OptionSpec> own);
// The word list CliLink's option reader expects, built from parsed options; the port
// comes from Q7K3FM_PORT when --port is absent. Values are checked here (exit 2 with the
// reason) so that the reader never refuses them.
int LinkWords(const ParsedArgs& args, std::vector<std::string>& words);

class CliLink;
struct LinkOptions;
// After a link that did not open: names the port or the model the line above spoke of,
// and returns the link's exit code.
int LinkFailure(CliLink& link, const LinkOptions& options);

// The entry a CliCommand registers: parses the words by `Spec`, then runs the command.
template <const CommandSyntax& Spec, int (*Run)(const ParsedArgs&)>
int Entry(const std::vector<std::string>& words) {
    ParsedArgs parsed;
    if (const int rc = Parse(Spec, words, parsed); rc != kParsed) return rc;
    return Run(parsed);
}

// -q / -v for this run (progress and the extra lines on standard error).
enum class Verbosity { Quiet, Normal, Verbose };
Verbosity CurrentVerbosity();
void SetVerbosity(const ParsedArgs& args);

// A usage error: "q7k3fm-cli: <text>" and the hint to the command's help; returns 2.
int UsageError(const std::string& command, const std::string& text);
// The full help of a command, on `out`.
void PrintCommandHelp(const CommandSyntax& spec, FILE* out);
// The closest of `candidates` to `word` (edit distance, case ignored), or empty when none
// is close enough to be a likely typo.
std::string Nearest(const std::string& word, const std::vector<std::string>& candidates);

// Text safe for a terminal: control bytes become \xNN (tab, newline as \t, \n), a
// backslash stays as it is. For names in human-readable lines.
// As a porcelain field (`field`), the backslash is written \\ and a carriage return \r
// too, so that every escape reads back to one byte.
std::string Printable(const std::string& text, bool field = false);
// A JSON string of `text`: quotes, backslashes and control bytes (and U+0080..U+009F)
// escaped.
std::string JsonString(const std::string& text);
// A message of the catalogue as one printable line: its line ends become spaces.
std::string OneLine(const std::string& text);
// --mode of a phone command: normal 0, pro 1, pims 2 (refused unless `pimsToo`).
// Returns 0, or exit code 2 after naming the bad value.
int ModeOption(const ParsedArgs& args, bool pimsToo, FolderMode& mode);
// The exit code table, as the help shows it.
std::string ExitCodeHelp();

}  // namespace q7k3::cli
