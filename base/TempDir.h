#pragma once
// The program's private temporary directory: made at first use (mode 0700, unique name)
// and removed with everything in it when the program ends. Scratch files never live
// under a fixed name in a shared directory.

#include <functional>
#include <string>

namespace q7k3 {

// Path of the private directory (no trailing separator). Empty if it could not be made.
const std::string& PrivateTempDir();
// The scratch file that transfers and conversions reuse: <private dir>/Q7K3FM.TMP.
std::string TempFileName();

// Paths outside the private directory that the program made for a moment (a folder or a
// file beside a user's file) and that must not outlive it: a stop signal that ends the
// program at once removes them (RemoveStrayPathsForGood). Safe from any thread.
//
// MakeStrayPath runs `make` (which creates a path and returns it, or "" when it could not)
// and lists the path in one step, so that the clean-up either sees it or comes first.
bool MakeStrayPath(const std::function<std::string()>& make);
void DropStrayPath(const std::string& path);
// Renames `from` (listed or inside a listed folder) to `to` and drops it from the list, in
// one step; false when the rename fails (errno says why).
bool RenameStrayPath(const std::string& from, const std::string& to);
// Removes the listed paths on the way out of a process that ends at once: from then on
// every other thread that would make, list or rename one waits until the process is gone.
void RemoveStrayPathsForGood();

}  // namespace q7k3
