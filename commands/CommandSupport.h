#pragma once
// What the file commands share: how a command ended, the progress line, the boxes, and the
// local files they write.

#include <QElapsedTimer>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "commands/Questions.h"
#include "commands/Unfinished.h"
#include "phonefs/PhoneFs.h"

namespace q7k3 {

// How a command ended. Run() returns false only for Failed; every other end has already
// said what there was to say.
enum class CommandEnd {
    Finished,   // every file taken
    Aborted,    // the abort button stopped it before a file
    Cancelled,  // "Отмена" in a question
    Stopped,    // ended after its own message (no room for a slot file, disk write-protected)
    Failed,     // a phone or local failure: Run() fails with its reason
};

namespace commands {

// "Копирование файла k из N" from the file bar: k is its position + 1, N its maximum.
std::string CopyProgressLine(const ProgressView& progress);
// The folder a command was given by its place, looked up in the tree the operation finds.
// When the tree no longer holds it (the link was lost meanwhile), "Потеряна связь с
// телефоном" is said once and the result is null.
Tree4* FolderAt(PhoneFs& fs, const FolderPlace& place);

// The bytes a command has moved of all it will move, with an estimate of the time left
// from the rate so far: "Копирование файла k из N, X из Y КБ, осталось m:ss" (a command of
// one file leaves its bytes to the file's own line).
class ByteMeter {
public:
    // Starts the clock.
    void Start(int64_t total);
    void Add(int64_t bytes) { m_done += bytes; }
    std::string Line(const ProgressView& progress) const;

private:
    QElapsedTimer m_clock;
    int64_t m_total = 0;
    int64_t m_done = 0;
};

// An error box of the command ("Ошибка").
void ShowError(PhoneFs& fs, const std::string& text, BoxIcon icon = BoxIcon::Error);

// A local failure: "Невозможно открыть файл <path>: <reason>" (the reason from the errno
// of the call that just failed and from what the path is now).
Failure LocalFailure(const std::string& path, bool writing = true);
// A local folder that cannot be made: "Невозможно создать папку <path>: <reason>".
Failure FolderFailure(const std::string& path);
// A path that leads through a symbolic link: "Путь ведёт через символическую ссылку,
// отказано: <path>".
Failure LinkFailure(const std::string& path);

// What one command's answers "… все" decided for its later conflicts.
struct ConflictMemory {
    bool OverwriteAll = false;
    bool SkipAll = false;
};

// The conflict question while `taken(name)`: an edited name is tried in turn (one that
// `valid` refuses is asked again). "Перезаписать" sets `replace` and leaves the file where
// it is: the caller replaces it. "Перезаписать все" and "Пропустить все" answer every later
// question of the command; Skip leaves this file out.
enum class ConflictEnd { Go, Skip, Cancel };
// The dialog shows the file `existing(name)` tells of beside `incoming`; with `oneFile` it
// offers no answers for later files.
struct ConflictSides {
    std::function<FileFacts(const std::string&)> Existing;
    FileFacts Incoming;
    bool OneFile = false;
};
ConflictEnd AskWhileTaken(ConflictQuestion& conflict, ConflictMemory& memory,
                          const std::function<bool(const std::string&)>& taken,
                          const std::function<bool(const std::string&)>& valid, std::string& name,
                          bool& replace, const ConflictSides& sides = {});
// The same while the phone folder `folder` holds `name`; `incoming` is the local file
// that would take its place, and a command of one file (the file bar's maximum) is asked
// without the answers "… все".
ConflictEnd ResolveConflict(PhoneFs& fs, Tree4* folder, ConflictQuestion& conflict,
                            ConflictMemory& memory, std::string& name, bool& replace,
                            const std::string& incoming = {});
// The size and the modification time of a local file, and of a phone file.
FileFacts LocalFacts(const std::string& path);
FileFacts PhoneFacts(const FileEntry* entry);

// Writes the local file `source` as `name` into `folder`, which must be current on the
// phone. With `replace` the phone's file of that name gives way, and a write that fails
// (a lost line, a full memory, an abort) never leaves the folder without it:
// - when the phone's memory (as far as the listed folders tell) holds both, the new file
//   is written under a temporary name first, then the old one is erased, the new one
//   written under its name and the temporary file erased;
// - otherwise (and when the temporary write finds the memory full) the old file is
//   fetched to the computer first, then erased and the new one written; a failed write
//   puts the old one back, or keeps it in RecoveryDir().
// Fails with the reason (and where the files are).
Status WriteToPhone(PhoneFs& fs, Tree4* folder, const std::string& source, const std::string& name,
                    bool replace);

// Whether the phone's memory, as far as the listed folders tell, has room for `copies` more
// files of `size` bytes beside what it holds, less `freed` bytes of a file that will go.
bool RoomOnPhone(const PhoneFs& fs, int64_t size, int copies = 1, int64_t freed = 0);

// The name of the temporary file a replacing write uses in `folder`: free in the folder,
// with `name`'s extension (a folder may take only some kinds of file).
std::string TemporaryPhoneName(const Tree4* folder, const std::string& name);
// Whether `name` has the form of such a temporary file ("~q7k3~12.jpg"): never a user's
// file, so a backup leaves it out.
bool IsTemporaryPhoneName(std::string_view name);

// Where the records of unfinished steps are kept (made when missing; empty when it cannot
// be). The records themselves: commands/Unfinished.h.
std::string UnfinishedDir();

// A name the phone can take: not empty, not "." or "..", no '/', no quote, no control
// character.
bool ValidPhoneName(std::string_view name);
// Why `name` would be a file the phone keeps but cannot give back, as a message; empty
// when it is fine: what ValidPhoneName refuses, a backslash (the phone's separator), a
// leading space, bytes that are no UTF-8, and more than `maxBytes` bytes (a folder's
// limit, as the copy to the phone cuts names to it).
std::string PhoneNameProblem(std::string_view name, size_t maxBytes = SIZE_MAX);

// Where `root`/`relative` would lead out of `root`: the first path on the way (below root)
// that is a symbolic link, or the whole path when `relative` climbs out ("..", absolute).
// Empty when the path stays inside. Missing parts are fine: they are made as folders.
std::string EscapeOnTheWay(const std::string& root, const std::string& relative);

// Copies `from` to `to` through an OutputFile: a failure (with its reason) leaves whatever
// was at `to`, and a link there is refused.
Status InstallLocalFile(const std::string& from, const std::string& to);

// An empty directory of the private temporary directory for one file's conversion.
// Empty when it cannot be made.
std::string FreshWorkDir(const std::string& name);

// Where a phone file that could not be put back is kept:
// $XDG_DATA_HOME/Q7K3FileManager/Recovered (the data directory defaults to
// ~/.local/share). Made when missing; empty when it cannot be.
std::string RecoveryDir();
// A path in `dir` for `name` that names no existing file ("Ring.mmf", "Ring (2).mmf", ...).
std::string UniquePath(const std::string& dir, const std::string& name);
// `name` with " (n)" before its extension: "Ring.mmf", 2 -> "Ring (2).mmf". A name whose
// only dot leads it (".profile") takes the number at the end.
std::string NumberedName(const std::string& name, int n);
// The first of NumberedName(name, 2), (name, 3), ... that `taken` does not claim.
std::string FreeNumberedName(const std::string& name,
                             const std::function<bool(const std::string&)>& taken);

}  // namespace commands
}  // namespace q7k3
