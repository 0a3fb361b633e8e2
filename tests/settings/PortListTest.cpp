// The port list on a made-up sysfs tree (no real port is opened) and the exclusive probe on
// a pseudo-terminal that the test holds itself.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <filesystem>
#include <set>

#include "ports/PortList.h"
#include "settings/Fakes.h"

namespace q7k3 {
namespace {

namespace fs = std::filesystem;

class PortListTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = fs::path(m_dir.path().toStdString());
        fs::create_directories(m_root / "tty");
        fs::create_directories(m_root / "drivers/serial8250");
        fs::create_directories(m_root / "drivers/serial");
        m_sources.SysClassTty = (m_root / "tty").string();
        m_sources.DevDir = "/fake/dev";
        m_sources.HasUart = [this](const std::string& dev) {
            uartAsked.push_back(dev);
            return uarts.count(dev) > 0;
        };
        m_sources.Probe = [this](const std::string& dev) {
            probed.push_back(dev);
            return busy.count(dev) == 0;
        };
    }
    // A tty in sysfs; `driver` empty: no device behind it.
    void AddTty(const std::string& name, const std::string& driver) {
        fs::path dir = m_root / "tty" / name;
        fs::create_directories(dir);
        if (driver.empty()) return;
        fs::create_directories(dir / "device");
        fs::create_directory_symlink(m_root / "drivers" / driver, dir / "device/driver");
    }

    QTemporaryDir m_dir;
    fs::path m_root;
    PortListSources m_sources;
    std::set<std::string> uarts, busy;
    std::vector<std::string> uartAsked, probed;
};

TEST_F(PortListTest, OffersSerialTtysWithARealDeviceThatOpenInFamilyAndNumberOrder) {
    AddTty("ttyS0", "serial8250");  // registered by the driver, no UART behind it
    AddTty("ttyS1", "serial8250");
    AddTty("ttyS10", "serial");
    AddTty("ttyUSB10", "ftdi_sio");
    AddTty("ttyUSB2", "pl2303");
    AddTty("ttyACM0", "");  // gone: sysfs entry without a device
    AddTty("tty1", "");
    AddTty("ttySAC0", "soc-uart");
    AddTty("console", "");
    AddTty("rfcomm0", "");  // bound Bluetooth link: no device of its own
    uarts = {"/fake/dev/ttyS1"};
    busy = {"/fake/dev/ttyUSB2"};

    PortScan scan = ListSerialPorts("", m_sources);

    EXPECT_EQ(scan.Listed, 5);
    EXPECT_EQ(scan.Ports, (std::vector<std::string>{"/fake/dev/ttyS1", "/fake/dev/ttyS10",
                                                    "/fake/dev/ttyUSB10", "/fake/dev/rfcomm0"}));
    // Only the serial8250 ports are asked for their UART, and the empty one is never opened.
    std::sort(uartAsked.begin(), uartAsked.end());
    EXPECT_EQ(uartAsked, (std::vector<std::string>{"/fake/dev/ttyS0", "/fake/dev/ttyS1"}));
    for (const auto& p : probed) EXPECT_NE(p, "/fake/dev/ttyS0");
}

TEST_F(PortListTest, TheStoredPortJoinsWhenItIsAnExistingCharacterDevice) {
    test::Pty pty;
    ASSERT_FALSE(pty.Path().empty());
    AddTty("ttyUSB0", "ftdi_sio");

    PortScan scan = ListSerialPorts(pty.Path(), m_sources);
    EXPECT_EQ(scan.Ports, (std::vector<std::string>{"/fake/dev/ttyUSB0", pty.Path()}));

    // Listed once only when it is one of the kernel's ports.
    EXPECT_EQ(ListSerialPorts("/fake/dev/ttyUSB0", m_sources).Ports.size(), 1u);
    // Not a device, not there, or not a path: not offered.
    test::WriteFile(m_dir.path() + "/plain", "x");
    for (std::string stored : {(m_dir.path() + "/plain").toStdString(), std::string("/nope/tty"),
                               std::string("COM1"), pty.Path().substr(1)}) {
        PortScan s = ListSerialPorts(stored, m_sources);
        EXPECT_EQ(s.Listed, 1) << stored;
    }
}

TEST(PortProbe, APortAnotherProgramHoldsIsLeftOut) {
    test::Pty pty;
    ASSERT_FALSE(pty.Path().empty());
    PortListSources sources;  // the real probe
    QTemporaryDir emptySys;
    sources.SysClassTty = emptySys.path().toStdString();

    EXPECT_TRUE(ProbePort(pty.Path()));
    // The probe let go again: a second one succeeds as well.
    EXPECT_TRUE(ProbePort(pty.Path()));

    ASSERT_TRUE(pty.Hold());
    EXPECT_FALSE(ProbePort(pty.Path()));
    PortScan held = ListSerialPorts(pty.Path(), sources);
    EXPECT_EQ(held.Listed, 1);
    EXPECT_TRUE(held.Ports.empty());

    pty.Release();
    EXPECT_EQ(ListSerialPorts(pty.Path(), sources).Ports, (std::vector<std::string>{pty.Path()}));
    EXPECT_FALSE(ProbePort("/no/such/device"));
}

}  // namespace
}  // namespace q7k3
