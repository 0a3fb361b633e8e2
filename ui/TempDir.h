#pragma once
// The program's private temporary directory: made at first use (mode 0700, unique name)
// and removed with everything in it when the program ends. Scratch files never live
// under a fixed name in a shared directory.

#include <string>

namespace q7k3 {

// Path of the private directory (no trailing separator). Empty if it could not be made.
const std::string& PrivateTempDir();
// The scratch file that transfers and conversions reuse: <private dir>/Q7K3FM.TMP.
std::string TempFileName();

}  // namespace q7k3
