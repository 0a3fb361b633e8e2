#pragma once
// The scan that ends a connection start and the rescan of the root: the folder tree and
// the file list of every folder, read under the progress dialog.

#include <string>

#include "phonefs/PhoneFs.h"

namespace q7k3 {

// What the scan needs of the main window. The window implements it; tests record it.
class ScanWindow {
public:
    virtual ~ScanWindow() = default;
    // The tree is about to be freed or replaced: drop every pointer into it (the root's
    // copy, the current folder, the phone list).
    virtual void ForgetTree() = 0;
    // The model line in the status bar's second panel.
    virtual void ShowModel(const std::string& phoneModel) = 0;
    // The root becomes the current folder and is shown with its path line.
    virtual void ShowRoot(Tree4* root) = 0;
    virtual void LayOut() {}
    virtual void EnableWindow(bool enabled) = 0;
    // Arms the infrared keep-alive; called only when IRDAReq asks for it.
    virtual void StartKeepAlive() = 0;
    // The link side of a failed or declined scan: the port is closed and the connection
    // dialog comes back. The connection may do this itself after a false result; the
    // defaults do nothing.
    virtual void ClosePort() {}
    virtual void RunConnectionDialog() {}
};

// Runs the scan under the progress dialog. False when the walk failed or the user
// declined to go on with a phone that holds no file; PhoneRoot is then null.
bool BuildFileListCache(PhoneFs& fs, ScanWindow& window);

// The scratch file that transfers and conversions reuse; set by the scan.
const std::string& ScratchFileName();

}  // namespace q7k3
