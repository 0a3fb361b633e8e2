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
// The folder a command was given by its place, looked up in the tree the operation finds.
// When the tree no longer holds it (the link was lost meanwhile), "Потеряна связь с
// телефоном" is said once and the result is null.
Tree4* FolderAt(PhoneFs& fs, const FolderPlace& place);

// An error box of the command ("Ошибка").
void ShowError(PhoneFs& fs, const std::string& text, BoxIcon icon = BoxIcon::Error);

// Leaves a local failure in the channel: "Невозможно открыть файл <path>".
void FailLocal(AtChannel& ch, const std::string& path);
// Leaves a failure of the program's own words in the channel.
void FailText(AtChannel& ch, const std::string& text);
// The report of whatever the channel holds now.
std::string ErrorReport(const AtChannel& ch);

// The conflict question while `folder` holds `name`: an edited name is tried in turn.
// "Перезаписать" sets `replace` and leaves the phone's file where it is: WriteToPhone then
// replaces it. "Перезаписать все" sets `overwriteAll`, which then answers every later
// question of the command.
enum class ConflictEnd { Go, Cancel, Fail };
ConflictEnd ResolveConflict(PhoneFs& fs, Tree4* folder, ConflictQuestion& conflict,
                            bool& overwriteAll, std::string& name, bool& replace);

// Writes the local file `source` as `name` into `folder`, which must be current on the
// phone. With `replace` the phone's file of that name gives way, and a write that fails
// (a lost line, a full memory, an abort) never leaves the folder without it:
// - when the phone's memory (as far as the listed folders tell) holds both, the new file
//   is written under a temporary name first, then the old one is erased, the new one
//   written under its name and the temporary file erased;
// - otherwise (and when the temporary write finds the memory full) the old file is
//   fetched to the computer first, then erased and the new one written; a failed write
//   puts the old one back, or keeps it in RecoveryDir().
// False on a failure, with the reason (and where the files are) in LastError/ErrorText.
bool WriteToPhone(PhoneFs& fs, Tree4* folder, const std::string& source,
                  const std::string& name, bool replace);

// The name of the temporary file a replacing write uses in `folder`: free in the folder,
// with `name`'s extension (a folder may take only some kinds of file).
std::string TemporaryPhoneName(const Tree4* folder, const std::string& name);

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
