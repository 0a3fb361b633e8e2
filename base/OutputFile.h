#pragma once
// Every file the program writes for the user on the computer (a converted file, a rendered
// WAV, a file fetched from the phone, a backup's manifest, an export of contacts or
// messages) is written whole or not at all, through an OutputFile:
//
//   OutputFile out(target);
//   if (Status opened = out.Open(); !opened) return opened;  // nothing is written yet
//   if (Status written = out.Write(bytes); !written) return written;  // or out.File()
//   return out.Commit();                                     // now the target holds it all
//
// - The data grows in a part file beside the target, ".q7k3fm-part-<pid>-XXXXXX" (the same
//   file system, so the last step is one rename), made new with O_EXCL and O_NOFOLLOW,
//   readable by its owner only until it is done.
// - A symbolic link at the target is refused, never followed (not even a dangling one), and
//   so is a folder, a pipe or a device of that name.
// - Commit flushes, gives the file the permissions of the one it replaces (or of a new
//   file), syncs it to the disk, renames it over the target and syncs the folder: whatever
//   ends the program, or the machine, the target holds the old file or the new one, whole.
// - Until Commit the part file is listed with the stop-signal clean-up (MakeStrayPath): a
//   signal that ends the program at once removes it. Destroyed without Commit (a failure,
//   an early return), the part file goes.
//
// - The part file is locked (flock) while its program has it open. Part files a killed
//   program left behind are removed by the next one that opens an output in that folder
//   (once a folder per run): only files of this form, the user's own, whose program is gone
//   and which nobody holds locked.
//
// Failures are values: kErrLocalFile with "path: reason" (FailureText adds "Невозможно
// открыть файл "), or kErrLocalData with "Путь ведёт через символическую ссылку, отказано:
// path" for a link at the target.

#include <QFile>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Failure.h"

namespace q7k3 {

class OutputFile {
public:
    explicit OutputFile(std::string target);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Checks the target and makes the part file beside it.
    Status Open();
    // Appends bytes; a short write (a full disk) fails with the reason.
    Status Write(const void* data, size_t size);
    Status Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }
    // The part file, for what a QFile does (a seek back, the modification time). Open only.
    QFile& File();
    // Puts the whole file in the target's place. After a failure nothing has changed there.
    Status Commit();
    // Gives up: the part file goes, the target stays as it was.
    void Cancel();

    const std::string& Target() const { return m_target; }
    // The part file's path while there is one (a caller's message may name the target
    // instead).
    std::string PartPath() const;

    // The part files in `folder` that a program now gone left behind (full paths, by name).
    static std::vector<std::string> StaleParts(const std::string& folder);

private:
    Status LocalFailure(const std::string& path, int err) const;

    std::string m_target;
    std::unique_ptr<QFile> m_file;
    std::string m_part;
};

}  // namespace q7k3
