#pragma once
// Process-wide flags that the settings load and the dialog set and every layer reads.

namespace q7k3 {

struct AppFlags {
    bool IRDAReq = true;         // infrared: ping the phone every 20 s between commands
    bool MelConvertion = true;   // convert MEL melodies to MMF on the way
    bool HiddenFiles = false;    // also list the phone's zero-size entries
    int MODE = 0;                // 0 Normal, 1 PRO, 2 PIMS
    bool Pro = false;            // MODE == 1
    bool CompileJavaEnabled = true;  // F7 button and key; off in PIMS mode
    bool AbortRequested = false;     // set by the progress dialog's abort button
    bool Trace = false;              // the window writes the protocol trace
};

}  // namespace q7k3
