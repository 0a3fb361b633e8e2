#include "ports/PortList.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace q7k3 {
namespace {

namespace fs = std::filesystem;

// Serial tty families in the order they are offered.
constexpr const char* kFamilies[] = {"ttyS", "ttyUSB", "ttyACM", "rfcomm", "ircomm"};
constexpr int kFamilyCount = static_cast<int>(std::size(kFamilies));

struct Candidate {
    int Family;
    long Number;
    std::string Name;
};

// The family of a tty name such as "ttyUSB3" and its number; false for other ttys.
bool ParseName(const std::string& name, int& family, long& number) {
    // Only digits may follow the prefix, so that "ttyS" does not claim "ttySAC0".
    for (int f = 0; f < kFamilyCount; ++f) {
        std::string_view prefix = kFamilies[f];
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        std::string_view digits = std::string_view(name).substr(prefix.size());
        if (digits.size() > 6 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        family = f;
        number = std::strtol(std::string(digits).c_str(), nullptr, 10);
        return true;
    }
    return false;
}

bool IsCharDevice(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

// A listed port that is the stored one under another name (its /dev/serial/by-id link).
bool ListedAlready(const std::vector<std::string>& paths, const std::string& stored) {
    struct stat st {};
    if (::stat(stored.c_str(), &st) != 0) return false;
    for (const std::string& path : paths) {
        struct stat other {};
        if (::stat(path.c_str(), &other) == 0 && S_ISCHR(other.st_mode) &&
            other.st_rdev == st.st_rdev)
            return true;
    }
    return false;
}

int OpenRetrying(const std::string& path, int flags) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

bool IsSerialTtyName(const std::string& name) {
    int family = 0;
    long number = 0;
    return ParseName(name, family, number);
}

bool ProbePort(const std::string& path) {
    int fd = OpenRetrying(path, O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc < 0 && errno == EINTR);
    // Closing drops the lock again.
    ::close(fd);
    return rc == 0;
}

bool SerialHasUart(const std::string& path) {
    int fd = OpenRetrying(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct serial_struct info {};
    bool uart = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return uart;
}

std::vector<std::string> ListSerialDevices(const std::string& storedPort,
                                           const PortListSources& sources) {
    std::vector<Candidate> found;
    std::error_code ec;
    for (fs::directory_iterator it(sources.SysClassTty, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string name = it->path().filename().string();
        int family = 0;
        long number = 0;
        if (!ParseName(name, family, number)) continue;
        const fs::path sysDir = it->path();
        const std::string dev = sources.DevDir + "/" + name;
        const bool virtualTty = std::string_view(kFamilies[family]) == "rfcomm" ||
                                std::string_view(kFamilies[family]) == "ircomm";
        // rfcomm and ircomm ttys exist only while bound to a link, and have no device of
        // their own in sysfs; the others must have one.
        if (!virtualTty && !fs::exists(sysDir / "device", ec)) continue;
        if (family == 0) {
            std::error_code linkEc;
            fs::path driver = fs::read_symlink(sysDir / "device" / "driver", linkEc);
            if (!linkEc && driver.filename() == "serial8250") {
                bool uart = sources.HasUart ? sources.HasUart(dev) : SerialHasUart(dev);
                if (!uart) continue;
            }
        }
        found.push_back({family, number, name});
    }
    std::sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
        return a.Family != b.Family ? a.Family < b.Family : a.Number < b.Number;
    });

    std::vector<std::string> paths;
    for (const Candidate& c : found) paths.push_back(sources.DevDir + "/" + c.Name);
    // The stored port is a device path of its own choosing (the emulator's pseudo-terminal,
    // a udev alias). Only an absolute path to a character device counts.
    if (!storedPort.empty() && storedPort.front() == '/' &&
        std::find(paths.begin(), paths.end(), storedPort) == paths.end() &&
        IsCharDevice(storedPort) && !ListedAlready(paths, storedPort)) {
        paths.push_back(storedPort);
    }
    return paths;
}

PortScan ListSerialPorts(const std::string& storedPort, const PortListSources& sources) {
    const std::vector<std::string> paths = ListSerialDevices(storedPort, sources);
    PortScan scan;
    scan.Listed = static_cast<int>(paths.size());
    for (const std::string& path : paths) {
        bool opens = sources.Probe ? sources.Probe(path) : ProbePort(path);
        if (opens) scan.Ports.push_back(path);
    }
    return scan;
}

}  // namespace q7k3
