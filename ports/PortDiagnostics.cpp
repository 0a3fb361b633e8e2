#include "ports/PortDiagnostics.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/Messages.h"

namespace q7k3 {
namespace {

namespace fs = std::filesystem;

int TryOpenDevice(const std::string& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return errno;
    // A file or a device that is no terminal opens, yet takes no line settings.
    if (!::isatty(fd)) {
        ::close(fd);
        return ENOTTY;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc < 0 && errno == EINTR);
    const int error = rc == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

std::string FirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

// Two opens of one device match by the device number (character devices) or by the file.
struct DeviceKey {
    bool Valid = false;
    bool Char = false;
    dev_t Dev = 0;
    ino_t Ino = 0;
    bool operator==(const DeviceKey& o) const {
        return Valid && o.Valid && Char == o.Char &&
               (Char ? Dev == o.Dev : Dev == o.Dev && Ino == o.Ino);
    }
};

DeviceKey KeyOf(const std::string& path) {
    struct stat st {};
    DeviceKey key;
    if (::stat(path.c_str(), &st) != 0) return key;
    key.Valid = true;
    key.Char = S_ISCHR(st.st_mode);
    key.Dev = key.Char ? st.st_rdev : st.st_dev;
    key.Ino = st.st_ino;
    return key;
}

bool AllDigits(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsModemManager(const PortHolder& h) { return h.Name == "ModemManager"; }

bool ModemManagerRuns(const std::string& procDir) {
    std::error_code ec;
    for (fs::directory_iterator it(procDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string pid = it->path().filename().string();
        if (pid.empty() || !AllDigits(pid)) continue;
        if (FirstLine(it->path() / "comm") == "ModemManager") return true;
    }
    return false;
}

// The USB device above a tty in sysfs: the first ancestor with idVendor and idProduct.
void ReadUsbIds(const fs::path& sysTty, PortStatus& status) {
    std::error_code ec;
    fs::path dev = fs::canonical(sysTty / "device", ec);
    for (int depth = 0; !ec && depth < 8 && dev.has_relative_path(); ++depth) {
        if (fs::exists(dev / "idVendor", ec) && fs::exists(dev / "idProduct", ec)) {
            status.VendorId = FirstLine(dev / "idVendor");
            status.ProductId = FirstLine(dev / "idProduct");
            status.Product = FirstLine(dev / "product");
            return;
        }
        dev = dev.parent_path();
    }
}

std::string GroupName(gid_t gid) {
    std::vector<char> buffer(16384);
    struct group entry {};
    struct group* found = nullptr;
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return found->gr_name;
    return std::to_string(gid);
}

std::string HolderText(const PortHolder& h) {
    return h.Name + ", PID " + std::to_string(h.Pid);
}

// The user's name as the shell knows it in the commands we print.
constexpr const char* kUser = "$USER";

}  // namespace

std::vector<PortHolder> FindHolders(const std::string& path, const std::string& procDir) {
    std::vector<PortHolder> holders;
    const DeviceKey target = KeyOf(path);
    if (!target.Valid) return holders;
    std::error_code ec;
    for (fs::directory_iterator it(procDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string pid = it->path().filename().string();
        if (pid.empty() || !AllDigits(pid)) continue;
        // Another user's descriptors cannot be read without privileges; they stay unseen.
        std::error_code fdEc;
        for (fs::directory_iterator fd(it->path() / "fd", fdEc), fdEnd; !fdEc && fd != fdEnd;
             fd.increment(fdEc)) {
            if (!(KeyOf(fd->path().string()) == target)) continue;
            holders.push_back({std::atoi(pid.c_str()), FirstLine(it->path() / "comm")});
            break;
        }
    }
    std::sort(holders.begin(), holders.end(),
              [](const PortHolder& a, const PortHolder& b) { return a.Pid < b.Pid; });
    return holders;
}

namespace {

PortStatus DiagnosePort(const std::string& path, const PortDiagnosticSources& sources,
                        int& mmRuns) {
    PortStatus s;
    s.Path = path;
    const std::string name = fs::path(path).filename().string();
    if (path.rfind(sources.DevDir + "/", 0) == 0)
        ReadUsbIds(fs::path(sources.SysClassTty) / name, s);
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        s.Group = GroupName(st.st_gid);
        s.GroupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    }
    s.Holders = FindHolders(path, sources.ProcDir);
    s.Error = sources.TryOpen ? sources.TryOpen(path) : TryOpenDevice(path);
    if (s.Error == 0) {
        s.State = PortState::Opens;
    } else if (s.Error == EACCES || s.Error == EPERM) {
        s.State = PortState::NoPermission;
    } else if (s.Error == EBUSY || s.Error == EWOULDBLOCK) {
        s.State = PortState::Busy;
        if (std::any_of(s.Holders.begin(), s.Holders.end(), IsModemManager)) {
            s.State = PortState::ModemManager;
        } else if (s.Holders.empty() && !s.VendorId.empty()) {
            // ModemManager runs as root: an ordinary user cannot see its descriptors.
            // A USB port held by nobody visible while it runs is most likely its.
            if (mmRuns < 0) mmRuns = ModemManagerRuns(sources.ProcDir) ? 1 : 0;
            if (mmRuns == 1) s.State = PortState::ModemManager;
        }
    } else {
        s.State = PortState::Unusable;
    }
    return s;
}

}  // namespace

std::vector<PortStatus> DiagnosePorts(const std::string& storedPort,
                                      const PortDiagnosticSources& sources) {
    std::vector<PortStatus> result;
    int mmRuns = -1;  // asked once, when needed
    for (const std::string& path : ListSerialDevices(storedPort, sources))
        result.push_back(DiagnosePort(path, sources, mmRuns));
    return result;
}

PortStatus DiagnoseOnePort(const std::string& path, const PortDiagnosticSources& sources) {
    int mmRuns = -1;
    return DiagnosePort(path, sources, mmRuns);
}

std::string PortOpenFailureText(const std::string& path, const PortDiagnosticSources& sources) {
    std::string text = Msg(kMsgCannotOpenPort);
    if (path.empty()) return text;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR)) {
        return text + "\r\n" + path + " " + Msg(kMsgPortMissing);
    }
    int mmRuns = -1;
    const PortStatus status = DiagnosePort(path, sources, mmRuns);
    // A port that opens now was busy only a moment ago: nothing more to tell.
    if (status.State == PortState::Opens) return text;
    text += "\r\n" + PortStateLine(status);
    for (const std::string& line : PortRemedyLines(status)) text += "\r\n" + line;
    return text;
}

std::string ModemManagerRule(const std::string& vendorId, const std::string& productId) {
    return "ATTRS{idVendor}==\"" + vendorId + "\", ATTRS{idProduct}==\"" + productId +
           "\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"";
}

std::string PortStateLine(const PortStatus& s) {
    std::string line = s.Path;
    if (!s.VendorId.empty()) line += " (" + s.VendorId + ":" + s.ProductId + ")";
    line += " ";
    switch (s.State) {
    case PortState::Opens:
        if (s.Holders.empty()) {
            line += Msg(kMsgPortOpens);
        } else {
            line += Msg(kMsgPortOpensShared);
            for (size_t i = 0; i < s.Holders.size(); ++i)
                line += (i ? "; " : "") + HolderText(s.Holders[i]);
        }
        break;
    case PortState::NoPermission: line += Msg(kMsgPortNoPermission) + s.Group; break;
    case PortState::Busy:
        if (s.Holders.empty()) {
            line += Msg(kMsgPortHeldByUnknown);
        } else {
            line += Msg(kMsgPortHeldBy);
            for (size_t i = 0; i < s.Holders.size(); ++i)
                line += (i ? "; " : "") + HolderText(s.Holders[i]);
        }
        break;
    case PortState::ModemManager: {
        line += Msg(kMsgPortModemManager);
        auto mm = std::find_if(s.Holders.begin(), s.Holders.end(), IsModemManager);
        if (mm != s.Holders.end()) line += " (PID " + std::to_string(mm->Pid) + ")";
        break;
    }
    case PortState::Unusable:
        // A port named by the user (a stale stable name, a typo) may not exist at all.
        if (s.Error == ENOENT)
            line += Msg(kMsgPortMissing);
        else if (s.Error == ENOTTY)
            line += Msg(kMsgPortNotTerminal);
        else
            line += Msg(kMsgPortUnusable) + std::strerror(s.Error);
        break;
    }
    return line;
}

std::vector<std::string> PortRemedyLines(const PortStatus& s) {
    std::vector<std::string> lines;
    if (s.State == PortState::NoPermission) {
        // Joining a group helps only when the group may read and write, and joining root's
        // group is no advice to give.
        if (s.GroupMayUse && s.Group != "root" && s.Group != "0") {
            lines.push_back(Msg(kMsgPortJoinGroup));
            lines.push_back(std::string("sudo usermod -aG ") + s.Group + " " + kUser);
        } else {
            lines.push_back(Msg(kMsgPortGrantAccess));
            lines.push_back("sudo setfacl -m u:" + std::string(kUser) + ":rw " + s.Path);
        }
    } else if (s.State == PortState::ModemManager) {
        lines.push_back(Msg(kMsgPortUdevRule));
        // A port without USB ids is named by its kernel name instead.
        lines.push_back(s.VendorId.empty()
                            ? "KERNEL==\"" + fs::path(s.Path).filename().string() +
                                  "\", ENV{ID_MM_DEVICE_IGNORE}=\"1\""
                            : ModemManagerRule(s.VendorId, s.ProductId));
        lines.push_back(Msg(kMsgPortUdevReload));
    }
    return lines;
}

}  // namespace q7k3
