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
#include "commands/PimBackup.h"
#include "link/Connection.h"
#include "base/Failure.h"
#include "settings/SettingsStore.h"
#include "phonefs/PhoneFs.h"
#include "base/Messages.h"

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
    // The contacts and messages follow the files, unless they are left out.
    std::optional<PimBackupReport> pim;
    Failure pimFailure;
    if (done && backup.End() == CommandEnd::Finished && !Interrupted() && !a.Has("--files-only")) {
        auto saved = BackupPim(s.link.Channel(), s.progress, dir);
        if (saved)
            pim = *saved;
        else
            pimFailure = saved.error();
    }
    s.progress.Hide();
    std::string summary = Msg(kMsgBackupSummary) + std::to_string(backup.Fetched()) + " (" +
                          MsgN(kMsgByteCount, backup.BytesFetched()) + ")" +
                          Msg(kMsgBackupKept) + std::to_string(backup.Kept());
    if (backup.Missed()) summary += Msg(kMsgGoneMeanwhile) + std::to_string(backup.Missed());
    std::printf("%s\n", summary.c_str());
    // Files left out of the backup: the command tells of them and does not end well.
    if (!backup.UnreadableReport().empty()) Fail(backup.UnreadableReport());
    if (!done) return s.PhoneError(done.error());
    if (pimFailure.Reason) return s.PhoneError(pimFailure);
    // The files are saved; a part the phone would not give is named, and the backup does
    // not end well unless it was left out on purpose.
    if (pim) {
        const std::vector<std::string> lines = pim->Lines();
        for (size_t i = 0; i < lines.size(); ++i) {
            if ((i == 0 ? pim->Contacts : pim->Messages) >= 0)
                std::printf("%s\n", Printable(lines[i]).c_str());
            else
                Fail(lines[i]);
        }
        if (!pim->Complete() && !Interrupted()) Fail(Msg(kMsgFilesOnlyHint));
    }
    if (Interrupted()) return kExitInterrupted;
    return backup.End() == CommandEnd::Finished && backup.UnreadableReport().empty() &&
                   (!pim || pim->Complete())
               ? kExitOk
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
    // The saved contacts go back too (those the phone lacks), unless left out; the messages
    // stay in the backup.
    const bool withContacts = !a.Has("--files-only") && SavedContacts(dir).has_value();
    if (chosen.empty() && !withContacts) return Fail(Msg(kMsgNothingToRestore), kExitPhoneFailed);
    Status done;
    std::optional<Expected<std::vector<pim::ImportReport>>> contacts;
    {
        // Ctrl+C now lets the file under way end spoiled, so that the phone refuses it and
        // stays in step for the next command; between two contacts it stops the rest.
        WriteGuard writing;
        if (!chosen.empty()) done = restore.Run(chosen);
        // A full phone takes no file more, but its phonebook may have room.
        if (withContacts && (done || restore.End() == CommandEnd::Stopped) && !Interrupted())
            contacts = RestoreContacts(s.link.Channel(), s.progress, dir);
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
    int contactsLeft = 0;
    Failure contactsFailure;
    if (contacts && !*contacts) contactsFailure = contacts->error();
    if (contacts && *contacts) {
        for (const pim::ImportReport& report : **contacts) {
            for (const pim::ImportedEntry& e : report.Entries) {
                const bool written =
                    e.Result == pim::ImportResult::Written || e.Result == pim::ImportResult::Cut;
                if (e.Result == pim::ImportResult::Already) continue;
                std::printf("%s\t%s %s/%s\t%s %s%s%s\n",
                            Msg(written ? kMsgRestoredLine : kMsgNotRestoredLine).c_str(),
                            Msg(kMsgContactsFolder).c_str(), report.Store.c_str(),
                            written ? std::to_string(e.Entry.Index).c_str() : "",
                            Printable(e.Entry.Name).c_str(), Printable(e.Entry.Number).c_str(),
                            written ? "" : "\t", written ? "" : OneLine(e.Why).c_str());
            }
            if (!report.Entries.empty())
                std::printf("%s\n", Printable(pim::ImportSummary(report)).c_str());
            if (report.Problem.Reason) contactsFailure = report.Problem;
        }
        contactsLeft = ContactsNotRestored(**contacts);
    }
    if (Interrupted()) return kExitInterrupted;
    if (done && contactsFailure.Reason) {
        return Fail(Msg(kMsgContactsNotRestored) +
                        FailureReport(contactsFailure),
                    IsLocalFailure(contactsFailure.Reason) ? kExitLocalFile : kExitPhoneFailed);
    }
    if (!done) {
        // Memory full says it all in its own words, the lists included.
        if (restore.End() == CommandEnd::Stopped) {
            return Fail(OneLine(Msg(kMsgRestoreMemoryFull) +
                                std::to_string(restore.Restored().size()) + Msg(kMsgOf) +
                                std::to_string(chosen.size())));
        }
        return s.PhoneError(done.error());
    }
    return restore.NotRestored().empty() && !contactsLeft ? kExitOk : kExitPhoneFailed;
}

int RunVerify(const ParsedArgs& a) {
    Session s;
    if (const int rc = s.TakeOptions(a)) return rc;
    const std::string& dir = a.positional[0];
    if (!BackupManifest::Exists(dir)) return NoBackup(dir);
    if (const int rc = s.OpenAndScan()) return rc;
    Verify verify(*s.fs, dir);
    if (Status done = verify.Run(a.Has("--deep")); !done) return s.PhoneError(done.error());
    // The saved contacts and messages: their files, and with --deep the contacts themselves.
    int pimChecked = 0;
    std::vector<std::string> pimFindings;
    Failure pimFailure;
    if (verify.End() != CommandEnd::Aborted && !Interrupted()) {
        auto found = VerifyPim(dir, a.Has("--deep") ? &s.link.Channel() : nullptr, pimChecked);
        if (found)
            pimFindings = std::move(*found);
        else
            pimFailure = found.error();
    }
    s.progress.Hide();
    for (const Verify::Finding& f : verify.Findings())
        std::printf("%s\n", OneLine(f.Text()).c_str());
    for (const std::string& f : pimFindings) std::printf("%s\n", OneLine(f).c_str());
    // The files' differences are said first; then why the contacts could not be compared.
    if (pimFailure.Reason) return s.PhoneError(pimFailure);
    // Cut short, the comparison proves nothing either way.
    if (Interrupted() || verify.End() == CommandEnd::Aborted) return kExitInterrupted;
    if (verify.Findings().empty() && pimFindings.empty()) {
        std::printf("%s (%d)\n", Msg(kMsgBackupMatches).c_str(), verify.Checked() + pimChecked);
        return kExitOk;
    }
    return kExitPhoneFailed;
}

// ---- the option tables ----------------------------------------------------------------

const std::vector<OptionSpec> kBackupOptions = TreeOptionSpecs({
    {"--files-only", nullptr, QT_TRANSLATE_NOOP("Cli", "только файлы, без контактов и сообщений")},
});
const std::vector<OptionSpec> kRestoreOptions = TreeOptionSpecs({
    {"--folder", QT_TRANSLATE_NOOP("Cli", "ПАПКА"),
     QT_TRANSLATE_NOOP("Cli", "только файлы этой папки телефона и папок внутри неё (путь как в строке пути)")},
    {"--match", QT_TRANSLATE_NOOP("Cli", "ШАБЛОН"), QT_TRANSLATE_NOOP("Cli", "только файлы с именем по шаблону (* и ?)")},
    {"--overwrite", nullptr, QT_TRANSLATE_NOOP("Cli", "заменять файлы с теми же именами на телефоне")},
    {"--files-only", nullptr, QT_TRANSLATE_NOOP("Cli", "только файлы, без контактов")},
});
const std::vector<OptionSpec> kVerifyOptions = TreeOptionSpecs({
    {"--deep", nullptr, QT_TRANSLATE_NOOP("Cli", "сверять и содержимое файлов (читает их с телефона)")},
});

const CommandSyntax kBackupSpec{
    "backup",
    QT_TRANSLATE_NOOP("Cli", "backup [ПАРАМЕТРЫ] ПАПКА"),
    QT_TRANSLATE_NOOP("Cli", "Копирует все файлы телефона в локальную ПАПКУ; при повторе забирает только\n"
    "изменившиеся. Рядом сохраняет контакты (contacts.vcf), сообщения (messages.xml)\n"
    "и их PDU (messages.pdu); телефон, который их не отдаёт, — код 1 и причина,\n"
    "файлы при этом сохранены. --files-only их не сохраняет."),
    kBackupOptions,
    1,
    1};
const CommandSyntax kRestoreSpec{
    "restore",
    QT_TRANSLATE_NOOP("Cli", "restore [ПАРАМЕТРЫ] ПАПКА"),
    QT_TRANSLATE_NOOP("Cli", "Возвращает на телефон файлы копии из ПАПКИ. Файл, имя которого на телефоне\n"
    "занято, пропускается (список в конце); --overwrite заменяет его. Ctrl+C во\n"
    "время записи доводит обмен до конца так, что телефон отвергает недописанный\n"
    "файл, а заменяемый файл остаётся целым под своим именем. Контакты копии, которых\n"
    "нет на телефоне, записываются в свободные ячейки своей памяти (SM или ME),\n"
    "ничего не заменяя; --files-only их не трогает. Сообщения на телефон не\n"
    "возвращаются."),
    kRestoreOptions,
    1,
    1};
const CommandSyntax kVerifySpec{
    "verify",
    QT_TRANSLATE_NOOP("Cli", "verify [ПАРАМЕТРЫ] ПАПКА"),
    QT_TRANSLATE_NOOP("Cli", "Сверяет копию в ПАПКЕ с телефоном и печатает различия (код 1, если они есть).\n"
    "Файлы контактов и сообщений сверяет по размеру и CRC, контакты читает целиком;\n"
    "--deep сверяет и сами контакты с телефоном."),
    kVerifyOptions,
    1,
    1};

const CliCommand kBackup{kBackupSpec, Entry<kBackupSpec, RunBackup>};
const CliCommand kRestore{kRestoreSpec, Entry<kRestoreSpec, RunRestore>};
const CliCommand kVerify{kVerifySpec, Entry<kVerifySpec, RunVerify>};

}  // namespace
}  // namespace q7k3::cli
