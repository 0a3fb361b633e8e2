#pragma once
// A minimal raw client of the emulator's terminal: the PC side reduced to bytes in, bytes out.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>

namespace q7k3::test {

class PtyClient {
public:
    explicit PtyClient(const std::string& path) {
        m_fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0) return;
        termios tio{};
        tcgetattr(m_fd, &tio);
        cfmakeraw(&tio);
        tcsetattr(m_fd, TCSANOW, &tio);
    }
    ~PtyClient() {
        if (m_fd >= 0) close(m_fd);
    }
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool IsOpen() const { return m_fd >= 0; }

    void Send(std::string_view bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(m_fd, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
            } else {
                pollfd p{m_fd, POLLOUT, 0};
                poll(&p, 1, 100);
            }
        }
    }

    // Everything up to and including the first `token`, taken from what arrived; all that
    // arrived when the time-out passes first.
    std::string ReadUntil(std::string_view token, int timeoutMs = 3000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const size_t at = m_buffer.find(token);
            if (at != std::string::npos) {
                std::string out = m_buffer.substr(0, at + token.size());
                m_buffer.erase(0, at + token.size());
                return out;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  end - std::chrono::steady_clock::now())
                                  .count();
            if (left <= 0 || !Pull(static_cast<int>(left))) {
                std::string out;
                out.swap(m_buffer);
                return out;
            }
        }
    }

    // Everything that arrives within ms.
    std::string ReadFor(int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  end - std::chrono::steady_clock::now())
                                  .count();
            if (left <= 0) break;
            Pull(static_cast<int>(left));
        }
        std::string out;
        out.swap(m_buffer);
        return out;
    }

    // Sends a command line and reads its answer up to the final result line.
    std::string Command(std::string_view line, std::string_view final = "OK\r\n") {
        Send(std::string(line) + "\r\n");
        return ReadUntil(final);
    }

private:
    bool Pull(int timeoutMs) {
        pollfd p{m_fd, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0) return false;
        char buf[4096];
        const ssize_t n = read(m_fd, buf, sizeof buf);
        if (n <= 0) return false;
        m_buffer.append(buf, static_cast<size_t>(n));
        return true;
    }

    int m_fd = -1;
    std::string m_buffer;
};

}  // namespace q7k3::test
