#pragma once
// An SGH phone on a pseudo-terminal. The PC side opens SlavePath() as its serial port; the
// emulator serves the master side on its own thread, answering the AT commands byte for
// byte as the phone does. Tests drive it through this class; q7k3fm-phone wraps it.
//
// Every accessor is safe to call from any thread while the emulator runs.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "emulator/EmulatorConfig.h"
#include "emulator/FileStore.h"

namespace q7k3::emu {
class Interpreter;
class Trace;
struct OutChunk;
}  // namespace q7k3::emu

namespace q7k3 {

using EmulatorConfig = emu::EmulatorConfig;
using StoredFile = emu::StoredFile;

class PhoneEmulator {
public:
    explicit PhoneEmulator(EmulatorConfig config = {});
    ~PhoneEmulator();
    PhoneEmulator(const PhoneEmulator&) = delete;
    PhoneEmulator& operator=(const PhoneEmulator&) = delete;

    // Opens a raw pseudo-terminal and starts serving it; false (see Error()) on failure.
    bool Start();
    // Stops serving, after giving the PC up to two seconds to read what was sent.
    void Stop();
    const std::string& SlavePath() const { return m_slavePath; }
    const std::string& Error() const { return m_error; }

    // Exactly the bytes the PC sent since the start (or the last ClearReceived).
    std::string Received() const;
    void ClearReceived();
    // Command lines seen so far (pings and prompts not counted).
    int CommandCount() const;
    // Commands and pings that came in the middle of another exchange (see Interpreter).
    int Interleaved() const;

    // The phone's files, by folder identifier ("B", "/Sounds/Ring"; " " is the root).
    // rawStamp is listed as it is ("2006/05/04 12:00:00"); empty: now.
    bool PutFile(const std::string& folderId, const std::string& name, const std::string& bytes,
                 const std::string& rawStamp = {});
    std::optional<std::string> GetFile(const std::string& folderId, const std::string& name) const;
    std::vector<StoredFile> ListFiles(const std::string& folderId) const;
    bool RemoveFile(const std::string& folderId, const std::string& name);
    // Lists `line` (e.g. "+FSDL: \"x\",0,0,0,0,12a,\"2006/13/01 00:00:00\"") after the
    // folder's files, as the phone would send a malformed entry.
    bool InjectListingLine(const std::string& folderId, const std::string& line);
    // The folder identifier of a path ("mms/camera/image", "Sounds/Ring"); empty if none.
    std::string FolderId(const std::string& path) const;

    // The phonebook entries ("SM", "ME") and stored messages ("ME", "SM", "SR") as they stand.
    std::vector<emu::PimContact> Contacts(const std::string& store) const;
    std::vector<emu::PimMessage> Messages(const std::string& store) const;

    // The AT+CGMM answer; the folder identifiers follow the model's family.
    void SetModel(const std::string& model);
    // The AT+CGSN answer: another phone of the same model; "ERROR": a phone without one.
    void SetSerial(const std::string& serial);

    // Faults. Counts run from the moment of the call.
    void FallSilentAfter(int commands);        // answer this many, then nothing at all
    void DropCommand(int nth = 1);             // the nth command goes unanswered, once
    void CutLineAfter(int64_t transferBytes);  // dead line after so many data bytes
    void CorruptReadCrc(bool on);
    void FailCommand(const std::string& prefix, int cmeCode);  // e.g. ("AT+FSFE", 2000)
    void FailName(const std::string& name, int cmeCode);       // a file name or folder id
    void SetUnsolicited(const std::string& line);              // sent after every complete answer
    void SendUnsolicited(const std::string& line);  // sent once, as soon as the line is idle
    // After so many commands, answers trickle out a byte every everyMs, then noise for ever.
    void TrickleAfter(int commands, int everyMs);
    void FloodAfter(int commands);     // then garbage bytes without end
    void EndlessRead(bool on);         // reads go on past the file's end
    void PromptStorm(bool on);         // writes are prompted for ever, never finished
    void EarlyOkAfter(int64_t bytes);  // a write says OK (keeping what it has) after so many bytes
    void FanOut(int subfolders);       // PIMS: every folder also lists so many subfolders
    // The line at random line boundaries inside answers and every everyMs.
    void UnsolicitedAnywhere(const std::string& line, int everyMs = 1000);
    // Answers in random pieces (the seed is the config's), up to maxDelayMs apart; -1: whole.
    void SplitAnswers(int maxDelayMs);
    // Lifts every fault, a cut line included.
    void ClearFaults();

private:
    void Serve();
    bool WriteOut(const std::string& bytes);
    // One answer chunk on the line, with the faults that change how it goes out.
    bool Emit(const emu::OutChunk& chunk, const emu::Faults& f);
    void Flood();
    bool SleepMs(int ms);
    bool SleepUntil(std::chrono::steady_clock::time_point due);
    std::string PathOfId(const std::string& folderId) const;

    mutable std::mutex m_mutex;
    EmulatorConfig m_config;
    std::unique_ptr<emu::Trace> m_trace;
    std::unique_ptr<emu::FileStore> m_store;
    std::unique_ptr<emu::Interpreter> m_interp;
    std::string m_received;
    std::vector<std::string> m_unsolicitedQueue;
    std::mt19937 m_rng;  // the serving thread's only

    std::string m_slavePath;
    std::string m_error;
    int m_master = -1;
    int m_slave = -1;
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace q7k3
