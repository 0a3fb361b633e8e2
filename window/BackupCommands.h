#pragma once
// The window's half of backup, restore and verify (the "Файл" menu): a folder chooser
// starting from the computer pane's folder, the command run on the session's link thread
// with the wide progress dialog, the restore selection dialog, and a box with what came of
// it. The commands themselves are core code (commands/Backup.h).

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QWidget;

namespace q7k3 {

class PhoneFs;
class PhoneSession;
class Outcome;
class Prompts;
class MainWindow;
class RestoreDialog;

// The directory dialog (Qt's own, not the desktop's, so that it looks and behaves the same
// everywhere and can be driven offscreen); the chosen folder, or empty on Cancel.
QString ChooseFolderDialog(QWidget* parent, const QString& caption, const QString& start);

class BackupCommands {
public:
    BackupCommands(MainWindow& form, Prompts& prompts);
    ~BackupCommands();

    // Asks for the folder of a backup (caption, starting folder); empty for Cancel.
    std::function<QString(const QString& caption, const QString& start)> ChooseFolder;
    // Asks whether to verify the backup in `folder`: nothing for Cancel, else whether the
    // files' contents are compared too.
    std::function<std::optional<bool>(const QString& folder)> AskVerify;

    // The three commands need a phone that has been read and a session at rest.
    bool Applies() const;
    // Enables the menu items as Applies() says (the menu asks before it opens).
    void UpdateActions();

    void Backup();
    void Restore();
    void Verify();

    RestoreDialog* RestoreForm();

private:
    PhoneSession* Session() const;
    QString AskFolder() const;
    void ShowBox(const std::string& text, int caption, bool warning);
    // The session's busy bracket with the progress dialog wide and captioned `caption`.
    // Runs `work` on the link thread with the wide progress dialog; `then` hears how it
    // ended, on the window's thread, with the dialog back to its usual size.
    void RunWide(PhoneSession& session, int caption, std::function<Outcome(PhoneFs&)> work,
                 std::function<void(Outcome)> then);

    MainWindow& m_window;
    Prompts& m_prompts;
    RestoreDialog* m_restoreForm = nullptr;
};

}  // namespace q7k3
