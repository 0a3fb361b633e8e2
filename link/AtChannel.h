#pragma once
// The AT command channel: turns the port's byte stream into the request-response
// exchanges of the phone's AT commands. It runs on the link's thread: a command writes its
// text, then blocks on the port in steps of at most PollStep ms; a step ends as soon as the
// phone's bytes arrive, and the clock appends them to ReceiveBuffer.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/Failure.h"
#include "link/LinkClock.h"
#include "base/StopSignal.h"

namespace q7k3 {

// Answer framing: the tokens the command routines look for.
inline constexpr std::string_view kOk = "OK\r\n";          // a whole line: success
inline constexpr std::string_view kCme = "+CME ERROR: ";   // in a line, a code follows
inline constexpr std::string_view kError = "ERROR\r\n";    // a whole line: refused, no reason
inline constexpr std::string_view kBatchEnd = "#OK#\r\n";  // end of one batch of a long answer
inline constexpr std::string_view kPrompt = "##>\r\n";     // continuation prompt, both ways

// The outgoing side of the serial port, as the channel sees it.
class ChannelPort {
public:
    virtual ~ChannelPort() = default;
    // Writes the bytes (with the port's inactivity limit); returns how many went out.
    virtual uint32_t SendData(const void* data, uint32_t size) = 0;
    // The line rate in bits per second; 0 when it is not known.
    virtual uint32_t LineRate() const { return 0; }
    // True once the device went away under the open port: no answer can come any more.
    virtual bool Gone() const { return false; }
    // The port's name, for the message that says it is gone.
    virtual std::string Name() const { return {}; }
};

// What a command's line handler says about one line taken from ReceiveBuffer.
enum class LineAction {
    Skip,        // consumed and dropped; take the next line
    Success,     // the command succeeded: ReceiveBuffer is cleared
    Failure,     // the command failed; the handler said why with AtChannel::Refuse
    StopTaking,  // stop taking lines and wait for more data
    Standard,    // not a line of this command: the channel's standard handling (StandardLine)
};

// One phone command: "send, wait for the first data, take lines until a terminator".
struct CommandSpec {
    std::string text;               // sent first, and re-sent while the phone is silent
    bool clearBefore = true;        // clear ReceiveBuffer and ResponseComplete first
    int firstTimeoutMs = 5000;      // WaitResponseResending for the first data
    bool firstTimeoutFails = true;  // false: ignore it and let the next wait time out
    int nextTimeoutMs = 2500;       // WaitResponse for every further batch of data
    // The answer comes in batches, each closed by "#OK#", and the phone sends the next
    // only after the prompt "##>": the channel answers every batch end.
    bool batched = false;
    // Classifies one line (with its CR LF). Null, or a result of Standard: StandardLine.
    std::function<LineAction(const std::string& line)> onLine;
    // The most the whole answer may hold and the prompts it takes. The waits above restart
    // with every byte that arrives; these bound the exchange as a whole (AnswerBudgetMs).
    size_t answerBytes = 512;
    int roundTrips = 0;
};

class AtChannel {
public:
    // A phone that streams bytes without line ends cannot grow ReceiveBuffer past this.
    static constexpr size_t kReceiveLimit = 2 * 1024 * 1024;
    // The phone's block buffer: no read block holds more data.
    static constexpr size_t kMaxBlockData = 600;
    // The whole-exchange bound: the first answer's time-out, one further wait and a round
    // trip, then
    // kLineFactor times the line time of the bytes that have crossed the line and
    // kRoundTripMs for every whole block or batch; never more than the same sum over what
    // the answer may hold at most. Bytes that keep coming without forming blocks (a
    // trickle, a "RING" now and then) thus cannot keep an exchange alive.
    static constexpr int kLineFactor = 4;
    static constexpr int kRoundTripMs = 500;
    // The rate assumed when the port does not tell: the slowest the phones are used at.
    static constexpr uint32_t kSlowestRate = 9600;
    // An exchange that receives more than this many times its expected bytes (and
    // kFloodSlack more) is a phone talking nonsense.
    static constexpr size_t kFloodFactor = 4;
    static constexpr size_t kFloodSlack = 64 * 1024;
    // How long a raised abort lets a running exchange go on without progress (a whole
    // block or batch) before it is cut. A healthy transfer goes on to its end, so that the
    // phone is left in step; the command then stops between files.
    static constexpr int kAbortGraceMs = 1000;

    AtChannel(ChannelPort& port, LinkClock& clock);

    // State of the communication module. Public, as the command routines of every layer
    // work on it directly.
    std::string ReceiveBuffer;      // everything received and not yet taken; may hold NUL
    bool ResponseComplete = false;  // new data arrived since the last clear
    std::string PhoneModel;         // model line read with AT+CGMM, or "ERROR"
    // The serial number read with AT+CGSN once it was asked for ("" for a phone that has
    // none); forgotten whenever the model is read, as the phone may be another one.
    std::optional<std::string> PhoneSerial;
    int PollStep = 1;               // the longest wait step in ms: 1, 10 or 50; never 0
    // The abort: the progress dialog's button, and a stop from outside (the program
    // closing, an interrupt). Either ends a stalled exchange within kAbortGraceMs
    // (kErrAborted). Null: none.
    const std::atomic<bool>* AbortFlag = nullptr;
    const StopSignal* Stop = nullptr;

    // The port's OnReceiveData handler: marks new data and appends it, interpreting nothing.
    void ReceiveData(const void* data, size_t size);

    // Everything up to and including the first CR LF, removed from the front of
    // ReceiveBuffer; the empty string when no complete line is buffered.
    std::string TakeLine();

    // Waits until new data arrives or the time-out passes (false).
    bool WaitResponse(int timeoutMs);
    // Like WaitResponse, re-sending `text` at every quarter of the time-out while the
    // phone is silent; fails with WaitFailure when it gives up.
    Status WaitResponseResending(std::string_view text, int timeoutMs);

    // The code of "+CME ERROR: <code>\r\n"; empty when it is not a decimal number.
    static std::optional<long> DecodeCmeError(const std::string& line);
    // A refusal fails the command with a reason: the codes the program knows as they
    // are, any other number as kErrText with the phone's own words beside "Ошибка", a
    // code that is no number as kErrBadAnswer.
    LineAction CmeFailure(const std::string& line);
    // A line handler's refusal: the running command fails with `failure`.
    LineAction Refuse(Failure failure);

    // Keep-alive: one CR without clearing ReceiveBuffer; any answer within 2500 ms counts.
    Status PingPhone();

    void Send(std::string_view bytes);
    void ClearReceive();

    // A write left cut as the program ends: the phone takes every byte for more of its data,
    // so from now on nothing is sent and every command fails at once (kErrAborted), until
    // the next connection has waited the phone out (EndSilence).
    void Silence() { m_silenced = true; }
    bool Silenced() const { return m_silenced; }
    void EndSilence() { m_silenced = false; }

    // The command pattern shared by every phone command: its success, or why it failed.
    Status RunCommand(const CommandSpec& spec);
    // The usual terminators: "OK\r\n" succeeds, a "+CME ERROR: " line fails with its
    // reason (CmeFailure), a bare "ERROR\r\n" with kErrRefused; any other line is skipped.
    LineAction StandardLine(const std::string& line);

    // Batch framing: when a batch end "#OK#\r\n" has arrived, removes its "#OK#" (the
    // CR LF stays behind as an empty line) and sends the prompt.
    void AnswerBatchEnd();
    // Block framing of a file read: a data block is `firstLine` plus whatever follows up
    // to the block end "#OK#\r\n" (the data may hold CR LF, and "#OK#\r\n", itself; the
    // phone sends nothing after a block until it is prompted). The block's second field
    // is its data length: an end that comes before it is data. Waits for the rest, takes
    // it out of ReceiveBuffer and returns the block without its end. Fails on a time-out
    // or a block past the receive limit.
    Expected<std::string> ReadBlock(const std::string& firstLine, int timeoutMs);

    // The longest the exchange of `spec` may take as a whole, in ms, at the port's rate.
    int64_t AnswerBudgetMs(const CommandSpec& spec) const;
    // The line time of `bytes` at the port's rate, in ms.
    int64_t LineMs(size_t bytes) const;
    // The whole-exchange bound of RunCommand, for a caller that runs an exchange of its
    // own: from now on every wait fails once the exchange has run past `baseMs` plus its
    // credit for the bytes and blocks that came (never past `capMs`), or has received
    // more than `byteLimit` bytes. An exchange inside another keeps the outer bound;
    // EndExchange lifts the bound of the outermost one.
    void BeginExchange(int64_t baseMs, int64_t capMs, size_t byteLimit);
    void EndExchange();
    // A whole block or batch went out or came in: a raised abort counts its grace from here.
    void MarkProgress();
    // Why the last wait gave up: kErrTimeout for silence, or the reason that cut the
    // exchange (kErrUnfinished, kErrGarbled, kErrAborted, kErrPortGone with the port).
    Failure WaitFailure() const;
    // Bytes received since the exchange began.
    size_t ExchangeBytes() const { return m_exchangeBytes; }
    // When the running exchange must end, as things stand (clock time, ms); -1 outside one.
    int64_t ExchangeDeadline() const;

    LinkClock& Clock() { return m_clock; }
    ChannelPort& Port() { return m_port; }

    // True once after the receive limit was hit (the buffer was dropped); the waits then
    // give up as on a time-out.
    bool TakeOverflow();

private:
    int Step() const { return PollStep > 0 ? PollStep : 1; }
    Status RunExchange(const CommandSpec& spec);
    // True when the running exchange must end now (its reason in m_cut).
    bool ExchangeCut();
    bool AbortRaised() const;

    ChannelPort& m_port;
    LinkClock& m_clock;
    bool m_overflow = false;
    bool m_silenced = false;
    // The running exchange: its depth, end, byte limit and the reason that cut it.
    int m_exchangeDepth = 0;
    int64_t m_start = 0;
    int64_t m_base = 0;
    int64_t m_cap = 0;
    size_t m_sentBytes = 0;
    int m_blocks = 0;
    size_t m_byteLimit = 0;
    size_t m_exchangeBytes = 0;
    int m_cut = 0;
    int64_t m_progressAt = 0;
    int64_t m_abortSeenAt = -1;
    // A line handler's refusal of the running command.
    std::optional<Failure> m_refusal;
};

bool ContainsText(std::string_view haystack, std::string_view needle);

}  // namespace q7k3
