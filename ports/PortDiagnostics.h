#pragma once
// Why a serial port is missing from the settings dialog's list: every serial device the
// kernel knows, with what happens when the program tries to open it and what the user can
// do about it — no permission (the owning group and the command that adds the user to it),
// held by another program (its name and PID, found through /proc/*/fd), claimed by
// ModemManager (the udev rule, with the device's own USB ids, that makes it stay away).

#include <functional>
#include <string>
#include <vector>

#include "ports/PortList.h"

namespace q7k3 {

enum class PortState {
    Opens,         // the program can use it
    NoPermission,  // open refused: the user may not read and write it
    Busy,          // another program has it open exclusively or locked
    ModemManager,  // that program is ModemManager (or it probably is)
    Unusable,      // any other failure: not a terminal, gone, I/O error
};

struct PortHolder {
    int Pid = 0;
    std::string Name;  // the process's command name
};

struct PortStatus {
    std::string Path;
    PortState State = PortState::Unusable;
    int Error = 0;                    // errno of the failed open
    std::string Group;                // the device's owning group
    bool GroupMayUse = false;         // the group has read and write permission
    std::vector<PortHolder> Holders;  // processes that have it open
    std::string VendorId, ProductId;  // USB ids, four hex digits each, when on USB
    std::string Product;              // the USB device's own product string
};

struct PortDiagnosticSources : PortListSources {
    std::string ProcDir = "/proc";
    // Opens the device for reading and writing, exclusively, and closes it again. Returns 0
    // or the errno that stopped it (EWOULDBLOCK when the lock is taken). Null: the device.
    std::function<int(const std::string& devicePath)> TryOpen;
};

// Every serial device (ListSerialDevices) with its state.
std::vector<PortStatus> DiagnosePorts(const std::string& storedPort,
                                      const PortDiagnosticSources& sources = {});

// The state of one port, named by any path (a stable name, a pseudo-terminal).
PortStatus DiagnoseOnePort(const std::string& path, const PortDiagnosticSources& sources = {});

// The processes (under `procDir`) that have `path` open, by the device itself rather than
// its name, so /dev/serial/by-id links and the node itself match.
std::vector<PortHolder> FindHolders(const std::string& path, const std::string& procDir = "/proc");

// The one-line state ("/dev/ttyUSB0 (1a2b:3c4d) занят ModemManager") and the lines that
// tell what to do, each ready to copy; both the dialog and q7k3fm-cli ports print these.
std::string PortStateLine(const PortStatus& status);
std::vector<std::string> PortRemedyLines(const PortStatus& status);

// The error report of a port that did not open: "Невозможно открыть порт" and, on lines of
// their own, whether it is missing, held (by whom, where /proc tells), not permitted or
// otherwise unusable, with what to do about it.
std::string PortOpenFailureText(const std::string& path, const PortDiagnosticSources& sources = {});

// The udev rule that makes ModemManager leave a USB device alone.
std::string ModemManagerRule(const std::string& vendorId, const std::string& productId);

}  // namespace q7k3
