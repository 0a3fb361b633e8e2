#include "link/AtChannel.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "base/Messages.h"

namespace q7k3 {

bool ContainsText(std::string_view haystack, std::string_view needle) {
    return haystack.find(needle) != std::string_view::npos;
}

AtChannel::AtChannel(ChannelPort& port, LinkClock& clock) : m_port(port), m_clock(clock) {}

void AtChannel::ReceiveData(const void* data, size_t size) {
    ResponseComplete = true;
    m_exchangeBytes += size;
    if (ReceiveBuffer.size() + size > kReceiveLimit) {
        // Garbage without line ends: drop it and let the running wait fail.
        ReceiveBuffer.clear();
        m_overflow = true;
        return;
    }
    ReceiveBuffer.append(static_cast<const char*>(data), size);
}

bool AtChannel::TakeOverflow() {
    const bool was = m_overflow;
    m_overflow = false;
    return was;
}

std::string AtChannel::TakeLine() {
    const size_t pos = ReceiveBuffer.find("\r\n");
    if (pos == std::string::npos) return {};
    std::string line = ReceiveBuffer.substr(0, pos + 2);
    ReceiveBuffer.erase(0, pos + 2);
    return line;
}

int64_t AtChannel::LineMs(size_t bytes) const {
    const uint32_t rate = m_port.LineRate() > 0 ? m_port.LineRate() : kSlowestRate;
    // Ten bits a byte on the line: start, eight data bits, stop.
    return static_cast<int64_t>(bytes) * 10 * 1000 / rate;
}

int64_t AtChannel::AnswerBudgetMs(const CommandSpec& spec) const {
    return static_cast<int64_t>(spec.firstTimeoutMs) + spec.nextTimeoutMs +
           kLineFactor * LineMs(spec.answerBytes) +
           static_cast<int64_t>(spec.roundTrips) * kRoundTripMs;
}

void AtChannel::BeginExchange(int64_t baseMs, int64_t capMs, size_t byteLimit) {
    // An exchange inside another (a caller's own around a command): the outer bound stays.
    if (m_exchangeDepth++ > 0) return;
    m_start = m_clock.NowMs();
    m_base = baseMs;
    m_cap = std::max(capMs, baseMs);
    m_byteLimit = byteLimit;
    m_exchangeBytes = 0;
    m_sentBytes = 0;
    m_blocks = 0;
    m_cut = 0;
    m_progressAt = m_start;
    m_abortSeenAt = -1;
}

void AtChannel::EndExchange() {
    if (m_exchangeDepth > 0) --m_exchangeDepth;
}

int64_t AtChannel::ExchangeDeadline() const {
    if (m_exchangeDepth == 0) return -1;
    const int64_t credit = m_base + kLineFactor * LineMs(m_exchangeBytes + m_sentBytes) +
                           static_cast<int64_t>(m_blocks) * kRoundTripMs;
    return m_start + std::min(credit, m_cap);
}

void AtChannel::MarkProgress() {
    m_progressAt = m_clock.NowMs();
    ++m_blocks;
}

bool AtChannel::AbortRaised() const {
    return (AbortFlag && AbortFlag->load()) || (Stop && Stop->Raised());
}

bool AtChannel::ExchangeCut() {
    if (m_exchangeDepth == 0) return false;
    if (m_cut != 0) return true;
    const int64_t now = m_clock.NowMs();
    if (m_port.Gone()) {
        // No answer can come through a port whose device went away: said at once, not
        // after the time-outs.
        m_cut = kErrPortGone;
    } else if (m_exchangeBytes > m_byteLimit) {
        m_cut = kErrGarbled;
    } else if (now > ExchangeDeadline()) {
        // Nothing came at all: silence, whatever the waits in between. Bytes, but far more
        // than the answer could hold: nonsense, not a slow answer.
        if (m_exchangeBytes == 0) {
            m_cut = kErrTimeout;
        } else {
            m_cut = m_exchangeBytes > m_byteLimit / 2 ? kErrGarbled : kErrUnfinished;
        }
    } else if (AbortRaised()) {
        if (m_abortSeenAt < 0) m_abortSeenAt = now;
        if (now - std::max(m_abortSeenAt, m_progressAt) >= kAbortGraceMs) m_cut = kErrAborted;
    }
    return m_cut != 0;
}

Failure AtChannel::WaitFailure() const {
    if (m_cut == kErrPortGone || (m_cut == 0 && m_port.Gone())) {
        return {kErrPortGone, m_port.Name()};
    }
    return {m_cut != 0 ? m_cut : kErrTimeout, {}};
}

LineAction AtChannel::Refuse(Failure failure) {
    m_refusal = std::move(failure);
    return LineAction::Failure;
}

bool AtChannel::WaitResponse(int timeoutMs) {
    ResponseComplete = false;
    const int step = Step();
    // The wait gives up once more whole steps have passed than the time-out holds; a step
    // ends early when bytes arrive.
    const int64_t limit = static_cast<int64_t>(timeoutMs / step) * step;
    const int64_t start = m_clock.NowMs();
    while (!ResponseComplete) {
        m_clock.WaitForInput(step);
        if (TakeOverflow()) {
            if (m_exchangeDepth > 0 && m_cut == 0) m_cut = kErrGarbled;
            return false;
        }
        if (ExchangeCut() || m_port.Gone()) return false;
        if (m_clock.NowMs() - start > limit) return false;
    }
    // Data that keeps coming does not end the wait's exchange: its bound does.
    return !ExchangeCut();
}

Status AtChannel::WaitResponseResending(std::string_view text, int timeoutMs) {
    ResponseComplete = false;
    const int step = Step();
    const int64_t limit = static_cast<int64_t>(timeoutMs / step) * step;
    const int64_t quarter = static_cast<int64_t>(timeoutMs / (4 * step)) * step;
    const int64_t start = m_clock.NowMs();
    int64_t nextResend = quarter;
    while (!ResponseComplete) {
        m_clock.WaitForInput(step);
        const int64_t elapsed = m_clock.NowMs() - start;
        if (TakeOverflow() && m_exchangeDepth > 0 && m_cut == 0) m_cut = kErrGarbled;
        if (ExchangeCut() || m_port.Gone() || elapsed > limit) return Fail(WaitFailure());
        // Re-send only while the phone is still silent: a command repeated after its
        // answer has begun would reach the phone as a second command (or as file data).
        if (quarter > 0 && elapsed >= nextResend && !ResponseComplete) {
            Send(text);
            nextResend += quarter;
        }
    }
    return {};
}

std::optional<long> AtChannel::DecodeCmeError(const std::string& line) {
    const size_t at = line.find(kCme);
    if (at == std::string::npos) return std::nullopt;
    std::string_view code(line);
    code.remove_prefix(at + kCme.size());
    if (code.size() >= 2 && code.substr(code.size() - 2) == "\r\n") code.remove_suffix(2);
    if (code.empty()) return std::nullopt;
    long value = 0;
    const auto [end, ec] = std::from_chars(code.data(), code.data() + code.size(), value);
    if (ec != std::errc() || end != code.data() + code.size()) return std::nullopt;
    return value;
}

Status AtChannel::PingPhone() {
    Send("\r");
    if (!WaitResponse(2500)) return Fail(WaitFailure());
    return {};
}

void AtChannel::Send(std::string_view bytes) {
    if (bytes.empty() || m_silenced) return;
    if (m_exchangeDepth > 0) m_sentBytes += bytes.size();
    m_port.SendData(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

void AtChannel::ClearReceive() {
    ReceiveBuffer.clear();
    ResponseComplete = false;
}

LineAction AtChannel::CmeFailure(const std::string& line) {
    const std::optional<long> code = DecodeCmeError(line);
    if (!code) return Refuse({kErrBadAnswer, {}});
    if (IsKnownCmeCode(*code)) return Refuse({static_cast<int>(*code), {}});
    // Any other code still fails with a reason: the phone's own words.
    std::string said = line.substr(line.find(kCme));
    if (said.ends_with("\r\n")) said.resize(said.size() - 2);
    return Refuse({kErrText, Msg(kMsgErrorCaption) + ": " + said});
}

LineAction AtChannel::StandardLine(const std::string& line) {
    if (line == kOk) return LineAction::Success;
    if (ContainsText(line, kCme)) return CmeFailure(line);
    // A bare ERROR is the phone's final answer too: waiting on would only end in a time-out.
    if (line == kError) return Refuse({kErrRefused, {}});
    return LineAction::Skip;
}

void AtChannel::AnswerBatchEnd() {
    const size_t at = ReceiveBuffer.find(kBatchEnd);
    if (at == std::string::npos) return;
    ReceiveBuffer.erase(at, 4);
    MarkProgress();
    Send(kPrompt);
}

namespace {
// Whether a + b ends with tail, without joining them.
bool EndsWithJoined(const std::string& a, const std::string& b, std::string_view tail) {
    if (a.size() + b.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        const size_t pos = a.size() + b.size() - tail.size() + i;
        const char c = pos < a.size() ? a[pos] : b[pos - a.size()];
        if (c != tail[i]) return false;
    }
    return true;
}
}  // namespace

static std::optional<size_t> DeclaredBlockLength(std::string_view head) {
    // "+FSFR: <number>,<length>,<data>": the second field, when it is a decimal number.
    const size_t first = head.find(',');
    if (first == std::string_view::npos) return std::nullopt;
    const size_t second = head.find(',', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const std::string_view field = head.substr(first + 1, second - first - 1);
    size_t value = 0;
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || ec != std::errc() || end != field.data() + field.size()) {
        return std::nullopt;
    }
    return value;
}

Expected<std::string> AtChannel::ReadBlock(const std::string& firstLine, int timeoutMs) {
    std::string block;
    // Where the data begins, and how long the phone says it is. The block ends where its
    // declared length puts the "#OK#\r\n" frame; the data's own "#OK#\r\n" before that point
    // is data. A length that is no number, or one the frame does not follow, falls back on
    // the end of what has arrived: while the data is shorter than its declared length the
    // channel waits for the rest, and otherwise takes the end after a short settling wait.
    const size_t comma = firstLine.find(',');
    const size_t dataAt =
        comma == std::string::npos ? std::string::npos : firstLine.find(',', comma + 1);
    std::optional<size_t> declared = DeclaredBlockLength(firstLine);
    if (declared && *declared > kMaxBlockData) declared.reset();
    const auto joined = [&](size_t pos) {
        return pos < firstLine.size() ? firstLine[pos] : ReceiveBuffer[pos - firstLine.size()];
    };
    for (;;) {
        // Where the declared length puts the block's end. A line the phone sends after it
        // (a "RING" between blocks) stays in the buffer for the command's line handling.
        if (declared) {
            const size_t end = dataAt + 1 + *declared;
            const size_t have = firstLine.size() + ReceiveBuffer.size();
            bool framed = have >= end + kBatchEnd.size();
            for (size_t i = 0; framed && i < kBatchEnd.size(); ++i)
                framed = joined(end + i) == kBatchEnd[i];
            if (framed) {
                block.assign(firstLine, 0, std::min(end, firstLine.size()));
                if (end > firstLine.size()) block.append(ReceiveBuffer, 0, end - firstLine.size());
                ReceiveBuffer.erase(
                    0, std::max(end + kBatchEnd.size(), firstLine.size()) - firstLine.size());
                MarkProgress();
                return block;
            }
        }
        if (EndsWithJoined(firstLine, ReceiveBuffer, kBatchEnd)) {
            const size_t have = firstLine.size() + ReceiveBuffer.size() - kBatchEnd.size();
            const size_t data = dataAt == std::string::npos ? have : have - (dataAt + 1);
            if (!declared || data >= *declared) break;
            // Perhaps the data's own sequence: give the rest its line time to come.
            const int settleMs =
                static_cast<int>(kLineFactor * LineMs(*declared - data + kBatchEnd.size())) + 200;
            if (!WaitResponse(settleMs)) {
                if (m_cut != 0) {
                    ClearReceive();
                    return Fail(WaitFailure());
                }
                break;  // nothing more came: that was the block's end
            }
            continue;
        }
        if (firstLine.size() + ReceiveBuffer.size() > kReceiveLimit) {
            ClearReceive();
            return Fail({kErrBadAnswer, {}});
        }
        if (!WaitResponse(timeoutMs)) {
            ClearReceive();
            return Fail(WaitFailure());
        }
    }
    block.reserve(firstLine.size() + ReceiveBuffer.size());
    block = firstLine;
    block += ReceiveBuffer;
    ReceiveBuffer.clear();
    block.resize(block.size() - kBatchEnd.size());
    MarkProgress();
    return block;
}

Status AtChannel::RunCommand(const CommandSpec& spec) {
    const size_t byteLimit = spec.answerBytes * kFloodFactor + kFloodSlack;
    // The base leaves the per-step waits a round trip of room: a phone that uses each
    // of them to its last step is slow, not stuck.
    const int64_t base =
        static_cast<int64_t>(spec.firstTimeoutMs) + spec.nextTimeoutMs + kRoundTripMs;
    BeginExchange(base, AnswerBudgetMs(spec) + kRoundTripMs, byteLimit);
    m_refusal.reset();
    Status done = RunExchange(spec);
    EndExchange();
    return done;
}

Status AtChannel::RunExchange(const CommandSpec& spec) {
    if (m_silenced) return Fail({kErrAborted, {}});
    // What came since the last command is in the buffer before the clear, as if it had
    // been taken the moment it arrived.
    m_clock.TakeInput();
    if (spec.clearBefore) ClearReceive();
    Send(spec.text);
    if (!WaitResponseResending(spec.text, spec.firstTimeoutMs) &&
        (spec.firstTimeoutFails || m_cut != 0)) {
        ClearReceive();
        return Fail(WaitFailure());
    }
    for (;;) {
        // A phone that keeps the buffer full never lets the wait run: the bound is
        // checked on every round as well.
        if (ExchangeCut() || (!ResponseComplete && !WaitResponse(spec.nextTimeoutMs))) {
            ClearReceive();
            return Fail(WaitFailure());
        }
        if (spec.batched) AnswerBatchEnd();
        for (;;) {
            const std::string line = TakeLine();
            if (line.empty()) break;
            if (spec.batched && line == kBatchEnd) {
                // A second batch end in one delivery: it needs its own prompt.
                Send(kPrompt);
                continue;
            }
            LineAction action = spec.onLine ? spec.onLine(line) : LineAction::Standard;
            if (action == LineAction::Standard) action = StandardLine(line);
            if (action == LineAction::Success) {
                ClearReceive();
                return {};
            }
            if (action == LineAction::Failure) {
                // A handler that gave no reason: the phone would not do it.
                Failure why = m_refusal ? *m_refusal : Failure{kErrRefused, {}};
                m_refusal.reset();
                return Fail(std::move(why));
            }
            if (action == LineAction::StopTaking) break;
        }
        ResponseComplete = false;
    }
}

}  // namespace q7k3
