#pragma once
// What a q7k3fm-cli phone command holds while it runs: its options, the link, the progress
// line, the boxes (lines on standard error) and the phone's file system.

#include <memory>
#include <string>

#include "app/cli/CliLink.h"
#include "app/cli/Options.h"
#include "app/cli/Terminal.h"
#include "commands/Unfinished.h"
#include "link/Prompts.h"
#include "phonefs/PhoneFs.h"

namespace q7k3::cli {

// Boxes become lines on standard error; the CLI never waits for an answer.
class CliPrompts final : public Prompts {
public:
    void MessageBox(const std::string& text, const std::string& caption, BoxIcon icon) override;
    bool AskYesNo(const std::string&, const std::string&) override { return true; }
    int shown = 0;  // boxes shown: the command tells of a problem
};

// The command line's answer to "is this the phone the step was cut on?" (asked only of a
// phone that gives no serial number): yes with --same-phone; asked on the terminal while
// standard input and standard error are one; otherwise no, with a line that says how to
// finish it.
commands::SamePhoneQuestion CliSamePhone(const LinkOptions& options);

struct CliSession {
    LinkOptions options;
    FolderMode mode = FolderMode::Normal;
    bool hidden = false;
    CliLink link;
    CliProgress progress;
    CliPrompts prompts;
    std::unique_ptr<PhoneFs> fs;

    // Takes the link options, --mode and --hidden; 0 or the exit code of a bad option.
    int TakeOptions(const ParsedArgs& parsed);
    // Opens the link and makes the file system; 0 or the link's exit code after its message.
    int Open();
    // The catalogue's text for the failure; a local file that cannot be opened is named
    // and ends the command with the local-file code.
    int PhoneError(const Failure& failure, const std::string& localPath = {});
};

}  // namespace q7k3::cli
