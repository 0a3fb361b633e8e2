#include "window/BackupCommands.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "commands/Backup.h"
#include "link/Prompts.h"
#include "localpane/LocalDirView.h"
#include "phonefs/PhoneSession.h"
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
    RunWide(
        *session, kMsgBackupCaption,
        [backup](PhoneFs&) {
            // The end is read once the run is over.
            const Status done = backup->Run();
            return OutcomeOf(done, backup->End());
        },
        [this, backup](Outcome outcome) {
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
            ShowBox(text, kMsgBackupCaption, aborted || !backup->UnreadableReport().empty());
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
    const std::optional<std::vector<size_t>> chosen =
        RestoreForm()->Ask(restore->Records(), restore->MissingOnPhone());
    if (!chosen || chosen->empty() || !(session = Session())) return;
    RunWide(
        *session, kMsgRestoreCaption,
        [restore, chosen = *chosen](PhoneFs&) {
            const Status done = restore->Run(chosen);
            return OutcomeOf(done, restore->End());
        },
        [this, restore, count = chosen->size()](Outcome outcome) {
            // The folder on show may have new files, and the free space is less.
            m_window.ShowCurrentFolder();
            // A full phone has said what was and was not restored in its error report.
            if (outcome.IsFailed()) return;
            std::string text = Msg(kMsgRestoredCount) + std::to_string(restore->Restored().size()) +
                               Msg(kMsgOf) + std::to_string(count);
            const bool incomplete = !restore->NotRestored().empty();
            if (incomplete || !restore->Skipped().empty()) {
                text += "\r\n" + restore->Report();
                for (const q7k3::Restore::Left& left : restore->NotRestored())
                    if (!left.Reason.empty()) text += "\r\n" + left.Reason;
            }
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
    RunWide(
        *session, kMsgVerifyCaption,
        [verify, deep = *deep](PhoneFs&) {
            const Status done = verify->Run(deep);
            return OutcomeOf(done, verify->End());
        },
        [this, verify](Outcome outcome) {
            // Every folder was listed again: the one on show too.
            m_window.ShowCurrentFolder();
            if (outcome.IsFailed() && verify->End() != CommandEnd::Aborted) return;
            const auto& findings = verify->Findings();
            std::string text;
            if (verify->End() == CommandEnd::Aborted) text = Msg(kMsgVerifyAborted);
            for (size_t i = 0; i < findings.size() && i < kMaxFindingsShown; ++i)
                text += (text.empty() ? "" : "\r\n") + findings[i].Text();
            if (findings.size() > kMaxFindingsShown)
                text += "\r\n… (" + std::to_string(findings.size()) + ")";
            if (text.empty())
                text = Msg(kMsgBackupMatches) + " (" + std::to_string(verify->Checked()) + ")";
            ShowBox(text, kMsgVerifyCaption,
                    verify->End() == CommandEnd::Aborted || !findings.empty());
        });
}

}  // namespace q7k3
