#include "window/BackupCommands.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "commands/Backup.h"
#include "commands/PimBackup.h"
#include "base/Prompts.h"
#include "localpane/LocalDirView.h"
#include "session/PhoneSession.h"
#include "window/ConflictDialog.h"
#include "window/FileCommands.h"
#include "window/MainWindow.h"
#include "window/ProgressDialog.h"
#include "window/RestoreDialog.h"
#include "window/Texts.h"

namespace q7k3 {
namespace {

// A verify report lists at most this many differences; the count says the rest.
constexpr size_t kMaxFindingsShown = 25;

std::string KbText(int64_t bytes) {
    return std::to_string((bytes + 1023) / 1024);
}

// What a restore of contacts did: each store's summary, then each entry not put back and why.
std::string ContactsText(const std::vector<pim::ImportReport>& reports) {
    std::string text;
    for (const pim::ImportReport& report : reports) {
        if (report.Entries.empty()) continue;
        text += (text.empty() ? "" : "\r\n") + pim::ImportSummary(report);
        for (const pim::ImportedEntry& e : report.Entries) {
            if (e.Result == pim::ImportResult::Written || e.Result == pim::ImportResult::Already)
                continue;
            text += "\r\n" + e.Entry.Name + (e.Entry.Number.empty() ? "" : " " + e.Entry.Number) +
                    ": " + e.Why;
        }
    }
    return text;
}

// The question before a verify: the folder, and a check box for the deep comparison.
std::optional<bool> AskVerifyBox(QWidget* parent, const QString& folder) {
    QMessageBox box(
        QMessageBox::Question, M(kMsgVerifyCaption),
        M(kMsgBackupFolderCaption) + QStringLiteral(": ") + QDir::toNativeSeparators(folder),
        QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setObjectName("VerifyQuestion");
    box.button(QMessageBox::Ok)->setText(Cap("TFileExistForm", "FexOKBtn"));
    box.button(QMessageBox::Ok)->setObjectName("VerifyOK");
    box.button(QMessageBox::Cancel)->setText(Cap("TFileExistForm", "FexCancel"));
    box.button(QMessageBox::Cancel)->setObjectName("VerifyCancel");
    auto* deep = new QCheckBox(M(kMsgVerifyDeep), &box);
    deep->setObjectName("VerifyDeep");
    box.setCheckBox(deep);
    if (box.exec() != QMessageBox::Ok) return std::nullopt;
    return deep->isChecked();
}

}  // namespace

QString ChooseFolderDialog(QWidget* parent, const QString& caption, const QString& start) {
    QFileDialog dialog(parent, caption, start);
    dialog.setObjectName("BackupFolderDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

BackupCommands::BackupCommands(MainWindow& form, Prompts& prompts)
    : ChooseFolder([&form](const QString& caption, const QString& start) {
          return ChooseFolderDialog(&form, caption, start);
      }),
      AskVerify([&form](const QString& folder) { return AskVerifyBox(&form, folder); }),
      m_window(form),
      m_prompts(prompts) {}

BackupCommands::~BackupCommands() = default;

PhoneSession* BackupCommands::Session() const {
    PhoneSession* session = m_window.Core().Session;
    return session && session->Admit() == Admission::Open ? session : nullptr;
}

bool BackupCommands::Applies() const { return Session() != nullptr && !m_window.Busy(); }

void BackupCommands::UpdateActions() {
    const bool applies = Applies();
    for (const char* name : {"Backup1", "Restore1", "Verify1"})
        m_window.MenuAction(name)->setEnabled(applies);
}

RestoreDialog* BackupCommands::RestoreForm() {
    if (!m_restoreForm) m_restoreForm = new RestoreDialog(&m_window);
    return m_restoreForm;
}

QString BackupCommands::AskFolder() const {
    return ChooseFolder
               ? ChooseFolder(M(kMsgBackupFolderCaption), m_window.Computer().List()->Path())
               : QString();
}

void BackupCommands::RunWide(PhoneSession& session, int caption,
                             std::function<Outcome(PhoneFs&)> work,
                             std::function<void(Outcome)> then) {
    // The progress dialog is wide until the command has ended: its last owner is the
    // command's end (or the refusal, which drops it at once).
    auto wide = std::make_shared<ProgressDialog::WideScope>(*m_window.Progress());
    BusyView view;
    view.QuickStatus = Msg(caption);
    session.Run(view, std::move(work), [wide, then](Outcome outcome) mutable {
        wide.reset();
        then(outcome);
    });
}

void BackupCommands::ShowBox(const std::string& text, int caption, bool warning) {
    m_prompts.MessageBox(text, Msg(caption), warning ? BoxIcon::Warning : BoxIcon::Information);
}

void BackupCommands::Backup() {
    if (!Applies()) return;
    const QString dir = AskFolder();
    PhoneSession* session = Session();
    if (dir.isEmpty() || !session) return;
    auto backup = std::make_shared<q7k3::Backup>(session->Fs(), S(dir));
    auto pim = std::make_shared<std::optional<PimBackupReport>>();
    RunWide(
        *session, kMsgBackupCaption,
        [backup, pim, dir = S(dir)](PhoneFs& fs) {
            const Status done = backup->Run();
            // The contacts and messages follow the files, beside them.
            if (done && backup->End() == CommandEnd::Finished) {
                auto saved = BackupPim(fs.Channel(), fs.Progress(), dir);
                if (!saved) return Outcome::Failed(saved.error());
                *pim = *saved;
            }
            return OutcomeOf(done, backup->End());
        },
        [this, backup, pim](Outcome outcome) {
            // The folder may be the one on show, or below it.
            m_window.Computer().Reload();
            m_window.Computer().UpdateStatus();
            // A failure has had its report from the session; an abort that cut a read
            // short (the link then needed its recovery) is told like any other.
            const bool aborted = backup->End() == CommandEnd::Aborted;
            if (outcome.IsFailed() && !aborted) return;
            std::string text = Msg(kMsgBackupSummary) + std::to_string(backup->Fetched()) + ", " +
                               KbText(backup->BytesFetched()) + Msg(kMsgKilobytes) +
                               Msg(kMsgBackupKept) + std::to_string(backup->Kept());
            if (aborted) text = Msg(kMsgBackupAborted) + "\r\n" + text;
            if (!backup->UnreadableReport().empty()) text += "\r\n" + backup->UnreadableReport();
            if (*pim)
                for (const std::string& line : (*pim)->Lines()) text += "\r\n" + line;
            ShowBox(text, kMsgBackupCaption,
                    aborted || !backup->UnreadableReport().empty() || (*pim && !(*pim)->Complete()));
        });
}

void BackupCommands::Restore() {
    if (!Applies()) return;
    const QString dir = AskFolder();
    PhoneSession* session = Session();
    if (dir.isEmpty() || !session) return;
    auto restore = std::make_shared<q7k3::Restore>(session->Fs(), S(dir), session->Conflicts());
    if (Status loaded = restore->Load(); !loaded) {
        // Nothing was sent to the phone: the reason alone, without the link's report.
        m_prompts.MessageBox(FailureText(loaded.error()), Msg(kMsgErrorCaption), BoxIcon::Error);
        return;
    }
    const std::optional<PimPart> saved = SavedContacts(S(dir));
    RestoreForm()->OfferContacts(saved ? saved->Entries : -1);
    const std::optional<std::vector<size_t>> chosen =
        RestoreForm()->Ask(restore->Records(), restore->MissingOnPhone());
    const bool contacts = RestoreForm()->ContactsChosen();
    if (!chosen || (chosen->empty() && !contacts) || !(session = Session())) return;
    auto reports = std::make_shared<std::vector<pim::ImportReport>>();
    RunWide(
        *session, kMsgRestoreCaption,
        [restore, chosen = *chosen, contacts, reports, dir = S(dir)](PhoneFs& fs) {
            const Status done = chosen.empty() ? Status{} : restore->Run(chosen);
            // The contacts the phone lacks, after the files; a full phone may still have room
            // in its phonebook.
            if (contacts && (done || restore->End() == CommandEnd::Stopped)) {
                auto put = RestoreContacts(fs.Channel(), fs.Progress(), dir);
                if (!put) return done ? Outcome::Failed(put.error()) : OutcomeOf(done, restore->End());
                *reports = *put;
                for (const pim::ImportReport& r : *reports)
                    if (r.Problem.Reason && done) return Outcome::Failed(r.Problem);
            }
            return OutcomeOf(done, restore->End());
        },
        [this, restore, reports, count = chosen->size()](Outcome outcome) {
            // The folder on show may have new files, and the free space is less.
            m_window.ShowCurrentFolder();
            // A full phone has said what was and was not restored in its error report.
            if (outcome.IsFailed()) return;
            std::string text;
            if (count)
                text = Msg(kMsgRestoredCount) + std::to_string(restore->Restored().size()) +
                       Msg(kMsgOf) + std::to_string(count);
            bool incomplete = !restore->NotRestored().empty();
            if (incomplete || !restore->Skipped().empty()) {
                text += "\r\n" + restore->Report();
                for (const q7k3::Restore::Left& left : restore->NotRestored())
                    if (!left.Reason.empty()) text += "\r\n" + left.Reason;
            }
            if (const std::string put = ContactsText(*reports); !put.empty())
                text += (text.empty() ? "" : "\r\n") + put;
            incomplete = incomplete || ContactsNotRestored(*reports) > 0;
            ShowBox(text, kMsgRestoreCaption, incomplete);
        });
}

void BackupCommands::Verify() {
    if (!Applies()) return;
    const QString dir = AskFolder();
    if (dir.isEmpty()) return;
    // A folder without a backup is said before anything is asked of the phone.
    if (!BackupManifest::Exists(S(dir))) {
        m_prompts.MessageBox(Msg(kMsgNoBackup) + S(QDir::toNativeSeparators(dir)),
                             Msg(kMsgErrorCaption), BoxIcon::Error);
        return;
    }
    const std::optional<bool> deep = AskVerify ? AskVerify(dir) : std::optional<bool>(false);
    PhoneSession* session = Session();
    if (!deep || !session) return;
    auto verify = std::make_shared<q7k3::Verify>(session->Fs(), S(dir));
    auto pim = std::make_shared<std::pair<std::vector<std::string>, int>>();
    RunWide(
        *session, kMsgVerifyCaption,
        [verify, pim, deep = *deep, dir = S(dir)](PhoneFs& fs) {
            const Status done = verify->Run(deep);
            // The saved contacts and messages: their files, and when deep the contacts too.
            if (done && verify->End() == CommandEnd::Finished) {
                auto found = VerifyPim(dir, deep ? &fs.Channel() : nullptr, pim->second);
                if (!found) return Outcome::Failed(found.error());
                pim->first = std::move(*found);
            }
            return OutcomeOf(done, verify->End());
        },
        [this, verify, pim](Outcome outcome) {
            // Every folder was listed again: the one on show too.
            m_window.ShowCurrentFolder();
            if (outcome.IsFailed() && verify->End() != CommandEnd::Aborted) return;
            std::vector<std::string> findings;
            for (const q7k3::Verify::Finding& f : verify->Findings()) findings.push_back(f.Text());
            findings.insert(findings.end(), pim->first.begin(), pim->first.end());
            std::string text;
            if (verify->End() == CommandEnd::Aborted) text = Msg(kMsgVerifyAborted);
            for (size_t i = 0; i < findings.size() && i < kMaxFindingsShown; ++i)
                text += (text.empty() ? "" : "\r\n") + findings[i];
            if (findings.size() > kMaxFindingsShown)
                text += "\r\n… (" + std::to_string(findings.size()) + ")";
            if (text.empty())
                text = Msg(kMsgBackupMatches) + " (" +
                       std::to_string(verify->Checked() + pim->second) + ")";
            ShowBox(text, kMsgVerifyCaption,
                    verify->End() == CommandEnd::Aborted || !findings.empty());
        });
}

}  // namespace q7k3
