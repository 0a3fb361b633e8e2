// Why a port is missing: a made-up sysfs, /dev and /proc tree for the states a test cannot
// cause for real (no permission, ModemManager), and a real pseudo-terminal that a child
// process holds for the one it can.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "ports/PortDiagnostics.h"
#include "settings/Fakes.h"
#include "base/Messages.h"

namespace q7k3 {
namespace {

namespace fs = std::filesystem;

void WriteText(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text << "\n";
}

class PortDiagnosticsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = fs::path(m_dir.path().toStdString());
        for (const char* d : {"class/tty", "dev", "proc", "drivers/usb", "devices"})
            fs::create_directories(m_root / d);
        m_sources.SysClassTty = (m_root / "class/tty").string();
        m_sources.DevDir = (m_root / "dev").string();
        m_sources.ProcDir = (m_root / "proc").string();
        m_sources.TryOpen = [this](const std::string& path) {
            auto it = openError.find(fs::path(path).filename().string());
            return it == openError.end() ? 0 : it->second;
        };
    }
    // A USB serial tty: its device node, and the sysfs device with the adapter's ids two
    // levels up (tty -> interface -> USB device), as the kernel lays it out.
    void AddUsbTty(const std::string& name, const std::string& vid, const std::string& pid,
                   const std::string& product) {
        const fs::path usb = m_root / "devices/usb1/1-1";
        const fs::path port = usb / "1-1:1.0" / name;
        fs::create_directories(port);
        WriteText(usb / "idVendor", vid);
        WriteText(usb / "idProduct", pid);
        WriteText(usb / "product", product);
        fs::create_directories(m_root / "class/tty" / name);
        fs::create_directory_symlink(port, m_root / "class/tty" / name / "device");
        WriteText(m_root / "dev" / name, "");
    }
    // A process of the made-up /proc with `path` open on descriptor 3.
    void AddProcess(int pid, const std::string& comm, const fs::path& path) {
        const fs::path dir = m_root / "proc" / std::to_string(pid);
        WriteText(dir / "comm", comm);
        fs::create_directories(dir / "fd");
        fs::create_symlink(path, dir / "fd/3");
    }
    PortStatus Only(const std::vector<PortStatus>& ports) {
        EXPECT_EQ(ports.size(), 1u);
        return ports.empty() ? PortStatus{} : ports.front();
    }

    QTemporaryDir m_dir;
    fs::path m_root;
    PortDiagnosticSources m_sources;
    std::map<std::string, int> openError;
};

TEST_F(PortDiagnosticsTest, NoPermissionNamesTheOwningGroupAndTheCommandThatHelps) {
    AddUsbTty("ttyUSB0", "067b", "2303", "USB-Serial Controller");
    const fs::path dev = m_root / "dev/ttyUSB0";
    // The usual owner: root, group dialout (20), mode 0660.
    ASSERT_EQ(::chown(dev.c_str(), 0, 20), 0);
    ASSERT_EQ(::chmod(dev.c_str(), 0660), 0);
    openError["ttyUSB0"] = EACCES;
    const PortStatus s = Only(DiagnosePorts("", m_sources));
    EXPECT_EQ(s.State, PortState::NoPermission);
    EXPECT_EQ(s.Group, "dialout");
    EXPECT_EQ(PortStateLine(s), dev.string() + " (067b:2303) " + Msg(kMsgPortNoPermission) +
                                    "dialout");
    EXPECT_EQ(PortRemedyLines(s), (std::vector<std::string>{
                                      Msg(kMsgPortJoinGroup), "sudo usermod -aG dialout $USER"}));

    // A node only root's group may use: joining that group is no advice.
    ASSERT_EQ(::chown(dev.c_str(), 0, 0), 0);
    const PortStatus root = Only(DiagnosePorts("", m_sources));
    EXPECT_EQ(PortRemedyLines(root),
              (std::vector<std::string>{Msg(kMsgPortGrantAccess),
                                        "sudo setfacl -m u:$USER:rw " + dev.string()}));
}

TEST_F(PortDiagnosticsTest, ModemManagerHoldingThePortGetsTheUdevRuleWithTheDevicesIds) {
    AddUsbTty("ttyACM0", "1a2b", "3c4d", "SGH USB modem");
    AddProcess(812, "ModemManager", m_root / "dev/ttyACM0");
    AddProcess(900, "bash", m_root / "dev/null-ish");
    openError["ttyACM0"] = EBUSY;
    const PortStatus s = Only(DiagnosePorts("", m_sources));
    EXPECT_EQ(s.State, PortState::ModemManager);
    EXPECT_EQ(s.Product, "SGH USB modem");
    ASSERT_EQ(s.Holders.size(), 1u);
    EXPECT_EQ(s.Holders[0].Pid, 812);
    EXPECT_EQ(PortStateLine(s), (m_root / "dev/ttyACM0").string() + " (1a2b:3c4d) " +
                                    Msg(kMsgPortModemManager) + " (PID 812)");
    EXPECT_EQ(PortRemedyLines(s),
              (std::vector<std::string>{
                  Msg(kMsgPortUdevRule),
                  "ATTRS{idVendor}==\"1a2b\", ATTRS{idProduct}==\"3c4d\", "
                  "ENV{ID_MM_DEVICE_IGNORE}=\"1\"",
                  Msg(kMsgPortUdevReload)}));
}

TEST_F(PortDiagnosticsTest, AHolderThatCannotBeSeenIsModemManagerOnlyWhenItRuns) {
    AddUsbTty("ttyACM0", "1a2b", "3c4d", "x");
    openError["ttyACM0"] = EWOULDBLOCK;
    // Its descriptors are another user's: not visible, but the process is.
    EXPECT_EQ(Only(DiagnosePorts("", m_sources)).State, PortState::Busy);
    EXPECT_EQ(PortStateLine(Only(DiagnosePorts("", m_sources))),
              (m_root / "dev/ttyACM0").string() + " (1a2b:3c4d) " + Msg(kMsgPortHeldByUnknown));
    WriteText(m_root / "proc/812/comm", "ModemManager");
    EXPECT_EQ(Only(DiagnosePorts("", m_sources)).State, PortState::ModemManager);
}

TEST_F(PortDiagnosticsTest, APortThatOpensIsSaidToAndOtherFailuresGiveTheSystemsReason) {
    AddUsbTty("ttyUSB0", "067b", "2303", "x");
    AddUsbTty("ttyUSB1", "067b", "2303", "x");
    openError["ttyUSB1"] = EIO;
    const std::vector<PortStatus> ports = DiagnosePorts("", m_sources);
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].State, PortState::Opens);
    EXPECT_EQ(PortStateLine(ports[0]),
              (m_root / "dev/ttyUSB0").string() + " (067b:2303) " + Msg(kMsgPortOpens));
    EXPECT_TRUE(PortRemedyLines(ports[0]).empty());
    EXPECT_EQ(ports[1].State, PortState::Unusable);
    EXPECT_NE(PortStateLine(ports[1]).find(Msg(kMsgPortUnusable) + std::strerror(EIO)),
              std::string::npos);
}

// A real pseudo-terminal, opened and locked by a child process the way this program locks
// its port: the port is busy, and the child is named with its PID.
TEST(PortHeldByAProcess, IsNamedWithItsPid) {
    test::Pty pty;
    ASSERT_FALSE(pty.Path().empty());
    int ready[2], release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(release[1]);
        ::close(ready[0]);
        ::prctl(PR_SET_NAME, "porthold", 0, 0, 0);
        const int fd = ::open(pty.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        const char ok = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        char c;
        (void)!::read(release[0], &c, 1);
        ::_exit(0);
    }
    ::close(release[0]);
    ::close(ready[1]);
    char ok = 0;
    const bool told = ::read(ready[0], &ok, 1) == 1;
    ::close(ready[0]);
    if (!told || ok != '1') {
        ::close(release[1]);
        ::waitpid(child, nullptr, 0);
        FAIL() << "the child could not hold the port";
    }

    QTemporaryDir empty;  // no kernel ttys: only the stored port is looked at
    PortDiagnosticSources sources;
    sources.SysClassTty = empty.path().toStdString();
    const std::vector<PortStatus> ports = DiagnosePorts(pty.Path(), sources);
    ::close(release[1]);
    ::waitpid(child, nullptr, 0);

    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].State, PortState::Busy);
    EXPECT_EQ(PortStateLine(ports[0]), pty.Path() + " " + Msg(kMsgPortHeldBy) +
                                           "porthold, PID " + std::to_string(child));
    // Once the child is gone the same port opens.
    EXPECT_EQ(DiagnosePorts(pty.Path(), sources).at(0).State, PortState::Opens);
}

}  // namespace
}  // namespace q7k3
