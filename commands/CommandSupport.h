#pragma once
// What the file commands share: how a command ended, the progress line, the boxes, and the
// local files they write.

#include <string>

#include "commands/Questions.h"
#include "phonefs/PhoneFs.h"

namespace q7k3 {

// How a command ended. Run() returns false only for Failed; every other end has already
// said what there was to say.
enum class CommandEnd {
    Finished,   // every file taken
    Aborted,    // the abort button stopped it before a file
    Cancelled,  // "Отмена" in a question
    Stopped,    // ended after its own message (no room for a slot file, disk write-protected)
    Failed,     // a phone or local failure; the reason is in the channel's LastError
};

namespace commands {

// "Копирование файла k из N" from the file bar: k is its position + 1, N its maximum.
std::string CopyProgressLine(const ProgressView& progress);

// An error box of the command ("Ошибка").
void ShowError(PhoneFs& fs, const std::string& text, BoxIcon icon = BoxIcon::Error);

// Leaves a local failure in the channel: "Невозможно открыть файл <path>".
void FailLocal(AtChannel& ch, const std::string& path);
// Leaves a failure of the program's own words in the channel.
void FailText(AtChannel& ch, const std::string& text);
// The report of whatever the channel holds now.
std::string ErrorReport(const AtChannel& ch);

// The conflict question while `folder` holds `name`: an edited name is tried in turn, an
// overwrite erases the phone's file first (and takes it out of the tree). "Перезаписать
// все" sets `overwriteAll`, which then answers every later question of the command.
enum class ConflictEnd { Go, Cancel, Fail };
ConflictEnd ResolveConflict(PhoneFs& fs, Tree4* folder, ConflictQuestion& conflict,
                            bool& overwriteAll, std::string& name);

// A name the phone can take: not empty, not "." or "..", no '/', no quote, no control
// character.
bool ValidPhoneName(std::string_view name);

// Copies `from` to `to` through a temporary file beside `to` that takes its place only
// when it is complete: a failure leaves whatever was at `to`.
bool InstallLocalFile(const std::string& from, const std::string& to);

// An empty directory of the private temporary directory for one file's conversion.
// Empty when it cannot be made.
std::string FreshWorkDir(const std::string& name);

// Where a phone file that could not be put back is kept:
// $XDG_DATA_HOME/Q7K3FileManager/Recovered (the data directory defaults to
// ~/.local/share). Made when missing; empty when it cannot be.
std::string RecoveryDir();
// A path in `dir` for `name` that names no existing file ("name", "name (2)", ...).
std::string UniquePath(const std::string& dir, const std::string& name);

}  // namespace commands
}  // namespace q7k3
