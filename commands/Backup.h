#pragma once
// The whole phone kept in a local folder: backup, restore and verify.
//
// A backup folder holds one subfolder per phone folder, named as the path line names it
// ("E700/Sounds/My Sounds"), with the phone's files in it byte for byte, and the
// manifest q7k3fm-backup.txt: one line a file with the phone folder's path and
// identifier, the phone name's bytes, the local name, size, date and CRC-32. Local names
// are the phone names with what a local file system refuses written as %XX; the manifest
// keeps both, so a name shortened or told apart from another still finds its way back.
//
// The backup is incremental: a file whose size and date match the manifest and whose
// copy is there is not fetched again. Every file arrives through a temporary file that
// takes its place only when complete, and the manifest is replaced whole, so a backup cut
// short (the abort button, a lost phone) leaves only sound files and resumes where it
// stopped. A file no longer on the phone stays in the folder and in the manifest, marked
// as gone, so a backup of a wiped phone never forgets what an earlier one saved.
//
// Each command runs inside the session's busy bracket: it sets the progress texts and
// bars, never shows or hides the dialog, polls AbortRequested between files, and fails
// with its reason.

#include <QDateTime>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "commands/CommandSupport.h"
#include "commands/Questions.h"
#include "phonefs/PhoneFs.h"

namespace q7k3 {

// One file of a backup.
struct BackupRecord {
    std::string FolderPath;  // the phone folder's path line, "E700:\Sounds\My Sounds"
    std::string FolderId;    // its identifier, sent verbatim
    std::string Name;        // the phone name's bytes
    std::string LocalName;   // relative to the backup folder, '/' between the parts
    int32_t Size = 0;
    QDateTime Date;  // the phone's time stamp, also the local copy's modification time
    uint32_t Crc = 0;
    bool OnPhone = true;  // false: gone from the phone at the last backup
};

class BackupManifest {
public:
    static constexpr const char* kFileName = "q7k3fm-backup.txt";

    // Reads the manifest of `dir`; a folder without one gives an empty manifest. False
    // with `error` set (the path and line) when the file cannot be read or is damaged.
    bool Load(const std::string& dir, std::string& error);
    // Replaces the manifest of `dir` whole (written beside it, then renamed).
    bool Save(const std::string& dir) const;
    static bool Exists(const std::string& dir);

    // The record of a phone file, or null.
    BackupRecord* Find(std::string_view folderId, std::string_view name);
    std::vector<BackupRecord> Records;
    // The lines of the contacts and messages saved beside the files ("#pim\t..."), kept
    // as they are: a reader that knows only files takes them for comments.
    std::vector<std::string> PimLines;
};

// A phone name as a local file name: every byte a local file system refuses (controls,
// / \ : * ? " < > |, bytes that are no UTF-8) and '%' itself become %XX, as do a trailing
// dot or space, a leading one of "." and "..", and the first letter of a device name
// (CON, NUL, COM1...). Cyrillic letters and spaces stay. DecodeLocalName undoes it.
std::string SafeLocalName(std::string_view phoneName);
std::string DecodeLocalName(std::string_view localName);

// The CRC-32 of a local file; false when it cannot be read.
bool LocalFileCrc(const std::string& path, uint32_t& crc);

class Backup {
public:
    Backup(PhoneFs& fs, std::string dir);

    // Backs up every file of the scanned tree (PhoneRoot; folders not yet listed are
    // listed first). Fails on a phone or local failure; what was fetched before it is in
    // the folder and the manifest.
    Status Run();

    CommandEnd End() const { return m_end; }
    int Fetched() const { return m_fetched; }  // files read from the phone this time
    int Kept() const { return m_kept; }        // files whose copy was already current
    int Missed() const { return m_missed; }    // listed, but gone when their turn came
    int64_t BytesFetched() const { return m_bytes; }
    // Files on the phone that it would not give back under the name it lists (a name over
    // 64 characters, which the listing cuts; one with a quote): their phone paths. They are
    // not saved, and not taken for gone either.
    const std::vector<std::string>& Unreadable() const { return m_unreadable; }
    // "Не сохранены ...: <paths>", or empty when every listed file was saved: the unreadable
    // ones, and the temporary files of replacements cut short that wait for their phone.
    std::string UnreadableReport() const;

private:
    // A file whose copy is missing or out of date: its folder, its listing entry and its
    // record in the manifest.
    struct Item {
        Tree4* folder;
        FileEntry entry;
        size_t record;
    };
    // The local names in use, per local folder and in any case.
    class LocalNames {
    public:
        void Take(const std::string& relative);
        // A fresh name in `dir` for `safe`: "name", "name~2.ext", ...
        std::string Fresh(const std::string& dir, const std::string& safe);

    private:
        std::map<std::string, std::set<QString>> m_used;
    };

    // The phases of Run, in order: the folder and its manifest; the folders the scan left
    // unlisted; the local folder of each phone folder; the plan; the copies; the end.
    Status Begin();
    Status ListUnlisted(const std::vector<Tree4*>& folders);
    std::map<const Tree4*, std::string> FolderDirs(const std::vector<Tree4*>& folders,
                                                   LocalNames& names);
    std::vector<Item> Plan(const std::vector<Tree4*>& folders,
                           std::map<const Tree4*, std::string>& folderDirs, LocalNames& names);
    Status FetchAll(const std::vector<Item>& plan);
    // One file of the plan: true when it was copied, false when it only costs itself (gone
    // from the phone, or out of its reach).
    Expected<bool> FetchOne(const Item& item);
    // The manifest as far as it is settled: a file seen for the first time stays out of it
    // until it has a copy (a size of -1 marks it).
    BackupManifest Settled() const;
    Status SaveManifest() const;
    // `failure` as the command's, once the manifest is saved: a manifest that cannot be
    // written is the failure reported instead.
    Status SavedThen(const Failure& failure) const;

    PhoneFs& m_fs;
    std::string m_dir;
    BackupManifest m_manifest;
    CommandEnd m_end = CommandEnd::Finished;
    int m_fetched = 0;
    int m_kept = 0;
    int m_missed = 0;
    int64_t m_bytes = 0;
    std::vector<std::string> m_unreadable;
    std::vector<std::string> m_pending;
    commands::ByteMeter m_meter;
};

class Restore {
public:
    Restore(PhoneFs& fs, std::string dir, ConflictQuestion& conflict);

    // Reads the backup's manifest; fails when the folder holds no backup or its manifest
    // is damaged.
    Status Load();
    const std::vector<BackupRecord>& Records() const { return m_manifest.Records; }
    // The records of a folder (and the folders below it; path line, the model prefix
    // optional, any case; empty: every folder) whose names match a wildcard pattern
    // (* and ?, any case; empty: every name). Indices into Records().
    std::vector<size_t> Select(std::string_view folderPath, std::string_view pattern) const;
    // For each record: its phone folder is listed in the tree of PhoneRoot and holds no file
    // of its name (what a restore would put back without a question).
    std::vector<bool> MissingOnPhone() const;

    // Writes the chosen records back to their phone folders (found by identifier, else
    // by path) in the tree of PhoneRoot. A taken name goes to the conflict question, whose
    // skip leaves the phone's file and goes on. A copy reached through a link is refused.
    // Memory full ends the restore: it fails with the message, and the lists below say
    // what was and was not restored.
    Status Run(const std::vector<size_t>& chosen);

    CommandEnd End() const { return m_end; }
    const std::vector<size_t>& Restored() const { return m_restored; }
    // Left out because the phone folder holds the name and the answer was to skip it.
    const std::vector<size_t>& Skipped() const { return m_skipped; }
    // Not restored, each with its reason (empty: not reached).
    struct Left {
        size_t Record;
        std::string Reason;
    };
    const std::vector<Left>& NotRestored() const { return m_left; }
    // "Восстановлены: ... Не восстановлены: ..." with the phone paths of the files.
    std::string Report() const;

private:
    void LeaveRest(const std::vector<size_t>& chosen, size_t from, const std::string& reason);
    // How one record's step ends: on to the next record, or the end of the run.
    enum class Step { Next, End };
    // The phases of one record: its folder made current (listed once a run, which tells
    // the names taken), its copy checked, the conflict question, the write.
    Expected<Step> RestoreOne(const std::vector<size_t>& chosen, size_t k, Tree4* root);
    Status EnterFolder(Tree4* folder);
    // The copy of a record that may go back: empty, or why it may not.
    std::string CopyProblem(const BackupRecord& r, const std::string& path) const;
    Expected<Step> WriteBack(const std::vector<size_t>& chosen, size_t k, Tree4* folder,
                             const std::string& path);

    PhoneFs& m_fs;
    std::string m_dir;
    ConflictQuestion& m_conflict;
    BackupManifest m_manifest;
    CommandEnd m_end = CommandEnd::Finished;
    std::vector<size_t> m_restored;
    std::vector<size_t> m_skipped;
    std::vector<Left> m_left;
    // The run's state: the conflict answers, the folders listed and the current one.
    commands::ConflictMemory m_answers;
    std::set<const Tree4*> m_listed;
    const Tree4* m_current = nullptr;
    commands::ByteMeter m_meter;
};

class Verify {
public:
    Verify(PhoneFs& fs, std::string dir);

    enum class Kind {
        MissingOnPhone,
        ChangedOnPhone,
        NotInBackup,
        CrcDiffers,
        BackupDamaged,
        LeftoverPart,  // a part file a killed program left in the folder: Name is its path
    };
    struct Finding {
        Kind What;
        std::string FolderPath;
        std::string Name;
        std::string Text() const;  // "Изменён на телефоне: E700:\User\a.txt"
    };

    // Lists every folder of the tree again and compares sizes and dates with the
    // manifest; `deep` also fetches every file and compares CRCs, and checks the copies.
    // Fails on a phone failure or a missing/damaged manifest; the findings say whether
    // the backup matches.
    Status Run(bool deep);
    // Aborted: the abort button stopped it, and the findings cover only what was compared.
    CommandEnd End() const { return m_end; }
    const std::vector<Finding>& Findings() const { return m_findings; }
    int Checked() const { return m_checked; }

private:
    // The deep part: the copies and the phone's files compared by CRC.
    Status CompareCopies(const std::vector<std::pair<const BackupRecord*, Tree4*>>& fetch);

    PhoneFs& m_fs;
    std::string m_dir;
    std::vector<Finding> m_findings;
    CommandEnd m_end = CommandEnd::Finished;
    int m_checked = 0;
};

}  // namespace q7k3
