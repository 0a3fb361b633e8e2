#pragma once
// How the emulated phone behaves: its model, its folders, its pace and the faults it shows.

#include <cstdint>
#include <string>
#include <vector>

namespace q7k3::emu {

// A command (by prefix, e.g. "AT+FSFE") or a name (the first quoted argument, a file name or
// a folder identifier) that the phone refuses with "+CME ERROR: <Code>" ("ERROR" for a
// code of 0 or less).
struct ErrorRule {
    std::string Match;
    int Code = 0;
    bool ByName = false;
};

struct Faults {
    int SilentAfter = -1;        // answer this many more commands, then nothing at all
    int DropCommand = 0;         // the Nth command from now on goes unanswered, once
    int64_t CutAfterBytes = -1;  // the line goes dead after this many transfer data bytes
    bool BadReadCrc = false;     // the closing line of every read carries a wrong CRC
    int64_t EarlyOkAfter = -1;   // a write ends with "OK" once this many of its bytes are in
    bool ExtraPrompt = false;  // one more "##>" after the last block of a write, before its result
    std::vector<ErrorRule> Errors;
    std::string Unsolicited;  // a line sent after every complete answer

    // A half-dead line: after this many commands every answer goes out one byte every
    // TrickleMs, and once it is out, noise bytes (NUL) follow at the same pace for ever.
    int TrickleAfter = -1;
    int TrickleMs = 200;
    int FloodAfter = -1;       // after this many commands, garbage bytes without end
    bool EndlessRead = false;  // a read sends data blocks past the file's end for ever
    bool PromptStorm = false;  // a write never ends: every block and every pause gets "##>"
    int FanOut = 0;            // with PIMS: every folder also holds this many subfolders
    // A line (RING, +CREG: 1) sent at any moment: every AnywhereMs and at random line
    // boundaries inside answers.
    std::string Anywhere;
    int AnywhereMs = 1000;
    int SplitMaxDelayMs = -1;  // 0 or more: answers go out in random pieces, this far apart at most
    uint32_t Seed = 1;         // for the random pieces, places and garbage

    // The phonebook and message commands.
    int RangeLimit = 0;            // AT+CPBR ranges of more slots than this are refused (0: none)
    bool ListHangs = false;        // AT+CMGL never answers
    bool HexArguments = false;     // under UCS2 the quoted arguments are hex too, and AT+CSCS? says so
    bool PhonebookExtraField = false;  // +CPBR lines carry one more number after the text
    int CutListingAfter = -1;      // once: a listing stops without its end after this many entries
    bool PduModeRefused = false;   // AT+CMGF=0 refused: the messages are listed in text mode only
    std::vector<std::string> Charsets;  // the sets AT+CSCS offers (empty: GSM, UCS2, 8859-1, IRA)
};

// A phonebook entry and a stored message of the emulated phone. Names are UTF-8; a message
// is its PDU in hex, the service centre's address first, as the phone lists it.
struct PimContact {
    int Index = 0;
    std::string Number;
    int Type = 129;
    std::string Name;
};
struct PimMessage {
    std::string Store = "ME";  // "ME", "SM" or "SR" (status reports)
    int Index = 0;
    int Stat = 1;  // 0 unread, 1 read, 2 unsent, 3 sent
    std::string Pdu;
    // The same message as text mode shows it (AT+CMGF=1): the other party, the centre's
    // time stamp ("06/05/03,09:15:00+12", empty for one the owner wrote) and the text; a
    // status report's reference, time of delivery and status. Empty Address: none given,
    // and text mode lists the message without them.
    std::string Address;
    std::string Time;
    std::string Text;
    int Reference = 0;
    std::string Discharge;
    int Status = 0;
};
struct PimContent {
    std::vector<PimContact> Sim;    // "SM"
    std::vector<PimContact> Phone;  // "ME"
    std::vector<PimMessage> Messages;
    int SimSlots = 250;
    int PhoneSlots = 1000;
    int SimNameLength = 14;  // characters of a name, as AT+CPBR=? tells
    int PhoneNameLength = 20;  // (slots and lengths: --sim-slots, --phone-slots)
    int NumberLength = 40;
    int MessageSlots = 500;  // of each message store
};

enum class Preset { Empty, Demo };

struct EmulatorConfig {
    std::string Model = "SGH-E700";  // the AT+CGMM answer; "ERROR" makes it refuse
    // The AT+CGSN answer (the serial number); "ERROR" makes it refuse, as phones without one
    // do; empty: DefaultSerial().
    std::string Serial;
    bool Pims = false;               // folders addressed by path, discovered with AT+FSDI
    std::string RootDir;             // empty: files live in memory
    Preset Content = Preset::Empty;
    int Baud = 0;       // 0: no pacing; else N/10 bytes per second both ways
    int LatencyMs = 0;  // delay before each answer
    int Batch = 10;     // listing lines per batch
    int Block = 600;    // data bytes per read block
    bool Echo = true;
    std::string LogFile;
    int CapacityKb = 13104;  // user memory, used in 16 KB units
    Faults Fault;
    PimContent Pim;  // the demo preset adds its own entries
};

// The serial number of a phone whose config names none: fifteen digits made from its model
// and its root folder, so that the same phone has the same number at every start and two
// phones of one model with folders of their own have different ones.
std::string DefaultSerial(const EmulatorConfig& config);

}  // namespace q7k3::emu
