// backup, restore, verify: the whole phone kept in a local folder. Each command scans the
// phone first (the tree of the chosen mode, every folder listed), then runs the core
// command. Exit codes: 0 done, 1 a phone failure, a file left out, or (verify) a
// difference found, 2 a bad argument, 3-5 the link's own.
#include <unistd.h>

#include <QFileInfo>
#include <cstdio>
#include <memory>

#include "app/cli/Cli.h"
#include "app/cli/CliLink.h"
#include "commands/Backup.h"
#include "link/Connection.h"
#include "link/Failure.h"
#include "phonefs/PhoneFs.h"
#include "ui/Messages.h"

namespace q7k3::cli {
namespace {

constexpr const char* kCommonUsage =
    "[--port PATH] [--baud N] [--sleep 0|1|2] [--trace FILE] [--mode normal|pro|pims] [--hidden]";

std::string OneLine(std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " ");
    return text;
}

class BoxesOnStderr final : public Prompts {
public:
    void MessageBox(const std::string& text, const std::string&, BoxIcon) override {
        Fail(OneLine(text));
    }
    bool AskYesNo(const std::string&, const std::string&) override { return true; }
};

// The progress line, rewritten in place on a terminal; nothing when the output is a file.
class LineProgress final : public ProgressView {
public:
    LineProgress() : m_tty(isatty(STDERR_FILENO) == 1) {}
    ~LineProgress() override { Done(); }
    void Show() override {}
    void Hide() override {}
    void SetCaption(const std::string&) override {}
    void SetQuickStatus(const std::string&) override {}
    void SetLongStatus(const std::string& text) override {
        if (!m_tty) return;
        std::fprintf(stderr, "\r%s\033[K", text.c_str());
        m_shown = true;
    }
    void SetMax(int bar, int max) override { m_max[Index(bar)] = max; }
    void SetPosition(int bar, int position) override { m_pos[Index(bar)] = position; }
    void Step(int bar) override { ++m_pos[Index(bar)]; }
    int Position(int bar) const override { return m_pos[Index(bar)]; }
    int Max(int bar) const override { return m_max[Index(bar)]; }
    void Done() {
        if (m_shown) std::fprintf(stderr, "\r\033[K");
        m_shown = false;
    }

private:
    static int Index(int bar) { return bar == 2 ? 1 : 0; }
    bool m_tty;
    bool m_shown = false;
    int m_max[2] = {0, 0};
    int m_pos[2] = {0, 0};
};

// A taken name on the phone is replaced only with --overwrite; otherwise the restore
// ends there and says which name it was.
class OverwriteOrStop final : public ConflictQuestion {
public:
    explicit OverwriteOrStop(bool overwrite) : m_overwrite(overwrite) {}
    ConflictReply AskConflict(const std::string& oldName, const std::string& newName) override {
        if (m_overwrite) return {ConflictAnswer::OverwriteAll, newName};
        refused = oldName;
        return {ConflictAnswer::Cancel, newName};
    }
    std::string refused;

private:
    bool m_overwrite;
};

struct Session {
    LinkOptions options;
    int mode = 0;
    bool hidden = false;
    CliLink link;
    LineProgress progress;
    BoxesOnStderr prompts;
    std::unique_ptr<PhoneFs> fs;

    int TakeOptions(std::vector<std::string>& args) {
        if (!TakeLinkOptions(args, options)) return 2;
        bool missing = false;
        const std::string modeName = TakeOption(args, "--mode", "normal", missing);
        hidden = TakeFlag(args, "--hidden");
        if (missing || (modeName != "normal" && modeName != "pro" && modeName != "pims"))
            return Fail("--mode takes normal, pro or pims", 2);
        mode = modeName == "normal" ? 0 : modeName == "pro" ? 1 : 2;
        return 0;
    }
    // After the command's own options: whatever looks like an option is none.
    static int Leftover(const std::vector<std::string>& args) {
        for (const std::string& arg : args) {
            if (arg.starts_with("--")) return Fail("unknown option " + arg, 2);
        }
        return 0;
    }
    // Opens the link and scans the phone; 0 or the exit code after its message.
    int OpenAndScan() {
        if (!link.Open(options)) return link.ExitCode();
        link.Flags.MODE = mode;
        link.Flags.Pro = mode == 1;
        link.Flags.HiddenFiles = hidden;
        fs = std::make_unique<PhoneFs>(link.Channel(), link.Flags, progress, prompts);
        // The scan's walk tells of its own failure.
        if (!fs->ScanPhone(mode, hidden)) return 1;
        return 0;
    }
    int PhoneError() {
        progress.Done();
        const AtChannel& ch = link.Channel();
        return Fail(OneLine(FailureText(ch.LastError, ch.ErrorText)));
    }
    ~Session() {
        if (fs) link.Form10().Comm321.Disconnect();
    }
};

int RunBackup(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    Session s;
    if (const int rc = s.TakeOptions(args)) return rc;
    if (const int rc = Session::Leftover(args)) return rc;
    if (args.size() != 1) return Fail("backup takes one local folder", 2);
    if (const int rc = s.OpenAndScan()) return rc;
    Backup backup(*s.fs, args[0]);
    const bool ok = backup.Run();
    s.progress.Done();
    std::printf("%d fetched (%lld bytes), %d unchanged", backup.Fetched(),
                static_cast<long long>(backup.BytesFetched()), backup.Kept());
    if (backup.Missed()) std::printf(", %d gone from the phone meanwhile", backup.Missed());
    std::printf("\n");
    if (!ok) return s.PhoneError();
    return backup.End() == CommandEnd::Finished ? 0 : 1;
}

int RunRestore(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    Session s;
    if (const int rc = s.TakeOptions(args)) return rc;
    bool missing = false;
    const std::string folder = TakeOption(args, "--folder", "", missing);
    const std::string match = TakeOption(args, "--match", "", missing);
    const bool overwrite = TakeFlag(args, "--overwrite");
    if (missing) return Fail("--folder and --match take a value", 2);
    if (const int rc = Session::Leftover(args)) return rc;
    if (args.size() != 1) return Fail("restore takes one backup folder", 2);
    if (!BackupManifest::Exists(args[0])) return Fail(Msg(kMsgNoBackup) + args[0], 2);
    if (const int rc = s.OpenAndScan()) return rc;
    OverwriteOrStop conflict(overwrite);
    Restore restore(*s.fs, args[0], conflict);
    if (!restore.Load()) return s.PhoneError();
    const std::vector<size_t> chosen = restore.Select(folder, match);
    if (chosen.empty()) return Fail("no file of the backup matches", 1);
    const bool ok = restore.Run(chosen);
    s.progress.Done();
    const auto& records = restore.Records();
    for (const size_t i : restore.Restored()) {
        std::printf("restored\t%s\\%s\n", records[i].FolderPath.c_str(), records[i].Name.c_str());
    }
    for (const Restore::Left& left : restore.NotRestored()) {
        const BackupRecord& r = records[left.Record];
        std::printf("not restored\t%s\\%s%s%s\n", r.FolderPath.c_str(), r.Name.c_str(),
                    left.Reason.empty() ? "" : "\t", OneLine(left.Reason).c_str());
    }
    if (!ok) {
        // Memory full says it all in its own words, the lists included.
        if (restore.End() == CommandEnd::Stopped) {
            return Fail(OneLine(Msg(kMsgRestoreMemoryFull) + std::to_string(restore.Restored().size()) +
                                Msg(kMsgOf) + std::to_string(chosen.size())));
        }
        return s.PhoneError();
    }
    if (restore.End() == CommandEnd::Cancelled)
        return Fail("the phone folder already holds " + conflict.refused +
                    " (--overwrite replaces it)");
    return restore.NotRestored().empty() ? 0 : 1;
}

int RunVerify(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    Session s;
    if (const int rc = s.TakeOptions(args)) return rc;
    const bool deep = TakeFlag(args, "--deep");
    if (const int rc = Session::Leftover(args)) return rc;
    if (args.size() != 1) return Fail("verify takes one backup folder", 2);
    if (!BackupManifest::Exists(args[0])) return Fail(Msg(kMsgNoBackup) + args[0], 2);
    if (const int rc = s.OpenAndScan()) return rc;
    Verify verify(*s.fs, args[0]);
    if (!verify.Run(deep)) return s.PhoneError();
    s.progress.Done();
    for (const Verify::Finding& f : verify.Findings()) std::printf("%s\n", f.Text().c_str());
    if (verify.Findings().empty()) {
        std::printf("%s (%d)\n", Msg(kMsgBackupMatches).c_str(), verify.Checked());
        return 0;
    }
    return 1;
}

const std::string kBackupUsage = std::string("backup DIR ") + kCommonUsage;
const std::string kRestoreUsage =
    std::string("restore DIR [--folder P] [--match GLOB] [--overwrite] ") + kCommonUsage;
const std::string kVerifyUsage = std::string("verify DIR [--deep] ") + kCommonUsage;

const CliCommand kBackup{"backup", kBackupUsage.c_str(), RunBackup};
const CliCommand kRestore{"restore", kRestoreUsage.c_str(), RunRestore};
const CliCommand kVerify{"verify", kVerifyUsage.c_str(), RunVerify};

}  // namespace
}  // namespace q7k3::cli
