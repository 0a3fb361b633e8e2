#pragma once
// The program's private temporary directory: made at first use (mode 0700, unique name)
// and removed with everything in it when the program ends. Scratch files never live
// under a fixed name in a shared directory.

#include <QFile>
#include <functional>
#include <memory>
#include <string>

class QTemporaryFile;

namespace q7k3 {

// Path of the private directory (no trailing separator). Empty if it could not be made.
const std::string& PrivateTempDir();
// The scratch file that transfers and conversions reuse: <private dir>/Q7K3FM.TMP.
std::string TempFileName();

// Paths outside the private directory that the program made for a moment (a folder or a
// file beside a user's file) and that must not outlive it: a stop signal that ends the
// program at once removes them (RemoveStrayPaths). Safe from any thread.
void AddStrayPath(const std::string& path);
void DropStrayPath(const std::string& path);
// Runs `make` (which creates a path and returns it, or "" when it could not) and lists the
// path in one step, so a stop signal's clean-up either sees it or comes first; once the
// clean-up has run nothing more is made (false).
bool MakeStrayPath(const std::function<std::string()>& make);
// Removes the listed paths; from then on the process is ending and a path listed later is
// removed at once.
void RemoveStrayPaths();

// A file that takes the place of `target` only when it is complete: it grows under a
// hidden temporary name beside the target (".q7k3fm-part-XXXXXX", a stray path until it is
// renamed), and Commit renames it over the target. Destroyed uncommitted, it goes.
class ReplacingFile {
public:
    explicit ReplacingFile(std::string target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    bool Open();
    QFile& File();
    bool Commit();
    void Cancel();

private:
    std::string m_target;
    std::unique_ptr<QTemporaryFile> m_file;
};

}  // namespace q7k3
