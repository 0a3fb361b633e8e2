#include "emulator/Interpreter.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace q7k3::emu {

namespace {

constexpr uint64_t kUnitBytes = 16384;
constexpr size_t kWriteBlock = 512;

std::string Frame(const std::string& line) {
    return "\r\n" + line + "\r\n";
}

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

uint32_t Crc32(const std::string& bytes) {
    return static_cast<uint32_t>(
        crc32_z(0L, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
}

struct Arg {
    std::string Text;
    bool Quoted = false;
};

// The argument list after '=': quoted strings (no escapes, commas allowed inside) and bare
// tokens, separated by commas. False when it does not read as such.
bool ParseArgs(const std::string& s, std::vector<Arg>& out) {
    size_t i = 0;
    for (;;) {
        Arg a;
        if (i < s.size() && s[i] == '"') {
            const size_t q = s.find('"', i + 1);
            if (q == std::string::npos) return false;
            a.Text = s.substr(i + 1, q - i - 1);
            a.Quoted = true;
            i = q + 1;
        } else {
            size_t c = s.find(',', i);
            if (c == std::string::npos) c = s.size();
            a.Text = s.substr(i, c - i);
            if (a.Text.find('"') != std::string::npos) return false;
            i = c;
        }
        out.push_back(std::move(a));
        if (i == s.size()) return true;
        if (s[i] != ',') return false;
        ++i;
    }
}

bool ParseDecimal(const std::string& s, uint64_t limit, uint64_t& value) {
    if (s.empty() || s.size() > 19) return false;
    value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value <= limit;
}

// "yyyy:mm:dd hh:nn:ss" (the PC's time separator may be another character) to the listing's
// "YYYY/MM/DD HH:MM:SS"; empty when the digits are not where they belong.
std::string ListingStamp(const std::string& s) {
    if (s.size() != 19) return {};
    for (size_t i = 0; i < s.size(); ++i) {
        const bool digit = s[i] >= '0' && s[i] <= '9';
        const bool separator = i == 4 || i == 7 || i == 10 || i == 13 || i == 16;
        if (digit == separator) return {};
    }
    return s.substr(0, 4) + "/" + s.substr(5, 2) + "/" + s.substr(8, 2) + " " + s.substr(11, 2) +
           ":" + s.substr(14, 2) + ":" + s.substr(17, 2);
}

uint64_t Units(uint64_t size) {
    return (size + kUnitBytes - 1) / kUnitBytes;
}

}  // namespace

std::string DefaultSerial(const EmulatorConfig& config) {
    std::string seed = config.Model;
    if (!config.RootDir.empty()) {
        std::error_code ec;
        const auto root = std::filesystem::weakly_canonical(config.RootDir, ec);
        seed += "\n" + (ec ? config.RootDir : root.string());
    }
    // FNV-1a: the same digits on every machine and at every start.
    uint64_t hash = 14695981039346656037ull;
    for (const char c : seed) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char digits[16];
    std::snprintf(digits, sizeof digits, "35%013llu",
                  static_cast<unsigned long long>(hash % 10000000000000ull));
    return digits;
}

Interpreter::Interpreter(EmulatorConfig& config, FileStore& store, Trace& trace)
    : m_config(config), m_store(store), m_trace(trace), m_pim(config), m_echo(config.Echo) {
    Reconfigure();
}

void Interpreter::Reconfigure() {
    m_map = FolderMap(FamilyOfModel(m_config.Model), m_config.Pims);
    for (const Folder& f : m_map.Folders()) m_store.AddFolder(f.Path);
    if (!m_map.ByPath(m_current)) m_current = m_map.Root().Path;
}

void Interpreter::InjectListingLine(const std::string& folderPath, const std::string& line) {
    m_injected[folderPath].push_back(line);
}

void Interpreter::Revive() {
    m_dead = false;
    m_transferBytes = 0;
    Abandon("line restored");
}

bool Interpreter::Idle() const {
    return m_state == State::Command && m_line.empty() && !m_dead;
}

std::vector<OutChunk> Interpreter::Unsolicited(const std::string& line) {
    OutChunk c;
    c.Bytes = Frame(line);
    return {c};
}

std::vector<OutChunk> Interpreter::Feed(const char* data, size_t size, int64_t nowMs) {
    Reply out;
    m_lastInputMs = nowMs;
    const int stormPromptsBefore = m_stormPrompts;
    size_t i = 0;
    while (i < size && !m_dead) {
        if (m_state == State::Storm) {
            // Whatever comes is taken for more data and prompted for again; only a command
            // line ends it.
            const char c = data[i++];
            if (c == '\n') continue;
            if (c != '\r') {
                if (m_line.size() < kMaxLine) m_line += c;
                continue;
            }
            std::string line;
            line.swap(m_line);
            if (Upper(line).rfind("AT", 0) == 0) {
                HandleLine(line, out);
            } else {
                StormPrompt(out, nowMs);
            }
            continue;
        }
        if (m_state == State::Writing) {
            // The LF that ends the write command is not data; the data follows the prompt.
            if (m_afterCr && m_writeData.empty() && data[i] == '\n') {
                m_afterCr = false;
                ++i;
                continue;
            }
            m_afterCr = false;
            const size_t take =
                static_cast<size_t>(std::min<uint64_t>(size - i, m_writeSize - m_writeData.size()));
            WriteData(data + i, take, out);
            i += take;
            continue;
        }
        const char c = data[i++];
        if (c == '\n') {
            // The LF of the PC's CR LF (or a stray one) means nothing to the phone.
            m_afterCr = false;
            continue;
        }
        if (c == '\r') {
            m_afterCr = true;
            std::string line;
            line.swap(m_line);
            if (m_lineTooLong) {
                m_lineTooLong = false;
                m_trace.Note("a command line over " + std::to_string(kMaxLine) + " bytes");
                if (m_state == State::Command) Final(out, "ERROR");
                continue;
            }
            HandleLine(line, out);
            continue;
        }
        m_afterCr = false;
        if (m_line.size() < kMaxLine)
            m_line += c;
        else
            m_lineTooLong = true;
    }
    if (m_state == State::Storm && m_stormPrompts == stormPromptsBefore && size > 0 && !m_dead)
        StormPrompt(out, nowMs);
    return std::move(out.chunks);
}

std::vector<OutChunk> Interpreter::Tick(int64_t nowMs) {
    Reply out;
    if (m_state == State::Writing && nowMs - m_lastInputMs > kWriteTimeoutMs)
        Abandon("the data of a write stopped coming");
    if (m_state == State::Storm && !m_dead && nowMs - m_lastPromptMs >= kStormPauseMs) {
        out.delayed = true;
        StormPrompt(out, nowMs);
    }
    return std::move(out.chunks);
}

void Interpreter::Abandon(const char* why) {
    if (m_state != State::Command) m_trace.Note(std::string("transfer abandoned: ") + why);
    ResetState();
}

void Interpreter::ResetState() {
    m_state = State::Command;
    m_batchLines.clear();
    m_readData.clear();
    m_writeData.clear();
    m_closingSent = false;
    m_line.clear();
}

void Interpreter::Send(Reply& out, std::string bytes, std::string shown) {
    OutChunk c;
    c.DelayMs = out.delayed ? 0 : m_config.LatencyMs;
    out.delayed = true;
    c.Bytes = std::move(bytes);
    c.Shown = std::move(shown);
    out.chunks.push_back(std::move(c));
}

void Interpreter::Final(Reply& out, const std::string& line) {
    ResetState();
    Send(out, Frame(line));
    if (!m_config.Fault.Unsolicited.empty()) Send(out, Frame(m_config.Fault.Unsolicited));
}

void Interpreter::HandleLine(const std::string& line, Reply& out) {
    if (line == "##>") {
        m_trace.Line(true, "##>\\r");
        if (m_state == State::Listing)
            SendBatch(out);
        else if (m_state == State::Reading)
            SendBlock(out);
        else
            m_trace.Note("prompt ignored: nothing to continue");
        return;
    }
    m_trace.Line(true, Trace::Escape(line + "\r"));
    if (line.empty()) {
        // The PC's keep-alive: a lone CR. A short answer that no command mistakes for its
        // own final result.
        if (m_state != State::Command) {
            ++m_interleaved;
            return;
        }
        if (m_echo) out.chunks.push_back({0, "\r", {}});
        Send(out, "\r\n");
        return;
    }
    if (m_state != State::Command) {
        ++m_interleaved;
        Abandon("a command came instead of the prompt");
    }

    ++m_commands;
    Faults& f = m_config.Fault;
    if (f.SilentAfter >= 0) {
        if (f.SilentAfter == 0) {
            m_dead = true;
            m_trace.Note("the phone falls silent");
            return;
        }
        --f.SilentAfter;
    }
    if (f.DropCommand > 0 && --f.DropCommand == 0) {
        m_trace.Note("command dropped");
        return;
    }
    if (m_echo) out.chunks.push_back({0, line + "\r", {}});
    Dispatch(line, out);
}

void Interpreter::Dispatch(const std::string& line, Reply& out) {
    const size_t eq = line.find('=');
    const bool hasArgs = eq != std::string::npos;
    const std::string head = Upper(line.substr(0, eq));
    const std::string args = hasArgs ? line.substr(eq + 1) : std::string();

    for (const ErrorRule& rule : m_config.Fault.Errors) {
        bool hit = false;
        if (!rule.ByName) {
            hit = !rule.Match.empty() && Upper(line).rfind(Upper(rule.Match), 0) == 0;
        } else if (hasArgs) {
            std::vector<Arg> parsed;
            if (ParseArgs(args, parsed))
                for (const Arg& a : parsed)
                    if (a.Quoted) {
                        hit = a.Text == rule.Match;
                        break;
                    }
        }
        if (hit) {
            Final(out, rule.Code > 0 ? "+CME ERROR: " + std::to_string(rule.Code) : "ERROR");
            return;
        }
    }

    if (!hasArgs && (head == "AT" || head == "ATZ")) {
        // A reset restores the stored profile, echo included.
        if (head == "ATZ") m_echo = m_config.Echo;
        Final(out, "OK");
    } else if (!hasArgs && (head == "ATE0" || head == "ATE" || head == "ATE1")) {
        m_echo = head == "ATE1";
        Final(out, "OK");
    } else if (!hasArgs && head == "AT+CGMM") {
        if (m_config.Model == "ERROR") {
            Final(out, "ERROR");
        } else {
            Send(out, Frame(m_config.Model));
            Final(out, "OK");
        }
    } else if (!hasArgs && head == "AT+CGSN") {
        const std::string serial =
            m_config.Serial.empty() ? DefaultSerial(m_config) : m_config.Serial;
        if (serial == "ERROR") {
            Final(out, "ERROR");
        } else {
            Send(out, Frame(serial));
            Final(out, "OK");
        }
    } else if (hasArgs && (head == "AT+FSCD" || head == "AT+FSDL" || head == "AT+FSDI")) {
        CmdFolder(head, args, out);
    } else if (!hasArgs && head == "AT+FSIF") {
        CmdInfo(out);
    } else if (hasArgs && head == "AT+FSFR") {
        CmdRead(args, out);
    } else if (hasArgs && head == "AT+FSFW") {
        CmdWrite(args, out);
    } else if (hasArgs && head == "AT+FSFE") {
        CmdErase(args, out);
    } else if (!CmdPim(head, hasArgs, args, out)) {
        Final(out, "ERROR");
    }
}

bool Interpreter::CmdPim(const std::string& head, bool hasArgs, const std::string& args, Reply& out) {
    std::vector<std::string> lines;
    std::optional<std::string> final;
    if (!m_pim.Handle(head, hasArgs, args, lines, final)) return false;
    if (!lines.empty()) {
        std::string body = "\r\n";
        for (const std::string& line : lines) body += line + "\r\n";
        Send(out, std::move(body));
    }
    if (final)
        Final(out, *final);
    else
        m_trace.Note("the phone leaves " + head + " unanswered");
    return true;
}

void Interpreter::CmdFolder(const std::string& verb, const std::string& args, Reply& out) {
    std::vector<Arg> a;
    if (!ParseArgs(args, a) || a.size() != 1 || !a[0].Quoted) {
        Final(out, "ERROR");
        return;
    }
    Folder madeUp;
    const Folder* folder = m_map.ById(a[0].Text);
    if (!folder && FanOutFolder(a[0].Text, madeUp)) folder = &madeUp;
    if (!folder) {
        Final(out, "+CME ERROR: 2000");
        return;
    }
    if (verb == "AT+FSCD") {
        m_current = folder->Path;
        Final(out, "OK");
        return;
    }
    std::vector<std::string> lines;
    if (verb == "AT+FSDL") {
        int index = 0;
        for (const StoredFile& f : m_store.List(folder->Path))
            lines.push_back("+FSDL: \"" + f.Name + "\"," + std::to_string(index++) + ",0,0,0," +
                            std::to_string(f.Size) + ",\"" + f.Stamp + "\"");
        auto inj = m_injected.find(folder->Path);
        if (inj != m_injected.end())
            lines.insert(lines.end(), inj->second.begin(), inj->second.end());
    } else {
        const int fanOut = m_map.Pims() ? std::max(0, m_config.Fault.FanOut) : 0;
        for (const Folder* child : m_map.Children(*folder))
            lines.push_back("+FSDI: \"" + child->Name + "\"," +
                            std::to_string(m_map.Children(*child).size() + fanOut) + "," +
                            std::to_string(m_store.List(child->Path).size()));
        for (int n = 0; n < fanOut; ++n)
            lines.push_back("+FSDI: \"" + FanOutName(n) + "\"," + std::to_string(fanOut) + ",0");
    }
    if (lines.empty()) {
        Final(out, "OK");
        return;
    }
    m_batchLines = std::move(lines);
    m_batchPos = 0;
    m_state = State::Listing;
    SendBatch(out);
}

std::string Interpreter::FanOutName(int n) {
    char name[16];
    std::snprintf(name, sizeof name, "F%04d", n);
    return name;
}

bool Interpreter::FanOutPath(const std::string& path, int depth) const {
    if (m_map.ByPath(path)) return true;
    // Deep enough for any test, and no recursion on a long made-up path.
    if (depth > 32) return false;
    const size_t slash = path.rfind('/');
    const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    if (last.size() < 2 || last[0] != 'F') return false;
    uint64_t n = 0;
    if (!ParseDecimal(last.substr(1), UINT32_MAX, n) || FanOutName(static_cast<int>(n)) != last ||
        n >= static_cast<uint64_t>(m_config.Fault.FanOut))
        return false;
    return FanOutPath(slash == std::string::npos ? std::string() : path.substr(0, slash),
                      depth + 1);
}

bool Interpreter::FanOutFolder(const std::string& id, Folder& out) const {
    if (!m_map.Pims() || m_config.Fault.FanOut <= 0 || id.size() < 2 || id[0] != '/') return false;
    const std::string path = id.substr(1);
    if (!FanOutPath(path, 0)) return false;
    out.Id = id;
    out.Path = path;
    const size_t slash = path.rfind('/');
    out.Name = slash == std::string::npos ? path : path.substr(slash + 1);
    return true;
}

void Interpreter::SendBatch(Reply& out) {
    if (m_batchPos >= m_batchLines.size()) {
        Final(out, "OK");
        return;
    }
    const size_t batch = static_cast<size_t>(std::max(1, m_config.Batch));
    const size_t end = std::min(m_batchLines.size(), m_batchPos + batch);
    std::string bytes;
    for (; m_batchPos < end; ++m_batchPos) bytes += Frame(m_batchLines[m_batchPos]);
    bytes += Frame("#OK#");
    Send(out, std::move(bytes));
}

void Interpreter::CmdRead(const std::string& args, Reply& out) {
    std::vector<Arg> a;
    if (!ParseArgs(args, a) || a.size() != 2 || a[0].Quoted || a[0].Text != "-1" || !a[1].Quoted) {
        Final(out, "ERROR");
        return;
    }
    std::optional<std::string> bytes;
    if (IsValidFileName(a[1].Text)) bytes = m_store.Get(m_current, a[1].Text);
    if (!bytes) {
        Final(out, "+CME ERROR: 2000");
        return;
    }
    m_readData = std::move(*bytes);
    m_readPos = 0;
    m_blockNo = 0;
    m_closingSent = false;
    m_state = State::Reading;
    SendBlock(out);
}

void Interpreter::SendBlock(Reply& out) {
    if (m_closingSent) {
        Final(out, "OK");
        return;
    }
    if (m_readPos < m_readData.size()) {
        const size_t block = static_cast<size_t>(std::max(1, m_config.Block));
        const size_t len = std::min(block, m_readData.size() - m_readPos);
        const std::string head =
            "\r\n+FSFR: " + std::to_string(++m_blockNo) + "," + std::to_string(len) + ",";
        const std::string data = m_readData.substr(m_readPos, len);
        const int64_t cut = m_config.Fault.CutAfterBytes;
        if (cut >= 0 && m_transferBytes + static_cast<int64_t>(len) > cut) {
            const size_t keep = static_cast<size_t>(std::max<int64_t>(0, cut - m_transferBytes));
            m_dead = true;
            if (keep > 0)
                Send(out, head + data.substr(0, keep),
                     Trace::Escape(head) + "[" + std::to_string(keep) + " of " +
                         std::to_string(len) + " data bytes]");
            m_trace.Note("the line is cut");
            return;
        }
        m_transferBytes += static_cast<int64_t>(len);
        m_readPos += len;
        Send(out, head + data + "#OK#\r\n",
             Trace::Escape(head) + "[" + std::to_string(len) + " data bytes]#OK#\\r\\n");
        out.chunks.back().Raw = true;
        return;
    }
    if (m_config.Fault.EndlessRead) {
        // The phone goes on past the file's end with blocks of its last byte (or zeros).
        const size_t len = static_cast<size_t>(std::max(1, m_config.Block));
        const char fill = m_readData.empty() ? '\0' : m_readData.back();
        const std::string head =
            "\r\n+FSFR: " + std::to_string(++m_blockNo) + "," + std::to_string(len) + ",";
        m_transferBytes += static_cast<int64_t>(len);
        Send(out, head + std::string(len, fill) + "#OK#\r\n",
             Trace::Escape(head) + "[" + std::to_string(len) + " bytes past the end]#OK#\\r\\n");
        out.chunks.back().Raw = true;
        return;
    }
    uint32_t crc = Crc32(m_readData);
    if (m_config.Fault.BadReadCrc) crc ^= 0x00010000u;
    m_closingSent = true;
    Send(out, Frame("+FSFR: 0," + std::to_string(m_readData.size()) + "," + std::to_string(crc) +
                    "#OK#"));
}

uint64_t Interpreter::UsedUnits() const {
    uint64_t used = 0;
    for (const Folder& f : m_map.Folders())
        for (const StoredFile& file : m_store.List(f.Path)) used += Units(file.Size);
    return used;
}

uint64_t Interpreter::CapacityUnits() const {
    return static_cast<uint64_t>(std::max(0, m_config.CapacityKb)) / 16;
}

void Interpreter::CmdWrite(const std::string& args, Reply& out) {
    std::vector<Arg> a;
    uint64_t mod = 0, size = 0, crc = 0;
    std::string stamp;
    if (!ParseArgs(args, a) || a.size() != 6 || a[0].Quoted || a[0].Text != "-1" || !a[1].Quoted ||
        !IsValidFileName(a[1].Text) || a[2].Quoted || !ParseDecimal(a[2].Text, 511, mod) ||
        !a[3].Quoted || (stamp = ListingStamp(a[3].Text)).empty() || a[4].Quoted ||
        !ParseDecimal(a[4].Text, UINT32_MAX, size) || mod != size % kWriteBlock || a[5].Quoted ||
        !ParseDecimal(a[5].Text, UINT32_MAX, crc)) {
        Final(out, "ERROR");
        return;
    }
    // Room is checked before any data is asked for; a file of the same name is replaced.
    uint64_t used = UsedUnits();
    for (const StoredFile& f : m_store.List(m_current))
        if (f.Name == a[1].Text) used -= Units(f.Size);
    if (used + Units(size) > CapacityUnits()) {
        Final(out, "+CME ERROR: 2007");
        return;
    }
    m_writeName = a[1].Text;
    m_writeStamp = stamp;
    m_writeSize = size;
    m_writeCrc = static_cast<uint32_t>(crc);
    m_writeData.clear();
    if (size == 0) {
        FinishWrite(out);
        return;
    }
    m_writeData.reserve(static_cast<size_t>(size));
    m_state = State::Writing;
    Send(out, Frame("##>"));
}

void Interpreter::WriteData(const char* data, size_t size, Reply& out) {
    const int64_t cut = m_config.Fault.CutAfterBytes;
    if (cut >= 0 && m_transferBytes + static_cast<int64_t>(size) > cut) {
        size = static_cast<size_t>(std::max<int64_t>(0, cut - m_transferBytes));
        m_dead = true;
    }
    const size_t blocksBefore = m_writeData.size() / kWriteBlock;
    m_writeData.append(data, size);
    m_transferBytes += static_cast<int64_t>(size);
    m_trace.Line(true, "[" + std::to_string(size) + " data bytes, " +
                           std::to_string(m_writeData.size()) + " of " +
                           std::to_string(m_writeSize) + "]");
    if (m_dead) {
        m_trace.Note("the line is cut");
        return;
    }
    if (m_writeData.size() == m_writeSize && m_config.Fault.PromptStorm) {
        m_trace.Note("prompt storm: the write is never finished");
        m_state = State::Storm;
        m_writeData.clear();
        m_line.clear();
        StormPrompt(out, m_lastInputMs);
    } else if (m_writeData.size() == m_writeSize) {
        FinishWrite(out);
    } else if (const int64_t early = m_config.Fault.EarlyOkAfter;
               early >= 0 && m_writeData.size() >= static_cast<uint64_t>(early)) {
        // A firmware that declares the file written before its announced end.
        m_trace.Note("early OK: the write ends cut");
        const bool stored = m_store.Put(m_current, m_writeName, m_writeData, m_writeStamp);
        Final(out, stored ? "OK" : "+CME ERROR: 2007");
    } else if (m_writeData.size() / kWriteBlock > blocksBefore)
        Send(out, Frame("##>"));
}

void Interpreter::StormPrompt(Reply& out, int64_t nowMs) {
    Send(out, Frame("##>"));
    m_lastPromptMs = nowMs;
    ++m_stormPrompts;
}

void Interpreter::FinishWrite(Reply& out) {
    if (Crc32(m_writeData) != m_writeCrc) {
        Final(out, "+CME ERROR: 105");
        return;
    }
    const bool stored = m_store.Put(m_current, m_writeName, m_writeData, m_writeStamp);
    // Some firmware prompts once more after the last block and then gives its result.
    if (m_config.Fault.ExtraPrompt && m_writeSize > 0) Send(out, Frame("##>"));
    Final(out, stored ? "OK" : "+CME ERROR: 2007");
}

void Interpreter::CmdErase(const std::string& args, Reply& out) {
    std::vector<Arg> a;
    if (!ParseArgs(args, a) || a.size() != 2 || a[0].Quoted || a[0].Text != "-1" || !a[1].Quoted) {
        Final(out, "ERROR");
        return;
    }
    const bool removed = IsValidFileName(a[1].Text) && m_store.Remove(m_current, a[1].Text);
    Final(out, removed ? "OK" : "+CME ERROR: 2000");
}

void Interpreter::CmdInfo(Reply& out) {
    const uint64_t capacity = CapacityUnits();
    const uint64_t used = std::min(capacity, UsedUnits());
    Send(out, Frame("+FSIF: " + std::to_string(capacity * 16) + "," +
                    std::to_string((capacity - used) * 16)));
    Final(out, "OK");
}

}  // namespace q7k3::emu
