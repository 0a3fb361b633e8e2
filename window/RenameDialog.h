#pragma once
// The rename dialog: the new name of a phone file. Modal results 1 (OK) and 2 (cancel).

#include <QDialog>
#include <optional>
#include <string>

#include "base/Prompts.h"

class QLineEdit;
class QPushButton;

namespace q7k3 {

class RenameDialog : public QDialog, public RenameQuestion {
    Q_OBJECT
public:
    enum Result { kOk = 1, kCancel = 2 };

    explicit RenameDialog(QWidget* mainWindow);

    // Shows `name` selected whole; with `nameOnly` a file name is selected without its
    // extension, so that typing replaces the name and keeps the type.
    int Ask(const QString& name, bool nameOnly = false);
    QString NameText() const;
    // The core's rename question: the edited name, or nothing on cancel.
    std::optional<std::string> AskNewName(const std::string& currentName) override;

    QLineEdit* RenName;
    QPushButton* RenOK;
    QPushButton* RenCancel;

public slots:
    void reject() override { done(kCancel); }

private:
    QWidget* m_mainWindow;
};

}  // namespace q7k3
