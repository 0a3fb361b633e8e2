// backup, restore, verify: the whole phone kept in a local folder. Each command scans the
// phone first (the tree of the chosen mode, every folder listed), then runs the core
// command. Exit codes: 0 done, 1 a phone failure, a file left out, or (verify) a
// difference found, 2 a bad command line, 3-5 the link's own, 6 a local folder that holds
// no backup or cannot be written, 130 interrupted.
#include <cstdio>
#include <memory>

#include "app/cli/Cli.h"
#include "app/cli/CliLink.h"
#include "app/cli/CliSession.h"
#include "app/cli/Options.h"
#include "app/cli/Terminal.h"
#include "commands/Backup.h"
#include "link/Connection.h"
#include "link/Failure.h"
#include "link/SettingsStore.h"
#include "phonefs/PhoneFs.h"
#include "ui/Messages.h"

namespace q7k3::cli {
namespace {

// A taken name on the phone is replaced only with --overwrite; otherwise its file stays,
// the restore goes on with the rest and lists what it skipped.
class OverwriteOrSkip final : public ConflictQuestion {
public:
    explicit OverwriteOrSkip(bool overwrite) : m_overwrite(overwrite) {}
    ConflictReply AskConflict(const std::string&, const std::string& newName) override {
        return {m_overwrite ? ConflictAnswer::OverwriteAll : ConflictAnswer::SkipAll, newName};
    }

private:
    bool m_overwrite;
};

struct Session : CliSession {
    // Opens the link and scans the phone; 0 or the exit code after its message.
    int OpenAndScan() {
        if (const int rc = Open()) return rc;
        // The scan's walk tells of its own failure.
        if (!fs->ScanPhone(mode, hidden))
            return Interrupted() ? kExitInterrupted : kExitPhoneFailed;
        return 0;
    }
};

// A folder that holds no backup: named, with the local-file code.
int NoBackup(const std::string& dir) {
    return Fail(Msg(kMsgNoBackup) + Printable(dir), kExitLocalFile);
}

int RunBackup(const ParsedArgs& a) {
    Session s;
    if (const int rc = s.TakeOptions(a)) return rc;
    const std::string& dir = a.positional[0];
    if (const int rc = s.OpenAndScan()) return rc;
    Backup backup(*s.fs, dir);
    const Status done = backup.Run();
    s.progress.Hide();
    std::string summary = Msg(kMsgBackupSummary) + std::to_string(backup.Fetched()) + " (" +
                          MsgN(kMsgByteCount, backup.BytesFetched()) + ")" +
                          Msg(kMsgBackupKept) + std::to_string(backup.Kept());
    if (backup.Missed()) summary += Msg(kMsgGoneMeanwhile) + std::to_string(backup.Missed());
    std::printf("%s\n", summary.c_str());
    // Files left out of the backup: the command tells of them and does not end well.
    if (!backup.UnreadableReport().empty()) Fail(backup.UnreadableReport());
    if (!done) return s.PhoneError(done.error());
    if (Interrupted()) return kExitInterrupted;
    return backup.End() == CommandEnd::Finished && backup.UnreadableReport().empty() ? kExitOk
                                                                               : kExitPhoneFailed;
}

int RunRestore(const ParsedArgs& a) {
    Session s;
    if (const int rc = s.TakeOptions(a)) return rc;
    const std::string& dir = a.positional[0];
    const std::string folder = a.Value("--folder");
    const std::string match = a.Value("--match");
    const bool overwrite = a.Has("--overwrite");
    if (!BackupManifest::Exists(dir)) return NoBackup(dir);
    if (const int rc = s.OpenAndScan()) return rc;
    OverwriteOrSkip conflict(overwrite);
    Restore restore(*s.fs, dir, conflict);
    if (Status loaded = restore.Load(); !loaded) return s.PhoneError(loaded.error());
    const std::vector<size_t> chosen = restore.Select(folder, match);
    if (chosen.empty()) return Fail(Msg(kMsgNothingToRestore), kExitPhoneFailed);
    Status done;
    {
        // Ctrl+C now lets the file under way end spoiled, so that the phone refuses it and
        // stays in step for the next command.
        WriteGuard writing;
        done = restore.Run(chosen);
    }
    s.progress.Hide();
    const auto& records = restore.Records();
    for (const size_t i : restore.Restored()) {
        std::printf("%s\t%s\\%s\n", Msg(kMsgRestoredLine).c_str(),
                    Printable(records[i].FolderPath).c_str(), Printable(records[i].Name).c_str());
    }
    // A skipped file with its reason; how to replace them follows on standard error.
    for (const size_t i : restore.Skipped()) {
        std::printf("%s\t%s\\%s\t%s\n", Msg(kMsgSkippedLine).c_str(),
                    Printable(records[i].FolderPath).c_str(), Printable(records[i].Name).c_str(),
                    Msg(kMsgSkippedReason).c_str());
    }
    if (!restore.Skipped().empty()) Fail(Msg(kMsgSkippedCure), kExitOk);
    for (const Restore::Left& left : restore.NotRestored()) {
        const BackupRecord& r = records[left.Record];
        std::printf("%s\t%s\\%s%s%s\n", Msg(kMsgNotRestoredLine).c_str(),
                    Printable(r.FolderPath).c_str(), Printable(r.Name).c_str(),
                    left.Reason.empty() ? "" : "\t", OneLine(left.Reason).c_str());
    }
    if (Interrupted()) return kExitInterrupted;
    if (!done) {
        // Memory full says it all in its own words, the lists included.
        if (restore.End() == CommandEnd::Stopped) {
            return Fail(OneLine(Msg(kMsgRestoreMemoryFull) +
                                std::to_string(restore.Restored().size()) + Msg(kMsgOf) +
                                std::to_string(chosen.size())));
        }
        return s.PhoneError(done.error());
    }
    return restore.NotRestored().empty() ? kExitOk : kExitPhoneFailed;
}

int RunVerify(const ParsedArgs& a) {
    Session s;
    if (const int rc = s.TakeOptions(a)) return rc;
    const std::string& dir = a.positional[0];
    if (!BackupManifest::Exists(dir)) return NoBackup(dir);
    if (const int rc = s.OpenAndScan()) return rc;
    Verify verify(*s.fs, dir);
    if (Status done = verify.Run(a.Has("--deep")); !done) return s.PhoneError(done.error());
    s.progress.Hide();
    for (const Verify::Finding& f : verify.Findings())
        std::printf("%s\n", OneLine(f.Text()).c_str());
    // Cut short, the comparison proves nothing either way.
    if (Interrupted() || verify.End() == CommandEnd::Aborted) return kExitInterrupted;
    if (verify.Findings().empty()) {
        std::printf("%s (%d)\n", Msg(kMsgBackupMatches).c_str(), verify.Checked());
        return kExitOk;
    }
    return kExitPhoneFailed;
}

// ---- the option tables ----------------------------------------------------------------

const std::vector<OptionSpec> kBackupOptions = TreeOptionSpecs({});
const std::vector<OptionSpec> kRestoreOptions = TreeOptionSpecs({
    {"--folder", QT_TRANSLATE_NOOP("Cli", "ПАПКА"),
     QT_TRANSLATE_NOOP("Cli", "только файлы этой папки телефона и папок внутри неё (путь как в строке пути)")},
    {"--match", QT_TRANSLATE_NOOP("Cli", "ШАБЛОН"), QT_TRANSLATE_NOOP("Cli", "только файлы с именем по шаблону (* и ?)")},
    {"--overwrite", nullptr, QT_TRANSLATE_NOOP("Cli", "заменять файлы с теми же именами на телефоне")},
});
const std::vector<OptionSpec> kVerifyOptions = TreeOptionSpecs({
    {"--deep", nullptr, QT_TRANSLATE_NOOP("Cli", "сверять и содержимое файлов (читает их с телефона)")},
});

const CommandSyntax kBackupSpec{
    "backup",
    QT_TRANSLATE_NOOP("Cli", "backup [ПАРАМЕТРЫ] ПАПКА"),
    QT_TRANSLATE_NOOP("Cli", "Копирует все файлы телефона в локальную ПАПКУ; при повторе забирает только\n"
    "изменившиеся."),
    kBackupOptions,
    1,
    1};
const CommandSyntax kRestoreSpec{
    "restore",
    QT_TRANSLATE_NOOP("Cli", "restore [ПАРАМЕТРЫ] ПАПКА"),
    QT_TRANSLATE_NOOP("Cli", "Возвращает на телефон файлы копии из ПАПКИ. Файл, имя которого на телефоне\n"
    "занято, пропускается (список в конце); --overwrite заменяет его. Ctrl+C во\n"
    "время записи доводит обмен до конца так, что телефон отвергает недописанный\n"
    "файл, а заменяемый файл остаётся целым под своим именем."),
    kRestoreOptions,
    1,
    1};
const CommandSyntax kVerifySpec{
    "verify",
    QT_TRANSLATE_NOOP("Cli", "verify [ПАРАМЕТРЫ] ПАПКА"),
    QT_TRANSLATE_NOOP("Cli", "Сверяет копию в ПАПКЕ с телефоном и печатает различия (код 1, если они есть)."),
    kVerifyOptions,
    1,
    1};

const CliCommand kBackup{kBackupSpec, Entry<kBackupSpec, RunBackup>};
const CliCommand kRestore{kRestoreSpec, Entry<kRestoreSpec, RunRestore>};
const CliCommand kVerify{kVerifySpec, Entry<kVerifySpec, RunVerify>};

}  // namespace
}  // namespace q7k3::cli
