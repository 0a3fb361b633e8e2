#pragma once
// The AT command channel: turns the port's byte stream into the request-response
// exchanges of the phone's AT commands. Everything runs on the user-interface thread: a
// command writes its text, then waits in steps of PollStep ms that pump events, which is
// how the port's poll tick appends the phone's answer to ReceiveBuffer.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "link/EventPump.h"
#include "link/Failure.h"

namespace q7k3 {


// Answer framing: the tokens the command routines look for.
inline constexpr std::string_view kOk = "OK\r\n";            // a whole line: success
inline constexpr std::string_view kCme = "+CME ERROR: ";      // in a line, a code follows
inline constexpr std::string_view kBatchEnd = "#OK#\r\n";    // end of one batch of a long answer
inline constexpr std::string_view kPrompt = "##>\r\n";       // continuation prompt, both ways

// The outgoing side of the serial port, as the channel sees it.
class ChannelPort {
public:
    virtual ~ChannelPort() = default;
    // Writes the bytes (with the port's inactivity limit); returns how many went out.
    virtual uint32_t SendData(const void* data, uint32_t size) = 0;
};

// What a command's line handler says about one line taken from ReceiveBuffer.
enum class LineAction {
    Skip,        // consumed and dropped; take the next line
    Success,     // the command succeeded: ReceiveBuffer is cleared
    Failure,     // the command failed; the handler has set LastError (DecodeCmeError, ...)
    StopTaking,  // stop taking lines and wait for more data
    Standard,    // not a line of this command: the channel's standard handling (StandardLine)
};

// One phone command: "send, wait for the first data, take lines until a terminator".
struct CommandSpec {
    std::string text;                // sent first, and re-sent while the phone is silent
    bool clearBefore = true;         // clear ReceiveBuffer and ResponseComplete first
    int firstTimeoutMs = 5000;       // WaitResponseResending for the first data
    bool firstTimeoutFails = true;   // false: ignore it and let the next wait time out
    int nextTimeoutMs = 2500;        // WaitResponse for every further batch of data
    // The answer comes in batches, each closed by "#OK#", and the phone sends the next
    // only after the prompt "##>": the channel answers every batch end.
    bool batched = false;
    // Classifies one line (with its CR LF). Null, or a result of Standard: StandardLine.
    std::function<LineAction(const std::string& line)> onLine;
};

class AtChannel {
public:
    // A phone that streams bytes without line ends cannot grow ReceiveBuffer past this.
    static constexpr size_t kReceiveLimit = 2 * 1024 * 1024;

    AtChannel(ChannelPort& port, EventPump& pump);

    // State of the communication module. Public, as the command routines of every layer
    // work on it directly.
    std::string ReceiveBuffer;      // everything received and not yet taken; may hold NUL
    bool ResponseComplete = false;  // new data arrived since the last clear
    int LastError = 0;              // never reset to 0 by the channel itself
    std::string ErrorText;          // shown when LastError is kErrText
    std::string PhoneModel;         // model line read with AT+CGMM, or "ERROR"
    int PollStep = 1;               // ms per wait step: 1, 10 or 50; never 0

    // The port's OnReceiveData handler: marks new data and appends it, interpreting nothing.
    void Comm321ReceiveData(const void* data, size_t size);

    // Everything up to and including the first CR LF, removed from the front of
    // ReceiveBuffer; the empty string when no complete line is buffered.
    std::string TakeLine();

    // Waits until new data arrives or the time-out passes. Does not touch LastError.
    bool WaitResponse(int timeoutMs);
    // Like WaitResponse, re-sending `text` at every quarter of the time-out while the
    // phone is silent; sets LastError to kErrTimeout when it gives up.
    bool WaitResponseResending(std::string_view text, int timeoutMs);

    // For "+CME ERROR: <code>\r\n": stores 11, 105, 2000 and 2007 in LastError; any other
    // number leaves it as it was. Returns false when the code is not a decimal number.
    bool DecodeCmeError(const std::string& line);
    // A refusal fails the command with a reason: the codes the program knows as they
    // are, any other number as kErrText with the phone's own words beside "Ошибка", a
    // code that is no number as kErrBadAnswer.
    LineAction CmeFailure(const std::string& line);

    // Keep-alive: one CR without clearing ReceiveBuffer; any answer within 2500 ms counts.
    bool PingPhone();

    void Send(std::string_view bytes);
    void ClearReceive();

    // The command pattern shared by every phone command.
    bool RunCommand(const CommandSpec& spec);
    // The usual terminators: "OK\r\n" succeeds, a "+CME ERROR: " line fails with its
    // reason (CmeFailure); any other line is skipped.
    LineAction StandardLine(const std::string& line);

    // Batch framing: when a batch end "#OK#\r\n" has arrived, removes its "#OK#" (the
    // CR LF stays behind as an empty line) and sends the prompt.
    void AnswerBatchEnd();
    // Block framing of a file read: a data block is `firstLine` plus whatever follows up
    // to the block end "#OK#\r\n" (the data may hold CR LF itself; the phone sends nothing
    // after a block until it is prompted). Waits for the rest, takes it out of
    // ReceiveBuffer and returns the block without its end. False with LastError set on a
    // time-out or a block past the receive limit.
    bool ReadBlock(const std::string& firstLine, int timeoutMs, std::string& block);

    EventPump& Pump() { return m_pump; }
    ChannelPort& Port() { return m_port; }

    // True once after the receive limit was hit (the buffer was dropped); the waits then
    // give up as on a time-out.
    bool TakeOverflow();

private:
    int Step() const { return PollStep > 0 ? PollStep : 1; }

    ChannelPort& m_port;
    EventPump& m_pump;
    bool m_overflow = false;
};

bool ContainsText(std::string_view haystack, std::string_view needle);

}  // namespace q7k3
