#include "link/ProtocolTrace.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

namespace q7k3 {
namespace {

constexpr size_t kBytesPerLine = 64;
constexpr char kHex[] = "0123456789abcdef";

int64_t LocalMsOfDay() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t secs = system_clock::to_time_t(now);
    std::tm local {};
    localtime_r(&secs, &local);
    const int64_t ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    return ((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 1000 + ms;
}

std::string DateTimeNow() {
    const std::time_t secs = std::time(nullptr);
    std::tm local {};
    localtime_r(&secs, &local);
    char text[64];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %z", &local);
    return text;
}

// Length of a two-byte UTF-8 letter of the Latin or Cyrillic blocks at `at` (what the
// phone's file names hold), or 0. Other sequences are escaped: in a data block they are
// chance bytes, and some (right-to-left, combining, invisible) would garble the line.
size_t Utf8LetterLength(std::string_view s, size_t at) {
    if (at + 1 >= s.size()) return 0;
    const auto b0 = static_cast<unsigned char>(s[at]);
    const auto b1 = static_cast<unsigned char>(s[at + 1]);
    if ((b0 & 0xE0) != 0xC0 || (b1 & 0xC0) != 0x80) return 0;
    const unsigned code = ((b0 & 0x1Fu) << 6) | (b1 & 0x3Fu);
    return (code >= 0xC0 && code <= 0x24F) || (code >= 0x400 && code <= 0x4FF) ? 2 : 0;
}

}  // namespace

void AppendEscaped(std::string& out, std::string_view bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        switch (c) {
        case '\r': out += "\\r"; continue;
        case '\n': out += "\\n"; continue;
        case '\t': out += "\\t"; continue;
        case '\\': out += "\\\\"; continue;
        default: break;
        }
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
            continue;
        }
        // Phone file names travel in UTF-8; their letters stay readable.
        if (size_t n = c >= 0x80 ? Utf8LetterLength(bytes, i) : 0) {
            out.append(bytes.substr(i, n));
            i += n - 1;
            continue;
        }
        out += "\\x";
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
}

ProtocolTrace::~ProtocolTrace() { Stop(); }

bool ProtocolTrace::OpenFile(const char* mode, std::string* error) {
    m_file = std::fopen(m_path.c_str(), mode);
    if (!m_file) {
        if (error) *error = std::strerror(errno);
        return false;
    }
    // Bytes reach the file at the end of every record; the buffer only gathers its lines.
    std::setvbuf(m_file, nullptr, _IOFBF, 1 << 16);
    struct stat st {};
    m_written = ::fstat(fileno(m_file), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
    return true;
}

bool ProtocolTrace::Start(const std::string& path, uint64_t limit, std::string* error) {
    Stop();
    m_path = path;
    m_limit = limit < 4096 ? 4096 : limit;
    m_startedByFollow = false;
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    if (!OpenFile("a", error)) return false;
    Note("q7k3fm protocol trace, started " + DateTimeNow());
    // A file that opens but takes nothing (a full disk, /dev/full) is no trace either.
    if (std::ferror(m_file) || std::fflush(m_file) != 0) {
        const int err = errno;
        if (error) *error = std::strerror(err);
        std::fclose(m_file);
        m_file = nullptr;
        errno = err;
        return false;
    }
    return true;
}

void ProtocolTrace::Stop() {
    if (!m_file) return;
    Note("trace stopped");
    std::fclose(m_file);
    m_file = nullptr;
}

void ProtocolTrace::Follow(const bool* flag, std::string path) {
    m_follow = flag;
    m_followPath = std::move(path);
}

void ProtocolTrace::Sync() {
    if (!m_follow) return;
    if (*m_follow && !Active()) {
        if (Start(m_followPath)) m_startedByFollow = true;
    } else if (!*m_follow && Active() && m_startedByFollow) {
        Stop();
    }
}

std::string ProtocolTrace::Stamp() const {
    int64_t ms = m_clock ? m_clock() : LocalMsOfDay();
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", static_cast<int>(ms / 3600000 % 24),
                  static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60),
                  static_cast<int>(ms % 1000));
    return text;
}

void ProtocolTrace::WriteLine(std::string_view prefix, std::string_view text) {
    m_line.assign(prefix);
    m_line.append(text);
    m_line += '\n';
    std::fwrite(m_line.data(), 1, m_line.size(), m_file);
    m_written += m_line.size();
}

void ProtocolTrace::Note(std::string_view text) {
    if (!m_file) return;
    WriteLine(Stamp() + " # ", text);
    std::fflush(m_file);
    RotateIfFull();
}

void ProtocolTrace::Record(TraceDirection direction, const void* data, size_t size) {
    if (!m_file || size == 0) return;
    const std::string prefix = Stamp() + (direction == TraceDirection::ToPhone ? " > " : " < ");
    const std::string_view bytes(static_cast<const char*>(data), size);
    std::string text;
    size_t start = 0;
    while (start < bytes.size()) {
        // A line ends after a line feed or after kBytesPerLine bytes, whichever comes first.
        size_t end = std::min(bytes.size(), start + kBytesPerLine);
        const size_t lf = bytes.find('\n', start);
        if (lf != std::string_view::npos && lf < end) end = lf + 1;
        text.clear();
        AppendEscaped(text, bytes.substr(start, end - start));
        WriteLine(prefix, text);
        start = end;
    }
    std::fflush(m_file);
    RotateIfFull();
}

void ProtocolTrace::RotateIfFull() {
    if (!m_file || m_written < m_limit) return;
    std::fclose(m_file);
    m_file = nullptr;
    const std::string older = m_path + ".1";
    std::rename(m_path.c_str(), older.c_str());
    if (OpenFile("w", nullptr)) Note("continued from " + older);
}

ProtocolTrace& ProcessTrace() {
    static ProtocolTrace trace;
    return trace;
}

std::string DefaultTracePath() {
    std::string dir;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/') {
        dir = state;
    } else {
        const char* home = std::getenv("HOME");
        dir = std::string(home && *home ? home : "/tmp") + "/.local/state";
    }
    return dir + "/Q7K3FileManager/q7k3fm-trace.txt";
}

TracingSerialDevice::TracingSerialDevice(std::unique_ptr<SerialDevice> inner,
                                         ProtocolTrace& trace)
    : m_inner(std::move(inner)), m_trace(trace) {}

bool TracingSerialDevice::Open(const std::string& name) {
    m_trace.Sync();
    const bool ok = m_inner->Open(name);
    m_vanishNoted = false;
    if (m_trace.Active()) m_trace.Note((ok ? "open " : "cannot open ") + name);
    return ok;
}

void TracingSerialDevice::Close() {
    if (m_trace.Active() && m_inner->IsOpen()) m_trace.Note("close");
    m_inner->Close();
}

bool TracingSerialDevice::ApplyLineSettings(const LineSettings& s) {
    const bool ok = m_inner->ApplyLineSettings(s);
    if (m_trace.Active()) {
        static constexpr char kParity[] = "NOEMS";
        static constexpr const char* kStop[] = {"1", "1.5", "2"};
        char text[160];
        std::snprintf(text, sizeof text,
                      "line %u %d%c%s, RTS/CTS %s, XON/XOFF %s, DTR %s, RTS %s%s",
                      static_cast<unsigned>(s.BaudRate), s.DataBits,
                      kParity[s.Parity >= 0 && s.Parity <= 4 ? s.Parity : 0],
                      kStop[s.StopBits >= 0 && s.StopBits <= 2 ? s.StopBits : 0],
                      s.RtsCts ? "on" : "off", s.XonXoff ? "on" : "off", s.Dtr ? "on" : "off",
                      s.Rts ? "on" : "off", ok ? "" : " (refused)");
        m_trace.Note(text);
    }
    return ok;
}

int64_t TracingSerialDevice::Read(void* buffer, size_t size) {
    const int64_t n = m_inner->Read(buffer, size);
    if (m_trace.Active()) {
        if (n > 0) m_trace.Record(TraceDirection::FromPhone, buffer, static_cast<size_t>(n));
        if (!m_vanishNoted && m_inner->Vanished()) {
            m_vanishNoted = true;
            m_trace.Note("the device has gone");
        }
    }
    return n;
}

int64_t TracingSerialDevice::Write(const void* data, size_t size) {
    const int64_t n = m_inner->Write(data, size);
    if (m_trace.Active()) {
        if (n > 0) m_trace.Record(TraceDirection::ToPhone, data, static_cast<size_t>(n));
        if (n < 0) m_trace.Note("write failed: " + std::string(std::strerror(errno)));
    }
    return n;
}

}  // namespace q7k3
