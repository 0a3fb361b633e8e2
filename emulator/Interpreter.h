#pragma once
// The phone's AT interpreter: bytes from the PC in, bytes for the PC out. It knows nothing of
// the port; the emulator feeds it what it reads and sends what it returns, pacing it.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "emulator/EmulatorConfig.h"
#include "emulator/FileStore.h"
#include "emulator/FolderMap.h"
#include "emulator/PimStores.h"
#include "emulator/Trace.h"

namespace q7k3::emu {

struct OutChunk {
    int DelayMs = 0;  // wait this long before sending (the phone thinking)
    std::string Bytes;
    std::string Shown;  // how the trace shows it; empty: the bytes, escaped
    bool Raw = false;   // carries file data: nothing may be slipped inside it
};

class Interpreter {
public:
    // The config is read on every command, so changes made under the owner's lock apply at
    // once. Call Reconfigure after changing the model or PIMS mode.
    Interpreter(EmulatorConfig& config, FileStore& store, Trace& trace);

    // Everything the PC sent; nowMs is a monotonic clock for the write time-out.
    std::vector<OutChunk> Feed(const char* data, size_t size, int64_t nowMs);
    // Gives up a write whose data stopped coming, as the phone does; a prompt storm prompts
    // again when the PC pauses.
    std::vector<OutChunk> Tick(int64_t nowMs);
    // Between commands, with no partial line: a good moment for an unsolicited line.
    bool Idle() const;
    std::vector<OutChunk> Unsolicited(const std::string& line);

    void Reconfigure();
    const FolderMap& Map() const { return m_map; }
    const PimStores& Pim() const { return m_pim; }
    // A raw "+FSDL: ..." line listed after the folder's files (for malformed-answer tests).
    void InjectListingLine(const std::string& folderPath, const std::string& line);
    // Back to a working line: the cut and silence faults are lifted.
    void Revive();
    int CommandCount() const { return m_commands; }
    // Commands (and keep-alive pings) that came while an earlier answer was still under way:
    // a PC that runs one exchange inside another.
    int Interleaved() const { return m_interleaved; }

    static constexpr size_t kMaxLine = 4096;
    static constexpr int kWriteTimeoutMs = 15000;
    static constexpr int kStormPauseMs = 500;
    // The name of the Nth made-up subfolder of the fan-out fault.
    static std::string FanOutName(int n);

private:
    enum class State { Command, Listing, Reading, Writing, Storm };

    struct Reply {
        std::vector<OutChunk> chunks;
        bool delayed = false;  // the latency went on the first answer chunk already
    };

    void HandleLine(const std::string& line, Reply& out);
    void Dispatch(const std::string& line, Reply& out);
    void Send(Reply& out, std::string bytes, std::string shown = {});
    void Final(Reply& out, const std::string& line);
    void SendBatch(Reply& out);
    void SendBlock(Reply& out);
    void WriteData(const char* data, size_t size, Reply& out);
    void FinishWrite(Reply& out);
    void StormPrompt(Reply& out, int64_t nowMs);
    void Abandon(const char* why);
    void ResetState();

    void CmdFolder(const std::string& verb, const std::string& args, Reply& out);
    void CmdRead(const std::string& args, Reply& out);
    void CmdWrite(const std::string& args, Reply& out);
    void CmdErase(const std::string& args, Reply& out);
    void CmdInfo(Reply& out);
    bool CmdPim(const std::string& head, bool hasArgs, const std::string& args, Reply& out);

    // A folder of the fan-out fault ("/Sounds/F0012/F0003"); false if the id names none.
    bool FanOutFolder(const std::string& id, Folder& out) const;
    bool FanOutPath(const std::string& path, int depth) const;
    uint64_t UsedUnits() const;
    uint64_t CapacityUnits() const;

    EmulatorConfig& m_config;
    FileStore& m_store;
    Trace& m_trace;
    FolderMap m_map;
    PimStores m_pim;
    std::string m_current;  // path of the current folder
    bool m_echo = true;
    bool m_dead = false;
    int m_commands = 0;
    int m_interleaved = 0;
    int64_t m_transferBytes = 0;
    std::map<std::string, std::vector<std::string>> m_injected;

    State m_state = State::Command;
    std::string m_line;
    bool m_lineTooLong = false;
    bool m_afterCr = false;

    // A long answer waiting for the PC's "##>".
    std::vector<std::string> m_batchLines;
    size_t m_batchPos = 0;
    std::string m_readData;
    size_t m_readPos = 0;
    int m_blockNo = 0;
    bool m_closingSent = false;

    // A write in progress.
    std::string m_writeName;
    std::string m_writeStamp;
    uint64_t m_writeSize = 0;
    uint32_t m_writeCrc = 0;
    std::string m_writeData;
    int64_t m_lastInputMs = 0;
    int64_t m_lastPromptMs = 0;
    int m_stormPrompts = 0;
};

}  // namespace q7k3::emu
