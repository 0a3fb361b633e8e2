#pragma once
// Command registry of q7k3fm-cli. A command file defines its run function and registers
// it with a static CliCommand object:
//   static const q7k3::cli::CliCommand kScan{kScanSpec, RunScan};
// where kScanSpec is the command's option table (app/cli/Options.h).

#include <string>
#include <vector>

namespace q7k3::cli {

// args are the words after the command name. Returns the exit code; on failure the
// command prints one clear line to standard error.
using CliRun = int (*)(const std::vector<std::string>& args);

struct CommandSyntax;

struct CliCommand {
    CliCommand(const char* name, const char* usage, CliRun run);
    // A command with an option table (app/cli/Options.h): its help comes from the table.
    CliCommand(const CommandSyntax& spec, CliRun run);
    const char* name;
    const char* usage;
    CliRun run;
    const CommandSyntax* spec = nullptr;
};

const std::vector<const CliCommand*>& Commands();

// Small argument helpers shared by the commands.
// Removes "--name VALUE" from args and returns VALUE (or `fallback` when absent).
// Sets `error` when the option is present without a value.
std::string TakeOption(std::vector<std::string>& args, const std::string& name,
                       const std::string& fallback, bool& error);
// Removes a bare "--name" flag from args; true when it was there.
bool TakeFlag(std::vector<std::string>& args, const std::string& name);
// Prints "q7k3fm-cli: <text>" to standard error and returns 1 (or `code`).
int Fail(const std::string& text, int code = 1);
// A command or a line to copy (a udev rule) on standard error, on its own line and
// indented, without the program's name before it.
void PrintToCopy(const std::string& line);
// The advice `text` ("… покажет команда") and under it the command to run.
void Advise(int message, const std::string& command, int code);

}  // namespace q7k3::cli
