#pragma once
// The phone's file-system commands and the folder tree they fill. One PhoneFs lives as
// long as the link: it works on the channel's state (ReceiveBuffer, the model line) and
// owns the current tree, which every scan replaces.
//
// Every operation returns its success or the Failure that says why it failed.

#include <QDateTime>
#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/AppFlags.h"
#include "link/AtChannel.h"
#include "link/Connection.h"
#include "base/Prompts.h"
#include "phonefs/Tree.h"

namespace q7k3 {

// One "+FSDL: " line taken apart.
struct ListLine {
    std::string Name;  // raw UTF-8 bytes between the first two quotes
    int32_t Size = 0;
    QDateTime Date;  // the current time when the phone sent no (valid) time stamp
};

// Parses '+FSDL: "name",f1,f2,f3,f4,size,"yyyy/mm/dd hh:mm:ss"...'. Empty when a number
// is not a decimal number or the line lacks its fields. `now` stands in for a missing or
// impossible time stamp.
std::optional<ListLine> ParseListLine(std::string_view line, const QDateTime& now);

// A file name goes on the wire between double quotes, ended by CR LF: it must hold
// neither (nor any other control character), or it would end the command early and what
// follows would reach the phone as a command of its own.
bool WireSafeName(std::string_view name);

class PhoneFs {
public:
    PhoneFs(AtChannel& channel, AppFlags& flags, ProgressView& progress, Prompts& prompts);
    ~PhoneFs();
    PhoneFs(const PhoneFs&) = delete;
    PhoneFs& operator=(const PhoneFs&) = delete;

    AtChannel& Channel() { return m_ch; }
    AppFlags& Flags() { return m_flags; }
    ProgressView& Progress() { return *m_progress; }
    Prompts& Ui() { return *m_prompts; }
    // The progress dialog and the boxes can be exchanged (a command with its own dialog).
    void SetProgress(ProgressView& progress) { m_progress = &progress; }
    void SetPrompts(Prompts& prompts) { m_prompts = &prompts; }
    // A stop from outside (an interrupt, the program closing): a write under way then sends
    // the rest of its blocks spoiled, so the phone's CRC check refuses the file and the
    // exchange still ends in step with the phone; a stop that ends the program at once
    // (StopSignal::CutsWrite) leaves the write cut at its next data prompt instead. It also
    // ends an exchange that stalls (AtChannel::Stop).
    void SetStopSignal(const StopSignal* stop);
    // Whether the stop is raised: a step that could wait for the next connection need not
    // begin.
    bool StopRaised() const { return m_stop && m_stop->Raised(); }

    // While one lives, neither the abort button nor an interrupt spoils a write or ends an
    // exchange: the steps between erasing a file and writing its replacement must run to
    // their end, or the name would be left without either file.
    class StopHold {
    public:
        explicit StopHold(PhoneFs& fs);
        ~StopHold();
        StopHold(const StopHold&) = delete;
        StopHold& operator=(const StopHold&) = delete;

    private:
        PhoneFs& m_fs;
        const std::atomic<bool>* m_abort;
        const StopSignal* m_stop;
    };

    // While one lives, the abort button reaches none of the exchanges (the close's stop still
    // does): a recovery after an aborted command must run to its end.
    class AbortHold {
    public:
        explicit AbortHold(PhoneFs& fs) : m_fs(fs), m_abort(fs.m_ch.AbortFlag) {
            m_fs.m_ch.AbortFlag = nullptr;
        }
        ~AbortHold() { m_fs.m_ch.AbortFlag = m_abort; }
        AbortHold(const AbortHold&) = delete;
        AbortHold& operator=(const AbortHold&) = delete;

    private:
        PhoneFs& m_fs;
        const std::atomic<bool>* m_abort;
    };

    // The root of the current tree; null before the first scan and after a failed one.
    Tree4* PhoneRoot() const { return m_root.get(); }
    // Frees the tree. onTreeDropped runs first, so nobody keeps a pointer into it.
    void DropTree();
    void SetRoot(std::unique_ptr<Tree4> root);
    std::function<void()> onTreeDropped;

    // Reads the model line again with AT+CGMM and follows the answer to its final "OK",
    // which also absorbs the "OK" still on its way from an earlier model query. Keeps the
    // old model line when the phone refuses or stays silent.
    bool RereadModel();
    // The phone's serial number (AT+CGSN), asked once per identification: "" for a phone
    // that has none. Fails when the phone does not answer.
    Expected<std::string> SerialNumber();

    // Folder commands.
    Status ChangeFolder(std::string_view id);
    Status ListFolder(Tree4* folder, bool includeEmpty);
    Status ListSubfolders(Tree4* folder);
    std::string SubfolderId(const Tree4* parent, std::string_view name) const;

    // Transfers, in the folder made current with ChangeFolder. A read's answer is bounded
    // by the file's listed size (unknown, -1 or 0: the phone's whole memory): a phone that sends
    // more than a block past it, or takes longer than its line time allows, fails the read.
    Status ReadPhoneFile(const std::string& localPath, std::string_view phoneName,
                         const QDateTime& date, int64_t listedSize = -1);
    Status WritePhoneFile(const std::string& localPath, std::string_view phoneName, Tree4* folder);

    Status EraseFile(std::string_view phoneName);
    Status DiscoverFolders();

    // A listing holds at most this many entries (13104 KB in 16 KB units hold 819 files),
    // and the phone sends at least kMinBatchLines of them per batch.
    static constexpr size_t kMaxEntries = 4096;
    static constexpr size_t kMinBatchLines = 10;
    // The longest listing line the bound allows for (name, fields and time stamp).
    static constexpr size_t kListLineBytes = 160;
    // Discovery stops at this many folders in all.
    static constexpr size_t kMaxFolders = 4096;
    // The phone's whole memory: no file can be longer.
    static constexpr int64_t kPhoneMemoryBytes = 13104 * 1024;

    // Builds the tree the mode and the model call for: a fixed map in modes 0 and 1,
    // discovery in mode 2, nothing for any other mode. Replaces PhoneRoot. A discovery that
    // fails leaves the root it began with.
    Status BuildFolderTree(FolderMode mode);

    // The whole scan: model (unless the caller has just read it), tree, post-order walk
    // listing every folder. Returns the new root, or fails when there is none or a listing
    // failed (the tree is then dropped).
    Expected<Tree4*> ScanPhone(FolderMode mode, bool includeEmpty, bool rereadModel = true);
    // Lists every node of the table, polling AbortRequested between folders; a failed
    // listing is shown in a box and drops the tree.
    Status CacheWalk(const std::vector<Tree4*>& table, bool includeEmpty);

    // "Свободно N KB из 13104 KB ": the phone's user memory less what the cached files
    // occupy in 16 KB units.
    std::string EstimateFreeSpace() const;
    int64_t UsedKilobytes() const;

    std::string ModelCodeText() const { return ModelCode(m_ch.PhoneModel); }

private:
    // One read exchange; ReadPhoneFile tries it again once after a checksum failure.
    Status ReadOnce(const std::string& localPath, std::string_view phoneName, const QDateTime& date,
                    int64_t listedSize);
    // The exchange of a listing: batches closed by "#OK#", one prompt each; every line
    // with `tag` goes to onData, which returns false for a line it cannot read.
    Status ListBatched(const std::string& command, std::string_view tag,
                       const std::function<bool(const std::string&)>& onData);

    AtChannel& m_ch;
    AppFlags& m_flags;
    ProgressView* m_progress;
    Prompts* m_prompts;
    std::unique_ptr<Tree4> m_root;
    const StopSignal* m_stop = nullptr;
    int m_holds = 0;  // StopHolds alive
    // Discovery's folder budget, and whether a folder was refused for it.
    size_t m_foldersLeft = std::numeric_limits<size_t>::max();
    bool m_tooManyFolders = false;
};

}  // namespace q7k3
