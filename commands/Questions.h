#pragma once
// The questions the file commands ask the person at the screen: what to do when the phone
// folder already holds a file of the chosen name, and the new name of a renamed file. The
// window answers them with TFileExistForm and TRenameForm, the CLI from its options, tests
// from a script.

#include <optional>
#include <string>

namespace q7k3 {

// The conflict dialog's buttons, valued as its modal results.
enum class ConflictChoice {
    UseName = 1,       // "OK": try the edited name
    Cancel = 2,        // "Отмена", or the dialog closed: end the command
    OverwriteAll = 3,  // "Перезаписать все": replace this file and every later one
    Overwrite = 5,     // "Перезапиписать": replace this file
};

struct ConflictAnswer {
    ConflictChoice Choice = ConflictChoice::Cancel;
    std::string NewName;  // the edit field as the user left it
};

class ConflictQuestion {
public:
    virtual ~ConflictQuestion() = default;
    // `oldName` is the name that is taken, `newName` what the edit field shows first.
    virtual ConflictAnswer Ask(const std::string& oldName, const std::string& newName) = 0;
};

class RenameQuestion {
public:
    virtual ~RenameQuestion() = default;
    // The rename dialog, its field set to `name`: the edited text on "OK", nothing on
    // "Отмена" or when the dialog is closed.
    virtual std::optional<std::string> Ask(const std::string& name) = 0;
};

}  // namespace q7k3
