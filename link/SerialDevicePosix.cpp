#include "link/SerialDevicePosix.h"

#include "link/ProtocolTrace.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace q7k3 {
namespace {

template <typename F>
auto RetryEintr(F f) {
    for (;;) {
        auto r = f();
        if (r >= 0 || errno != EINTR) return r;
    }
}

// Errors that mean the device itself is gone (cable pulled, hang-up, pty peer closed).
bool IsGoneError(int error) {
    return error == EIO || error == ENXIO || error == ENODEV || error == EPIPE ||
           error == EBADF;
}

// A pseudo-terminal and some adapters have no modem-control lines at all.
bool IsNoLinesError(int error) { return error == ENOTTY || error == EINVAL; }

speed_t StandardSpeed(uint32_t rate) {
    switch (rate) {
    case 50: return B50;
    case 75: return B75;
    case 110: return B110;
    case 134: return B134;
    case 150: return B150;
    case 200: return B200;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 1800: return B1800;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
#ifdef B460800
    case 460800: return B460800;
#endif
#ifdef B921600
    case 921600: return B921600;
#endif
    default: return B0;
    }
}

}  // namespace

std::unique_ptr<SerialDevice> MakeSystemSerialDevice() {
    // Always behind the trace: switching it on needs no new device.
    return std::make_unique<TracingSerialDevice>(std::make_unique<SerialDevicePosix>(),
                                                 ProcessTrace());
}

SerialDevicePosix::~SerialDevicePosix() { Close(); }

bool SerialDevicePosix::Open(const std::string& name) {
    if (m_fd >= 0 || name.empty()) return false;
    const int fd = RetryEintr(
        [&] { return ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); });
    if (fd < 0) return false;
    termios tio {};
    // Only a terminal device is a port; a plain file of that name is not.
    if (tcgetattr(fd, &tio) != 0 || flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    // Root ignores TIOCEXCL; the lock above still keeps two programs apart.
    ioctl(fd, TIOCEXCL);
    m_fd = fd;
    m_vanished = false;
    return true;
}

void SerialDevicePosix::Close() {
    if (m_fd < 0) return;
    ioctl(m_fd, TIOCNXCL);
    flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
    m_vanished = false;
}

void SerialDevicePosix::NoteErrno(int error) {
    if (IsGoneError(error)) m_vanished = true;
}

void SerialDevicePosix::SetLine(int bit, bool on) {
    int bits = bit;
    ioctl(m_fd, on ? TIOCMBIS : TIOCMBIC, &bits);
}

bool SerialDevicePosix::ApplyLineSettings(const LineSettings& s) {
    if (m_fd < 0 || m_vanished) return false;
    termios tio {};
    if (tcgetattr(m_fd, &tio) != 0) return false;
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
#ifdef CMSPAR
    tio.c_cflag &= ~CMSPAR;
#endif
    switch (s.DataBits) {
    case 5: tio.c_cflag |= CS5; break;
    case 6: tio.c_cflag |= CS6; break;
    case 7: tio.c_cflag |= CS7; break;
    default: tio.c_cflag |= CS8; break;
    }
    // POSIX has no one and a half stop bits; two is the nearest.
    if (s.StopBits != 0) tio.c_cflag |= CSTOPB;
    switch (s.Parity) {
    case 1: tio.c_cflag |= PARENB | PARODD; break;
    case 2: tio.c_cflag |= PARENB; break;
#ifdef CMSPAR
    case 3: tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case 4: tio.c_cflag |= PARENB | CMSPAR; break;
#endif
    default: break;
    }
    if (s.RtsCts) tio.c_cflag |= CRTSCTS;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (s.XonXoff) tio.c_iflag |= IXON | IXOFF;
    tio.c_cc[VSTART] = 0x11;
    tio.c_cc[VSTOP] = 0x13;
    // VMIN 1 with O_NONBLOCK: an empty queue reads as EAGAIN, so a read of 0 bytes
    // means a hang-up (with VMIN 0 it would mean either).
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;

    const speed_t speed = StandardSpeed(s.BaudRate);
    const bool standard = speed != B0;
    // An unusual rate is set afterwards; meanwhile keep a harmless standard one.
    cfsetispeed(&tio, standard ? speed : B9600);
    cfsetospeed(&tio, standard ? speed : B9600);
    if (RetryEintr([&] { return tcsetattr(m_fd, TCSANOW, &tio); }) != 0) {
        NoteErrno(errno);
        return false;
    }
    if (!standard && (s.BaudRate == 0 || !detail::SetArbitraryRate(m_fd, s.BaudRate))) {
        return false;
    }
    SetLine(TIOCM_DTR, s.Dtr);
    SetLine(TIOCM_RTS, s.RtsCts || s.Rts);
    return true;
}

bool SerialDevicePosix::SetQueueSizes(uint32_t, uint32_t) {
    // The kernel sizes its own tty buffers; nothing to ask for.
    return m_fd >= 0;
}

bool SerialDevicePosix::Purge(bool input, bool output) {
    if (m_fd < 0) return false;
    if (!input && !output) return true;
    const int which = input && output ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH);
    if (tcflush(m_fd, which) != 0) {
        NoteErrno(errno);
        return false;
    }
    return true;
}

int64_t SerialDevicePosix::QueuedInput() {
    if (m_fd < 0) return -1;
    if (m_vanished) return 0;
    int n = 0;
    if (ioctl(m_fd, FIONREAD, &n) != 0) {
        NoteErrno(errno);
        return m_vanished ? 0 : -1;
    }
    return n;
}

int64_t SerialDevicePosix::QueuedOutput() {
    if (m_fd < 0) return -1;
    if (m_vanished) return 0;
    int n = 0;
    if (ioctl(m_fd, TIOCOUTQ, &n) != 0) {
        NoteErrno(errno);
        return m_vanished ? 0 : -1;
    }
    return n;
}

bool SerialDevicePosix::GetModemLines(unsigned& lines) {
    lines = 0;
    if (m_fd < 0 || m_vanished) return false;
    int bits = 0;
    if (ioctl(m_fd, TIOCMGET, &bits) != 0) {
        if (IsNoLinesError(errno)) {
            // No lines at all (a pseudo-terminal): behave like a connected cable.
            lines = kLineCts | kLineDsr | kLineCd;
            return true;
        }
        NoteErrno(errno);
        return false;
    }
    if (bits & TIOCM_CTS) lines |= kLineCts;
    if (bits & TIOCM_DSR) lines |= kLineDsr;
    if (bits & TIOCM_RNG) lines |= kLineRing;
    if (bits & TIOCM_CAR) lines |= kLineCd;
    return true;
}

int64_t SerialDevicePosix::Read(void* buffer, size_t size) {
    if (m_fd < 0) return -1;
    if (m_vanished || size == 0) return 0;
    const ssize_t n = RetryEintr([&] { return ::read(m_fd, buffer, size); });
    if (n > 0) return n;
    if (n == 0) {
        // End of file on a terminal in non-blocking raw mode is a hang-up.
        m_vanished = true;
        return 0;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    NoteErrno(errno);
    return m_vanished ? 0 : -1;
}

int64_t SerialDevicePosix::Write(const void* data, size_t size) {
    if (m_fd < 0 || m_vanished) return -1;
    if (size == 0) return 0;
    const ssize_t n = RetryEintr([&] { return ::write(m_fd, data, size); });
    if (n >= 0) return n;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    NoteErrno(errno);
    return -1;
}

}  // namespace q7k3
