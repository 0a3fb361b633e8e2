#pragma once
// The conflict dialog: the folder already holds a file of the chosen name. It shows the
// size and date of both files; about one file (a rename) it offers no "… все" answers.
// Modal results: 1 use the edited name, 5 overwrite, 3 overwrite all, 6 skip, 7 skip all,
// 2 cancel (also when the dialog is closed from its title bar or with Escape).

#include <QDialog>

#include "base/Prompts.h"
#include "window/DialogParts.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace q7k3 {

class ConflictDialog : public QDialog, public ConflictQuestion {
    Q_OBJECT
public:
    enum Result {
        kOk = 1,
        kCancel = 2,
        kOverwriteAll = 3,
        kOverwrite = 5,
        kSkip = 6,
        kSkipAll = 7
    };

    explicit ConflictDialog(QWidget* mainWindow);

    // Fills the names and what is known of both files, shows the dialog modally and
    // returns its modal result.
    int Ask(const QString& oldName, const QString& newName, const ConflictFacts& facts = {});
    QString NewNameText() const;
    // The core's file-exists question, answered with this dialog.
    ConflictReply AskConflict(const std::string& oldName, const std::string& proposedName) override;
    ConflictReply AskConflictAbout(const std::string& oldName, const std::string& proposedName,
                                   const ConflictFacts& facts) override;

    QLabel* OldNameCaption;
    QLabel* OldName;
    QLabel* ExistingFacts;  // the size and date of the file there
    QLabel* IncomingFacts;  // and of the one that would take its place
    QLabel* NewNameCapt;
    QLineEdit* NewName;
    QPushButton* FexOKBtn;
    QPushButton* FexOverwriteBtn;
    QPushButton* FexOverwriteAllBtn;
    QPushButton* FexCancel;
    QPushButton* FexSkipBtn;
    QPushButton* FexSkipAllBtn;

public slots:
    void reject() override { done(kCancel); }

private:
    QWidget* m_mainWindow;
};

}  // namespace q7k3
