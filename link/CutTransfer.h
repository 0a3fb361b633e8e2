#pragma once
// A write cut short leaves the phone waiting for the rest of its data: it gives the write up
// only once no byte has come for kPhoneGivesUpWriteMs, and until then every byte sent to it,
// a command too, is taken as more data. A program killed in the middle of a write cannot say
// so; its mark does. While the data of a write goes, a mark for the port lies beside the
// program's data (touched as the data goes); the phone's answer to the write takes it away.
// The next program to open that port finds a mark left behind and waits, sending nothing,
// until the phone has given that write up.

#include <cstdint>
#include <string>

namespace q7k3 {

inline constexpr int64_t kPhoneGivesUpWriteMs = 15000;

class CutTransferMark {
public:
    // Marks a write under way on `port` (its name as the port was opened).
    explicit CutTransferMark(std::string port);
    // The data went on: the mark's time follows it (at most twice a second).
    void DataSent();
    // The phone answered the write: nothing is left waiting.
    void Ended();
    // Without Ended the mark stays: the phone may still be waiting.
    ~CutTransferMark() = default;
    CutTransferMark(const CutTransferMark&) = delete;
    CutTransferMark& operator=(const CutTransferMark&) = delete;

private:
    std::string m_path;
    int64_t m_touchedMs = 0;
};

// How long the phone on `port` may still be waiting for the data of a write cut short, in
// milliseconds (with a second to spare); 0 when no write was cut there lately. A mark that
// has outlived the phone's wait goes.
int64_t CutTransferWaitMs(const std::string& port);
// Takes the mark of `port` away once its wait is over.
void DropCutTransferMark(const std::string& port);

}  // namespace q7k3
