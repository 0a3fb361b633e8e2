#pragma once
// Process-wide flags that the settings load and the dialog set and every layer reads.

#include <atomic>

namespace q7k3 {

// The phone's firmware mode: which folder tree it shows. The numbers are the stored ones.
enum class FolderMode : int { Normal = 0, Pro = 1, Pims = 2 };

struct AppFlags {
    bool IRDAReq = true;                   // infrared: ping the phone every 20 s between commands
    bool MelConvertion = true;             // convert MEL melodies to MMF on the way
    bool HiddenFiles = false;              // also list the phone's zero-size entries
    FolderMode Mode = FolderMode::Normal;  // stored as its number, "MODE"
    bool CompileJavaEnabled = true;        // F7 button and key; off in PIMS mode
    // Raised by the progress dialog's abort button (and the close) on the window's thread,
    // read by the link's; lowered only by the session as it admits an operation (the CLI's
    // runs never raise it).
    std::atomic<bool> AbortRequested = false;
    bool Trace = false;  // the window writes the protocol trace
};

}  // namespace q7k3
