#include "window/RenameDialog.h"

#include <QLineEdit>
#include <QPushButton>

#include "window/DialogParts.h"
#include "window/Texts.h"

namespace q7k3 {

RenameDialog::RenameDialog(QWidget* mainWindow)
    : QDialog(mainWindow, kDialogFlags), m_mainWindow(mainWindow) {
    setObjectName("TRenameForm");
    setWindowTitle(Cap("TRenameForm", ""));
    setModal(true);
    setFixedSize(230, 77);

    RenName = new QLineEdit(this);
    RenName->setObjectName("RenName");
    RenName->setGeometry(8, 16, 217, 24);
    RenName->setAccessibleName(windowTitle());
    RenOK = ResultButton(this, "RenOK", Cap("TRenameForm", "RenOK"), QRect(8, 48, 89, 25), kOk);
    RenOK->setDefault(true);
    RenCancel = ResultButton(this, "RenCancel", Cap("TRenameForm", "RenCancel"),
                             QRect(128, 48, 97, 25), kCancel);
}

int RenameDialog::Ask(const QString& name, bool nameOnly) {
    RenName->setText(name);
    // "melody01.mel": the name up to the last dot; a leading dot is no extension's.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (nameOnly && dot > 0)
        RenName->setSelection(0, static_cast<int>(dot));
    else
        RenName->selectAll();
    RenName->setFocus();
    CentreOn(this, m_mainWindow);
    return exec();
}

QString RenameDialog::NameText() const {
    return RenName->text();
}

std::optional<std::string> RenameDialog::AskNewName(const std::string& currentName) {
    if (Ask(QString::fromStdString(currentName), true) != kOk) return std::nullopt;
    return NameText().toStdString();
}

}  // namespace q7k3
