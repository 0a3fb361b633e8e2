#include "emulator/PhoneEmulator.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "emulator/DemoPreset.h"
#include "emulator/Interpreter.h"
#include "emulator/Trace.h"

namespace q7k3 {

namespace {

// Tests may record long sessions; past this the record stops growing.
constexpr size_t kReceivedLimit = 64 * 1024 * 1024;
constexpr int kDrainMs = 1000;

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

PhoneEmulator::PhoneEmulator(EmulatorConfig config)
    : m_config(std::move(config)),
      m_trace(std::make_unique<emu::Trace>()),
      m_rng(m_config.Fault.Seed) {
    m_store = m_config.RootDir.empty() ? emu::MakeMemoryStore()
                                       : emu::MakeDirectoryStore(m_config.RootDir);
    if (!m_store) {
        m_error = "cannot use the directory " + m_config.RootDir;
        return;
    }
    if (m_config.Content == emu::Preset::Demo) emu::FillDemoPim(m_config.Pim);
    m_interp = std::make_unique<emu::Interpreter>(m_config, *m_store, *m_trace);
    if (m_config.Content == emu::Preset::Demo) emu::FillDemo(*m_store, m_interp->Map());
}

PhoneEmulator::~PhoneEmulator() {
    Stop();
}

bool PhoneEmulator::Start() {
    if (!m_interp) return false;
    if (m_thread.joinable()) return true;
    if (!m_config.LogFile.empty() && !m_trace->Open(m_config.LogFile)) {
        m_error = "cannot write the log " + m_config.LogFile + ": " + std::strerror(errno);
        return false;
    }
    auto fail = [this](const char* what) {
        m_error = std::string(what) + ": " + std::strerror(errno);
        for (int* fd : {&m_master, &m_slave, &m_wake[0], &m_wake[1]}) {
            if (*fd >= 0) close(*fd);
            *fd = -1;
        }
        return false;
    };
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0) return fail("posix_openpt");
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0) return fail("unlockpt");
    char name[256];
    if (ptsname_r(m_master, name, sizeof name) != 0) return fail("ptsname");
    m_slavePath = name;
    // The emulator keeps the slave open itself: the line then survives the PC closing and
    // reopening its port, and a new slave starts raw instead of echoing and mapping CR/LF.
    m_slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) return fail("open slave");
    termios tio{};
    if (tcgetattr(m_slave, &tio) != 0) return fail("tcgetattr");
    cfmakeraw(&tio);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (tcsetattr(m_slave, TCSANOW, &tio) != 0) return fail("tcsetattr");
    if (fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK) != 0) return fail("fcntl");
    if (pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) return fail("pipe");
    m_stop = false;
    m_thread = std::thread([this] { Serve(); });
    return true;
}

void PhoneEmulator::Stop() {
    if (m_thread.joinable()) {
        m_stop = true;
        const char c = 1;
        (void)!write(m_wake[1], &c, 1);
        m_thread.join();
    }
    if (m_slave >= 0) {
        // Closing the master loses what the PC has not read yet.
        for (int waited = 0; waited < kDrainMs; waited += 10) {
            int queued = 0;
            if (ioctl(m_slave, FIONREAD, &queued) != 0 || queued <= 0) break;
            usleep(10000);
        }
    }
    for (int* fd : {&m_master, &m_slave, &m_wake[0], &m_wake[1]}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
}

bool PhoneEmulator::SleepUntil(std::chrono::steady_clock::time_point due) {
    // To the microsecond: a paced line that rounded every pause up to a millisecond would
    // be slower than the rate it stands for.
    pollfd p{m_wake[0], POLLIN, 0};
    while (!m_stop) {
        const auto left = due - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) return true;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec t{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
        ppoll(&p, 1, &t, nullptr);
    }
    return false;
}

bool PhoneEmulator::SleepMs(int ms) {
    if (ms <= 0) return !m_stop;
    pollfd p{m_wake[0], POLLIN, 0};
    const int64_t end = NowMs() + ms;
    while (!m_stop) {
        const int64_t left = end - NowMs();
        if (left <= 0) return true;
        poll(&p, 1, static_cast<int>(left));
    }
    return false;
}

bool PhoneEmulator::WriteOut(const std::string& bytes) {
    int baud;
    {
        std::lock_guard lock(m_mutex);
        baud = m_config.Baud;
    }
    // At a line rate, bytes leave in slices of about 10 ms on a fixed schedule.
    const size_t slice = baud > 0 ? std::max<size_t>(1, static_cast<size_t>(baud) / 1000) : 65536;
    const auto start = std::chrono::steady_clock::now();
    size_t done = 0;
    while (done < bytes.size()) {
        if (m_stop) return false;
        const size_t len = std::min(slice, bytes.size() - done);
        const ssize_t n = write(m_master, bytes.data() + done, len);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            // The PC is not reading and the line's queue is full.
            pollfd p[2] = {{m_master, POLLOUT, 0}, {m_wake[0], POLLIN, 0}};
            poll(p, 2, 100);
            continue;
        }
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
        if (baud > 0) {
            const auto due =
                start + std::chrono::microseconds(static_cast<int64_t>(done) * 10'000'000 / baud);
            if (!SleepUntil(due)) return false;
        }
    }
    return true;
}

bool PhoneEmulator::Emit(const emu::OutChunk& chunk, const emu::Faults& f) {
    std::string bytes = chunk.Bytes;
    if (!f.Anywhere.empty()) {
        // Before the chunk, and between the lines of an answer, never inside file data.
        const std::string line = "\r\n" + f.Anywhere + "\r\n";
        std::string mixed;
        if (m_rng() % 4 == 0) mixed = line;
        if (chunk.Raw) {
            mixed += bytes;
        } else {
            size_t from = 0;
            for (size_t at = bytes.find("\r\n\r\n"); at != std::string::npos;
                 at = bytes.find("\r\n\r\n", at + 2)) {
                if (m_rng() % 4 != 0) continue;
                mixed += bytes.substr(from, at + 2 - from) + line;
                from = at + 2;
            }
            mixed += bytes.substr(from);
        }
        bytes.swap(mixed);
    }
    if (f.SplitMaxDelayMs < 0) return WriteOut(bytes);
    for (size_t done = 0; done < bytes.size();) {
        const size_t len = std::min<size_t>(1 + m_rng() % 16, bytes.size() - done);
        if (!WriteOut(bytes.substr(done, len))) return false;
        done += len;
        if (done < bytes.size() && f.SplitMaxDelayMs > 0 &&
            !SleepMs(static_cast<int>(m_rng() % static_cast<uint32_t>(f.SplitMaxDelayMs + 1))))
            return false;
    }
    return true;
}

void PhoneEmulator::Flood() {
    // As much garbage as the line takes without waiting; the PC's commands still get read.
    char junk[512];
    for (char& c : junk) c = static_cast<char>(m_rng() & 0xff);
    (void)!write(m_master, junk, sizeof junk);
}

void PhoneEmulator::Serve() {
    char buf[4096];
    // When the line will have carried everything read so far. Kept in microseconds, so a
    // paced transfer neither gains nor loses time on rounding.
    auto lineFree = std::chrono::steady_clock::now();
    std::string trickle;  // answer bytes still to trickle out
    int64_t nextTrickle = 0;
    int64_t nextAnywhere = 0;
    bool noted = false;
    while (!m_stop) {
        emu::Faults f;
        int commands = 0;
        {
            std::lock_guard lock(m_mutex);
            f = m_config.Fault;
            commands = m_interp->CommandCount();
        }
        const int64_t now = NowMs();
        int64_t timeout = 50;
        if (f.TrickleAfter >= 0 && commands > f.TrickleAfter)
            timeout = std::clamp<int64_t>(nextTrickle - now, 0, timeout);
        if (f.FloodAfter >= 0 && commands > f.FloodAfter) timeout = std::min<int64_t>(timeout, 10);
        if (!f.Anywhere.empty()) {
            if (nextAnywhere < now - f.AnywhereMs) nextAnywhere = now + f.AnywhereMs;
            timeout = std::clamp<int64_t>(nextAnywhere - now, 0, timeout);
        }
        pollfd p[2] = {{m_master, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        const int r = poll(p, 2, static_cast<int>(timeout));
        if (p[1].revents & POLLIN) {
            char sink[64];
            while (read(m_wake[0], sink, sizeof sink) > 0) {
            }
        }
        if (m_stop) break;
        std::vector<emu::OutChunk> out;
        if (r > 0 && (p[0].revents & POLLIN)) {
            int baud;
            {
                std::lock_guard lock(m_mutex);
                baud = m_config.Baud;
            }
            size_t limit = sizeof buf;
            if (baud > 0) limit = std::clamp<size_t>(static_cast<size_t>(baud) / 500, 1, limit);
            const ssize_t got = read(m_master, buf, limit);
            if (got > 0) {
                // What the line would take to carry these bytes.
                if (baud > 0) {
                    const auto now = std::chrono::steady_clock::now();
                    // Bytes that were already waiting follow the previous ones on the line
                    // without a gap; after a pause the line starts again from now.
                    if (now - lineFree > std::chrono::milliseconds(2)) lineFree = now;
                    lineFree +=
                        std::chrono::microseconds(static_cast<int64_t>(got) * 10'000'000 / baud);
                    if (!SleepUntil(lineFree)) break;
                }
                std::lock_guard lock(m_mutex);
                if (m_received.size() < kReceivedLimit)
                    m_received.append(buf, static_cast<size_t>(got));
                out = m_interp->Feed(buf, static_cast<size_t>(got), NowMs());
            } else if (got < 0 && errno != EAGAIN && errno != EINTR) {
                SleepMs(10);
            }
        } else if (r > 0 && (p[0].revents & (POLLHUP | POLLERR))) {
            SleepMs(10);
        }
        {
            std::lock_guard lock(m_mutex);
            auto ticked = m_interp->Tick(NowMs());
            out.insert(out.end(), ticked.begin(), ticked.end());
            if (out.empty() && !m_unsolicitedQueue.empty() && m_interp->Idle()) {
                for (const std::string& line : m_unsolicitedQueue) {
                    auto chunks = m_interp->Unsolicited(line);
                    out.insert(out.end(), chunks.begin(), chunks.end());
                }
                m_unsolicitedQueue.clear();
            }
            f = m_config.Fault;
            commands = m_interp->CommandCount();
        }
        if (f.FloodAfter >= 0 && commands > f.FloodAfter) {
            if (!noted) m_trace->Note("flood: garbage from now on");
            noted = true;
            Flood();
            continue;
        }
        if (f.TrickleAfter >= 0 && commands > f.TrickleAfter) {
            if (!noted) m_trace->Note("trickle: one byte at a time from now on");
            noted = true;
            for (const emu::OutChunk& c : out) {
                m_trace->Line(false, c.Shown.empty() ? emu::Trace::Escape(c.Bytes) : c.Shown);
                trickle += c.Bytes;
            }
            if (NowMs() >= nextTrickle) {
                // Line noise once the answers are out: the PC never sees a quiet line again.
                const char b = trickle.empty() ? '\0' : trickle.front();
                if (!trickle.empty()) trickle.erase(0, 1);
                (void)!write(m_master, &b, 1);
                nextTrickle = NowMs() + std::max(1, f.TrickleMs);
            }
            continue;
        }
        trickle.clear();
        noted = false;
        if (!f.Anywhere.empty() && NowMs() >= nextAnywhere) {
            nextAnywhere = NowMs() + std::max(1, f.AnywhereMs);
            emu::OutChunk line;
            line.Bytes = "\r\n" + f.Anywhere + "\r\n";
            out.insert(out.begin(), line);
        }
        for (const emu::OutChunk& c : out) {
            if (!SleepMs(c.DelayMs)) break;
            m_trace->Line(false, c.Shown.empty() ? emu::Trace::Escape(c.Bytes) : c.Shown);
            if (!Emit(c, f)) break;
        }
    }
}

std::string PhoneEmulator::Received() const {
    std::lock_guard lock(m_mutex);
    return m_received;
}

void PhoneEmulator::ClearReceived() {
    std::lock_guard lock(m_mutex);
    m_received.clear();
}

int PhoneEmulator::Interleaved() const {
    std::lock_guard lock(m_mutex);
    return m_interp ? m_interp->Interleaved() : 0;
}

int PhoneEmulator::CommandCount() const {
    std::lock_guard lock(m_mutex);
    return m_interp ? m_interp->CommandCount() : 0;
}

std::string PhoneEmulator::PathOfId(const std::string& folderId) const {
    const emu::Folder* f = m_interp ? m_interp->Map().ById(folderId) : nullptr;
    // A path never starts with '#', so this marks "no such folder".
    return f ? f->Path : std::string("#");
}

std::string PhoneEmulator::FolderId(const std::string& path) const {
    std::lock_guard lock(m_mutex);
    const emu::Folder* f = m_interp ? m_interp->Map().ByPath(path) : nullptr;
    return f ? f->Id : std::string();
}

bool PhoneEmulator::PutFile(const std::string& folderId, const std::string& name,
                            const std::string& bytes, const std::string& rawStamp) {
    std::lock_guard lock(m_mutex);
    const std::string path = PathOfId(folderId);
    if (path == "#" || !emu::IsValidFileName(name)) return false;
    return m_store->Put(path, name, bytes, rawStamp.empty() ? emu::NowStamp() : rawStamp);
}

std::optional<std::string> PhoneEmulator::GetFile(const std::string& folderId,
                                                  const std::string& name) const {
    std::lock_guard lock(m_mutex);
    const std::string path = PathOfId(folderId);
    if (path == "#") return std::nullopt;
    return m_store->Get(path, name);
}

std::vector<StoredFile> PhoneEmulator::ListFiles(const std::string& folderId) const {
    std::lock_guard lock(m_mutex);
    const std::string path = PathOfId(folderId);
    if (path == "#") return {};
    return m_store->List(path);
}

bool PhoneEmulator::RemoveFile(const std::string& folderId, const std::string& name) {
    std::lock_guard lock(m_mutex);
    const std::string path = PathOfId(folderId);
    return path != "#" && m_store->Remove(path, name);
}

bool PhoneEmulator::InjectListingLine(const std::string& folderId, const std::string& line) {
    std::lock_guard lock(m_mutex);
    const std::string path = PathOfId(folderId);
    if (path == "#") return false;
    m_interp->InjectListingLine(path, line);
    return true;
}

void PhoneEmulator::SetModel(const std::string& model) {
    std::lock_guard lock(m_mutex);
    m_config.Model = model;
    if (m_interp) m_interp->Reconfigure();
}

void PhoneEmulator::SetSerial(const std::string& serial) {
    std::lock_guard lock(m_mutex);
    m_config.Serial = serial;
}

void PhoneEmulator::FallSilentAfter(int commands) {
    std::lock_guard lock(m_mutex);
    m_config.Fault.SilentAfter = std::max(0, commands);
}

void PhoneEmulator::DropCommand(int nth) {
    std::lock_guard lock(m_mutex);
    m_config.Fault.DropCommand = std::max(1, nth);
}

void PhoneEmulator::CutLineAfter(int64_t transferBytes) {
    std::lock_guard lock(m_mutex);
    m_config.Fault.CutAfterBytes = std::max<int64_t>(0, transferBytes);
    if (m_interp) m_interp->Revive();
}

void PhoneEmulator::CorruptReadCrc(bool on) {
    std::lock_guard lock(m_mutex);
    m_config.Fault.BadReadCrc = on;
}

void PhoneEmulator::FailCommand(const std::string& prefix, int cmeCode) {
    std::lock_guard lock(m_mutex);
    m_config.Fault.Errors.push_back({prefix, cmeCode, false});
}

void PhoneEmulator::FailName(const std::string& name, int cmeCode) {
    std::lock_guard lock(m_mutex);
    m_config.Fault.Errors.push_back({name, cmeCode, true});
}

void PhoneEmulator::SetUnsolicited(const std::string& line) {
    std::lock_guard lock(m_mutex);
    m_config.Fault.Unsolicited = line;
}

void PhoneEmulator::SendUnsolicited(const std::string& line) {
    // No wake-up: the serving loop looks at the queue every 50 ms, and the wake pipe stays
    // reserved for stopping (a byte left in it would turn every sleep into a busy wait).
    std::lock_guard lock(m_mutex);
    m_unsolicitedQueue.push_back(line);
}

void PhoneEmulator::TrickleAfter(int commands, int everyMs) {
    std::lock_guard lock(m_mutex);
    m_config.Fault.TrickleAfter = std::max(0, commands);
    m_config.Fault.TrickleMs = std::max(1, everyMs);
}

void PhoneEmulator::FloodAfter(int commands) {
    std::lock_guard lock(m_mutex);
    m_config.Fault.FloodAfter = std::max(0, commands);
}

void PhoneEmulator::EndlessRead(bool on) {
    std::lock_guard lock(m_mutex);
    m_config.Fault.EndlessRead = on;
}

void PhoneEmulator::PromptStorm(bool on) {
    std::lock_guard lock(m_mutex);
    m_config.Fault.PromptStorm = on;
}

void PhoneEmulator::EarlyOkAfter(int64_t bytes) {
    std::lock_guard lock(m_mutex);
    m_config.Fault.EarlyOkAfter = bytes;
}

void PhoneEmulator::FanOut(int subfolders) {
    std::lock_guard lock(m_mutex);
    m_config.Fault.FanOut = std::max(0, subfolders);
}

void PhoneEmulator::UnsolicitedAnywhere(const std::string& line, int everyMs) {
    std::lock_guard lock(m_mutex);
    m_config.Fault.Anywhere = line;
    m_config.Fault.AnywhereMs = std::max(1, everyMs);
}

void PhoneEmulator::SplitAnswers(int maxDelayMs) {
    std::lock_guard lock(m_mutex);
    m_config.Fault.SplitMaxDelayMs = maxDelayMs;
}

std::vector<emu::PimContact> PhoneEmulator::Contacts(const std::string& store) const {
    std::lock_guard lock(m_mutex);
    return m_interp ? m_interp->Pim().Contacts(store) : std::vector<emu::PimContact>{};
}

std::vector<emu::PimMessage> PhoneEmulator::Messages(const std::string& store) const {
    std::lock_guard lock(m_mutex);
    return m_interp ? m_interp->Pim().Messages(store) : std::vector<emu::PimMessage>{};
}

void PhoneEmulator::ClearFaults() {
    std::lock_guard lock(m_mutex);
    m_config.Fault = emu::Faults{};
    if (m_interp) m_interp->Revive();
}

}  // namespace q7k3
