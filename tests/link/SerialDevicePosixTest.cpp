// The termios device and the driver over a real pseudo-terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdlib>
#include <fstream>

#include "link/PhoneLink.h"
#include "link/SerialDevicePosix.h"

using namespace q7k3;

namespace {

struct Pty {
    int master = -1;
    int slave = -1;
    std::string path;
    Pty() {
        char name[128] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0) path = name;
        // Keep the slave open here as well, so the line stays up between opens.
    }
    ~Pty() {
        CloseMaster();
        if (slave >= 0) close(slave);
    }
    void CloseMaster() {
        if (master >= 0) close(master);
        master = -1;
    }
    std::string ReadMaster(size_t want, int timeoutMs = 2000) {
        std::string got;
        QElapsedTimer t;
        t.start();
        while (got.size() < want && t.elapsed() < timeoutMs) {
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 50) > 0) {
                char buf[4096];
                const ssize_t n = read(master, buf, sizeof buf);
                if (n > 0) got.append(buf, static_cast<size_t>(n));
            }
        }
        return got;
    }
};

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "link_posix_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

TEST(SerialDevicePosix, OpensExclusivelyAndOnlyTerminals) {
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    SerialDevicePosix a;
    SerialDevicePosix b;
    ASSERT_TRUE(a.Open(pty.path));
    EXPECT_FALSE(b.Open(pty.path));  // held by a
    a.Close();
    EXPECT_TRUE(b.Open(pty.path));
    b.Close();

    EXPECT_FALSE(a.Open("/nonexistent/tty"));
    EXPECT_FALSE(a.Open(""));
    const std::string file = testing::TempDir() + "/not-a-port";
    std::ofstream(file) << "x";
    EXPECT_FALSE(a.Open(file));
    EXPECT_FALSE(a.IsOpen());
}

TEST(SerialDevicePosix, AppliesUnusualRatesAndReportsPtyLinesAsConnected) {
    Pty pty;
    SerialDevicePosix dev;
    ASSERT_TRUE(dev.Open(pty.path));
    for (uint32_t rate : {115200u, 128000u, 230400u, 256000u, 9600u}) {
        LineSettings s;
        s.BaudRate = rate;
        EXPECT_TRUE(dev.ApplyLineSettings(s)) << rate;
    }
    termios tio{};
    ASSERT_EQ(tcgetattr(pty.slave, &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), B9600);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_lflag & ICANON, 0u);
    LineSettings none;
    none.BaudRate = 0;
    EXPECT_FALSE(dev.ApplyLineSettings(none));

    unsigned lines = 0;
    ASSERT_TRUE(dev.GetModemLines(lines));
    EXPECT_EQ(lines, kLineCts | kLineDsr | kLineCd);
}

TEST(SerialDevicePosix, MovesBytesBothWaysRawAndSurvivesAHangUp) {
    Pty pty;
    SerialDevicePosix dev;
    ASSERT_TRUE(dev.Open(pty.path));
    ASSERT_TRUE(dev.ApplyLineSettings(LineSettings{}));
    char buf[64];
    EXPECT_EQ(dev.Read(buf, sizeof buf), 0);  // nothing there is not a hang-up
    EXPECT_FALSE(dev.Vanished());

    const std::string out("AT\r\n\0\x11", 6);
    EXPECT_EQ(dev.Write(out.data(), out.size()), 6);
    EXPECT_EQ(pty.ReadMaster(6), out);

    const std::string in("OK\r\n\0\x13\r", 7);
    ASSERT_EQ(write(pty.master, in.data(), in.size()), 7);
    QElapsedTimer t;
    t.start();
    while (dev.QueuedInput() < 7 && t.elapsed() < 2000) usleep(1000);
    EXPECT_EQ(dev.QueuedInput(), 7);
    EXPECT_EQ(dev.Read(buf, sizeof buf), 7);
    EXPECT_EQ(std::string(buf, 7), in);
    EXPECT_TRUE(dev.Purge(true, true));

    pty.CloseMaster();  // the cable is pulled
    EXPECT_EQ(dev.Read(buf, sizeof buf), 0);
    EXPECT_TRUE(dev.Vanished());
    EXPECT_EQ(dev.QueuedInput(), 0);
    EXPECT_LT(dev.Write("AT\r\n", 4), 0);
    unsigned lines = 0;
    EXPECT_FALSE(dev.GetModemLines(lines));
}

// A peer on the master side that answers every CR-ended line at once.
void AnswerOnce(Pty& pty, const std::string& answer) {
    ASSERT_FALSE(pty.ReadMaster(1).empty());
    ASSERT_EQ(write(pty.master, answer.data(), answer.size()), static_cast<ssize_t>(answer.size()));
}

TEST(DriverOverPty, DataIsPolledAsSoonAsItArrives) {
    App();
    Pty pty;
    PhoneLink link;
    SerialPort& comm = link.Port;
    comm.SetPortName(pty.path);
    comm.SetBaudRateValue(115200);
    // A poll period far above what the exchange may take: only the read notifier can
    // deliver the answer in time.
    comm.SetPollingDelay(1000);
    ASSERT_TRUE(comm.Connect());
    link.Channel.PollStep = 1;
    QElapsedTimer t;
    // Every exchange, not just the first, is quicker than the poll period.
    for (int round = 0; round < 3; ++round) {
        link.Channel.ClearReceive();
        t.start();
        ASSERT_TRUE(comm.SendString("AT\r\n"));
        AnswerOnce(pty, "OK\r\n");
        ASSERT_TRUE(link.Channel.WaitResponse(900));
        EXPECT_LT(t.elapsed(), 500) << "round " << round;
        while (link.Channel.ReceiveBuffer.size() < 4 && link.Channel.WaitResponse(900)) {
        }
        EXPECT_EQ(link.Channel.TakeLine(), "OK\r\n");
    }

    // Pulling the cable neither crashes nor spins; the waits simply time out.
    pty.CloseMaster();
    t.restart();
    EXPECT_FALSE(link.Channel.WaitResponse(300));
    EXPECT_LT(t.elapsed(), 1500);
    EXPECT_EQ(comm.SendData("AT\r\n", 4), 0u);
}

}  // namespace
